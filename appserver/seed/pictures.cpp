#include "pictures.h"

#include "common/turkish.h"

#include <QBuffer>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>

#include <gif_lib.h>

#include <array>
#include <cmath>
#include <stdexcept>

namespace vexor {

namespace {

constexpr double kPi = 3.14159265358979323846;

struct Scheme
{
    QColor body;
    QColor dark;
    QColor accent;
};

Scheme scheme(int variant)
{
    switch (((variant % kPartVariants) + kPartVariants) % kPartVariants) {
    case 0: return {QColor(0x8a, 0x90, 0x99), QColor(0x3b, 0x3f, 0x45), QColor(0xc0, 0x39, 0x2b)};
    case 1: return {QColor(0x5d, 0x6d, 0x7e), QColor(0x2f, 0x36, 0x40), QColor(0x2e, 0x86, 0xde)};
    default: return {QColor(0xb9, 0x77, 0x0e), QColor(0x5d, 0x40, 0x37), QColor(0x27, 0xae, 0x60)};
    }
}

QLinearGradient metal(QPointF from, QPointF to, const QColor &base)
{
    QLinearGradient g(from, to);
    g.setColorAt(0, base.lighter(150));
    g.setColorAt(0.45, base);
    g.setColorAt(1, base.darker(160));
    return g;
}

void drawDisc(QPainter &p, const Scheme &s, bool clutch)
{
    const QPointF c(240, 180);
    QRadialGradient g(c, 150, QPointF(200, 140));
    g.setColorAt(0, s.body.lighter(160));
    g.setColorAt(1, s.body.darker(140));
    p.setPen(QPen(s.dark, 3));
    p.setBrush(g);
    p.drawEllipse(c, 150, 150);
    if (clutch) {
        p.setBrush(QColor(0x6e, 0x5b, 0x4b));
        p.drawEllipse(c, 120, 120);
        p.setBrush(s.body);
        p.drawEllipse(c, 80, 80);
        for (int i = 0; i < 6; ++i) {
            const double a = i * kPi / 3;
            p.setBrush(s.dark);
            p.drawRect(QRectF(c.x() + 65 * std::cos(a) - 10, c.y() + 65 * std::sin(a) - 18, 20, 36));
        }
    } else {
        p.setBrush(Qt::NoBrush);
        p.setPen(QPen(s.dark.lighter(130), 2));
        p.drawEllipse(c, 128, 128);
        p.setBrush(s.dark);
        for (int ring = 0; ring < 2; ++ring) {
            for (int i = 0; i < 16; ++i) {
                const double a = i * kPi / 8 + ring * kPi / 16;
                const double r = 95 + ring * 20;
                p.drawEllipse(QPointF(c.x() + r * std::cos(a), c.y() + r * std::sin(a)), 5, 5);
            }
        }
    }
    p.setPen(QPen(s.dark, 2));
    p.setBrush(metal(QPointF(190, 130), QPointF(290, 230), s.body.darker(120)));
    p.drawEllipse(c, 55, 55);
    p.setBrush(s.dark);
    p.drawEllipse(c, 22, 22);
    for (int i = 0; i < 5; ++i) {
        const double a = i * 2 * kPi / 5 - kPi / 2;
        p.drawEllipse(QPointF(c.x() + 38 * std::cos(a), c.y() + 38 * std::sin(a)), 6, 6);
    }
}

void drawPad(QPainter &p, const Scheme &s)
{
    for (int i = 0; i < 2; ++i) {
        p.save();
        p.translate(170 + i * 150, 170 + i * 25);
        p.rotate(-8 + i * 12);
        QPainterPath plate;
        plate.addRoundedRect(QRectF(-110, -60, 220, 120), 40, 40);
        p.setPen(QPen(s.dark, 3));
        p.setBrush(metal(QPointF(-110, -60), QPointF(110, 60), s.body));
        p.drawPath(plate);
        p.setBrush(QColor(0x4a, 0x42, 0x3c));
        p.drawRoundedRect(QRectF(-90, -42, 180, 84), 30, 30);
        p.setPen(QPen(QColor(0x2c, 0x27, 0x24), 3));
        p.drawLine(QPointF(0, -42), QPointF(0, 42));
        p.setPen(QPen(s.accent, 4));
        p.drawLine(QPointF(-100, -62), QPointF(-60, -62));
        p.restore();
    }
}

void drawFilter(QPainter &p, const Scheme &s)
{
    const QRectF body(150, 90, 180, 220);
    p.setPen(QPen(s.dark, 3));
    p.setBrush(metal(body.topLeft(), body.topRight(), s.accent));
    p.drawRoundedRect(body, 18, 18);
    p.setPen(QPen(s.accent.darker(150), 2));
    for (int i = 0; i < 10; ++i)
        p.drawLine(QPointF(body.left() + 10, body.bottom() - 12 - i * 6), QPointF(body.right() - 10, body.bottom() - 12 - i * 6));
    p.setPen(QPen(s.dark, 3));
    p.setBrush(metal(QPointF(150, 70), QPointF(330, 110), s.body));
    p.drawEllipse(QRectF(150, 68, 180, 44));
    p.setBrush(s.dark);
    p.drawEllipse(QRectF(215, 80, 50, 20));
    p.setBrush(QColor(255, 255, 255, 170));
    p.setPen(Qt::NoPen);
    p.drawRoundedRect(QRectF(175, 150, 130, 70), 8, 8);
}

void drawPanel(QPainter &p, const Scheme &s)
{
    p.save();
    p.translate(240, 180);
    p.rotate(-12);
    p.setPen(QPen(s.dark, 3));
    p.setBrush(s.dark.lighter(140));
    p.drawRoundedRect(QRectF(-170, -110, 340, 220), 12, 12);
    p.setBrush(QColor(0xf3, 0xe9, 0xd2));
    p.drawRect(QRectF(-150, -90, 300, 180));
    p.setPen(QPen(QColor(0xc9, 0xb8, 0x93), 3));
    for (int x = -145; x < 150; x += 12)
        p.drawLine(QPointF(x, -88), QPointF(x, 88));
    p.setPen(QPen(s.accent, 6));
    p.drawLine(QPointF(-170, 112), QPointF(170, 112));
    p.restore();
}

void drawPlug(QPainter &p, const Scheme &s)
{
    p.save();
    p.translate(240, 180);
    p.rotate(35);
    p.setPen(QPen(s.dark, 2));
    p.setBrush(metal(QPointF(-10, 0), QPointF(10, 0), s.body));
    p.drawRect(QRectF(-9, -160, 18, 30));
    p.setBrush(QColor(0xf4, 0xf4, 0xf0));
    p.drawRoundedRect(QRectF(-24, -132, 48, 110), 14, 14);
    p.setPen(QPen(QColor(0xcc, 0xcc, 0xc4), 2));
    for (int i = 0; i < 5; ++i)
        p.drawLine(QPointF(-22, -120 + i * 10), QPointF(22, -120 + i * 10));
    p.setPen(QPen(s.dark, 2));
    QPolygonF hex;
    for (int i = 0; i < 6; ++i)
        hex << QPointF(36 * std::cos(i * kPi / 3), -5 + 18 * std::sin(i * kPi / 3));
    p.setBrush(metal(QPointF(-36, 0), QPointF(36, 0), s.body));
    p.drawPolygon(hex);
    p.drawRect(QRectF(-20, 12, 40, 90));
    p.setPen(QPen(s.dark.darker(120), 2));
    for (int y = 18; y < 100; y += 8)
        p.drawLine(QPointF(-20, y), QPointF(20, y + 4));
    p.setPen(QPen(s.accent, 5));
    p.drawLine(QPointF(0, 102), QPointF(0, 125));
    p.drawLine(QPointF(-14, 125), QPointF(8, 125));
    p.restore();
}

void drawBulb(QPainter &p, const Scheme &s)
{
    QRadialGradient glass(QPointF(240, 150), 110, QPointF(210, 115));
    glass.setColorAt(0, QColor(255, 255, 240, 250));
    glass.setColorAt(0.7, QColor(s.accent.red(), s.accent.green(), s.accent.blue(), 90));
    glass.setColorAt(1, QColor(120, 120, 120, 160));
    p.setPen(QPen(s.dark, 2));
    p.setBrush(glass);
    p.drawEllipse(QPointF(240, 150), 95, 105);
    p.setPen(QPen(QColor(0x7f, 0x6a, 0x2a), 3));
    QPainterPath filament;
    filament.moveTo(215, 210);
    filament.lineTo(215, 150);
    for (int i = 0; i < 6; ++i)
        filament.lineTo(220 + i * 8, 140 + (i % 2) * 14);
    filament.lineTo(265, 150);
    filament.lineTo(265, 210);
    p.setBrush(Qt::NoBrush);
    p.drawPath(filament);
    p.setPen(QPen(s.dark, 2));
    p.setBrush(metal(QPointF(195, 0), QPointF(285, 0), s.body));
    p.drawRect(QRectF(195, 245, 90, 55));
    p.setPen(QPen(s.dark.darker(120), 2));
    for (int y = 252; y < 300; y += 9)
        p.drawLine(QPointF(195, y), QPointF(285, y + 3));
    p.setBrush(s.dark);
    p.drawRoundedRect(QRectF(220, 300, 40, 22), 6, 6);
}

void drawSpring(QPainter &p, const Scheme &s)
{
    p.setBrush(Qt::NoBrush);
    for (int pass = 0; pass < 2; ++pass) {
        p.setPen(QPen(pass == 0 ? s.dark : s.accent, pass == 0 ? 16 : 10, Qt::SolidLine, Qt::RoundCap));
        for (int i = 0; i < 9; ++i) {
            const double y = 60 + i * 28;
            p.drawArc(QRectF(150, y, 180, 40), (pass == 0 ? 180 : 0) * 16, 180 * 16);
        }
    }
}

void drawBelt(QPainter &p, const Scheme &s)
{
    QPainterPath loop;
    loop.addRoundedRect(QRectF(70, 80, 340, 200), 100, 100);
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(QColor(0x22, 0x22, 0x22), 26));
    p.drawPath(loop);
    p.setPen(QPen(QColor(0x55, 0x55, 0x55), 3));
    const double length = loop.length();
    for (double d = 0; d < length; d += 14) {
        const double t = loop.percentAtLength(d);
        const QPointF pt = loop.pointAtPercent(t);
        const double angle = loop.angleAtPercent(t) * kPi / 180;
        const QPointF n(std::sin(angle) * 11, std::cos(angle) * 11);
        p.drawLine(pt - n, pt + n);
    }
    for (const QPointF &c : {QPointF(170, 180), QPointF(320, 180)}) {
        p.setPen(QPen(s.dark, 3));
        p.setBrush(metal(c - QPointF(50, 50), c + QPointF(50, 50), s.body));
        p.drawEllipse(c, 50, 50);
        p.setBrush(s.accent);
        p.drawEllipse(c, 14, 14);
    }
}

void drawBearing(QPainter &p, const Scheme &s)
{
    const QPointF c(240, 180);
    p.setPen(QPen(s.dark, 3));
    p.setBrush(metal(QPointF(100, 40), QPointF(380, 320), s.body));
    p.drawEllipse(c, 140, 140);
    p.setBrush(s.dark);
    p.drawEllipse(c, 112, 112);
    for (int i = 0; i < 12; ++i) {
        const double a = i * kPi / 6;
        QRadialGradient ball(QPointF(c.x() + 98 * std::cos(a) - 5, c.y() + 98 * std::sin(a) - 5), 16);
        ball.setColorAt(0, Qt::white);
        ball.setColorAt(1, s.body.darker(130));
        p.setBrush(ball);
        p.drawEllipse(QPointF(c.x() + 98 * std::cos(a), c.y() + 98 * std::sin(a)), 14, 14);
    }
    p.setBrush(metal(QPointF(160, 100), QPointF(320, 260), s.body.lighter(110)));
    p.drawEllipse(c, 82, 82);
    p.setBrush(QColor(0xf0, 0xf0, 0xf0));
    p.drawEllipse(c, 52, 52);
    p.setPen(QPen(s.accent, 4));
    p.setBrush(Qt::NoBrush);
    p.drawEllipse(c, 126, 126);
}

void drawShock(QPainter &p, const Scheme &s)
{
    p.save();
    p.translate(240, 180);
    p.rotate(-30);
    p.setPen(QPen(s.dark, 3));
    p.setBrush(metal(QPointF(0, -8), QPointF(0, 8), QColor(0xd0, 0xd3, 0xd6)));
    p.drawRect(QRectF(-40, -8, 150, 16));
    p.setBrush(metal(QPointF(0, -32), QPointF(0, 32), s.accent));
    p.drawRoundedRect(QRectF(-190, -32, 160, 64), 10, 10);
    p.setBrush(s.dark);
    for (double x : {-205.0, 125.0}) {
        p.drawEllipse(QPointF(x, 0), 22, 22);
        p.setBrush(QColor(0xee, 0xee, 0xee));
        p.drawEllipse(QPointF(x, 0), 9, 9);
        p.setBrush(s.dark);
    }
    p.drawRect(QRectF(-80, -38, 16, 76));
    p.restore();
}

void drawGear(QPainter &p, const Scheme &s, int teeth)
{
    const QPointF c(240, 180);
    QPolygonF gear;
    for (int i = 0; i < teeth * 4; ++i) {
        const double a = i * 2 * kPi / (teeth * 4);
        const double r = (i % 4 == 1 || i % 4 == 2) ? 150 : 124;
        gear << QPointF(c.x() + r * std::cos(a), c.y() + r * std::sin(a));
    }
    p.setPen(QPen(s.dark, 3));
    p.setBrush(metal(QPointF(90, 30), QPointF(390, 330), s.body));
    p.drawPolygon(gear);
    p.setBrush(s.body.darker(125));
    p.drawEllipse(c, 95, 95);
    p.setBrush(metal(QPointF(190, 130), QPointF(290, 230), s.accent));
    p.drawEllipse(c, 45, 45);
    p.setBrush(s.dark);
    p.drawEllipse(c, 16, 16);
}

void drawHose(QPainter &p, const Scheme &s)
{
    QPainterPath path;
    path.moveTo(70, 290);
    path.cubicTo(140, 60, 330, 320, 410, 70);
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(QColor(0x1e, 0x1e, 0x1e), 44, Qt::SolidLine, Qt::RoundCap));
    p.drawPath(path);
    p.setPen(QPen(QColor(0x44, 0x44, 0x44), 30, Qt::SolidLine, Qt::RoundCap));
    p.drawPath(path);
    for (double t : {0.04, 0.96}) {
        const QPointF pt = path.pointAtPercent(t);
        p.setPen(QPen(s.dark, 2));
        p.setBrush(metal(pt - QPointF(26, 26), pt + QPointF(26, 26), s.body));
        p.drawEllipse(pt, 28, 28);
        p.setBrush(s.accent);
        p.drawEllipse(pt, 8, 8);
    }
}

void drawWiper(QPainter &p, const Scheme &s)
{
    p.save();
    p.translate(240, 180);
    p.rotate(-18);
    p.setPen(QPen(s.dark, 2));
    p.setBrush(QColor(0x25, 0x25, 0x25));
    QPainterPath blade;
    blade.moveTo(-210, 8);
    blade.quadTo(0, -30, 210, 8);
    blade.lineTo(210, 20);
    blade.quadTo(0, -16, -210, 20);
    blade.closeSubpath();
    p.drawPath(blade);
    p.setBrush(metal(QPointF(0, -30), QPointF(0, 0), s.body));
    p.drawRoundedRect(QRectF(-30, -34, 60, 26), 6, 6);
    p.setBrush(s.accent);
    p.drawRect(QRectF(-12, -44, 24, 12));
    p.restore();
}

void drawBox(QPainter &p, const Scheme &s)
{
    const QPointF top[4] = {QPointF(240, 60), QPointF(390, 120), QPointF(240, 180), QPointF(90, 120)};
    const QPointF left[4] = {QPointF(90, 120), QPointF(240, 180), QPointF(240, 320), QPointF(90, 260)};
    const QPointF right[4] = {QPointF(240, 180), QPointF(390, 120), QPointF(390, 260), QPointF(240, 320)};
    p.setPen(QPen(s.dark, 3));
    p.setBrush(s.body.lighter(130));
    p.drawPolygon(top, 4);
    p.setBrush(s.body);
    p.drawPolygon(left, 4);
    p.setBrush(s.body.darker(130));
    p.drawPolygon(right, 4);
    p.setPen(QPen(s.accent, 12));
    p.drawLine(QPointF(100, 200), QPointF(230, 252));
    p.drawLine(QPointF(250, 252), QPointF(380, 200));
}

void drawBattery(QPainter &p, const Scheme &s)
{
    p.setPen(QPen(s.dark, 3));
    p.setBrush(metal(QPointF(90, 100), QPointF(390, 300), QColor(0x2d, 0x34, 0x36)));
    p.drawRoundedRect(QRectF(90, 110, 300, 190), 12, 12);
    p.setBrush(s.dark.darker(110));
    p.drawRect(QRectF(90, 110, 300, 30));
    p.setBrush(QColor(0xc0, 0x39, 0x2b));
    p.drawRect(QRectF(130, 86, 40, 26));
    p.setBrush(QColor(0x7f, 0x8c, 0x8d));
    p.drawRect(QRectF(310, 86, 40, 26));
    p.setPen(QPen(Qt::white, 6));
    p.drawLine(QPointF(135, 200), QPointF(165, 200));
    p.drawLine(QPointF(150, 185), QPointF(150, 215));
    p.drawLine(QPointF(315, 200), QPointF(345, 200));
    p.setPen(QPen(s.accent, 10));
    p.drawLine(QPointF(110, 270), QPointF(370, 270));
}

// Six levels of each primary plus 40 greys: enough for flat banner artwork without dithering.
QList<QRgb> gifPalette()
{
    QList<QRgb> palette;
    for (int r = 0; r < 6; ++r)
        for (int g = 0; g < 6; ++g)
            for (int b = 0; b < 6; ++b)
                palette << qRgb(r * 51, g * 51, b * 51);
    for (int i = 0; i < 40; ++i)
        palette << qRgb(i * 255 / 39, i * 255 / 39, i * 255 / 39);
    return palette;
}

int gifWrite(GifFileType *gif, const GifByteType *data, int length)
{
    static_cast<QByteArray *>(gif->UserData)->append(reinterpret_cast<const char *>(data), length);
    return length;
}

[[noreturn]] void gifFailed(const char *what, int error)
{
    throw std::runtime_error(std::string("GIF ") + what + ": " + GifErrorString(error));
}

using Glyph = std::array<const char *, 7>;

const Glyph *glyphFor(QChar c)
{
    static const Glyph letters[26] = {
        Glyph{"01110", "10001", "10001", "11111", "10001", "10001", "10001"},
        Glyph{"11110", "10001", "10001", "11110", "10001", "10001", "11110"},
        Glyph{"01110", "10001", "10000", "10000", "10000", "10001", "01110"},
        Glyph{"11110", "10001", "10001", "10001", "10001", "10001", "11110"},
        Glyph{"11111", "10000", "10000", "11110", "10000", "10000", "11111"},
        Glyph{"11111", "10000", "10000", "11110", "10000", "10000", "10000"},
        Glyph{"01110", "10001", "10000", "10111", "10001", "10001", "01111"},
        Glyph{"10001", "10001", "10001", "11111", "10001", "10001", "10001"},
        Glyph{"01110", "00100", "00100", "00100", "00100", "00100", "01110"},
        Glyph{"00111", "00010", "00010", "00010", "00010", "10010", "01100"},
        Glyph{"10001", "10010", "10100", "11000", "10100", "10010", "10001"},
        Glyph{"10000", "10000", "10000", "10000", "10000", "10000", "11111"},
        Glyph{"10001", "11011", "10101", "10101", "10001", "10001", "10001"},
        Glyph{"10001", "10001", "11001", "10101", "10011", "10001", "10001"},
        Glyph{"01110", "10001", "10001", "10001", "10001", "10001", "01110"},
        Glyph{"11110", "10001", "10001", "11110", "10000", "10000", "10000"},
        Glyph{"01110", "10001", "10001", "10001", "10101", "10010", "01101"},
        Glyph{"11110", "10001", "10001", "11110", "10100", "10010", "10001"},
        Glyph{"01111", "10000", "10000", "01110", "00001", "00001", "11110"},
        Glyph{"11111", "00100", "00100", "00100", "00100", "00100", "00100"},
        Glyph{"10001", "10001", "10001", "10001", "10001", "10001", "01110"},
        Glyph{"10001", "10001", "10001", "10001", "10001", "01010", "00100"},
        Glyph{"10001", "10001", "10001", "10101", "10101", "10101", "01010"},
        Glyph{"10001", "10001", "01010", "00100", "01010", "10001", "10001"},
        Glyph{"10001", "10001", "10001", "01010", "00100", "00100", "00100"},
        Glyph{"11111", "00001", "00010", "00100", "01000", "10000", "11111"},
    };
    static const Glyph digits[10] = {
        Glyph{"01110", "10001", "10011", "10101", "11001", "10001", "01110"},
        Glyph{"00100", "01100", "00100", "00100", "00100", "00100", "01110"},
        Glyph{"01110", "10001", "00001", "00010", "00100", "01000", "11111"},
        Glyph{"11111", "00010", "00100", "00010", "00001", "10001", "01110"},
        Glyph{"00010", "00110", "01010", "10010", "11111", "00010", "00010"},
        Glyph{"11111", "10000", "11110", "00001", "00001", "10001", "01110"},
        Glyph{"00110", "01000", "10000", "11110", "10001", "10001", "01110"},
        Glyph{"11111", "00001", "00010", "00100", "01000", "01000", "01000"},
        Glyph{"01110", "10001", "10001", "01110", "10001", "10001", "01110"},
        Glyph{"01110", "10001", "10001", "01111", "00001", "00010", "01100"},
    };
    static const Glyph percent{"11000", "11001", "00010", "00100", "01000", "10011", "00011"};
    static const Glyph minus{"00000", "00000", "00000", "11111", "00000", "00000", "00000"};
    static const Glyph plus{"00000", "00100", "00100", "11111", "00100", "00100", "00000"};
    static const Glyph dot{"00000", "00000", "00000", "00000", "00000", "01100", "01100"};
    static const Glyph bang{"00100", "00100", "00100", "00100", "00100", "00000", "00100"};
    static const Glyph colon{"00000", "01100", "01100", "00000", "01100", "01100", "00000"};
    static const Glyph blank{"00000", "00000", "00000", "00000", "00000", "00000", "00000"};
    const char16_t u = c.unicode();
    if (u >= u'A' && u <= u'Z')
        return &letters[u - u'A'];
    if (u >= u'0' && u <= u'9')
        return &digits[u - u'0'];
    switch (u) {
    case u'%': return &percent;
    case u'-': return &minus;
    case u'+': return &plus;
    case u'.': return &dot;
    case u'!': return &bang;
    case u':': return &colon;
    case u' ': return &blank;
    default: return nullptr;
    }
}

QImage gradientCanvas(int width, int height, const QColor &from, const QColor &to)
{
    QImage image(width, height, QImage::Format_RGB32);
    QPainter p(&image);
    QLinearGradient g(0, 0, 0, height);
    g.setColorAt(0, from);
    g.setColorAt(1, to);
    p.fillRect(image.rect(), g);
    return image;
}

} // namespace

QImage partPicture(PartShape shape, int variant)
{
    const Scheme s = scheme(variant);
    QImage image = gradientCanvas(480, 360, QColor(0xfd, 0xfd, 0xfd), QColor(0xe4, 0xe7, 0xeb));
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0, 0, 0, 28));
    p.drawEllipse(QPointF(240, 335), 170, 16);
    switch (shape) {
    case PartShape::Disc: drawDisc(p, s, variant == 2); break;
    case PartShape::Pad: drawPad(p, s); break;
    case PartShape::Filter: drawFilter(p, s); break;
    case PartShape::Panel: drawPanel(p, s); break;
    case PartShape::Plug: drawPlug(p, s); break;
    case PartShape::Bulb: drawBulb(p, s); break;
    case PartShape::Spring: drawSpring(p, s); break;
    case PartShape::Belt: drawBelt(p, s); break;
    case PartShape::Bearing: drawBearing(p, s); break;
    case PartShape::Shock: drawShock(p, s); break;
    case PartShape::Gear: drawGear(p, s, 12 + variant * 6); break;
    case PartShape::Hose: drawHose(p, s); break;
    case PartShape::Wiper: drawWiper(p, s); break;
    case PartShape::Box: drawBox(p, s); break;
    case PartShape::Battery: drawBattery(p, s); break;
    }
    // A small maker's mark in the corner keeps the variants of one shape apart.
    p.setPen(Qt::NoPen);
    p.setBrush(s.accent);
    p.drawRoundedRect(QRectF(440, 16, 24, 24), 5, 5);
    return image;
}

QByteArray jpegBytes(const QImage &image, int quality)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    if (!image.save(&buffer, "JPG", quality))
        throw std::runtime_error("no JPEG writer (Qt's jpeg image format plugin is missing)");
    return bytes;
}

int drawDotText(QImage &image, const QString &text, int x, int y, int dot, QRgb colour)
{
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor::fromRgb(colour));
    int cx = x;
    for (const QChar c : foldTurkish(text)) {
        const Glyph *g = glyphFor(c);
        if (!g)
            continue;
        for (int row = 0; row < 7; ++row)
            for (int col = 0; col < 5; ++col)
                if ((*g)[size_t(row)][col] == '1')
                    p.drawEllipse(QRectF(cx + col * dot, y + row * dot, dot * 0.85, dot * 0.85));
        cx += 6 * dot;
    }
    return cx - x;
}

QByteArray animatedGif(const std::vector<QImage> &frames, int delayCs)
{
    if (frames.empty())
        throw std::runtime_error("GIF without frames");
    const int width = frames.front().width();
    const int height = frames.front().height();
    const QList<QRgb> palette = gifPalette();

    QByteArray out;
    int error = 0;
    GifFileType *gif = EGifOpen(&out, gifWrite, &error);
    if (!gif)
        gifFailed("open", error);
    auto fail = [&](const char *what) {
        const int e = gif->Error;
        EGifCloseFile(gif, &error);
        gifFailed(what, e);
    };
    EGifSetGifVersion(gif, true);
    ColorMapObject *map = GifMakeMapObject(256, nullptr);
    for (int i = 0; i < 256; ++i) {
        const QRgb c = i < palette.size() ? palette[i] : qRgb(0, 0, 0);
        map->Colors[i] = GifColorType{GifByteType(qRed(c)), GifByteType(qGreen(c)), GifByteType(qBlue(c))};
    }
    const int screen = EGifPutScreenDesc(gif, width, height, 8, 0, map);
    GifFreeMapObject(map);
    if (screen == GIF_ERROR)
        fail("screen");
    // Loop forever (the Netscape application extension every viewer understands).
    static const GifByteType netscape[] = "NETSCAPE2.0";
    static const GifByteType loop[] = {1, 0, 0};
    if (EGifPutExtensionLeader(gif, APPLICATION_EXT_FUNC_CODE) == GIF_ERROR
        || EGifPutExtensionBlock(gif, 11, netscape) == GIF_ERROR
        || EGifPutExtensionBlock(gif, 3, loop) == GIF_ERROR
        || EGifPutExtensionTrailer(gif) == GIF_ERROR)
        fail("loop extension");
    for (const QImage &frame : frames) {
        QImage indexed = frame.scaled(width, height).convertToFormat(QImage::Format_Indexed8, palette, Qt::ThresholdDither);
        GraphicsControlBlock gcb{};
        gcb.DisposalMode = DISPOSE_DO_NOT;
        gcb.UserInputFlag = false;
        gcb.DelayTime = delayCs;
        gcb.TransparentColor = NO_TRANSPARENT_COLOR;
        GifByteType extension[4];
        const size_t length = EGifGCBToExtension(&gcb, extension);
        if (EGifPutExtension(gif, GRAPHICS_EXT_FUNC_CODE, int(length), extension) == GIF_ERROR)
            fail("frame delay");
        if (EGifPutImageDesc(gif, 0, 0, width, height, false, nullptr) == GIF_ERROR)
            fail("frame");
        // The palette of the conversion is the screen's: indexes map one to one.
        for (int y = 0; y < height; ++y) {
            if (EGifPutLine(gif, indexed.scanLine(y), width) == GIF_ERROR)
                fail("pixels");
        }
    }
    if (EGifCloseFile(gif, &error) == GIF_ERROR)
        gifFailed("close", error);
    return out;
}

QByteArray headerBannerGif()
{
    // 500 x 90: the distributor's name in amber dots, a gear turning beside it.
    std::vector<QImage> frames;
    for (int f = 0; f < 12; ++f) {
        QImage frame = gradientCanvas(500, 90, QColor(0x1f, 0x2a, 0x36), QColor(0x0b, 0x11, 0x18));
        drawDotText(frame, QStringLiteral("VEXOR"), 110, 14, 5, qRgb(255, 204, 0));
        drawDotText(frame, QStringLiteral("YEDEK PARCA"), 112, 56, 3, qRgb(204, 204, 204));
        QPainter p(&frame);
        p.setRenderHint(QPainter::Antialiasing);
        p.translate(50, 45);
        p.rotate(f * 5.0);
        QPolygonF gear;
        for (int i = 0; i < 40; ++i) {
            const double a = i * 2 * kPi / 40;
            const double r = (i % 4 == 1 || i % 4 == 2) ? 36 : 28;
            gear << QPointF(r * std::cos(a), r * std::sin(a));
        }
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(0x99, 0x99, 0x99));
        p.drawPolygon(gear);
        p.setBrush(QColor(0x1f, 0x2a, 0x36));
        p.drawEllipse(QPointF(0, 0), 12, 12);
        p.resetTransform();
        // A light sweeping over the text marks the frames apart.
        p.setBrush(QColor(255, 255, 255, 40));
        p.drawRect(QRectF(100 + f * 32, 0, 18, 90));
        frames.push_back(frame);
    }
    return animatedGif(frames, 12);
}

QByteArray stripBannerGif()
{
    // 1200 x 50: a campaign line running from right to left, LED style.
    const QString text = QStringLiteral("KAMPANYA!  FREN BALATA VE DISKLERINDE %20 INDIRIM  -  TRIGER SETLERINDE %15  -  VEXOR YEDEK PARCA");
    std::vector<QImage> frames;
    const int dot = 5;
    const int textWidth = int(foldTurkish(text).size()) * 6 * dot;
    const int frameCount = 30;
    for (int f = 0; f < frameCount; ++f) {
        QImage frame = gradientCanvas(1200, 50, QColor(0x30, 0x08, 0x08), QColor(0x10, 0x00, 0x00));
        const int x = 1200 - (f * (1200 + textWidth)) / frameCount;
        drawDotText(frame, text, x, 8, dot, qRgb(255, 51, 0));
        frames.push_back(frame);
    }
    return animatedGif(frames, 10);
}

QByteArray bottomBannerBmp()
{
    // 1600 x 36: brand marks and a line in dots; the client scrolls it.
    QImage image = gradientCanvas(1600, 36, QColor(0xec, 0xf0, 0xf1), QColor(0xbd, 0xc3, 0xc7));
    int x = 20;
    const QStringList items = {QStringLiteral("VEXOR"), QStringLiteral("ORIJINAL VE ESDEGER PARCA"),
                               QStringLiteral("AYNI GUN KARGO"), QStringLiteral("7/24 B2B SIPARIS"),
                               QStringLiteral("VEXOR"), QStringLiteral("GUVENILIR TEDARIK")};
    for (const QString &item : items) {
        x += drawDotText(image, item, x, 8, 3, item == QLatin1String("VEXOR") ? qRgb(192, 57, 43) : qRgb(44, 62, 80));
        QPainter p(&image);
        p.setRenderHint(QPainter::Antialiasing);
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(0x7f, 0x8c, 0x8d));
        p.drawEllipse(QPointF(x + 30, 18), 5, 5);
        x += 60;
    }
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    if (!image.save(&buffer, "BMP"))
        throw std::runtime_error("no BMP writer");
    return bytes;
}

QImage openingScreen(const QString &title, PartShape shape, int variant)
{
    QImage image = gradientCanvas(605, 405, QColor(0x2c, 0x3e, 0x50), QColor(0x1a, 0x25, 0x2f));
    {
        QPainter p(&image);
        p.setRenderHint(QPainter::SmoothPixmapTransform);
        p.drawImage(QRectF(125, 95, 440, 330), partPicture(shape, variant));
        p.fillRect(QRectF(0, 0, 605, 86), QColor(0, 0, 0, 150));
    }
    const int dot = std::clamp(560 / std::max<int>(1, int(foldTurkish(title).size()) * 6), 3, 9);
    drawDotText(image, title, 22, 20, dot, qRgb(255, 204, 0));
    return image;
}

} // namespace vexor
