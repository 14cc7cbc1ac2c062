#pragma once

#include <QPixmap>
#include <QWidget>

class QBuffer;
class QMovie;

namespace vexor {

// A control that shows one picture, still or animated, with the usual settings: stretched to
// the control or at its own size, keeping its proportions, centred, and drawn without a
// background of its own (transparent).
class PictureBox : public QWidget
{
    Q_OBJECT

public:
    explicit PictureBox(QWidget *parent = nullptr);
    ~PictureBox() override;

    bool stretch() const { return m_stretch; }
    void setStretch(bool on);
    bool proportional() const { return m_proportional; }
    void setProportional(bool on);
    bool center() const { return m_center; }
    void setCenter(bool on);
    bool transparent() const { return m_transparent; }
    void setTransparent(bool on);

    // A still picture; replaces whatever the control showed.
    void setPicture(const QPixmap &picture);
    // An animated GIF from its bytes; it shows its first frame until it is started. False (and
    // the control unchanged) when the bytes are not a GIF.
    bool setGif(const QByteArray &bytes);
    void clearPicture();

    // The picture as shown now (the current frame of an animation).
    QPixmap currentPicture() const;
    bool hasPicture() const;
    QSize pictureSize() const;
    QMovie *movie() const { return m_movie; }

    QSize sizeHint() const override;

signals:
    // The picture was replaced (not sent for the frames of an animation).
    void pictureChanged();

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    void dropMovie();
    QRect targetRect(const QSize &picture) const;

    QPixmap m_picture;
    QMovie *m_movie = nullptr;
    QBuffer *m_movieData = nullptr;
    bool m_stretch = false;
    bool m_proportional = false;
    bool m_center = false;
    bool m_transparent = false;
};

} // namespace vexor
