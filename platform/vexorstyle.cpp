#include "vexorstyle.h"

#include "grid/gridcolours.h"

#include "tabbadge.h"

#include <QApplication>
#include <QFile>
#include <QPainter>
#include <QPainterPath>
#include <QStyleFactory>
#include <QStyleOptionTab>
#include <QSvgRenderer>
#include <QTabBar>

// Resources of a static library must be registered by name, outside any namespace.
static void initVexorResources()
{
    Q_INIT_RESOURCE(vexor);
}

namespace vexor {

namespace {

void ensureResources()
{
    static const bool registered = (initVexorResources(), true);
    Q_UNUSED(registered);
}

bool isHorizontalTab(QTabBar::Shape shape)
{
    return shape == QTabBar::RoundedNorth || shape == QTabBar::TriangularNorth
        || shape == QTabBar::RoundedSouth || shape == QTabBar::TriangularSouth;
}

void drawTabFace(const QStyleOptionTab *tab, QPainter *painter)
{
    const bool selected = tab->state & QStyle::State_Selected;
    const bool hot = (tab->state & QStyle::State_MouseOver) && (tab->state & QStyle::State_Enabled);
    const bool south = tab->shape == QTabBar::RoundedSouth || tab->shape == QTabBar::TriangularSouth;
    QColor face = selected ? VexorColors::brand : hot ? VexorColors::darkHot : VexorColors::dark;
    if (!(tab->state & QStyle::State_Enabled))
        face = face.lighter(130);

    // A small gap keeps neighbouring tabs apart; unselected tabs sit a little lower.
    QRectF r = QRectF(tab->rect).adjusted(1, selected ? 0 : 2, -1, 0);
    if (south)
        r = QRectF(tab->rect).adjusted(1, 0, -1, selected ? 0 : -2);
    constexpr qreal radius = 5;
    QPainterPath path;
    if (!south) {
        path.moveTo(r.bottomLeft());
        path.lineTo(r.left(), r.top() + radius);
        path.quadTo(r.topLeft(), QPointF(r.left() + radius, r.top()));
        path.lineTo(r.right() - radius, r.top());
        path.quadTo(r.topRight(), QPointF(r.right(), r.top() + radius));
        path.lineTo(r.bottomRight());
    } else {
        path.moveTo(r.topLeft());
        path.lineTo(r.left(), r.bottom() - radius);
        path.quadTo(r.bottomLeft(), QPointF(r.left() + radius, r.bottom()));
        path.lineTo(r.right() - radius, r.bottom());
        path.quadTo(r.bottomRight(), QPointF(r.right(), r.bottom() - radius));
        path.lineTo(r.topRight());
    }
    path.closeSubpath();

    painter->save();
    painter->setRenderHint(QPainter::Antialiasing);
    QLinearGradient gradient(r.topLeft(), r.bottomLeft());
    gradient.setColorAt(0, face.lighter(112));
    gradient.setColorAt(1, face);
    painter->fillPath(path, gradient);
    if (tab->state & QStyle::State_HasFocus) {
        // White, so that only a count ever shows in the accent colour.
        painter->setPen(QPen(QColor(255, 255, 255, 170), 2, Qt::DotLine));
        painter->drawPath(path);
    }
    painter->restore();
}

} // namespace


VexorStyle::VexorStyle()
    : QProxyStyle(QStyleFactory::create(QStringLiteral("Fusion")))
{
    setObjectName(QStringLiteral("VEXOR"));
}

void VexorStyle::drawControl(ControlElement element, const QStyleOption *option,
                             QPainter *painter, const QWidget *widget) const
{
    if (element == CE_TabBarTabShape) {
        if (const auto *tab = qstyleoption_cast<const QStyleOptionTab *>(option);
            tab && isHorizontalTab(tab->shape)) {
            drawTabFace(tab, painter);
            return;
        }
    }
    if (element == CE_TabBarTabLabel) {
        if (const auto *tab = qstyleoption_cast<const QStyleOptionTab *>(option)) {
            const TabCaption caption = parseTabCaption(tab->text);
            if (isHorizontalTab(tab->shape)) {
                drawTabCaption(painter, tab->rect, caption, tab->icon, tab->iconSize.width(),
                               Qt::white, tab->state & State_Enabled);
                return;
            }
            // Vertical tabs keep the toolkit's drawing, with the title only.
            QStyleOptionTab titled(*tab);
            titled.text = caption.title;
            QProxyStyle::drawControl(element, &titled, painter, widget);
            return;
        }
    }
    QProxyStyle::drawControl(element, option, painter, widget);
}

int VexorStyle::styleHint(StyleHint hint, const QStyleOption *option, const QWidget *widget,
                          QStyleHintReturn *returnData) const
{
    switch (hint) {
    case SH_TabBar_ElideMode:
        // The caption holds the count before its title; eliding it would cut the title.
        return Qt::ElideNone;
    case SH_Table_GridLineColor:
        // The grid component keeps the one set of grid colours.
        return int(GridColours{}.gridLines.rgba());
    default:
        return QProxyStyle::styleHint(hint, option, widget, returnData);
    }
}

void VexorStyle::polish(QWidget *widget)
{
    QProxyStyle::polish(widget);
    if (auto *tabBar = qobject_cast<QTabBar *>(widget)) {
        tabBar->setAttribute(Qt::WA_Hover);
        tabBar->setElideMode(Qt::ElideNone);
    }
}

QString vexorStyleSheetPath()
{
    ensureResources();
    return QStringLiteral(":/vexor/VEXOR.qss");
}

QString busyAnimationPath()
{
    ensureResources();
    return QStringLiteral(":/vexor/anim/busy28.gif");
}

QString smallBusyAnimationPath()
{
    ensureResources();
    return QStringLiteral(":/vexor/anim/busy20.gif");
}

QString bannerPlaceholderPath()
{
    ensureResources();
    return QStringLiteral(":/vexor/anim/banner.gif");
}

QString applyVexorStyle(QApplication &app)
{
    ensureResources();
    app.setStyle(new VexorStyle);
    QPalette palette = app.style()->standardPalette();
    palette.setColor(QPalette::Highlight, VexorColors::accent);
    app.setPalette(palette);

    QFile sheet(vexorStyleSheetPath());
    if (!sheet.open(QIODevice::ReadOnly))
        return QStringLiteral("\"VEXOR\" görsel stili bulunamadı: ") + sheet.errorString();
    const QString text = QString::fromUtf8(sheet.readAll());
    if (text.trimmed().isEmpty())
        return QStringLiteral("\"VEXOR\" görsel stili boş.");
    app.setStyleSheet(text);
    return QString();
}

QIcon vexorIcon(const QString &name)
{
    ensureResources();
    return QIcon(QStringLiteral(":/vexor/icons/") + name + QStringLiteral(".svg"));
}

namespace {

QPixmap renderSvg(const QString &path, const QSize &size)
{
    ensureResources();
    QSvgRenderer renderer(path);
    if (!renderer.isValid() || size.isEmpty())
        return QPixmap();
    QSize target = renderer.defaultSize();
    target.scale(size, Qt::KeepAspectRatio);
    QPixmap pixmap(target);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    renderer.render(&painter);
    return pixmap;
}

} // namespace

QPixmap vexorLogo(const QSize &size)
{
    return renderSvg(QStringLiteral(":/vexor/logo.svg"), size);
}

QPixmap loginBackground(const QSize &size)
{
    ensureResources();
    QSvgRenderer renderer(QStringLiteral(":/vexor/giris-arkaplan.svg"));
    QPixmap pixmap(size);
    pixmap.fill(VexorColors::dark);
    if (renderer.isValid()) {
        QPainter painter(&pixmap);
        renderer.render(&painter);
    }
    return pixmap;
}

} // namespace vexor
