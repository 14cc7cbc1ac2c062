#include "gifresim.h"

#include <QFile>
#include <QMovie>

namespace vexor {

TGifResim::TGifResim(QWidget *owner)
    : PictureBox(owner)
{
}

void TGifResim::setAnimate(bool value)
{
    if (value == FAnimate)
        return;
    FAnimate = value;
    QMovie *gif = movie();
    if (!gif || !gif->isValid())
        return;
    setTransparent(true);
    if (value) {
        if (gif->state() == QMovie::Paused)
            gif->setPaused(false);
        else if (gif->state() == QMovie::NotRunning)
            gif->start();
    } else if (gif->state() == QMovie::Running) {
        gif->setPaused(true);
    }
}

void TGifResim::GosterAnim()
{
    setAnimate(true);
    setVisible(true);
}

void TGifResim::GizleDurdur()
{
    setVisible(false);
    setAnimate(false);
}

bool TGifResim::isAnimating() const
{
    return movie() && movie()->state() == QMovie::Running;
}

bool TGifResim::loadFile(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    const QByteArray bytes = file.readAll();
    if (setGif(bytes))
        return true;
    QPixmap still;
    if (!still.loadFromData(bytes))
        return false;
    setPicture(still);
    return true;
}

} // namespace vexor
