#pragma once

#include "common/memtable.h"
#include "platform/grid/columns.h"
#include "platform/grid/gridcolours.h"
#include "platform/grid/rowops.h"

#include <QFrame>

#include <functional>
#include <memory>
#include <vector>

class QMenu;
class QScrollBar;
class QTreeView;

namespace vexor {

class GridModel;
class GridProxy;
class GroupModel;
class GridTree;
class GridHeader;
class GridDelegate;
class GridFooter;
class GridIndicator;

// The data grid of the client: shows an in-memory table through a declaration of columns,
// with the shared look (alternating rows, dark header, selection colour, grid lines, row
// indicator), a footer with sums and counts, header filter buttons, incremental search by
// typing, column customisation from the header's context menu, sorting by a header click,
// grouping by one column and export to a spreadsheet. Read-only: windows change the table
// (through a remote call and a reload) and attach it again or call refresh().
//
//     GridView *grid = new GridView(stokKolonlari(), this);
//     grid->detach();  grid->beginUpdate();      // a worker fills the table
//     ...
//     grid->setTable(&stok);  grid->endUpdate();  // the completion shows it
//
// Rows are addressed by their index in the table (currentRow(), rowDoubleClicked).
class GridView : public QFrame
{
    Q_OBJECT

public:
    explicit GridView(QWidget *parent = nullptr);
    explicit GridView(GridColumns columns, QWidget *parent = nullptr);
    ~GridView() override;

    void setColumns(GridColumns columns);
    // Declared columns, then the data's undeclared fields (hidden).
    const GridColumns &columns() const;
    // Column of a field, -1 when neither declared nor in the data.
    int columnIndex(QStringView field) const;

    // Attaches the table and shows it from its first row; nullptr detaches (a worker may then
    // refill the table). The table must outlive the attachment.
    void setTable(const MemTable *table);
    void detach() { setTable(nullptr); }
    const MemTable *table() const;
    // The attached table changed in place (marks set, values written): show it again,
    // keeping the focused row.
    void refresh();

    // Nested update lock: no painting, no width rule and no footer work until the last
    // endUpdate(), which then catches up once.
    void beginUpdate();
    void endUpdate();
    bool isUpdateLocked() const { return m_updateLock > 0; }

    void setColumnShown(QStringView field, bool shown);
    bool isColumnShown(QStringView field) const;
    // Whether column customisation offers the column; fixed columns are never offered.
    void setColumnOffered(QStringView field, bool offered);
    void setColumnWidth(QStringView field, int width);
    int columnWidth(QStringView field) const;
    std::vector<CustomisationEntry> customisationEntries() const;
    // The header's customisation menu, built for the current columns (shown on a right click
    // on the header).
    QMenu *createCustomisationMenu(QWidget *parent);

    void setRowHeight(int height);
    int rowHeight() const { return m_rowHeight; }
    void setHeaderHeight(int height);
    int headerHeight() const;
    void setHeaderVisible(bool visible);
    void setIndicatorVisible(bool visible);
    void setFooterVisible(bool visible);
    bool isFooterVisible() const;
    void setColours(const GridColours &colours);
    const GridColours &colours() const { return m_colours; }
    // Scrolls by pixels instead of whole rows (rows of pictures).
    void setPixelScrolling(bool pixels);

    void setSortingEnabled(bool enabled);
    bool isSortingEnabled() const;
    void setHeaderFiltersEnabled(bool enabled);
    bool headerFiltersEnabled() const { return m_headerFilters; }
    void setIncrementalSearchEnabled(bool enabled);
    void setCustomisationEnabled(bool enabled) { m_customisation = enabled; }
    // Shown on a right click on a row, after the row was focused.
    void setRowMenu(QMenu *menu) { m_rowMenu = menu; }

    // Empty field: the table's order.
    void sortByColumn(QStringView field, Qt::SortOrder order = Qt::AscendingOrder);
    void setHeaderFilter(QStringView field, const HeaderFilter &filter);
    HeaderFilter headerFilter(QStringView field) const;
    void clearHeaderFilters();
    // The values the field's header filter offers now.
    std::vector<FilterValue> headerFilterValues(QStringView field) const;
    // Opens the filter list of a column under its header (the header's filter button).
    void showHeaderFilter(int column);

    // Footer over the rows that pass the filters; empty for columns without a summary.
    QString footerText(QStringView field) const;
    SummaryValue footerValue(QStringView field) const;
    QString footerText(int column) const;

    // Width rules. The rule runs on every resize while the grid is enabled and not locked, and
    // after columns are shown or hidden. Empty: widths change only by hand.
    using WidthRule = std::function<void(GridView &grid)>;
    void setWidthRule(WidthRule rule);
    // Proportional by weights when the screen is wider than 1152 pixels, best fit otherwise.
    static WidthRule screenWidthRule();
    // Always proportional by weights.
    static WidthRule weightsRule();
    void applyWidthRule();
    // The screen rule for a given screen width.
    void applyScreenWidthRule(int screenWidth);
    // Every visible column to weight x truncate((grid width - 30) / sum of visible weights).
    void applyProportionalWidths();
    // Every visible column to its content (header text included).
    void bestFit();

    // Groups the rows by a column (empty: no grouping); groups start collapsed.
    void setGroupColumn(QStringView field);
    QString groupColumn() const;
    int groupCount() const;
    void collapseAll();
    void expandAll();
    bool isGroupExpanded(int group) const;
    void setGroupExpanded(int group, bool expanded);

    // Rows that pass the filters, and their table rows in the order shown (group after group
    // when grouped).
    int rowCount() const;
    std::vector<int> shownTableRows() const;
    // Table row of the focused data row; -1 when none (or a group row is focused).
    int currentRow() const;
    // Focuses a table row (opening its group); false when it is filtered out.
    bool setCurrentRow(int tableRow);
    // Column of the focused cell; the incremental search types into it.
    QString currentField() const;
    void setCurrentField(QStringView field);

    // The text typed so far by incremental search.
    QString searchText() const { return m_search; }

    // "Excel Kaydet": asks for a file with the filter "Excel|*.xls*" and writes the grid;
    // false when the user cancelled. Throws when the file cannot be written.
    bool excelKaydet();
    // Writes the whole grid as displayed: visible columns, every row that passes the filters
    // in the order shown, groups expanded with their header and footer rows, the footer.
    void exportWorkbook(const QString &path) const;

    // The parts, for windows that need more than the above.
    QTreeView *treeView() const;
    GridModel *model() const { return m_model; }
    GridProxy *proxy() const { return m_proxy; }
    GroupModel *groupModel() const { return m_groups; }

signals:
    void rowDoubleClicked(int tableRow, const QString &field);
    void currentRowChanged(int tableRow);
    void filtersChanged();

protected:
    void resizeEvent(QResizeEvent *event) override;

private:
    friend class GridTree;
    friend class GridDelegate;
    friend class GridHeader;
    friend class GridFooter;
    friend class GridIndicator;

    void build();
    void useViewModel();
    void viewModelAboutToReset();
    void viewModelReset();
    void applyColumnState();
    void recomputeFooter();
    void widthRuleDue();
    void runWidthRule();
    int searchColumn() const;
    bool typeSearch(const QString &text);
    bool searchAgain(int step);
    void clearSearch();
    void onCurrentChanged();
    void showRowMenu(const QPoint &pos);
    void showHeaderMenu(const QPoint &pos);
    void headerClicked(int column);
    QModelIndex indexOfTableRow(int tableRow, int column) const;
    int firstVisibleColumn() const;
    bool focusRow(int tableRow, int column);
    int measureColumn(int column) const;

    GridModel *m_model = nullptr;
    GridProxy *m_proxy = nullptr;
    GroupModel *m_groups = nullptr;
    GridTree *m_tree = nullptr;
    GridHeader *m_header = nullptr;
    GridDelegate *m_delegate = nullptr;
    GridFooter *m_footer = nullptr;
    GridIndicator *m_indicator = nullptr;
    QWidget *m_footerCorner = nullptr;
    QScrollBar *m_hscroll = nullptr;
    QMenu *m_rowMenu = nullptr;

    GridColours m_colours;
    int m_rowHeight = 60;
    int m_updateLock = 0;
    bool m_footerDirty = false;
    bool m_widthRuleDue = false;
    bool m_headerFilters = true;
    bool m_incrementalSearch = true;
    bool m_customisation = true;
    bool m_attaching = false;
    bool m_searchMoving = false;
    WidthRule m_widthRule;
    std::vector<SummaryValue> m_footerValues;
    std::vector<QMetaObject::Connection> m_viewConnections;

    QString m_search;
    int m_restoreRow = -1;
    int m_restoreColumn = -1;
    QStringList m_expandedGroups;
};

} // namespace vexor
