#include "marquee.h"

#include <QEvent>
#include <QFontMetrics>
#include <QPainter>

namespace vexor {

namespace {

struct Style
{
    QString tag;  // the tag that opened it, lower case
    bool bold = false;
    bool italic = false;
    bool underline = false;
    QColor color;
};

QString decodeEntity(const QString &name)
{
    if (name.startsWith(u'#')) {
        bool ok = false;
        const uint code = name.startsWith(QLatin1String("#x"), Qt::CaseInsensitive)
            ? name.mid(2).toUInt(&ok, 16)
            : name.mid(1).toUInt(&ok, 10);
        if (!ok || code == 0 || code > 0x10FFFF)
            return QString();
        const char32_t ch = code;
        return QString::fromUcs4(&ch, 1);
    }
    const QString lower = name.toLower();
    if (lower == u"amp") return QStringLiteral("&");
    if (lower == u"lt") return QStringLiteral("<");
    if (lower == u"gt") return QStringLiteral(">");
    if (lower == u"quot") return QStringLiteral("\"");
    if (lower == u"apos") return QStringLiteral("'");
    if (lower == u"nbsp") return QString(QChar(0x00A0));
    return QString();
}

// Reads attribute="value", attribute='value' and attribute=value pairs of one tag.
QString attributeValue(const QString &tagBody, const QString &attribute)
{
    qsizetype i = 0;
    const qsizetype n = tagBody.size();
    // Skip the tag name.
    while (i < n && !tagBody[i].isSpace())
        ++i;
    while (i < n) {
        while (i < n && tagBody[i].isSpace())
            ++i;
        const qsizetype nameStart = i;
        while (i < n && tagBody[i] != u'=' && !tagBody[i].isSpace())
            ++i;
        const QString name = tagBody.mid(nameStart, i - nameStart).toLower();
        while (i < n && tagBody[i].isSpace())
            ++i;
        QString value;
        if (i < n && tagBody[i] == u'=') {
            ++i;
            while (i < n && tagBody[i].isSpace())
                ++i;
            if (i < n && (tagBody[i] == u'"' || tagBody[i] == u'\'')) {
                const QChar quote = tagBody[i++];
                const qsizetype valueStart = i;
                while (i < n && tagBody[i] != quote)
                    ++i;
                value = tagBody.mid(valueStart, i - valueStart);
                ++i;
            } else {
                const qsizetype valueStart = i;
                while (i < n && !tagBody[i].isSpace())
                    ++i;
                value = tagBody.mid(valueStart, i - valueStart);
            }
        }
        if (name == attribute)
            return value;
        if (name.isEmpty())
            ++i;
    }
    return QString();
}

class RunBuilder
{
public:
    void addText(const QString &text, const Style &style)
    {
        for (const QChar ch : text) {
            const bool blank = ch.isSpace() && ch != QChar(0x00A0);
            if (blank) {
                if (m_lastWasBlank)
                    continue;
                m_lastWasBlank = true;
                append(QStringLiteral(" "), style);
            } else {
                m_lastWasBlank = false;
                append(QString(ch), style);
            }
        }
    }
    void addLiteral(const QString &text, const Style &style)
    {
        if (text.isEmpty())
            return;
        m_lastWasBlank = false;
        append(text, style);
    }
    QList<MarqueeRun> take() { return std::move(m_runs); }

private:
    void append(const QString &text, const Style &style)
    {
        if (!m_runs.isEmpty()) {
            MarqueeRun &last = m_runs.last();
            if (last.bold == style.bold && last.italic == style.italic
                && last.underline == style.underline && last.color == style.color) {
                last.text += text;
                return;
            }
        }
        m_runs.append({text, style.bold, style.italic, style.underline, style.color});
    }

    QList<MarqueeRun> m_runs;
    bool m_lastWasBlank = false;
};

} // namespace

QList<MarqueeRun> parseMarqueeHtml(const QString &html)
{
    QList<Style> stack{Style{}};
    RunBuilder builder;
    QString pending;
    auto flush = [&] {
        builder.addText(pending, stack.last());
        pending.clear();
    };

    const qsizetype n = html.size();
    qsizetype i = 0;
    while (i < n) {
        const QChar ch = html[i];
        if (ch == u'<') {
            const qsizetype close = html.indexOf(u'>', i + 1);
            if (close < 0) {
                pending += html.mid(i);
                break;
            }
            flush();
            QString body = html.mid(i + 1, close - i - 1).trimmed();
            i = close + 1;
            const bool closing = body.startsWith(u'/');
            if (closing)
                body = body.mid(1).trimmed();
            if (body.endsWith(u'/'))
                body.chop(1);
            qsizetype nameEnd = 0;
            while (nameEnd < body.size() && !body[nameEnd].isSpace())
                ++nameEnd;
            const QString name = body.left(nameEnd).toLower();
            if (name == u"br" || name == u"p") {
                if (!closing || name == u"p")
                    builder.addText(QStringLiteral(" "), stack.last());
                continue;
            }
            const bool known = name == u"b" || name == u"strong" || name == u"i" || name == u"em"
                || name == u"u" || name == u"font";
            if (!known)
                continue;
            if (closing) {
                for (qsizetype s = stack.size() - 1; s > 0; --s) {
                    if (stack[s].tag == name) {
                        stack.resize(s);
                        break;
                    }
                }
                continue;
            }
            Style style = stack.last();
            style.tag = name;
            if (name == u"b" || name == u"strong")
                style.bold = true;
            else if (name == u"i" || name == u"em")
                style.italic = true;
            else if (name == u"u")
                style.underline = true;
            else {
                const QColor color = QColor::fromString(attributeValue(body, QStringLiteral("color")).trimmed());
                if (color.isValid())
                    style.color = color;
            }
            stack.append(style);
        } else if (ch == u'&') {
            const qsizetype semicolon = html.indexOf(u';', i + 1);
            const QString decoded = semicolon > i && semicolon - i <= 10
                ? decodeEntity(html.mid(i + 1, semicolon - i - 1))
                : QString();
            if (decoded.isEmpty()) {
                pending += ch;
                ++i;
            } else {
                flush();
                builder.addLiteral(decoded, stack.last());
                i = semicolon + 1;
            }
        } else {
            pending += ch;
            ++i;
        }
    }
    flush();
    return builder.take();
}

Marquee::Marquee(QWidget *parent)
    : QWidget(parent)
{
    m_timer.setInterval(16);
    m_timer.setTimerType(Qt::PreciseTimer);
    connect(&m_timer, &QTimer::timeout, this, &Marquee::advance);
}

void Marquee::addHtmlItem(const QString &html)
{
    m_items.append(TextItem{parseMarqueeHtml(html)});
    update();
}

void Marquee::addPictureItem(const QPixmap &picture)
{
    m_items.append(picture);
    update();
}

void Marquee::clearItems()
{
    m_items.clear();
    update();
}

void Marquee::start()
{
    m_offset = width();
    m_clock.start();
    m_timer.start();
    update();
}

void Marquee::stop()
{
    m_timer.stop();
    update();
}

void Marquee::setItemSpacing(int pixels)
{
    m_itemSpacing = qMax(0, pixels);
    update();
}

void Marquee::setSpeed(int pixelsPerSecond)
{
    m_speed = qMax(1, pixelsPerSecond);
}

QFont Marquee::runFont(const MarqueeRun &run) const
{
    QFont f = font();
    if (run.bold)
        f.setBold(true);
    if (run.italic)
        f.setItalic(true);
    if (run.underline)
        f.setUnderline(true);
    return f;
}

int Marquee::itemWidth(const Item &item) const
{
    if (const auto *picture = std::get_if<QPixmap>(&item))
        return int(picture->width() / picture->devicePixelRatio());
    int width = 0;
    for (const MarqueeRun &run : std::get<TextItem>(item).runs)
        width += QFontMetrics(runFont(run)).horizontalAdvance(run.text);
    return width;
}

int Marquee::contentWidth() const
{
    int total = 0;
    for (const Item &item : m_items)
        total += itemWidth(item) + m_itemSpacing;
    return total;
}

void Marquee::advance()
{
    const qint64 elapsed = m_clock.restart();
    m_offset -= m_speed * double(elapsed) / 1000.0;
    if (m_offset < -contentWidth())
        m_offset = width();
    update();
}

void Marquee::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::TextAntialiasing);
    double x = m_offset;
    const int h = height();
    for (const Item &item : m_items) {
        const int w = itemWidth(item);
        if (x + w >= 0 && x <= width()) {
            if (const auto *picture = std::get_if<QPixmap>(&item)) {
                const int ph = int(picture->height() / picture->devicePixelRatio());
                painter.drawPixmap(QPointF(x, (h - ph) / 2.0), *picture);
            } else {
                double runX = x;
                for (const MarqueeRun &run : std::get<TextItem>(item).runs) {
                    const QFont f = runFont(run);
                    const QFontMetrics metrics(f);
                    painter.setFont(f);
                    painter.setPen(run.color.isValid() ? run.color : palette().color(foregroundRole()));
                    const double baseline = (h - metrics.height()) / 2.0 + metrics.ascent();
                    painter.drawText(QPointF(runX, baseline), run.text);
                    runX += metrics.horizontalAdvance(run.text);
                }
            }
        }
        x += w + m_itemSpacing;
    }
}

void Marquee::changeEvent(QEvent *event)
{
    if (event->type() == QEvent::FontChange)
        update();
    QWidget::changeEvent(event);
}

} // namespace vexor
