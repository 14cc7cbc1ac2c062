#include "gridproxy.h"

#include <numeric>

namespace vexor {

namespace {

// Changes of more rows than this reach the view as one layout change.
constexpr int kRowsChangedOneByOne = 64;

} // namespace

GridProxy::GridProxy(QObject *parent) : QAbstractProxyModel(parent) {}

void GridProxy::setSourceModel(QAbstractItemModel *source)
{
    auto *model = qobject_cast<GridModel *>(source);
    Q_ASSERT_X(model || !source, "GridProxy", "the source must be a GridModel");
    if (m_model)
        disconnect(m_model, nullptr, this, nullptr);
    beginResetModel();
    m_model = model;
    QAbstractProxyModel::setSourceModel(model);
    if (m_model) {
        connect(m_model, &QAbstractItemModel::modelAboutToBeReset, this, &GridProxy::sourceAboutToReset);
        connect(m_model, &QAbstractItemModel::modelReset, this, &GridProxy::sourceReset);
        connect(m_model, &QAbstractItemModel::dataChanged, this, &GridProxy::sourceDataChanged);
        connect(m_model, &QAbstractItemModel::headerDataChanged, this, &QAbstractItemModel::headerDataChanged);
        // The grid model only ever resets; any finer change of another source is taken as one.
        for (auto about : {&QAbstractItemModel::rowsAboutToBeInserted, &QAbstractItemModel::rowsAboutToBeRemoved,
                           &QAbstractItemModel::columnsAboutToBeInserted, &QAbstractItemModel::columnsAboutToBeRemoved})
            connect(m_model, about, this, &GridProxy::sourceAboutToReset);
        for (auto done : {&QAbstractItemModel::rowsInserted, &QAbstractItemModel::rowsRemoved,
                          &QAbstractItemModel::columnsInserted, &QAbstractItemModel::columnsRemoved})
            connect(m_model, done, this, &GridProxy::sourceReset);
        connect(m_model, &QAbstractItemModel::layoutAboutToBeChanged, this, &GridProxy::sourceAboutToReset);
        connect(m_model, &QAbstractItemModel::layoutChanged, this, &GridProxy::sourceReset);
    }
    m_resetting = true;
    sourceReset();
}

void GridProxy::sourceAboutToReset()
{
    if (m_resetting)
        return;
    m_resetting = true;
    beginResetModel();
}

void GridProxy::sourceReset()
{
    if (!m_resetting)
        beginResetModel();
    const int columns = m_model ? m_model->columnCount() : 0;
    std::erase_if(m_filters, [&](const auto &entry) { return entry.first >= columns || m_model->fieldOf(entry.first) < 0; });
    if (m_sortColumn >= columns || (m_sortColumn >= 0 && m_model->fieldOf(m_sortColumn) < 0))
        m_sortColumn = -1;
    sortAll();
    applyFilters();
    m_resetting = false;
    endResetModel();
}

void GridProxy::sourceDataChanged(const QModelIndex &topLeft, const QModelIndex &bottomRight, const QList<int> &roles)
{
    bool reorder = m_sortColumn >= topLeft.column() && m_sortColumn <= bottomRight.column();
    for (const auto &entry : m_filters)
        reorder = reorder || (entry.first >= topLeft.column() && entry.first <= bottomRight.column());
    if (reorder) {
        beginResetModel();
        sortAll();
        applyFilters();
        endResetModel();
        return;
    }
    if (m_rows.empty())
        return;
    // A view repaints a changed range cell by cell; for a whole table a layout change costs
    // one pass over the rows instead of a visual rectangle per cell.
    if (bottomRight.row() - topLeft.row() >= kRowsChangedOneByOne) {
        emit layoutAboutToBeChanged();
        emit layoutChanged();
        return;
    }
    for (int r = topLeft.row(); r <= bottomRight.row(); ++r) {
        const int row = proxyRow(r);
        if (row >= 0)
            emit dataChanged(index(row, topLeft.column()), index(row, bottomRight.column()), roles);
    }
}

void GridProxy::setSortingEnabled(bool enabled)
{
    if (!enabled && m_sortColumn >= 0)
        sort(-1);
    m_sortingEnabled = enabled;
}

void GridProxy::sort(int column, Qt::SortOrder order)
{
    if (!m_model)
        return;
    if (column >= 0 && (!m_sortingEnabled || column >= m_model->columnCount() || m_model->fieldOf(column) < 0))
        return;
    if (column < 0)
        order = Qt::AscendingOrder;
    if (column == m_sortColumn && order == m_sortOrder)
        return;

    emit layoutAboutToBeChanged({}, QAbstractItemModel::VerticalSortHint);
    const QModelIndexList before = persistentIndexList();
    std::vector<int> rowsBefore;
    rowsBefore.reserve(size_t(before.size()));
    for (const QModelIndex &i : before)
        rowsBefore.push_back(m_rows[size_t(i.row())]);

    m_sortColumn = column;
    m_sortOrder = order;
    sortAll();
    applyFilters();

    QModelIndexList after;
    after.reserve(before.size());
    for (qsizetype i = 0; i < before.size(); ++i)
        after.append(index(m_proxyOf[size_t(rowsBefore[size_t(i)])], before[i].column()));
    changePersistentIndexList(before, after);
    emit layoutChanged({}, QAbstractItemModel::VerticalSortHint);
}

void GridProxy::sortAll()
{
    const MemTable *table = m_model ? m_model->liveTable() : nullptr;
    m_order.resize(table ? size_t(m_model->rowCount()) : 0);
    std::iota(m_order.begin(), m_order.end(), 0);
    if (table && m_sortColumn >= 0)
        sortRows(*table, m_model->fieldOf(m_sortColumn), m_sortOrder, m_order);
}

std::vector<ColumnFilter> GridProxy::columnFilters(int skipColumn) const
{
    std::vector<ColumnFilter> filters;
    for (const auto &[column, filter] : m_filters) {
        if (column != skipColumn)
            filters.push_back({m_model->fieldOf(column), filter, m_model->rowText(column)});
    }
    return filters;
}

void GridProxy::applyFilters()
{
    const MemTable *table = m_model ? m_model->liveTable() : nullptr;
    if (!table) {
        m_rows.clear();
        m_proxyOf.clear();
        return;
    }
    m_rows = filterRows(*table, columnFilters(-1), m_order);
    m_proxyOf.assign(m_order.size(), -1);
    for (size_t i = 0; i < m_rows.size(); ++i)
        m_proxyOf[size_t(m_rows[i])] = int(i);
}

void GridProxy::setFilter(int column, const HeaderFilter &filter)
{
    if (!m_model || column < 0 || column >= m_model->columnCount() || m_model->fieldOf(column) < 0)
        return;
    beginResetModel();
    if (filter.isActive())
        m_filters[column] = filter;
    else
        m_filters.erase(column);
    applyFilters();
    endResetModel();
    emit filtersChanged();
}

void GridProxy::clearFilters()
{
    if (m_filters.empty())
        return;
    beginResetModel();
    m_filters.clear();
    applyFilters();
    endResetModel();
    emit filtersChanged();
}

HeaderFilter GridProxy::filter(int column) const
{
    const auto it = m_filters.find(column);
    return it == m_filters.end() ? HeaderFilter() : it->second;
}

bool GridProxy::isFiltered(int column) const
{
    return m_filters.count(column) != 0;
}

std::vector<FilterValue> GridProxy::filterValues(int column) const
{
    const MemTable *table = m_model ? m_model->liveTable() : nullptr;
    if (!table || column < 0 || column >= m_model->columnCount())
        return {};
    const std::vector<int> rows = filterRows(*table, columnFilters(column), m_order);
    return distinctValues(*table, m_model->fieldOf(column), rows, m_model->rowText(column));
}

int GridProxy::proxyRow(int tableRow) const
{
    return tableRow >= 0 && size_t(tableRow) < m_proxyOf.size() ? m_proxyOf[size_t(tableRow)] : -1;
}

QModelIndex GridProxy::mapToSource(const QModelIndex &proxyIndex) const
{
    if (!m_model || !proxyIndex.isValid() || proxyIndex.model() != this)
        return QModelIndex();
    return m_model->index(m_rows[size_t(proxyIndex.row())], proxyIndex.column());
}

QModelIndex GridProxy::mapFromSource(const QModelIndex &sourceIndex) const
{
    if (!m_model || !sourceIndex.isValid() || sourceIndex.model() != m_model)
        return QModelIndex();
    const int row = proxyRow(sourceIndex.row());
    return row < 0 ? QModelIndex() : index(row, sourceIndex.column());
}

QModelIndex GridProxy::index(int row, int column, const QModelIndex &parent) const
{
    if (parent.isValid() || row < 0 || column < 0 || row >= int(m_rows.size()) || column >= columnCount())
        return QModelIndex();
    return createIndex(row, column);
}

QModelIndex GridProxy::parent(const QModelIndex &) const
{
    return QModelIndex();
}

QModelIndex GridProxy::sibling(int row, int column, const QModelIndex &) const
{
    return index(row, column);
}

int GridProxy::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(m_rows.size());
}

int GridProxy::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() || !m_model ? 0 : m_model->columnCount();
}

bool GridProxy::hasChildren(const QModelIndex &parent) const
{
    return !parent.isValid() && !m_rows.empty() && columnCount() > 0;
}

QVariant GridProxy::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || index.model() != this)
        return QVariant();
    return m_model->data(m_model->index(m_rows[size_t(index.row())], index.column()), role);
}

QVariant GridProxy::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (!m_model || orientation != Qt::Horizontal)
        return QVariant();
    return m_model->headerData(section, orientation, role);
}

} // namespace vexor
