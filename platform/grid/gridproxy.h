#pragma once

#include "platform/grid/gridmodel.h"
#include "platform/grid/rowops.h"

#include <QAbstractProxyModel>

#include <map>
#include <vector>

namespace vexor {

// Header filters and sorting over a GridModel, as a permutation of table rows: sorting
// orders all rows of the table once (on raw values, read typed), filtering keeps the rows of
// that order that pass, and nothing is copied but row numbers. Sorting is a layout change
// (selection and current row follow their rows); a filter change resets.
class GridProxy : public QAbstractProxyModel
{
    Q_OBJECT

public:
    explicit GridProxy(QObject *parent = nullptr);

    // Takes a GridModel; anything else is refused.
    void setSourceModel(QAbstractItemModel *source) override;
    GridModel *gridModel() const { return m_model; }

    // Off: headers do not sort and rows keep the table's order (a statement whose running
    // balance depends on it).
    void setSortingEnabled(bool enabled);
    bool isSortingEnabled() const { return m_sortingEnabled; }
    // column -1 restores the table's order. Columns without a field do not sort.
    void sort(int column, Qt::SortOrder order = Qt::AscendingOrder) override;
    int sortColumn() const { return m_sortColumn; }
    Qt::SortOrder sortOrder() const { return m_sortOrder; }

    // An inactive filter removes the column's filter.
    void setFilter(int column, const HeaderFilter &filter);
    void clearFilters();
    HeaderFilter filter(int column) const;
    bool isFiltered(int column) const;
    bool hasFilters() const { return !m_filters.empty(); }
    // The values a column's header filter offers: those of the rows that pass every other
    // filter.
    std::vector<FilterValue> filterValues(int column) const;

    // Table rows in the order shown.
    const std::vector<int> &tableRows() const { return m_rows; }
    int tableRow(int proxyRow) const { return m_rows[size_t(proxyRow)]; }
    // -1 when the row is filtered out.
    int proxyRow(int tableRow) const;

    QModelIndex mapToSource(const QModelIndex &proxyIndex) const override;
    QModelIndex mapFromSource(const QModelIndex &sourceIndex) const override;
    QModelIndex index(int row, int column, const QModelIndex &parent = QModelIndex()) const override;
    QModelIndex parent(const QModelIndex &child) const override;
    QModelIndex sibling(int row, int column, const QModelIndex &index) const override;
    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    int columnCount(const QModelIndex &parent = QModelIndex()) const override;
    bool hasChildren(const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

signals:
    void filtersChanged();

private:
    void sourceAboutToReset();
    void sourceReset();
    void sourceDataChanged(const QModelIndex &topLeft, const QModelIndex &bottomRight, const QList<int> &roles);
    void sortAll();
    void applyFilters();
    std::vector<ColumnFilter> columnFilters(int skipColumn) const;

    GridModel *m_model = nullptr;
    bool m_sortingEnabled = true;
    int m_sortColumn = -1;
    Qt::SortOrder m_sortOrder = Qt::AscendingOrder;
    std::map<int, HeaderFilter> m_filters;
    std::vector<int> m_order;     // every table row, sorted
    std::vector<int> m_rows;      // proxy row -> table row
    std::vector<int> m_proxyOf;   // table row -> proxy row or -1
    bool m_resetting = false;
};

} // namespace vexor
