#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QDateTime>
#include <QString>
#include <QStringView>
#include <QVariant>

#include <cstdint>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace vexor {

// Column types of a result table, as the server names them on the wire.
enum class FieldType { Int32, Int64, Double, Currency, Bcd, String, Date, DateTime, Boolean, Blob };

// "int32", "int64", "double", ... ; the names the wire carries.
std::string_view fieldTypeName(FieldType type) noexcept;
std::optional<FieldType> fieldTypeFromName(std::string_view name) noexcept;

// Date and date-time cells hold day numbers counted from 1899-12-30, the fraction being the
// time of day, exactly as they travel. These convert for display and for QVariant.
QDate dayNumberToDate(double days);
QDateTime dayNumberToDateTime(double days);
double dateToDayNumber(QDate date);
double dateTimeToDayNumber(const QDateTime &dateTime);

struct FieldDef
{
    QString name;
    FieldType type = FieldType::String;
    // Number pattern for displayText() ("#,###,##0.00"); empty = the type's default display.
    QString displayFormat;
};

// The client's in-memory table: the content of one grid, filled from a remote result and
// replaced as a whole on every reload. Storage is by column so that 100,000 rows x 40 columns
// stay compact: numbers in contiguous vectors, text and blobs as bytes in one arena per column
// (turned into QString only when read), and a null bitmap only for columns that have a null.
//
// Reads and writes take (row, column) and expect valid indexes (checked by Q_ASSERT only:
// grids ask for every visible cell on every paint).
class MemTable
{
public:
    MemTable() = default;
    MemTable(const MemTable &) = default;
    MemTable &operator=(const MemTable &) = default;
    // A moved-from table is closed and empty.
    MemTable(MemTable &&other) noexcept { swap(other); }
    MemTable &operator=(MemTable &&other) noexcept
    {
        MemTable(std::move(other)).swap(*this);
        return *this;
    }

    // Open: the table has a structure (it may have no rows).
    bool isActive() const noexcept { return m_active; }
    // Drops structure and rows.
    void close();
    // Replaces the structure; the table is open and empty afterwards.
    void setFields(std::vector<FieldDef> fields);

    int fieldCount() const noexcept { return int(m_columns.size()); }
    const FieldDef &field(int column) const { return m_columns[size_t(column)].def; }
    // Exact match first, then ignoring case; -1 when absent.
    int fieldIndex(QStringView name) const;
    void setDisplayFormat(int column, const QString &pattern);

    int rowCount() const noexcept { return m_rowCount; }
    void reserveRows(int rows);

    // Reads. A null cell reads as 0, false or empty. Numbers convert between the numeric
    // types; asString of a non-text column gives its plain, locale-free text.
    bool isNull(int row, int column) const;
    double asDouble(int row, int column) const;
    qint64 asInt(int row, int column) const;
    bool asBool(int row, int column) const;
    QString asString(int row, int column) const;
    // The raw bytes of a String (UTF-8) or Blob cell; empty for other types. Valid until the
    // column is changed.
    std::string_view bytesView(int row, int column) const;
    QByteArray asBytes(int row, int column) const;
    // Int32 -> int, Int64 -> qlonglong, Double/Currency/Bcd -> double, String -> QString,
    // Date -> QDate, DateTime -> QDateTime, Boolean -> bool, Blob -> QByteArray; null -> QVariant().
    QVariant value(int row, int column) const;
    // Text a grid shows: a column with a display format goes through formatNumber in the
    // default locale; other cells show their plain text (numbers and dates in the default
    // locale, without grouping). Null shows empty.
    QString displayText(int row, int column) const;

    // Appends a row of zeros, false and empty texts (not nulls) and returns its index; the
    // typed setters below then fill it. Setters work on any row; a text set on the last row
    // is appended to the arena, elsewhere the arena is spliced. A value that does not fit or
    // convert throws (std::out_of_range, std::invalid_argument) and leaves the cell as it was.
    int appendRow();
    void setNull(int row, int column);
    void setInt(int row, int column, qint64 value);       // Int32, Int64 (numeric types convert)
    void setDouble(int row, int column, double value);    // Double, Currency, Bcd, Date, DateTime
    void setBool(int row, int column, bool value);
    void setString(int row, int column, QStringView text);
    void setUtf8(int row, int column, std::string_view utf8);   // String or Blob bytes
    void setBytes(int row, int column, QByteArrayView bytes) { setUtf8(row, column, std::string_view(bytes.data(), size_t(bytes.size()))); }
    // Converts a QVariant by the column type; an invalid or null variant sets null.
    void setValue(int row, int column, const QVariant &value);

    void swap(MemTable &other) noexcept;

    class Appender;

private:
    enum class Storage : quint8 { I32, I64, F64, Bool, Bytes };
    static Storage storageOf(FieldType type) noexcept;

    struct Column
    {
        FieldDef def;
        Storage storage = Storage::Bytes;
        std::vector<qint32> i32;
        std::vector<qint64> i64;
        std::vector<double> f64;
        std::vector<quint8> flags;
        // Bytes: cell r is arena[offsets[r], offsets[r + 1]).
        std::string arena;
        std::vector<quint32> offsets;
        // One bit per row, allocated at the first null of the column.
        std::vector<quint64> nullBits;
    };

    void clearNull(Column &c, int row);
    static bool nullAt(const Column &c, int row)
    {
        return !c.nullBits.empty() && (c.nullBits[size_t(row) >> 6] >> (row & 63)) & 1u;
    }

    std::vector<Column> m_columns;
    int m_rowCount = 0;
    bool m_active = false;
};

// Fills new rows cell by cell in column order, straight into the column vectors; the path
// for decoders, where appendRow() and the setters would touch every cell twice. A row left
// unfinished (an exception half-way) is taken back when the appender goes.
class MemTable::Appender
{
public:
    explicit Appender(MemTable &table) : m_table(table) {}
    ~Appender();
    Appender(const Appender &) = delete;
    Appender &operator=(const Appender &) = delete;

    // Each takes the next column and throws std::logic_error when its type takes no such value.
    void addNull();
    void addInt(qint64 value);             // Int32 (range checked), Int64
    void addDouble(double value)           // Double, Currency, Bcd, Date, DateTime
    {
        next(Storage::F64).f64.push_back(value);
    }
    void addBool(bool value) { next(Storage::Bool).flags.push_back(value); }
    void addBytes(std::string_view bytes); // String (UTF-8), Blob
    // Throws std::logic_error unless every column got a value.
    void endRow();

private:
    Column &next(Storage storage)
    {
        if (m_column >= m_table.m_columns.size() || m_table.m_columns[m_column].storage != storage)
            wrongValue();
        return m_table.m_columns[m_column++];
    }
    [[noreturn]] void wrongValue() const;

    MemTable &m_table;
    size_t m_column = 0;
};

inline void MemTable::Appender::addInt(qint64 value)
{
    if (m_column < m_table.m_columns.size() && m_table.m_columns[m_column].storage == Storage::I64) {
        m_table.m_columns[m_column++].i64.push_back(value);
        return;
    }
    if (value < -2147483647LL - 1 || value > 2147483647LL)
        throw std::out_of_range("number does not fit a 32-bit integer column");
    next(Storage::I32).i32.push_back(qint32(value));
}

inline void MemTable::Appender::addBytes(std::string_view bytes)
{
    Column &c = next(Storage::Bytes);
    if (c.arena.size() + bytes.size() > 0xffffffffu) {
        --m_column;
        throw std::length_error("text column exceeds 4 GiB");
    }
    c.arena.append(bytes);
    c.offsets.push_back(quint32(c.arena.size()));
}

inline void swap(MemTable &a, MemTable &b) noexcept { a.swap(b); }

// Every column of exact type Double shows with "#,###,##0.00"; Currency and Bcd columns and
// all others keep their display.
void FloatAlanBicimle(MemTable &table);
// Open and at least one row.
bool TabloDoluMu(const MemTable &table);
// TabloDoluMu and some row whose "SEC" equals 1; a table without "SEC" has none.
bool SeciliVarMi(const MemTable &table);

} // namespace vexor
