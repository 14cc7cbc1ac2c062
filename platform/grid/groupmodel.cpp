#include "groupmodel.h"

namespace vexor {

namespace {

// Internal id of top-level rows; children carry their group + 1.
constexpr quintptr kTopLevel = 0;

} // namespace

GroupModel::GroupModel(QObject *parent) : QAbstractItemModel(parent) {}

void GroupModel::setSourceModel(GridProxy *proxy)
{
    if (m_proxy)
        disconnect(m_proxy, nullptr, this, nullptr);
    beginResetModel();
    m_proxy = proxy;
    if (m_proxy) {
        connect(m_proxy, &QAbstractItemModel::modelAboutToBeReset, this, &GroupModel::aboutToRebuild);
        connect(m_proxy, &QAbstractItemModel::modelReset, this, &GroupModel::rebuild);
        connect(m_proxy, &QAbstractItemModel::layoutAboutToBeChanged, this, &GroupModel::aboutToRebuild);
        connect(m_proxy, &QAbstractItemModel::layoutChanged, this, &GroupModel::rebuild);
        connect(m_proxy, &QAbstractItemModel::dataChanged, this, [this] {
            aboutToRebuild();
            rebuild();
        });
        connect(m_proxy, &QAbstractItemModel::headerDataChanged, this, &QAbstractItemModel::headerDataChanged);
    }
    build();
    endResetModel();
}

void GroupModel::setGroupColumn(int column)
{
    beginResetModel();
    m_groupColumn = column;
    build();
    endResetModel();
}

void GroupModel::aboutToRebuild()
{
    if (m_resetting)
        return;
    m_resetting = true;
    beginResetModel();
}

void GroupModel::rebuild()
{
    if (!m_resetting)
        beginResetModel();
    build();
    m_resetting = false;
    endResetModel();
}

void GroupModel::build()
{
    m_rows.clear();
    m_groups.clear();
    m_groupOfRow.clear();
    m_positionOfRow.clear();
    GridModel *model = m_proxy ? m_proxy->gridModel() : nullptr;
    const MemTable *table = model ? model->liveTable() : nullptr;
    if (!table || m_groupColumn < 0 || m_groupColumn >= model->columnCount() || model->fieldOf(m_groupColumn) < 0)
        return;

    m_rows = m_proxy->tableRows();
    const std::vector<int> bounds = groupRows(*table, model->fieldOf(m_groupColumn), m_rows);
    m_groupOfRow.assign(size_t(table->rowCount()), -1);
    m_positionOfRow.assign(size_t(table->rowCount()), -1);
    const int columns = model->columnCount();
    for (size_t g = 0; g + 1 < bounds.size(); ++g) {
        Group group;
        group.first = bounds[g];
        group.count = bounds[g + 1] - bounds[g];
        const std::span<const int> rows(m_rows.data() + group.first, size_t(group.count));
        group.summaries.resize(size_t(columns));
        for (int c = 0; c < columns; ++c) {
            const Summary kind = model->column(c).footer;
            if (kind != Summary::None)
                group.summaries[size_t(c)] = summarise(*table, model->fieldOf(c), kind, rows);
        }
        for (int i = 0; i < group.count; ++i) {
            m_groupOfRow[size_t(rows[size_t(i)])] = int(g);
            m_positionOfRow[size_t(rows[size_t(i)])] = i;
        }
        m_groups.push_back(std::move(group));
    }
}

QString GroupModel::groupValueText(int group) const
{
    const Group &g = m_groups[size_t(group)];
    const QString text = m_proxy->gridModel()->cellText(m_rows[size_t(g.first)], m_groupColumn);
    return text.isEmpty() ? QStringLiteral("(Boş)") : text;
}

QString GroupModel::groupHeaderText(int group) const
{
    const GridColumn &c = m_proxy->gridModel()->column(m_groupColumn);
    const QString caption = c.headerText().isEmpty() ? c.field : c.headerText();
    return caption + u": " + groupValueText(group);
}

std::span<const int> GroupModel::groupTableRows(int group) const
{
    const Group &g = m_groups[size_t(group)];
    return std::span<const int>(m_rows.data() + g.first, size_t(g.count));
}

SummaryValue GroupModel::groupSummary(int group, int column) const
{
    return m_groups[size_t(group)].summaries[size_t(column)];
}

QString GroupModel::groupFooterText(int group, int column) const
{
    const GridModel *model = m_proxy->gridModel();
    const Summary kind = model->column(column).footer;
    if (kind == Summary::None)
        return QString();
    const int f = model->fieldOf(column);
    const FieldType type = f >= 0 ? model->liveTable()->field(f).type : FieldType::Int32;
    return summaryText(kind, groupSummary(group, column), type, model->numberFormat(column));
}

int GroupModel::groupOf(const QModelIndex &index) const
{
    if (!index.isValid() || index.model() != this)
        return -1;
    if (index.internalId() == kTopLevel)
        return index.row() / 2;
    return int(index.internalId()) - 1;
}

int GroupModel::dataGroup(const QModelIndex &index) const
{
    return index.internalId() == kTopLevel ? -1 : int(index.internalId()) - 1;
}

QModelIndex GroupModel::indexOfTableRow(int tableRow, int column) const
{
    if (tableRow < 0 || size_t(tableRow) >= m_groupOfRow.size() || m_groupOfRow[size_t(tableRow)] < 0)
        return QModelIndex();
    return createIndex(m_positionOfRow[size_t(tableRow)], column, quintptr(m_groupOfRow[size_t(tableRow)] + 1));
}

QModelIndex GroupModel::index(int row, int column, const QModelIndex &parent) const
{
    if (row < 0 || column < 0 || column >= columnCount())
        return QModelIndex();
    if (!parent.isValid())
        return row < 2 * groupCount() ? createIndex(row, column, kTopLevel) : QModelIndex();
    if (parent.model() != this || parent.internalId() != kTopLevel || parent.row() % 2 != 0 || parent.column() != 0)
        return QModelIndex();
    const int group = parent.row() / 2;
    if (row >= m_groups[size_t(group)].count)
        return QModelIndex();
    return createIndex(row, column, quintptr(group + 1));
}

QModelIndex GroupModel::parent(const QModelIndex &child) const
{
    if (!child.isValid() || child.internalId() == kTopLevel)
        return QModelIndex();
    return createIndex(2 * (int(child.internalId()) - 1), 0, kTopLevel);
}

int GroupModel::rowCount(const QModelIndex &parent) const
{
    if (!parent.isValid())
        return 2 * groupCount();
    if (parent.model() != this || parent.internalId() != kTopLevel || parent.row() % 2 != 0 || parent.column() != 0)
        return 0;
    return m_groups[size_t(parent.row() / 2)].count;
}

int GroupModel::columnCount(const QModelIndex &) const
{
    return m_proxy ? m_proxy->columnCount() : 0;
}

bool GroupModel::hasChildren(const QModelIndex &parent) const
{
    return rowCount(parent) > 0 && columnCount() > 0;
}

QVariant GroupModel::data(const QModelIndex &index, int role) const
{
    if (!checkIndex(index, CheckIndexOption::IndexIsValid))
        return QVariant();
    const int group = dataGroup(index);
    if (group >= 0) {
        const int tableRow = m_rows[size_t(m_groups[size_t(group)].first + index.row())];
        return m_proxy->data(m_proxy->index(m_proxy->proxyRow(tableRow), index.column()), role);
    }
    const bool header = index.row() % 2 == 0;
    switch (role) {
    case RowKindRole:
        return int(header ? GridRowKind::GroupHeader : GridRowKind::GroupFooter);
    case TableRowRole:
        return -1;
    case Qt::DisplayRole:
        if (header)
            return index.column() == 0 ? groupHeaderText(index.row() / 2) : QString();
        return groupFooterText(index.row() / 2, index.column());
    case Qt::TextAlignmentRole:
        if (header)
            return int(Qt::AlignLeft | Qt::AlignVCenter);
        return int(m_proxy->gridModel()->alignment(index.column()));
    default:
        return QVariant();
    }
}

QVariant GroupModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    return m_proxy ? m_proxy->headerData(section, orientation, role) : QVariant();
}

Qt::ItemFlags GroupModel::flags(const QModelIndex &index) const
{
    if (!index.isValid())
        return Qt::NoItemFlags;
    if (dataGroup(index) >= 0)
        return Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemNeverHasChildren;
    if (index.row() % 2 == 0)
        return Qt::ItemIsEnabled | Qt::ItemIsSelectable;
    return Qt::ItemIsEnabled | Qt::ItemNeverHasChildren;
}

void GroupModel::sort(int column, Qt::SortOrder order)
{
    if (m_proxy)
        m_proxy->sort(column, order);
}

} // namespace vexor
