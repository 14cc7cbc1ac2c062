#pragma once

#include <QColor>
#include <QIcon>
#include <QPixmap>
#include <QProxyStyle>
#include <QString>

class QApplication;

namespace vexor {

// Colours of the "Vexor" look.
namespace VexorColors {
inline constexpr QColor brand{169, 194, 51};      // the distributor's green
inline constexpr QColor dark{91, 82, 75};         // header panels, tab faces, grid headers
inline constexpr QColor darkHot{122, 111, 102};   // a tab under the mouse
inline constexpr QColor accent{30, 180, 223};     // counts, focus
inline constexpr QColor legendText{70, 70, 70};
} // namespace VexorColors

// The "Vexor" style: Fusion underneath, our tab faces, and the tab captions with counts
// (parseTabCaption) for every tab bar of the program.
class VexorStyle : public QProxyStyle
{
    Q_OBJECT

public:
    VexorStyle();

    void drawControl(ControlElement element, const QStyleOption *option, QPainter *painter,
                     const QWidget *widget = nullptr) const override;
    int styleHint(StyleHint hint, const QStyleOption *option = nullptr,
                  const QWidget *widget = nullptr,
                  QStyleHintReturn *returnData = nullptr) const override;
    void polish(QWidget *widget) override;
    using QProxyStyle::polish;
};

// Installs VexorStyle on the application (so every tab control draws its captions by the count
// rule, whatever happens next), then the style sheet stored in the resources under "VEXOR".
// Returns an empty text on success, otherwise what went wrong; the program then goes on with
// the default look of the widgets.
QString applyVexorStyle(QApplication &app);

// Resource paths of the style sheet and the busy-indicator animations.
QString vexorStyleSheetPath();
QString busyAnimationPath();       // 28-pixel spinner
QString smallBusyAnimationPath();  // 20-pixel spinner of the search bar
QString bannerPlaceholderPath();   // the header banner until the server sends one

// Our own pictures, drawn for this program.
QIcon vexorIcon(const QString &name);  // ":/vexor/icons/<name>.svg"
QPixmap vexorLogo(const QSize &size);
QPixmap loginBackground(const QSize &size);


} // namespace vexor
