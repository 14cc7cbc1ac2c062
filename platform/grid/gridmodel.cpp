#include "gridmodel.h"

#include "common/formats.h"
#include "platform/grid/gridicons.h"

namespace vexor {

namespace {

bool numericType(FieldType type)
{
    switch (type) {
    case FieldType::Int32:
    case FieldType::Int64:
    case FieldType::Double:
    case FieldType::Currency:
    case FieldType::Bcd:
        return true;
    default:
        return false;
    }
}

// Decoded pictures kept at most: a screenful of announcements many times over.
constexpr int kPictureCacheKiB = 64 * 1024;

} // namespace

GridModel::GridModel(QObject *parent) : QAbstractTableModel(parent)
{
    m_pictures.setMaxCost(kPictureCacheKiB);
}

GridModel::~GridModel() = default;

void GridModel::setColumns(GridColumns columns)
{
    beginResetModel();
    m_declaredColumns = std::move(columns);
    resolveColumns();
    endResetModel();
}

void GridModel::setColumnShown(int column, bool shown)
{
    m_columns[size_t(column)].shown = shown;
    if (column < m_declared)
        m_declaredColumns[size_t(column)].shown = shown;
}

void GridModel::setColumnOffered(int column, bool offered)
{
    // Undeclared fields are never offered: no one named them.
    if (column >= m_declared)
        return;
    m_columns[size_t(column)].offered = offered;
    m_declaredColumns[size_t(column)].offered = offered;
}

void GridModel::setTable(const MemTable *table)
{
    beginResetModel();
    m_table = table;
    m_pictures.clear();
    resolveColumns();
    endResetModel();
}

void GridModel::refresh()
{
    if (!m_table)
        return;
    if (m_table->isActive() != m_active || m_table->rowCount() != m_rowCount
        || m_table->fieldCount() != m_fieldCount) {
        setTable(m_table);
        return;
    }
    m_pictures.clear();
    if (m_rowCount > 0 && !m_columns.empty())
        emit dataChanged(index(0, 0), index(m_rowCount - 1, int(m_columns.size()) - 1));
}

void GridModel::resolveColumns()
{
    m_columns = m_declaredColumns;
    m_declared = int(m_columns.size());
    // A closed table shows as empty; refresh() notices when it opens.
    m_active = m_table && m_table->isActive();
    m_rowCount = m_active ? m_table->rowCount() : 0;
    m_fieldCount = m_active ? m_table->fieldCount() : 0;
    m_fields.assign(m_columns.size(), -1);
    if (!m_active)
        return;
    std::vector<bool> named(size_t(m_fieldCount), false);
    for (size_t c = 0; c < m_columns.size(); ++c) {
        if (m_columns[c].kind == CellKind::Drawn)
            continue;
        const int f = m_table->fieldIndex(m_columns[c].field);
        m_fields[c] = f;
        if (f >= 0)
            named[size_t(f)] = true;
    }
    for (int f = 0; f < m_fieldCount; ++f) {
        if (named[size_t(f)])
            continue;
        GridColumn extra;
        extra.field = m_table->field(f).name;
        extra.shown = false;
        extra.offered = false;
        m_columns.push_back(std::move(extra));
        m_fields.push_back(f);
    }
}

bool GridModel::isNumeric(int column) const
{
    const int f = fieldOf(column);
    return f >= 0 && numericType(m_table->field(f).type);
}

QString GridModel::displayText(int tableRow, int column) const
{
    const GridColumn &c = m_columns[size_t(column)];
    if (c.kind == CellKind::Drawn)
        return c.text && m_active ? c.text(*m_table, tableRow) : QString();
    if (c.kind != CellKind::Value)
        return QString();
    const int f = fieldOf(column);
    if (f < 0)
        return QString();
    if (!c.displayFormat.isEmpty() && numericType(m_table->field(f).type)) {
        if (m_table->isNull(tableRow, f))
            return QString();
        return formatNumber(m_table->asDouble(tableRow, f), c.displayFormat);
    }
    return m_table->displayText(tableRow, f);
}

qint64 GridModel::code(int tableRow, int column) const
{
    const int f = fieldOf(column);
    if (f < 0 || m_table->isNull(tableRow, f))
        return 0;
    return m_table->asInt(tableRow, f);
}

bool GridModel::isPositive(int tableRow, int column) const
{
    const int f = fieldOf(column);
    if (f < 0 || m_table->isNull(tableRow, f))
        return false;
    return m_table->asDouble(tableRow, f) > 0;
}

QString GridModel::cellText(int tableRow, int column) const
{
    const GridColumn &c = m_columns[size_t(column)];
    switch (c.kind) {
    case CellKind::Value:
    case CellKind::Drawn:
        return displayText(tableRow, column);
    case CellKind::Status: {
        const int f = fieldOf(column);
        return f < 0 || m_table->isNull(tableRow, f) ? QString() : statusText(code(tableRow, column));
    }
    case CellKind::YesNo:
    case CellKind::Check:
        return isPositive(tableRow, column) ? QStringLiteral("Evet") : QStringLiteral("Hayır");
    case CellKind::PictureFlag:
        return isPositive(tableRow, column) ? QStringLiteral("Var") : QString();
    case CellKind::Picture:
        return QString();
    }
    return QString();
}

QPixmap GridModel::picture(int tableRow, int column) const
{
    const int f = fieldOf(column);
    if (f < 0 || m_table->isNull(tableRow, f))
        return QPixmap();
    const qint64 key = qint64(tableRow) * qint64(m_columns.size()) + column;
    if (const QPixmap *cached = m_pictures.object(key))
        return *cached;
    const std::string_view bytes = m_table->bytesView(tableRow, f);
    QPixmap pixmap;
    if (!bytes.empty())
        pixmap.loadFromData(reinterpret_cast<const uchar *>(bytes.data()), uint(bytes.size()));
    const qint64 cost = qMax<qint64>(1, qint64(pixmap.width()) * pixmap.height() * 4 / 1024);
    m_pictures.insert(key, new QPixmap(pixmap), cost);
    return pixmap;
}

Qt::Alignment GridModel::alignment(int column) const
{
    const GridColumn &c = m_columns[size_t(column)];
    Qt::Alignment a = c.alignment;
    if (!(a & Qt::AlignHorizontal_Mask)) {
        switch (c.kind) {
        case CellKind::Value: a |= isNumeric(column) ? Qt::AlignRight : Qt::AlignLeft; break;
        case CellKind::Drawn: a |= Qt::AlignLeft; break;
        default: a |= Qt::AlignHCenter; break;
        }
    }
    if (!(a & Qt::AlignVertical_Mask))
        a |= Qt::AlignVCenter;
    return a;
}

QString GridModel::numberFormat(int column) const
{
    const GridColumn &c = m_columns[size_t(column)];
    if (!c.displayFormat.isEmpty())
        return c.displayFormat;
    const int f = fieldOf(column);
    return f >= 0 ? m_table->field(f).displayFormat : QString();
}

RowText GridModel::rowText(int column) const
{
    return [this, column](int row) { return cellText(row, column); };
}

int GridModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : m_rowCount;
}

int GridModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(m_columns.size());
}

QVariant GridModel::data(const QModelIndex &index, int role) const
{
    if (!checkIndex(index, CheckIndexOption::IndexIsValid | CheckIndexOption::ParentIsInvalid))
        return QVariant();
    const int row = index.row();
    const int column = index.column();
    const GridColumn &c = m_columns[size_t(column)];
    switch (role) {
    case Qt::DisplayRole:
        if (c.kind == CellKind::Value || c.kind == CellKind::Drawn)
            return displayText(row, column);
        return QVariant();
    case Qt::ToolTipRole:
        if (c.kind == CellKind::Status)
            return cellText(row, column);
        return QVariant();
    case Qt::DecorationRole:
        switch (c.kind) {
        case CellKind::Status: {
            const int f = fieldOf(column);
            if (f < 0 || m_table->isNull(row, f))
                return QVariant();
            if (const auto icon = statusIcon(code(row, column)))
                return gridIcon(*icon);
            return QVariant();
        }
        case CellKind::YesNo:
            return gridIcon(isPositive(row, column) ? GridIcon::Yes : GridIcon::No);
        case CellKind::PictureFlag:
            return isPositive(row, column) ? QVariant(gridIcon(GridIcon::Picture)) : QVariant();
        case CellKind::Picture: {
            const QPixmap p = picture(row, column);
            return p.isNull() ? QVariant() : QVariant(p);
        }
        default:
            return QVariant();
        }
    case Qt::CheckStateRole:
        if (c.kind == CellKind::Check)
            return int(isPositive(row, column) ? Qt::Checked : Qt::Unchecked);
        return QVariant();
    case Qt::TextAlignmentRole:
        return int(alignment(column));
    case RawValueRole: {
        const int f = fieldOf(column);
        return f < 0 ? QVariant() : m_table->value(row, f);
    }
    case TableRowRole:
        return row;
    case RowKindRole:
        return int(GridRowKind::Data);
    default:
        return QVariant();
    }
}

QVariant GridModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || section < 0 || section >= int(m_columns.size()))
        return QVariant();
    if (role == Qt::DisplayRole)
        return m_columns[size_t(section)].headerText();
    if (role == Qt::TextAlignmentRole)
        return int(Qt::AlignCenter);
    return QVariant();
}

Qt::ItemFlags GridModel::flags(const QModelIndex &index) const
{
    if (!index.isValid())
        return Qt::NoItemFlags;
    return Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemNeverHasChildren;
}

} // namespace vexor
