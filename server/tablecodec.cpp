#include "tablecodec.h"

#include "errors.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <limits>
#include <stdexcept>

namespace vexor {

namespace ondemand = simdjson::ondemand;

namespace {

bool isNumberType(FieldType t)
{
    return t == FieldType::Double || t == FieldType::Currency || t == FieldType::Bcd
        || t == FieldType::Date || t == FieldType::DateTime;
}

bool isIntType(FieldType t)
{
    return t == FieldType::Int32 || t == FieldType::Int64;
}

bool fitsInt32(qint64 v)
{
    return v >= std::numeric_limits<qint32>::min() && v <= std::numeric_limits<qint32>::max();
}

QString typeText(FieldType t)
{
    const std::string_view name = fieldTypeName(t);
    return QLatin1String(name.data(), qsizetype(name.size()));
}

const char *expectedText(FieldType t)
{
    switch (t) {
    case FieldType::Int32:
    case FieldType::Int64: return "an integer";
    case FieldType::String: return "a string";
    case FieldType::Blob: return "a base64 string";
    case FieldType::Boolean: return "true or false";
    default: return "a number";
    }
}

const char *jsonTypeText(ondemand::json_type t)
{
    switch (t) {
    case ondemand::json_type::array: return "an array";
    case ondemand::json_type::object: return "an object";
    case ondemand::json_type::number: return "a number";
    case ondemand::json_type::string: return "a string";
    case ondemand::json_type::boolean: return "a boolean";
    case ondemand::json_type::null: return "null";
    }
    return "something else";
}

QString simdjsonText(simdjson::error_code error)
{
    return QString::fromUtf8(simdjson::error_message(error));
}

} // namespace

// ---- encoder ----

TableEncoder::TableEncoder(JsonWriter &writer, const std::vector<FieldDef> &columns)
    : m_writer(writer)
{
    m_types.reserve(columns.size());
    m_writer.beginObject();
    m_writer.key("columns");
    m_writer.beginArray();
    for (const FieldDef &f : columns) {
        m_writer.beginObject();
        m_writer.key("name");
        m_writer.value(f.name);
        m_writer.key("type");
        m_writer.value(fieldTypeName(f.type));
        m_writer.endObject();
        m_types.push_back(f.type);
    }
    m_writer.endArray();
    m_writer.key("rows");
    m_writer.beginArray();
}

void TableEncoder::beginRow()
{
    if (m_inRow || m_finished)
        throw std::logic_error("TableEncoder: beginRow inside a row or after finish");
    m_writer.beginArray();
    m_inRow = true;
    m_column = 0;
}

void TableEncoder::endRow()
{
    if (!m_inRow)
        throw std::logic_error("TableEncoder: endRow without beginRow");
    if (m_column != m_types.size())
        throw std::logic_error("TableEncoder: row has fewer values than columns");
    m_writer.endArray();
    m_inRow = false;
}

FieldType TableEncoder::next(const char *what)
{
    if (!m_inRow)
        throw std::logic_error(std::string("TableEncoder: ") + what + " outside a row");
    if (m_column >= m_types.size())
        throw std::logic_error("TableEncoder: row has more values than columns");
    return m_types[m_column++];
}

void TableEncoder::expect(FieldType type, std::initializer_list<FieldType> allowed, const char *what)
{
    for (FieldType t : allowed) {
        if (t == type)
            return;
    }
    throw std::logic_error(std::string("TableEncoder: ") + what + " for a column of type "
                           + std::string(fieldTypeName(type)));
}

void TableEncoder::addNull()
{
    next("null");
    m_writer.null();
}

void TableEncoder::addInt(qint64 value)
{
    const FieldType t = next("integer");
    if (t == FieldType::Int32 && !fitsInt32(value))
        throw std::logic_error("TableEncoder: integer out of range for an int32 column");
    if (isNumberType(t)) {
        m_writer.value(double(value));
        return;
    }
    expect(t, {FieldType::Int32, FieldType::Int64}, "integer");
    m_writer.value(std::int64_t(value));
}

void TableEncoder::addDouble(double value)
{
    const FieldType t = next("number");
    expect(t, {FieldType::Double, FieldType::Currency, FieldType::Bcd, FieldType::Date, FieldType::DateTime},
           "number");
    m_writer.value(value);
}

void TableEncoder::addBool(bool value)
{
    expect(next("boolean"), {FieldType::Boolean}, "boolean");
    m_writer.value(value);
}

void TableEncoder::addString(QStringView text)
{
    expect(next("string"), {FieldType::String}, "string");
    const QByteArray utf8 = text.toUtf8();
    m_writer.value(std::string_view(utf8.constData(), size_t(utf8.size())));
}

void TableEncoder::addUtf8(std::string_view text)
{
    expect(next("string"), {FieldType::String}, "string");
    m_writer.value(text);
}

void TableEncoder::addBlob(QByteArrayView bytes)
{
    expect(next("blob"), {FieldType::Blob}, "blob");
    const QByteArray base64 = bytes.toByteArray().toBase64();
    m_writer.value(std::string_view(base64.constData(), size_t(base64.size())));
}

void TableEncoder::addDate(QDate date)
{
    const FieldType t = next("date");
    expect(t, {FieldType::Date, FieldType::DateTime}, "date");
    if (!date.isValid())
        m_writer.null();
    else
        m_writer.value(dateToDayNumber(date));
}

void TableEncoder::addDateTime(const QDateTime &dateTime)
{
    const FieldType t = next("date-time");
    expect(t, {FieldType::Date, FieldType::DateTime}, "date-time");
    if (!dateTime.isValid())
        m_writer.null();
    else if (t == FieldType::Date)
        m_writer.value(dateToDayNumber(dateTime.date()));
    else
        m_writer.value(dateTimeToDayNumber(dateTime));
}

void TableEncoder::addValue(const QVariant &value)
{
    if (!value.isValid() || value.isNull()) {
        addNull();
        return;
    }
    if (m_column >= m_types.size() || !m_inRow) {
        next("value"); // throws the right message
        return;
    }
    const FieldType t = m_types[m_column];
    const int vt = value.metaType().id();
    bool ok = true;
    switch (t) {
    case FieldType::Int32:
    case FieldType::Int64: {
        qint64 number = 0;
        if (vt == QMetaType::Double || vt == QMetaType::Float) {
            const double d = value.toDouble();
            ok = std::isfinite(d) && d == std::trunc(d) && std::abs(d) < 9.2e18;
            number = ok ? qint64(d) : 0;
        } else {
            number = value.toLongLong(&ok);
        }
        if (ok && t == FieldType::Int32 && !fitsInt32(number))
            ok = false;
        if (ok)
            addInt(number);
        break;
    }
    case FieldType::Date:
    case FieldType::DateTime:
        if (vt == QMetaType::QDate) {
            addDate(value.toDate());
            return;
        }
        if (vt == QMetaType::QDateTime) {
            addDateTime(value.toDateTime());
            return;
        }
        if (vt == QMetaType::QString) {
            const QString text = value.toString();
            const QDateTime dt = QDateTime::fromString(text, Qt::ISODateWithMs);
            if (dt.isValid()) {
                addDateTime(dt);
                return;
            }
            const QDate d = QDate::fromString(text, Qt::ISODate);
            if (d.isValid()) {
                addDate(d);
                return;
            }
        }
        [[fallthrough]];
    case FieldType::Double:
    case FieldType::Currency:
    case FieldType::Bcd: {
        const double d = value.toDouble(&ok);
        ok = ok && std::isfinite(d);
        if (ok)
            addDouble(d);
        break;
    }
    case FieldType::String:
        addString(value.toString());
        break;
    case FieldType::Boolean:
        addBool(value.toBool());
        break;
    case FieldType::Blob:
        addBlob(value.toByteArray());
        break;
    }
    if (!ok)
        throw std::invalid_argument("TableEncoder: value does not convert to column type "
                                    + std::string(fieldTypeName(t)));
}

void TableEncoder::finish()
{
    if (m_inRow)
        throw std::logic_error("TableEncoder: finish inside a row");
    if (m_finished)
        return;
    m_writer.endArray();
    m_writer.endObject();
    m_finished = true;
}

void encodeTable(JsonWriter &writer, const MemTable &table)
{
    std::vector<FieldDef> columns;
    columns.reserve(size_t(table.fieldCount()));
    for (int c = 0; c < table.fieldCount(); ++c)
        columns.push_back(table.field(c));
    TableEncoder encoder(writer, columns);
    for (int r = 0; r < table.rowCount(); ++r) {
        encoder.beginRow();
        for (int c = 0; c < table.fieldCount(); ++c) {
            if (table.isNull(r, c)) {
                encoder.addNull();
                continue;
            }
            switch (columns[size_t(c)].type) {
            case FieldType::Int32:
            case FieldType::Int64: encoder.addInt(table.asInt(r, c)); break;
            case FieldType::Double:
            case FieldType::Currency:
            case FieldType::Bcd:
            case FieldType::Date:
            case FieldType::DateTime: encoder.addDouble(table.asDouble(r, c)); break;
            case FieldType::String: encoder.addUtf8(table.bytesView(r, c)); break;
            case FieldType::Boolean: encoder.addBool(table.asBool(r, c)); break;
            case FieldType::Blob: {
                const std::string_view bytes = table.bytesView(r, c);
                encoder.addBlob(QByteArrayView(bytes.data(), qsizetype(bytes.size())));
                break;
            }
            }
        }
        encoder.endRow();
    }
    encoder.finish();
}

std::string encodeTable(const MemTable &table)
{
    std::string out;
    JsonWriter writer(&out);
    encodeTable(writer, table);
    return out;
}

// ---- reader ----

void TableReader::fail(const QString &message) const
{
    throw ProtocolError(QStringLiteral("Invalid table: ") + message);
}

void TableReader::failCell(size_t column, ondemand::value &value, simdjson::error_code error) const
{
    const FieldDef &f = m_columns[column];
    QString got;
    ondemand::json_type jt;
    std::string_view token;
    if (error == simdjson::INCORRECT_TYPE && value.type().get(jt) == simdjson::SUCCESS) {
        if (jt == ondemand::json_type::number || jt == ondemand::json_type::boolean) {
            token = value.raw_json_token();
            while (!token.empty() && (token.back() == ' ' || token.back() == '\n' || token.back() == '\r' || token.back() == '\t'))
                token.remove_suffix(1);
            got = QLatin1String(token.data(), qsizetype(std::min<size_t>(token.size(), 40)));
        } else {
            got = QLatin1String(jsonTypeText(jt));
        }
    } else {
        got = QStringLiteral("an unreadable value (%1)").arg(simdjsonText(error));
    }
    fail(QStringLiteral("row %1, column \"%2\" (%3): expected %4, got %5")
             .arg(m_rowsRead + 1)
             .arg(f.name, typeText(f.type), QLatin1String(expectedText(f.type)), got));
}

TableReader::TableReader(ondemand::value table)
{
    if (table.get_object().get(m_table) != simdjson::SUCCESS)
        fail(QStringLiteral("not a JSON object"));
    if (auto e = m_table.begin().get(m_member))
        fail(simdjsonText(e));
    if (auto e = m_table.end().get(m_memberEnd))
        fail(simdjsonText(e));
    bool haveColumns = false;
    while (m_member != m_memberEnd) {
        ondemand::field member;
        if (auto e = (*m_member).get(member))
            fail(simdjsonText(e));
        std::string_view key;
        if (auto e = member.unescaped_key().get(key))
            fail(simdjsonText(e));
        if (key == "columns") {
            if (haveColumns)
                fail(QStringLiteral("\"columns\" given twice"));
            readColumns(member.value());
            haveColumns = true;
        } else if (key == "rows") {
            if (!haveColumns)
                fail(QStringLiteral("\"rows\" before \"columns\""));
            if (member.value().get_array().get(m_rows) != simdjson::SUCCESS)
                fail(QStringLiteral("\"rows\" is not an array"));
            if (auto e = m_rows.begin().get(m_row))
                fail(simdjsonText(e));
            if (auto e = m_rows.end().get(m_rowEnd))
                fail(simdjsonText(e));
            m_cells.resize(m_columns.size());
            return;
        }
        // Other members are skipped: room for additions the reader does not need.
        ++m_member;
    }
    fail(haveColumns ? QStringLiteral("no \"rows\"") : QStringLiteral("no \"columns\""));
}

void TableReader::readColumns(ondemand::value columns)
{
    ondemand::array list;
    if (columns.get_array().get(list) != simdjson::SUCCESS)
        fail(QStringLiteral("\"columns\" is not an array"));
    for (auto element : list) {
        ondemand::value v;
        if (auto e = element.get(v))
            fail(simdjsonText(e));
        const QString where = QStringLiteral("column %1: ").arg(m_columns.size() + 1);
        ondemand::object column;
        if (v.get_object().get(column) != simdjson::SUCCESS)
            fail(where + QStringLiteral("not an object"));
        std::string_view name;
        std::string_view type;
        if (auto e = column.find_field_unordered("name").get_string().get(name))
            fail(where + QStringLiteral("\"name\" missing or not a string (%1)").arg(simdjsonText(e)));
        if (auto e = column.find_field_unordered("type").get_string().get(type))
            fail(where + QStringLiteral("\"type\" missing or not a string (%1)").arg(simdjsonText(e)));
        const std::optional<FieldType> fieldType = fieldTypeFromName(type);
        if (!fieldType)
            fail(where + QStringLiteral("unknown type \"%1\"").arg(QString::fromUtf8(type.data(), qsizetype(type.size()))));
        FieldDef def;
        def.name = QString::fromUtf8(name.data(), qsizetype(name.size()));
        def.type = *fieldType;
        m_columns.push_back(std::move(def));
        m_types.push_back(*fieldType);
    }
}

// Where a row's cells go: the reader's own current-row cells ...
struct TableReader::CellSink
{
    TableReader &r;
    void null(size_t c)
    {
        Cell &cell = r.m_cells[c];
        cell.null = true;
        cell.i = 0;
        cell.bytes = {};
        cell.blobSize = 0;
    }
    void integer(size_t c, qint64 v)
    {
        r.m_cells[c].null = false;
        r.m_cells[c].i = v;
    }
    void number(size_t c, double v)
    {
        r.m_cells[c].null = false;
        r.m_cells[c].d = v;
    }
    void boolean(size_t c, bool v) { integer(c, v); }
    void text(size_t c, std::string_view v)
    {
        r.m_cells[c].null = false;
        r.m_cells[c].bytes = v;
    }
    void blob(size_t c, const QByteArray &bytes)
    {
        Cell &cell = r.m_cells[c];
        if (r.m_blobs.size() + size_t(bytes.size()) > std::numeric_limits<quint32>::max())
            r.fail(QStringLiteral("row %1: blobs exceed 4 GiB").arg(r.m_rowsRead + 1));
        cell.null = false;
        cell.blobOffset = quint32(r.m_blobs.size());
        cell.blobSize = quint32(bytes.size());
        r.m_blobs.append(bytes.constData(), size_t(bytes.size()));
    }
    void endRow() { r.m_hasRow = true; }
};

// ... or straight into the table being filled.
struct TableReader::AppendSink
{
    MemTable::Appender &a;
    void null(size_t) { a.addNull(); }
    void integer(size_t, qint64 v) { a.addInt(v); }
    void number(size_t, double v) { a.addDouble(v); }
    void boolean(size_t, bool v) { a.addBool(v); }
    void text(size_t, std::string_view v) { a.addBytes(v); }
    void blob(size_t, const QByteArray &bytes) { a.addBytes(std::string_view(bytes.constData(), size_t(bytes.size()))); }
    void endRow() { a.endRow(); }
};

template <class Sink>
void TableReader::readCell(ondemand::value value, size_t column, Sink &sink)
{
    const FieldType type = m_types[column];
    simdjson::error_code error = simdjson::SUCCESS;
    // Try the column's kind first: a failed typed read does not consume the value, so null
    // is checked only when the value is not of the expected kind.
    switch (type) {
    case FieldType::Int32:
    case FieldType::Int64: {
        int64_t v = 0;
        error = value.get_int64().get(v);
        if (error == simdjson::SUCCESS) {
            if (type == FieldType::Int32 && !fitsInt32(v))
                fail(QStringLiteral("row %1, column \"%2\" (int32): %3 is out of range")
                         .arg(m_rowsRead + 1).arg(m_columns[column].name).arg(v));
            sink.integer(column, v);
            return;
        }
        break;
    }
    case FieldType::Double:
    case FieldType::Currency:
    case FieldType::Bcd:
    case FieldType::Date:
    case FieldType::DateTime: {
        double v = 0;
        error = value.get_double().get(v);
        if (error == simdjson::SUCCESS) {
            sink.number(column, v);
            return;
        }
        break;
    }
    case FieldType::String: {
        std::string_view v;
        error = value.get_string().get(v);
        if (error == simdjson::SUCCESS) {
            sink.text(column, v);
            return;
        }
        break;
    }
    case FieldType::Boolean: {
        bool v = false;
        error = value.get_bool().get(v);
        if (error == simdjson::SUCCESS) {
            sink.boolean(column, v);
            return;
        }
        break;
    }
    case FieldType::Blob: {
        std::string_view v;
        error = value.get_string().get(v);
        if (error == simdjson::SUCCESS) {
            // Our encoder always pads; Qt alone would let a cut-off tail through.
            const auto decoded = v.size() % 4 != 0
                ? QByteArray::FromBase64Result{QByteArray(), QByteArray::Base64DecodingStatus::IllegalInputLength}
                : QByteArray::fromBase64Encoding(QByteArray::fromRawData(v.data(), qsizetype(v.size())),
                                                 QByteArray::Base64Encoding | QByteArray::AbortOnBase64DecodingErrors);
            if (decoded.decodingStatus != QByteArray::Base64DecodingStatus::Ok)
                fail(QStringLiteral("row %1, column \"%2\" (blob): invalid base64")
                         .arg(m_rowsRead + 1).arg(m_columns[column].name));
            sink.blob(column, decoded.decoded);
            return;
        }
        break;
    }
    }
    bool isNull = false;
    if (error == simdjson::INCORRECT_TYPE && value.is_null().get(isNull) == simdjson::SUCCESS && isNull) {
        sink.null(column);
        return;
    }
    failCell(column, value, error);
}

template <class Sink>
bool TableReader::advance(Sink &sink)
{
    if (m_atEnd)
        return false;
    if (!(m_row != m_rowEnd)) {
        finishObject();
        m_atEnd = true;
        return false;
    }
    ondemand::value rowValue;
    if (auto e = (*m_row).get(rowValue))
        fail(QStringLiteral("row %1: %2").arg(m_rowsRead + 1).arg(simdjsonText(e)));
    ondemand::array row;
    if (auto e = rowValue.get_array().get(row)) {
        fail(e == simdjson::INCORRECT_TYPE ? QStringLiteral("row %1 is not an array").arg(m_rowsRead + 1)
                                           : QStringLiteral("row %1: %2").arg(m_rowsRead + 1).arg(simdjsonText(e)));
    }
    const size_t columns = m_types.size();
    size_t n = 0;
    for (auto element : row) {
        ondemand::value v;
        if (auto e = element.get(v))
            fail(QStringLiteral("row %1: %2").arg(m_rowsRead + 1).arg(simdjsonText(e)));
        if (n >= columns)
            fail(QStringLiteral("row %1 has more than %2 values").arg(m_rowsRead + 1).arg(columns));
        readCell(v, n, sink);
        ++n;
    }
    if (n != columns)
        fail(QStringLiteral("row %1 has %2 values for %3 columns").arg(m_rowsRead + 1).arg(n).arg(columns));
    sink.endRow();
    ++m_row;
    ++m_rowsRead;
    return true;
}

bool TableReader::next()
{
    m_hasRow = false;
    m_blobs.clear();
    CellSink sink{*this};
    return advance(sink);
}

// Walks the table object to its closing brace so that a cut-off document is noticed and the
// caller's document is positioned after the table.
void TableReader::finishObject()
{
    ++m_member;
    while (m_member != m_memberEnd) {
        ondemand::field member;
        if (auto e = (*m_member).get(member))
            fail(simdjsonText(e));
        std::string_view key;
        if (auto e = member.unescaped_key().get(key))
            fail(simdjsonText(e));
        if (key == "columns" || key == "rows")
            fail(QStringLiteral("\"%1\" given twice").arg(QLatin1String(key.data(), qsizetype(key.size()))));
        ++m_member;
    }
}

const TableReader::Cell &TableReader::cell(int column) const
{
    if (!m_hasRow)
        throw std::logic_error("TableReader: no current row");
    return m_cells[size_t(column)];
}

int TableReader::indexOf(QStringView name) const
{
    for (size_t i = 0; i < m_columns.size(); ++i) {
        if (m_columns[i].name == name)
            return int(i);
    }
    for (size_t i = 0; i < m_columns.size(); ++i) {
        if (name.compare(m_columns[i].name, Qt::CaseInsensitive) == 0)
            return int(i);
    }
    return -1;
}

qint64 TableReader::asInt(int column) const
{
    const Cell &c = cell(column);
    if (c.null)
        return 0;
    const FieldType t = m_columns[size_t(column)].type;
    if (isIntType(t) || t == FieldType::Boolean)
        return c.i;
    if (isNumberType(t)) {
        if (!std::isfinite(c.d) || std::abs(c.d) >= 9.2e18)
            return 0;
        return std::llround(c.d);
    }
    return 0;
}

double TableReader::asDouble(int column) const
{
    const Cell &c = cell(column);
    if (c.null)
        return 0;
    const FieldType t = m_columns[size_t(column)].type;
    if (isNumberType(t))
        return c.d;
    if (isIntType(t) || t == FieldType::Boolean)
        return double(c.i);
    return 0;
}

bool TableReader::asBool(int column) const
{
    const Cell &c = cell(column);
    if (c.null)
        return false;
    const FieldType t = m_columns[size_t(column)].type;
    if (isNumberType(t))
        return c.d != 0;
    if (isIntType(t) || t == FieldType::Boolean)
        return c.i != 0;
    return false;
}

std::string_view TableReader::bytesView(int column) const
{
    const Cell &c = cell(column);
    if (c.null)
        return {};
    switch (m_columns[size_t(column)].type) {
    case FieldType::String: return c.bytes;
    case FieldType::Blob: return std::string_view(m_blobs.data() + c.blobOffset, c.blobSize);
    default: return {};
    }
}

QString TableReader::asString(int column) const
{
    const Cell &c = cell(column);
    if (c.null)
        return QString();
    switch (m_columns[size_t(column)].type) {
    case FieldType::String: return QString::fromUtf8(c.bytes.data(), qsizetype(c.bytes.size()));
    case FieldType::Int32:
    case FieldType::Int64: return QString::number(c.i);
    case FieldType::Boolean: return c.i ? QStringLiteral("True") : QStringLiteral("False");
    case FieldType::Date: return dayNumberToDate(c.d).toString(Qt::ISODate);
    case FieldType::DateTime: return dayNumberToDateTime(c.d).toString(Qt::ISODateWithMs);
    case FieldType::Double:
    case FieldType::Currency:
    case FieldType::Bcd: {
        char buf[32];
        auto res = std::to_chars(buf, buf + sizeof buf, c.d);
        return QString::fromLatin1(buf, qsizetype(res.ptr - buf));
    }
    case FieldType::Blob: return QString::fromLatin1(asBytes(column).toBase64());
    }
    return QString();
}

QByteArray TableReader::asBytes(int column) const
{
    const std::string_view bytes = bytesView(column);
    return QByteArray(bytes.data(), qsizetype(bytes.size()));
}

QVariant TableReader::value(int column) const
{
    const Cell &c = cell(column);
    if (c.null)
        return QVariant();
    switch (m_columns[size_t(column)].type) {
    case FieldType::Int32: return QVariant(int(c.i));
    case FieldType::Int64: return QVariant(qlonglong(c.i));
    case FieldType::Double:
    case FieldType::Currency:
    case FieldType::Bcd: return QVariant(c.d);
    case FieldType::Date: return QVariant(dayNumberToDate(c.d));
    case FieldType::DateTime: return QVariant(dayNumberToDateTime(c.d));
    case FieldType::Boolean: return QVariant(c.i != 0);
    case FieldType::String: return QVariant(asString(column));
    case FieldType::Blob: return QVariant(asBytes(column));
    }
    return QVariant();
}

// ---- into the in-memory table ----

void copyReaderToTable(TableReader &reader, MemTable &table)
{
    table.setFields(reader.columns());
    try {
        MemTable::Appender append(table);
        TableReader::AppendSink sink{append};
        // The reader's current row is not used on this path: cells go from the parser into
        // the table's columns.
        reader.m_hasRow = false;
        while (reader.advance(sink)) {
        }
    } catch (...) {
        table.close();
        throw;
    }
}

MemTable decodeTable(ondemand::value value)
{
    TableReader reader(value);
    MemTable table;
    copyReaderToTable(reader, table);
    return table;
}

MemTable decodeTable(std::string_view json)
{
    // The parser and the padded copy of the input are kept per thread: fresh buffers of a few
    // megabytes cost more in page faults than the parse itself. The table owns all it holds
    // once decoded, so reusing them afterwards is safe.
    thread_local ondemand::parser parser;
    thread_local std::string padded;
    padded.assign(json);
    padded.append(simdjson::SIMDJSON_PADDING, '\0');
    ondemand::document doc;
    if (auto e = parser.iterate(padded.data(), json.size(), padded.size()).get(doc))
        throw ProtocolError(QStringLiteral("Invalid table: ") + simdjsonText(e));
    ondemand::value root;
    if (doc.get_value().get(root) != simdjson::SUCCESS)
        throw ProtocolError(QStringLiteral("Invalid table: not a JSON object"));
    MemTable table = decodeTable(root);
    const char *trailing = nullptr;
    if (doc.current_location().get(trailing) != simdjson::OUT_OF_BOUNDS)
        throw ProtocolError(QStringLiteral("Invalid table: unexpected content after the table"));
    return table;
}

} // namespace vexor
