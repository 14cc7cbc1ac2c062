#pragma once

#include "common/memtable.h"
#include "platform/grid/columns.h"
#include "platform/grid/rowops.h"

#include <QAbstractTableModel>
#include <QCache>
#include <QPixmap>

namespace vexor {

// Item roles the grid's models answer besides Qt's.
enum GridRole : int {
    RawValueRole = Qt::UserRole + 1,  // the cell's value as the table holds it (QVariant)
    TableRowRole,                     // int: the row of the table, -1 for group rows
    RowKindRole,                      // int: GridRowKind
};

enum class GridRowKind : int { Data, GroupHeader, GroupFooter };

// The in-memory table as a read-only item model: one model column per declared column, in
// declaration order, then one hidden column per field of the data that no column names.
// Every cell has two values: the text the grid shows and the raw value (RawValueRole).
//
// The model reads the table it is attached to and never writes it. While a worker fills the
// table the grid is detached (setTable(nullptr)); attaching again resets the model.
class GridModel : public QAbstractTableModel
{
    Q_OBJECT

public:
    explicit GridModel(QObject *parent = nullptr);
    ~GridModel() override;

    // Replaces the declaration (resets the model).
    void setColumns(GridColumns columns);
    // Declared columns followed by the data's undeclared fields.
    const GridColumns &columns() const { return m_columns; }
    const GridColumn &column(int column) const { return m_columns[size_t(column)]; }
    int declaredColumnCount() const { return m_declared; }
    // Model column of a field (exact name first, then ignoring case), -1 when absent.
    int columnOf(QStringView field) const { return findColumn(m_columns, field); }
    // Table field read by a model column; -1 for drawn columns and fields the data lacks.
    int fieldOf(int column) const { return m_fields[size_t(column)]; }

    // Changes that do not touch the data (the view keeps them in step with what it shows).
    void setColumnShown(int column, bool shown);
    void setColumnOffered(int column, bool offered);

    // Attaches the table (resetting the model); nullptr detaches. The table must outlive the
    // attachment. A closed table shows no rows.
    void setTable(const MemTable *table);
    const MemTable *table() const { return m_table; }
    // The attached table, when it is open: what the rows and fields come from.
    const MemTable *liveTable() const { return m_active ? m_table : nullptr; }
    // The attached table's cells changed in place: repaint them all, or reset when rows or
    // fields came or went.
    void refresh();

    // Text shown in a cell of a Value or Drawn column; empty for icons and check boxes.
    QString displayText(int tableRow, int column) const;
    // Text that stands for the cell where a text is needed (filter lists, search, export):
    // the shown text, the status name for status icons, "Evet"/"Hayır" for yes/no icons and
    // check boxes, "Var" for a picture flag.
    QString cellText(int tableRow, int column) const;
    // Number read from icon and check-box cells (0 for blanks).
    qint64 code(int tableRow, int column) const;
    bool isPositive(int tableRow, int column) const;
    // The cell's value read as a picture; null when the cell holds none or cannot be decoded.
    QPixmap picture(int tableRow, int column) const;
    // Horizontal and vertical alignment of a column's cells.
    Qt::Alignment alignment(int column) const;
    // The column's number pattern for footers and exports.
    QString numberFormat(int column) const;
    // cellText of a column as a function of the table row, for filters and searches.
    RowText rowText(int column) const;

    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    int columnCount(const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex &index) const override;

private:
    void resolveColumns();
    bool isNumeric(int column) const;

    GridColumns m_declaredColumns;
    GridColumns m_columns;
    std::vector<int> m_fields;
    int m_declared = 0;
    const MemTable *m_table = nullptr;
    bool m_active = false;
    int m_rowCount = 0;
    int m_fieldCount = 0;
    mutable QCache<qint64, QPixmap> m_pictures;
};

} // namespace vexor
