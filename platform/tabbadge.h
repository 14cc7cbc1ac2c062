#pragma once

#include <QColor>
#include <QIcon>
#include <QString>

class QPainter;
class QRect;

namespace vexor {

// A tab caption may carry a count: "<count>=<title>", for instance "12=Stok Listesi". The tab
// row shows the title and, when the count is a whole number greater than 0, the count in
// parentheses in the tab's top-right corner.
struct TabCaption
{
    QString title;
    int count = 0;  // 0 when there is no count to show

    bool hasBadge() const { return count > 0; }
    bool operator==(const TabCaption &) const = default;
};

// The title is the text after the first "=", at most 100 characters; a caption without "=" is
// all title. The text before the "=" counts only when it is a whole number in the int range;
// anything else ("12.5", "x", "", "-3") shows no count.
TabCaption parseTabCaption(const QString &caption);

// The caption a loaded tab gets: the count, "=" and the title.
QString countCaption(int count, const QString &title);

// A count for an amount with decimals (an open balance): the smallest whole number not below
// it, so that any positive amount shows; 0 for nothing or less, at most INT_MAX.
int wholeCount(double amount);
QString balanceCaption(double amount, const QString &title);

// Light-blue accent of the count.
inline constexpr QColor kTabBadgeColor{30, 180, 223};

// Draws a parsed caption into a tab's label area: the icon on the left, vertically centred;
// the title centred both ways, word-wrapped, in the rest of the rectangle inset 5 pixels at
// top and bottom; the count in the top-right corner. Used by the style for every tab bar.
void drawTabCaption(QPainter *painter, const QRect &tabRect, const TabCaption &caption,
                    const QIcon &icon, int iconExtent, const QColor &textColor, bool enabled);

} // namespace vexor
