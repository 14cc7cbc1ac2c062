#pragma once

#include <QColor>
#include <QElapsedTimer>
#include <QList>
#include <QPixmap>
#include <QString>
#include <QTimer>
#include <QWidget>

#include <variant>

namespace vexor {

// One run of text of the same look, from the marquee's simple HTML.
struct MarqueeRun
{
    QString text;
    bool bold = false;
    bool italic = false;
    bool underline = false;
    QColor color;  // invalid: the widget's text colour

    bool operator==(const MarqueeRun &) const = default;
};

// The simple HTML a news item may carry, turned into runs. Understood:
//   <b> <strong>   bold             <i> <em>   italic            <u>   underlined
//   <font color="#rrggbb" | color="name">  colour ("#rgb", "#rrggbb" or an SVG colour name)
//   <br> <br/> <p>  a blank (the line is one line)
//   &amp; &lt; &gt; &quot; &apos; &nbsp; &#N; &#xH;
// Tag and attribute names ignore case. Runs of white space shrink to one blank, as in HTML.
// Any other tag is dropped and its text kept; a closing tag ends the innermost open tag of its
// name (and the ones opened inside it); tags still open at the end simply end there. A "<"
// without a closing ">" is text. Adjacent runs of the same look are merged; empty runs are
// left out.
QList<MarqueeRun> parseMarqueeHtml(const QString &html);

// A single-line strip that scrolls its items from right to left, endlessly: text items in
// the simple HTML above and picture items. Items follow one another with `itemSpacing` pixels
// between them; when the last one has left on the left, the first comes in again on the right.
class Marquee : public QWidget
{
    Q_OBJECT

public:
    explicit Marquee(QWidget *parent = nullptr);

    void addHtmlItem(const QString &html);
    void addPictureItem(const QPixmap &picture);
    void clearItems();
    int itemCount() const { return int(m_items.size()); }

    // Stopped, nothing moves; started, the items enter from the right edge.
    void start();
    void stop();
    bool isActive() const { return m_timer.isActive(); }

    int itemSpacing() const { return m_itemSpacing; }
    void setItemSpacing(int pixels);
    // Scrolling speed in pixels per second.
    int speed() const { return m_speed; }
    void setSpeed(int pixelsPerSecond);

    // Width of all items with their spacing, for the layout of one pass.
    int contentWidth() const;

protected:
    void paintEvent(QPaintEvent *event) override;
    void changeEvent(QEvent *event) override;

private:
    struct TextItem
    {
        QList<MarqueeRun> runs;
    };
    using Item = std::variant<TextItem, QPixmap>;

    void advance();
    int itemWidth(const Item &item) const;
    QFont runFont(const MarqueeRun &run) const;

    QList<Item> m_items;
    QTimer m_timer;
    QElapsedTimer m_clock;
    double m_offset = 0;  // left edge of the first item, relative to the widget
    int m_itemSpacing = 5;
    int m_speed = 60;
};

} // namespace vexor
