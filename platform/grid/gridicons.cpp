#include "gridicons.h"

#include <QHash>
#include <QPainter>
#include <QSvgRenderer>

// Resources of a static library must be registered by name, outside any namespace.
static void initGridResources()
{
    Q_INIT_RESOURCE(grid);
}

namespace vexor {

namespace {

QString resourceOf(GridIcon icon)
{
    switch (icon) {
    case GridIcon::StatusVar: return QStringLiteral(":/grid/durum-var.svg");
    case GridIcon::StatusYok: return QStringLiteral(":/grid/durum-yok.svg");
    case GridIcon::StatusTelefon: return QStringLiteral(":/grid/durum-telefon.svg");
    case GridIcon::StatusYolda: return QStringLiteral(":/grid/durum-yolda.svg");
    case GridIcon::StatusOzelSiparis: return QStringLiteral(":/grid/durum-ozelsiparis.svg");
    case GridIcon::StatusTedarik: return QStringLiteral(":/grid/durum-tedarik.svg");
    case GridIcon::Yes: return QStringLiteral(":/grid/evet.svg");
    case GridIcon::No: return QStringLiteral(":/grid/hayir.svg");
    case GridIcon::Picture: return QStringLiteral(":/grid/resim.svg");
    }
    return QString();
}

} // namespace

QPixmap gridPixmap(GridIcon icon, int size, qreal devicePixelRatio)
{
    static QHash<QString, QPixmap> cache;
    static const bool registered = (initGridResources(), true);
    Q_UNUSED(registered);

    const QString key = resourceOf(icon) + u'@' + QString::number(size) + u'x' + QString::number(devicePixelRatio);
    if (const auto it = cache.constFind(key); it != cache.constEnd())
        return *it;
    QSvgRenderer renderer(resourceOf(icon));
    const int pixels = qRound(size * devicePixelRatio);
    QPixmap pixmap(pixels, pixels);
    pixmap.fill(Qt::transparent);
    {
        QPainter painter(&pixmap);
        painter.setRenderHint(QPainter::Antialiasing);
        renderer.render(&painter);
    }
    pixmap.setDevicePixelRatio(devicePixelRatio);
    cache.insert(key, pixmap);
    return pixmap;
}

QIcon gridIcon(GridIcon icon)
{
    static QHash<int, QIcon> icons;
    QIcon &result = icons[int(icon)];
    if (result.isNull()) {
        for (int size : {16, 24, 48})
            result.addPixmap(gridPixmap(icon, size));
    }
    return result;
}

std::optional<GridIcon> statusIcon(qint64 code)
{
    switch (code) {
    case 0: return GridIcon::StatusYok;
    case 1: return GridIcon::StatusVar;
    case 2: return GridIcon::StatusTelefon;
    case 3: return GridIcon::StatusYolda;
    case 4: return GridIcon::StatusOzelSiparis;
    case 5: return GridIcon::StatusTedarik;
    default: return std::nullopt;
    }
}

QString statusText(qint64 code)
{
    switch (code) {
    case 0: return QStringLiteral("Yok");
    case 1: return QStringLiteral("Var");
    case 2: return QStringLiteral("Telefon Açınız");
    case 3: return QStringLiteral("Yolda");
    case 4: return QStringLiteral("Özel Sipariş");
    case 5: return QStringLiteral("Tedarik Sürecinde");
    default: return QString();
    }
}

QString statusLegendText(qint64 code)
{
    return code == 1 ? QStringLiteral("Stok mevcut") : statusText(code);
}

} // namespace vexor
