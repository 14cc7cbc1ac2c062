#pragma once

// The pieces GridView is made of. Not for windows: they use GridView.

#include "platform/grid/gridview.h"

#include <QAbstractListModel>
#include <QFont>
#include <QHeaderView>
#include <QStyledItemDelegate>
#include <QTreeView>

class QLineEdit;
class QListView;

namespace vexor {

// The font a value that is not wrapped is drawn with in a cell or the footer: the cell's own
// when the text fits `width`, else smaller in steps down to 60 % of it, so that an amount is
// shown whole rather than with some of its digits cut off (only what does not fit even then
// is elided).
QFont fittingFont(const QFont &font, const QString &text, int width);

// The row area: a tree so that the same view shows flat rows and groups. Uniform row heights
// keep 100,000 rows cheap; typing goes to the grid's incremental search.
class GridTree final : public QTreeView
{
    Q_OBJECT

public:
    explicit GridTree(GridView *grid);

    void keyboardSearch(const QString &) override {}

protected:
    void keyPressEvent(QKeyEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;
    void contextMenuEvent(QContextMenuEvent *event) override;
    void currentChanged(const QModelIndex &current, const QModelIndex &previous) override;
    void scrollContentsBy(int dx, int dy) override;
    void updateGeometries() override;

private:
    GridView *m_grid;
};

// Column headers in the header colour with white, centred, wrapped captions, the sort
// direction and, on filterable columns, a filter button.
class GridHeader final : public QHeaderView
{
    Q_OBJECT

public:
    explicit GridHeader(GridView *grid);

    void setHeight(int height);
    QSize sizeHint() const override;
    bool isFilterable(int column) const;
    // Where the filter button of a column is drawn, in header coordinates.
    QRect filterButtonRect(int column) const;

protected:
    void paintSection(QPainter *painter, const QRect &rect, int logicalIndex) const override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;

private:
    QRect buttonRectIn(const QRect &section) const;
    int buttonAt(const QPoint &pos) const;

    GridView *m_grid;
    int m_height = 40;
    int m_pressedButton = -1;
};

// Paints every cell: background by selection and row parity, then text, icon, check box,
// picture or the column's own drawing, then the grid lines. Reads the table directly.
class GridDelegate final : public QStyledItemDelegate
{
    Q_OBJECT

public:
    explicit GridDelegate(GridView *grid);

    void paint(QPainter *painter, const QStyleOptionViewItem &option, const QModelIndex &index) const override;
    QSize sizeHint(const QStyleOptionViewItem &option, const QModelIndex &index) const override;

    // Inner margin of cell content, left and right.
    static constexpr int kPadding = 4;

private:
    void paintData(QPainter *painter, const QStyleOptionViewItem &option, int tableRow, int column,
                   const QColor &background, const QColor &foreground) const;

    GridView *m_grid;
};

// The footer row under the rows, cell for cell under the header's sections.
class GridFooter final : public QWidget
{
    Q_OBJECT

public:
    explicit GridFooter(GridView *grid);

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    GridView *m_grid;
};

// The narrow strip left of the rows that marks the focused row.
class GridIndicator final : public QWidget
{
    Q_OBJECT

public:
    explicit GridIndicator(GridView *grid);

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    GridView *m_grid;
};

// The distinct values of a header filter with their check boxes.
class FilterValuesModel final : public QAbstractListModel
{
    Q_OBJECT

public:
    FilterValuesModel(std::vector<FilterValue> values, const HeaderFilter &current, QObject *parent);

    std::vector<CellKey> checkedKeys() const;

    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    bool setData(const QModelIndex &index, const QVariant &value, int role = Qt::EditRole) override;
    Qt::ItemFlags flags(const QModelIndex &index) const override;

private:
    std::vector<FilterValue> m_values;
    std::vector<bool> m_checked;
};

// The drop-down of a header filter button: a custom text ("contains"), the column's distinct
// values to tick, and "Temizle". Every tick filters at once.
class HeaderFilterPopup final : public QFrame
{
    Q_OBJECT

public:
    HeaderFilterPopup(GridView *grid, int column);

private:
    GridView *m_grid;
    int m_column;
    QLineEdit *m_text;
    QListView *m_list;
    FilterValuesModel *m_values;
};

} // namespace vexor
