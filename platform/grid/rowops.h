#pragma once

// Row computations of the grid on the in-memory table: ordering, header filters, distinct
// values, summaries, incremental search and best-fit candidates. Plain functions over
// MemTable and lists of table rows; no widgets. Everything here reads typed values straight
// from the table's columns so that 100,000 rows sort, filter and sum without QVariant.

#include "common/memtable.h"
#include "platform/grid/columns.h"

#include <QLocale>
#include <QString>

#include <functional>
#include <span>
#include <string>
#include <variant>
#include <vector>

namespace vexor {

// The value of a cell for comparing, filtering and grouping. Null cells and empty texts
// are both "blank".
struct CellKey
{
    std::variant<std::monostate, qint64, double, std::string> value;

    bool isBlank() const { return std::holds_alternative<std::monostate>(value); }
    friend bool operator==(const CellKey &, const CellKey &) = default;
};

CellKey cellKey(const MemTable &table, int row, int field);

// Orders the rows of a table by one field: blanks first, numbers and dates by value, texts by
// the collation of the default locale (Turkish letters in their places), false before true.
// Texts are ranked once per distinct value, so comparisons are integer comparisons.
class ColumnOrder
{
public:
    ColumnOrder(const MemTable &table, int field);

    // Strict weak order and its equivalence.
    bool less(int rowA, int rowB) const { return compare(rowA, rowB) < 0; }
    bool equivalent(int rowA, int rowB) const { return compare(rowA, rowB) == 0; }
    int compare(int rowA, int rowB) const;

private:
    enum class Kind : quint8 { Integer, Real, Rank, None };

    Kind m_kind = Kind::None;
    // Read once per table row, so that sorting compares plain arrays.
    std::vector<quint8> m_null;
    std::vector<qint64> m_integer;
    std::vector<double> m_real;
    std::vector<int> m_rank;  // texts: rank of each table row's text, -1 for blanks
};

// Sorts `rows` (table rows) by the field, stably: rows with equal values keep their order.
void sortRows(const MemTable &table, int field, Qt::SortOrder order, std::vector<int> &rows);

// Groups `rows` by the field's value, groups in ascending order of the value, rows within a
// group in their order in `rows`. Returns the groups' boundaries: group g is
// rows[bounds[g], bounds[g + 1]). `rows` is reordered.
std::vector<int> groupRows(const MemTable &table, int field, std::vector<int> &rows);

// Text of a cell as the grid shows it; used where the filter and the search look at text.
using RowText = std::function<QString(int row)>;

// A header filter on one column: the rows whose value is one of `values`, or, when `text` is
// given, the rows whose shown text contains it, ignoring case.
struct HeaderFilter
{
    std::vector<CellKey> values;
    QString text;

    bool isActive() const { return !values.empty() || !text.isEmpty(); }
};

struct ColumnFilter
{
    int field = -1;  // table field the values come from
    HeaderFilter filter;
    RowText text;    // shown text, needed by a text filter
};

// Keeps the rows (in their order) that pass every filter.
std::vector<int> filterRows(const MemTable &table, std::span<const ColumnFilter> filters,
                            std::span<const int> rows);

// One entry of a header filter's list: a value and the text the column shows for it.
struct FilterValue
{
    CellKey key;
    QString text;
};

// The distinct values of a field among `rows`, blank first, then in ascending order; the text
// of each is the shown text of its first row.
std::vector<FilterValue> distinctValues(const MemTable &table, int field, std::span<const int> rows,
                                        const RowText &text);

// Totals of one column over a set of rows.
struct SummaryValue
{
    double sum = 0;
    qint64 count = 0;  // non-blank values, or rows for Summary::RowCount
};

SummaryValue summarise(const MemTable &table, int field, Summary kind, std::span<const int> rows);

// The footer text of a summary. Sums show in `displayFormat` when one is given, integers as
// integers, other numbers in their shortest form; counts as whole numbers.
QString summaryText(Summary kind, const SummaryValue &value, FieldType type,
                    const QString &displayFormat, const QLocale &locale = QLocale());

// Incremental search: the first of `count` rows, starting at `from` and wrapping around,
// whose text starts with `prefix`, ignoring case by the locale's rules (Turkish i and ı);
// -1 when none. `step` is 1 to search forwards, -1 backwards.
int findByPrefix(int count, int from, int step, QStringView prefix, const RowText &text,
                 const QLocale &locale = QLocale());

// Best fit measures only the rows whose text is likely the widest: the `limit` rows with the
// longest texts (by bytes) or the largest numbers, including the most negative one.
std::vector<int> widestRowCandidates(const MemTable &table, int field, std::span<const int> rows,
                                     int limit);

} // namespace vexor
