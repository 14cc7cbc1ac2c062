#include "picturebox.h"

#include <QBuffer>
#include <QImageReader>
#include <QMovie>
#include <QPainter>

namespace vexor {

PictureBox::PictureBox(QWidget *parent)
    : QWidget(parent)
{
}

PictureBox::~PictureBox()
{
    dropMovie();
}

void PictureBox::setStretch(bool on) { m_stretch = on; update(); }
void PictureBox::setProportional(bool on) { m_proportional = on; update(); }
void PictureBox::setCenter(bool on) { m_center = on; update(); }

void PictureBox::setTransparent(bool on)
{
    m_transparent = on;
    setAutoFillBackground(!on);
    update();
}

void PictureBox::dropMovie()
{
    if (m_movie) {
        m_movie->stop();
        delete m_movie;
        m_movie = nullptr;
    }
    delete m_movieData;
    m_movieData = nullptr;
}

void PictureBox::setPicture(const QPixmap &picture)
{
    dropMovie();
    m_picture = picture;
    updateGeometry();
    update();
    emit pictureChanged();
}

bool PictureBox::setGif(const QByteArray &bytes)
{
    auto data = std::make_unique<QBuffer>();
    data->setData(bytes);
    data->open(QIODevice::ReadOnly);
    if (QImageReader(data.get()).format() != "gif")
        return false;
    data->seek(0);
    auto movie = std::make_unique<QMovie>(data.get(), QByteArray("gif"));
    if (!movie->isValid() || !movie->jumpToFrame(0))
        return false;
    dropMovie();
    m_picture = QPixmap();
    m_movieData = data.release();
    m_movie = movie.release();
    m_movie->setCacheMode(QMovie::CacheAll);
    connect(m_movie, &QMovie::frameChanged, this, qOverload<>(&QWidget::update));
    updateGeometry();
    update();
    emit pictureChanged();
    return true;
}

void PictureBox::clearPicture()
{
    setPicture(QPixmap());
}

QPixmap PictureBox::currentPicture() const
{
    return m_movie ? m_movie->currentPixmap() : m_picture;
}

bool PictureBox::hasPicture() const
{
    return m_movie || !m_picture.isNull();
}

QSize PictureBox::pictureSize() const
{
    if (m_movie)
        return m_movie->currentPixmap().deviceIndependentSize().toSize();
    return m_picture.deviceIndependentSize().toSize();
}

QSize PictureBox::sizeHint() const
{
    const QSize size = pictureSize();
    return size.isEmpty() ? QWidget::sizeHint() : size;
}

QRect PictureBox::targetRect(const QSize &picture) const
{
    const QRect area = contentsRect();
    QSize size = picture;
    if (m_stretch) {
        size = m_proportional ? picture.scaled(area.size(), Qt::KeepAspectRatio) : area.size();
    } else if (m_proportional && (picture.width() > area.width() || picture.height() > area.height())) {
        size = picture.scaled(area.size(), Qt::KeepAspectRatio);
    }
    QRect target(area.topLeft(), size);
    if (m_center)
        target.moveCenter(area.center());
    return target;
}

void PictureBox::paintEvent(QPaintEvent *)
{
    const QPixmap picture = currentPicture();
    if (picture.isNull())
        return;
    QPainter painter(this);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    painter.drawPixmap(targetRect(picture.deviceIndependentSize().toSize()), picture);
}

} // namespace vexor
