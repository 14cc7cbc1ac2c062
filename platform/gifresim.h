#pragma once

#include "picturebox.h"

namespace vexor {

// A picture control for animated GIF pictures whose owner switches the animation on and off.
class TGifResim : public PictureBox
{
    Q_OBJECT
    Q_PROPERTY(bool Animate READ Animate WRITE setAnimate)

public:
    explicit TGifResim(QWidget *owner = nullptr);

    bool Animate() const { return FAnimate; }
    // Stores the flag and, when the control holds a GIF, makes it play or stand still. A GIF
    // loaded later does not pick the flag up: it stands still until Animate is written again,
    // so whoever replaces the picture sets Animate to false before and to true after.
    void setAnimate(bool value);

    // Animate, then show; hide, then stand still.
    void GosterAnim();
    void GizleDurdur();

    bool isAnimating() const;

    // Loads a picture from a file or resource: a GIF as animation, anything else as a still.
    bool loadFile(const QString &path);

private:
    bool FAnimate = false;
};

} // namespace vexor
