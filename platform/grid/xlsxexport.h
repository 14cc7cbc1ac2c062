#pragma once

// Writes what a grid shows to an Office Open XML workbook (libxlsxwriter): captions, then the
// rows with numbers as numbers in their display format, dates as dates, check boxes as
// true/false, icons by their meaning, group header and footer rows, and the footer.

#include "platform/grid/rowops.h"

#include <QString>

#include <vector>

namespace vexor {

class GridModel;

struct ExportColumn
{
    int column = -1;  // model column
    QString caption;
    int width = 0;    // pixels
};

struct ExportRow
{
    enum class Kind { Data, GroupHeader, Summary };
    Kind kind = Kind::Data;
    int tableRow = -1;                     // Data
    QString text;                          // GroupHeader
    std::vector<SummaryValue> summaries;   // Summary: by model column
    bool grouped = false;                  // Data rows inside a group (outline level 1)
};

// The workbook's name for a file the user chose: the content is an Office Open XML workbook,
// so the name ends in ".xlsx" ("rapor.xls" becomes "rapor.xlsx", "rapor" becomes
// "rapor.xlsx").
QString excelFileName(const QString &chosen);

// Excel's number format code for one of our display patterns ("#,###,##0.00" -> "#,##0.00",
// "#,###,##00.00" -> "#,#00.00"); empty for an empty pattern.
QString excelNumberFormat(const QString &pattern);
// Excel's date format for a Qt date or date-time format ("dd.MM.yyyy HH:mm" -> "dd.mm.yyyy hh:mm").
QString excelDateFormat(const QString &qtFormat);

// Writes one sheet and closes the workbook; throws std::runtime_error (with a Turkish message
// naming the file) when it cannot be written.
void writeWorkbook(const QString &path, const GridModel &model, const std::vector<ExportColumn> &columns,
                   const std::vector<ExportRow> &rows);

} // namespace vexor
