#include "tabbadge.h"

#include <QPainter>
#include <QRect>

#include <climits>
#include <cmath>

namespace vexor {

namespace {

constexpr int kTitleLimit = 100;
constexpr int kVerticalInset = 5;
constexpr int kIconMargin = 6;

} // namespace

TabCaption parseTabCaption(const QString &caption)
{
    const qsizetype equals = caption.indexOf(u'=');
    if (equals < 0)
        return {caption, 0};
    TabCaption parsed;
    parsed.title = caption.mid(equals + 1, kTitleLimit);
    bool ok = false;
    const int count = caption.left(equals).toInt(&ok);
    parsed.count = ok && count > 0 ? count : 0;
    return parsed;
}

QString countCaption(int count, const QString &title)
{
    return QString::number(count) + u'=' + title;
}

int wholeCount(double amount)
{
    if (!(amount > 0))  // also NaN
        return 0;
    const double up = std::ceil(amount);
    return up >= double(INT_MAX) ? INT_MAX : int(up);
}

QString balanceCaption(double amount, const QString &title)
{
    return countCaption(wholeCount(amount), title);
}

void drawTabCaption(QPainter *painter, const QRect &tabRect, const TabCaption &caption,
                    const QIcon &icon, int iconExtent, const QColor &textColor, bool enabled)
{
    painter->save();
    QRect textRect = tabRect.adjusted(0, kVerticalInset, 0, -kVerticalInset);

    if (!icon.isNull() && iconExtent > 0) {
        const QRect iconRect(tabRect.left() + kIconMargin,
                             tabRect.top() + (tabRect.height() - iconExtent) / 2, iconExtent,
                             iconExtent);
        icon.paint(painter, iconRect, Qt::AlignCenter, enabled ? QIcon::Normal : QIcon::Disabled);
        textRect.setLeft(iconRect.right() + 1);
    }

    QColor color = textColor;
    if (!enabled)
        color.setAlpha(128);
    painter->setPen(color);
    painter->drawText(textRect.adjusted(2, 0, -2, 0),
                      Qt::AlignCenter | Qt::TextWordWrap | Qt::TextHideMnemonic, caption.title);

    if (caption.hasBadge()) {
        QFont small = painter->font();
        small.setBold(true);
        if (small.pixelSize() > 0)
            small.setPixelSize(qMax(9, small.pixelSize() - 2));
        else
            small.setPointSizeF(qMax(7.0, small.pointSizeF() - 1.5));
        painter->setFont(small);
        painter->setPen(kTabBadgeColor);
        const QRect corner = tabRect.adjusted(0, 1, -4, 0);
        painter->drawText(corner, Qt::AlignTop | Qt::AlignRight,
                          u'(' + QString::number(caption.count) + u')');
    }
    painter->restore();
}

} // namespace vexor
