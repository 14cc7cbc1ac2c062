#pragma once

#include <QByteArray>
#include <QImage>
#include <QString>

#include <vector>

namespace vexor {

// Pictures of the demo catalogue, drawn with QPainter on QImage: no display, no fonts (the few
// words on banners and screens are drawn as dot-matrix letters), no files. The same arguments
// always give the same bytes.

// The part shapes the pictures show; a stock's part type names the shape that fits it.
enum class PartShape {
    Disc, Pad, Filter, Panel, Plug, Bulb, Spring, Belt, Bearing, Shock, Gear, Hose, Wiper, Box, Battery,
};
inline constexpr int kPartShapeCount = 15;
// Colour variants per shape: kPartShapeCount x kPartVariants distinct pictures.
inline constexpr int kPartVariants = 3;

// A part picture, 480 x 360.
QImage partPicture(PartShape shape, int variant);

// JPEG bytes of a picture (quality 0..100). Throws std::runtime_error when no JPEG writer is
// available.
QByteArray jpegBytes(const QImage &image, int quality = 85);

// The banners: the header's animated GIF (BannerResimVer), the animated strip under the header
// (BannerResimVer2) and the picture band at the bottom as BMP (BannerResimVer3).
QByteArray headerBannerGif();
QByteArray stripBannerGif();
QByteArray bottomBannerBmp();

// An opening screen or announcement, 605 x 405: a title in dot-matrix letters over a part
// picture. `title` takes A-Z, 0-9, blanks and % - + . ! : only (other characters are left out).
QImage openingScreen(const QString &title, PartShape shape, int variant);

// Frames of equal size as an animated GIF that loops forever, each shown `delayCs`
// hundredths of a second. Colours are reduced to a fixed 256-colour palette. Throws
// std::runtime_error when giflib fails.
QByteArray animatedGif(const std::vector<QImage> &frames, int delayCs);

// Draws `text` in dot-matrix letters with its top left corner at (x, y); each dot is `dot`
// pixels. Returns the width drawn.
int drawDotText(QImage &image, const QString &text, int x, int y, int dot, QRgb colour);

} // namespace vexor
