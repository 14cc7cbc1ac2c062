#pragma once

#include "platform/grid/gridview.h"

#include <QVariant>

namespace vexor {

// A grid that owns its rows and is filled row by row instead of showing a result table: the
// announcement pictures. Scrolls by pixels and has no header, indicator, footer, sorting,
// filtering or customisation.
//
// The rows may be built anywhere (a worker) in a table made by emptyRows() and handed over
// with setRows() while the grid's update is locked, or added here one by one.
class RowGrid : public GridView
{
    Q_OBJECT

public:
    explicit RowGrid(GridColumns columns, QWidget *parent = nullptr);

    // A table with one field per column: bytes for picture columns, whole numbers for icon
    // and check-box columns, text for the others (drawn columns have no field).
    MemTable emptyRows() const;
    void setRows(MemTable rows);
    void clearRows();
    int appendRow();
    // Converts the value by the field's type; throws like MemTable::setValue.
    void setValue(int row, QStringView field, const QVariant &value);

    const MemTable &rows() const { return m_rows; }
    QVariant value(int row, QStringView field) const;

private:
    GridColumns m_declared;
    MemTable m_rows;
};

} // namespace vexor
