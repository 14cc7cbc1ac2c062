#pragma once

// Wire form of a table, the bulk of all traffic:
//
//   {"columns":[{"name":"ADI","type":"string"},...],"rows":[[v,v,...],...]}
//
// "columns" comes before "rows" so that rows can be read as they arrive. Values by column
// type: int32/int64 JSON integers; double, currency and bcd JSON numbers; string a JSON
// string; date and datetime the day number (days since 1899-12-30) as a JSON number; boolean
// true/false; blob a base64 string; null for a null cell of any type. Every row has exactly
// one value per column.

#include "common/memtable.h"
#include "server/jsonwriter.h"

#include <QDateTime>
#include <QVariant>

#include <simdjson.h>

#include <string>
#include <string_view>
#include <vector>

namespace vexor {

// Writes a table value by value, for the server answering straight from a query. Misuse
// (a value of the wrong kind for its column, a row of the wrong length) throws
// std::logic_error before a malformed table reaches the wire.
class TableEncoder
{
public:
    // Writes the opening and the column list; display formats are not sent.
    TableEncoder(JsonWriter &writer, const std::vector<FieldDef> &columns);

    void beginRow();
    void endRow();

    void addNull();
    void addInt(qint64 value);               // int32 (range checked), int64
    void addDouble(double value);            // double, currency, bcd, date, datetime
    void addBool(bool value);
    void addString(QStringView text);
    void addUtf8(std::string_view text);
    void addBlob(QByteArrayView bytes);
    void addDate(QDate date);                // date, datetime
    void addDateTime(const QDateTime &dateTime);
    // Null or invalid -> null; otherwise converted by the column type (dates also from ISO text,
    // as SQLite hands them out). Throws std::invalid_argument when it does not convert.
    void addValue(const QVariant &value);

    // Closes rows and table.
    void finish();

private:
    FieldType next(const char *what);
    void expect(FieldType type, std::initializer_list<FieldType> allowed, const char *what);

    JsonWriter &m_writer;
    std::vector<FieldType> m_types;
    size_t m_column = 0;
    bool m_inRow = false;
    bool m_finished = false;
};

void encodeTable(JsonWriter &writer, const MemTable &table);
std::string encodeTable(const MemTable &table);

// Forward-only reader of a table value. The column list is read at construction; rows are
// read one at a time by next(), and the current row's cells can then be read in any order.
// The simdjson document (and its parser) must outlive the reader; the reader leaves the
// document positioned after the table once every row has been read.
// Every malformation throws ProtocolError.
class TableReader
{
public:
    explicit TableReader(simdjson::ondemand::value table);
    TableReader(const TableReader &) = delete;
    TableReader &operator=(const TableReader &) = delete;

    int columnCount() const noexcept { return int(m_columns.size()); }
    const std::vector<FieldDef> &columns() const noexcept { return m_columns; }
    const QString &columnName(int column) const { return m_columns[size_t(column)].name; }
    FieldType columnType(int column) const { return m_columns[size_t(column)].type; }
    // Exact match first, then ignoring case; -1 when absent.
    int indexOf(QStringView name) const;

    // Reads the next row; false after the last one.
    bool next();
    // Rows read so far (the current row is rowsRead() - 1).
    qint64 rowsRead() const noexcept { return m_rowsRead; }

    // Cells of the current row. Null reads as 0, false or empty.
    bool isNull(int column) const { return cell(column).null; }
    qint64 asInt(int column) const;
    double asDouble(int column) const;
    bool asBool(int column) const;
    // UTF-8 of a string cell or the decoded bytes of a blob cell; empty for other types.
    // Valid until next().
    std::string_view bytesView(int column) const;
    QString asString(int column) const;
    QByteArray asBytes(int column) const;
    QVariant value(int column) const;

private:
    struct Cell
    {
        union {
            qint64 i;
            double d;
        };
        std::string_view bytes;   // string cells: in the parser's buffer
        quint32 blobOffset = 0;   // blob cells: in m_blobs
        quint32 blobSize = 0;
        bool null = true;
    };

    friend void copyReaderToTable(TableReader &reader, MemTable &table);
    struct CellSink;
    struct AppendSink;

    const Cell &cell(int column) const;
    void readColumns(simdjson::ondemand::value columns);
    // Reads one row into `sink` (the current-row cells, or a table being filled).
    template <class Sink> bool advance(Sink &sink);
    template <class Sink> void readCell(simdjson::ondemand::value value, size_t column, Sink &sink);
    void finishObject();
    [[noreturn]] void fail(const QString &message) const;
    [[noreturn]] void failCell(size_t column, simdjson::ondemand::value &value, simdjson::error_code error) const;

    std::vector<FieldDef> m_columns;
    std::vector<FieldType> m_types;
    std::vector<Cell> m_cells;
    std::string m_blobs;
    simdjson::ondemand::object m_table;
    simdjson::ondemand::object_iterator m_member;
    simdjson::ondemand::object_iterator m_memberEnd;
    simdjson::ondemand::array m_rows;
    simdjson::ondemand::array_iterator m_row;
    simdjson::ondemand::array_iterator m_rowEnd;
    qint64 m_rowsRead = 0;
    bool m_atEnd = false;
    bool m_hasRow = false;
};

// Rebuilds `table` with the reader's columns (names, types, order) and appends every row in
// order; the previous content is gone. Rows go straight from the reader into the table. When
// the reader fails part way, the table is left closed rather than half filled.
void copyReaderToTable(TableReader &reader, MemTable &table);

// A whole table in one step.
MemTable decodeTable(simdjson::ondemand::value table);
// Parses `json` (a complete table document, nothing after it) with a parser kept per thread.
MemTable decodeTable(std::string_view json);

} // namespace vexor
