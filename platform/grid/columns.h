#pragma once

#include "common/memtable.h"

#include <QColor>
#include <QFont>
#include <QRect>
#include <QString>
#include <QStringView>

#include <functional>
#include <vector>

class QPainter;

namespace vexor {

// What a cell shows.
enum class CellKind : quint8 {
    Value,        // the field's text; numbers right-aligned in their display format
    Status,       // stock status icon by the `DURUM` code (0..5; other codes show nothing)
    YesNo,        // "yes" icon for a value above 0, "no" icon otherwise (also for blanks)
    PictureFlag,  // picture icon for a value above 0, nothing otherwise
    Check,        // check box, checked for a value above 0
    Picture,      // the cell's bytes decoded as a picture (JPEG, PNG, BMP, GIF)
    Drawn,        // no field of its own: text and painting come from the column's callbacks
};

// Footer summaries, in the grid footer and in every group footer.
enum class Summary : quint8 {
    None,
    Sum,       // sum of the values
    Count,     // number of non-blank values
    RowCount,  // number of rows, whatever the column holds
};

// What a painting callback of a drawn column gets. The background (selection or alternating
// colour) is already painted; `foreground` is the text colour that goes with it.
struct DrawnCell
{
    const MemTable &table;
    int row = -1;  // table row
    QRect rect;
    bool selected = false;
    QColor background;
    QColor foreground;
    QFont font;
};

using CellTextFn = std::function<QString(const MemTable &table, int row)>;
using CellPaintFn = std::function<void(QPainter &painter, const DrawnCell &cell)>;

// One column of a grid. A grid is declared by a table of these, in display order; fields of
// the data that no column names are hidden and never offered. A column is addressed by its
// field; a drawn column's field is just its name and need not exist in the data.
struct GridColumn
{
    QString field;
    // Header text. Not given (null): the field name. An empty text (kBlankCaption): nothing.
    QString caption;
    int weight = 1;        // share of the width under the proportional width rule (1, 2 or 3)
    bool shown = true;
    bool offered = true;   // listed in column customisation; false = a fixed column
    CellKind kind = CellKind::Value;
    // Empty: by kind and data (numbers right, icons and check boxes centred, text left).
    // Cells are always centred vertically.
    Qt::Alignment alignment = {};
    bool wordWrap = false;
    int width = 0;         // starting width in pixels; 0 = the grid's default
    Summary footer = Summary::None;
    // Number pattern ("#,###,##0.00") for this column; empty = the table's display format.
    QString displayFormat;
    int padding = 0;       // extra horizontal inset of the text, left and right
    CellTextFn text;       // drawn columns: the text shown, searched and exported
    CellPaintFn paint;     // drawn columns: paints the cell instead of drawing `text`

    QString headerText() const { return caption.isNull() ? field : caption; }
};

using GridColumns = std::vector<GridColumn>;

// Header text of a column that shows no caption at all.
inline const QString kBlankCaption = QStringLiteral("");

// Index of the column for `field` (exact, then ignoring case), or -1.
int findColumn(const GridColumns &columns, QStringView field);

// One entry of the column customisation list.
struct CustomisationEntry
{
    int column = -1;
    QString caption;
    bool shown = false;
};

// The columns the user may show or hide, in display order: offered columns only, fixed ones
// never, whatever they show now.
std::vector<CustomisationEntry> customisationEntries(const GridColumns &columns);

} // namespace vexor
