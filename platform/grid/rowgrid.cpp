#include "rowgrid.h"

#include "platform/grid/gridmodel.h"

namespace vexor {

RowGrid::RowGrid(GridColumns columns, QWidget *parent) : GridView(parent), m_declared(columns)
{
    setHeaderVisible(false);
    setIndicatorVisible(false);
    setFooterVisible(false);
    setPixelScrolling(true);
    setSortingEnabled(false);
    setHeaderFiltersEnabled(false);
    setCustomisationEnabled(false);
    setIncrementalSearchEnabled(false);
    setColumns(std::move(columns));
    m_rows = emptyRows();
    setTable(&m_rows);
}

MemTable RowGrid::emptyRows() const
{
    std::vector<FieldDef> fields;
    for (const GridColumn &c : m_declared) {
        switch (c.kind) {
        case CellKind::Drawn:
            break;
        case CellKind::Picture:
            fields.push_back({c.field, FieldType::Blob, {}});
            break;
        case CellKind::Status:
        case CellKind::YesNo:
        case CellKind::PictureFlag:
        case CellKind::Check:
            fields.push_back({c.field, FieldType::Int32, {}});
            break;
        case CellKind::Value:
            fields.push_back({c.field, FieldType::String, {}});
            break;
        }
    }
    MemTable table;
    table.setFields(std::move(fields));
    return table;
}

void RowGrid::setRows(MemTable rows)
{
    m_rows = std::move(rows);
    setTable(&m_rows);
}

void RowGrid::clearRows()
{
    setRows(emptyRows());
}

int RowGrid::appendRow()
{
    const int row = m_rows.appendRow();
    refresh();
    return row;
}

void RowGrid::setValue(int row, QStringView field, const QVariant &value)
{
    const int f = m_rows.fieldIndex(field);
    if (f < 0)
        return;
    m_rows.setValue(row, f, value);
    refresh();
}

QVariant RowGrid::value(int row, QStringView field) const
{
    const int f = m_rows.fieldIndex(field);
    if (f < 0 || row < 0 || row >= m_rows.rowCount())
        return QVariant();
    return m_rows.value(row, f);
}

} // namespace vexor
