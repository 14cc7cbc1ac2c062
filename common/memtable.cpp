#include "memtable.h"

#include "formats.h"

#include <QLocale>

#include <array>
#include <charconv>
#include <cmath>
#include <limits>
#include <stdexcept>
#include <utility>

namespace vexor {

namespace {

constexpr std::array<std::string_view, 10> kTypeNames = {
    "int32", "int64", "double", "currency", "bcd", "string", "date", "datetime", "boolean", "blob",
};

constexpr qint64 kMsPerDay = 86400000;

QDate dayZero()
{
    return QDate(1899, 12, 30);
}

// Day numbers beyond this (about 270,000 years) are garbage, not dates.
constexpr double kMaxDays = 1e8;

QString shortestText(double value)
{
    char buf[32];
    auto res = std::to_chars(buf, buf + sizeof buf, value);
    return QString::fromLatin1(buf, int(res.ptr - buf));
}

QLocale displayLocale()
{
    QLocale locale;
    locale.setNumberOptions(locale.numberOptions() | QLocale::OmitGroupSeparator);
    return locale;
}

qint64 roundToInt64(double value)
{
    // 2^63 is exactly representable; anything at or beyond it does not fit.
    constexpr double limit = 9223372036854775808.0;
    if (!std::isfinite(value) || value >= limit || value < -limit)
        throw std::out_of_range("number does not fit a 64-bit integer");
    return std::llround(value);
}

std::string_view trimmed(std::string_view s)
{
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t'))
        s.remove_prefix(1);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t'))
        s.remove_suffix(1);
    return s;
}

} // namespace

std::string_view fieldTypeName(FieldType type) noexcept
{
    return kTypeNames[size_t(type)];
}

std::optional<FieldType> fieldTypeFromName(std::string_view name) noexcept
{
    for (size_t i = 0; i < kTypeNames.size(); ++i) {
        if (kTypeNames[i] == name)
            return FieldType(i);
    }
    return std::nullopt;
}

QDate dayNumberToDate(double days)
{
    if (!std::isfinite(days) || std::abs(days) > kMaxDays)
        return {};
    return dayZero().addDays(qint64(std::trunc(days)));
}

QDateTime dayNumberToDateTime(double days)
{
    if (!std::isfinite(days) || std::abs(days) > kMaxDays)
        return {};
    // The integral part is the day, the fraction's magnitude the time of day, also before 1899.
    const double whole = std::trunc(days);
    QDate date = dayZero().addDays(qint64(whole));
    qint64 ms = std::llround(std::abs(days - whole) * double(kMsPerDay));
    if (ms >= kMsPerDay) {
        date = date.addDays(1);
        ms = 0;
    }
    return QDateTime(date, QTime::fromMSecsSinceStartOfDay(int(ms)));
}

double dateToDayNumber(QDate date)
{
    return double(dayZero().daysTo(date));
}

double dateTimeToDayNumber(const QDateTime &dateTime)
{
    const double days = double(dayZero().daysTo(dateTime.date()));
    const double fraction = double(dateTime.time().msecsSinceStartOfDay()) / double(kMsPerDay);
    return days < 0 ? days - fraction : days + fraction;
}

MemTable::Storage MemTable::storageOf(FieldType type) noexcept
{
    switch (type) {
    case FieldType::Int32: return Storage::I32;
    case FieldType::Int64: return Storage::I64;
    case FieldType::Double:
    case FieldType::Currency:
    case FieldType::Bcd:
    case FieldType::Date:
    case FieldType::DateTime: return Storage::F64;
    case FieldType::Boolean: return Storage::Bool;
    case FieldType::String:
    case FieldType::Blob: return Storage::Bytes;
    }
    return Storage::Bytes;
}

void MemTable::close()
{
    m_columns.clear();
    m_rowCount = 0;
    m_active = false;
}

void MemTable::setFields(std::vector<FieldDef> fields)
{
    std::vector<Column> columns(fields.size());
    for (size_t i = 0; i < fields.size(); ++i) {
        columns[i].storage = storageOf(fields[i].type);
        columns[i].def = std::move(fields[i]);
        if (columns[i].storage == Storage::Bytes)
            columns[i].offsets.push_back(0);
    }
    m_columns = std::move(columns);
    m_rowCount = 0;
    m_active = true;
}

int MemTable::fieldIndex(QStringView name) const
{
    for (size_t i = 0; i < m_columns.size(); ++i) {
        if (m_columns[i].def.name == name)
            return int(i);
    }
    for (size_t i = 0; i < m_columns.size(); ++i) {
        if (name.compare(m_columns[i].def.name, Qt::CaseInsensitive) == 0)
            return int(i);
    }
    return -1;
}

void MemTable::setDisplayFormat(int column, const QString &pattern)
{
    m_columns[size_t(column)].def.displayFormat = pattern;
}

void MemTable::reserveRows(int rows)
{
    for (Column &c : m_columns) {
        switch (c.storage) {
        case Storage::I32: c.i32.reserve(size_t(rows)); break;
        case Storage::I64: c.i64.reserve(size_t(rows)); break;
        case Storage::F64: c.f64.reserve(size_t(rows)); break;
        case Storage::Bool: c.flags.reserve(size_t(rows)); break;
        case Storage::Bytes: c.offsets.reserve(size_t(rows) + 1); break;
        }
    }
}

bool MemTable::isNull(int row, int column) const
{
    Q_ASSERT(row >= 0 && row < m_rowCount);
    return nullAt(m_columns[size_t(column)], row);
}

double MemTable::asDouble(int row, int column) const
{
    Q_ASSERT(row >= 0 && row < m_rowCount);
    const Column &c = m_columns[size_t(column)];
    switch (c.storage) {
    case Storage::I32: return c.i32[size_t(row)];
    case Storage::I64: return double(c.i64[size_t(row)]);
    case Storage::F64: return c.f64[size_t(row)];
    case Storage::Bool: return c.flags[size_t(row)] ? 1.0 : 0.0;
    case Storage::Bytes:
        if (c.def.type == FieldType::String) {
            const std::string_view text = trimmed(bytesView(row, column));
            double v = 0;
            auto res = std::from_chars(text.data(), text.data() + text.size(), v);
            return res.ec == std::errc() && res.ptr == text.data() + text.size() ? v : 0.0;
        }
        return 0.0;
    }
    return 0.0;
}

qint64 MemTable::asInt(int row, int column) const
{
    Q_ASSERT(row >= 0 && row < m_rowCount);
    const Column &c = m_columns[size_t(column)];
    switch (c.storage) {
    case Storage::I32: return c.i32[size_t(row)];
    case Storage::I64: return c.i64[size_t(row)];
    case Storage::F64: {
        const double v = c.f64[size_t(row)];
        try {
            return roundToInt64(v);
        } catch (const std::out_of_range &) {
            return 0;
        }
    }
    case Storage::Bool: return c.flags[size_t(row)] ? 1 : 0;
    case Storage::Bytes:
        if (c.def.type == FieldType::String) {
            const std::string_view text = trimmed(bytesView(row, column));
            qint64 v = 0;
            auto res = std::from_chars(text.data(), text.data() + text.size(), v);
            return res.ec == std::errc() && res.ptr == text.data() + text.size() ? v : 0;
        }
        return 0;
    }
    return 0;
}

bool MemTable::asBool(int row, int column) const
{
    Q_ASSERT(row >= 0 && row < m_rowCount);
    const Column &c = m_columns[size_t(column)];
    if (c.storage == Storage::Bool)
        return c.flags[size_t(row)] != 0;
    if (c.storage == Storage::Bytes) {
        const std::string_view text = trimmed(bytesView(row, column));
        return text == "1" || QByteArrayView(text.data(), qsizetype(text.size())).compare("true", Qt::CaseInsensitive) == 0;
    }
    return asDouble(row, column) != 0.0;
}

std::string_view MemTable::bytesView(int row, int column) const
{
    Q_ASSERT(row >= 0 && row < m_rowCount);
    const Column &c = m_columns[size_t(column)];
    if (c.storage != Storage::Bytes)
        return {};
    const quint32 begin = c.offsets[size_t(row)];
    return std::string_view(c.arena.data() + begin, c.offsets[size_t(row) + 1] - begin);
}

QByteArray MemTable::asBytes(int row, int column) const
{
    const std::string_view bytes = bytesView(row, column);
    return QByteArray(bytes.data(), qsizetype(bytes.size()));
}

QString MemTable::asString(int row, int column) const
{
    Q_ASSERT(row >= 0 && row < m_rowCount);
    const Column &c = m_columns[size_t(column)];
    if (nullAt(c, row))
        return QString();
    switch (c.def.type) {
    case FieldType::String: {
        const std::string_view text = bytesView(row, column);
        return QString::fromUtf8(text.data(), qsizetype(text.size()));
    }
    case FieldType::Blob:
        return QString::fromLatin1(asBytes(row, column).toBase64());
    case FieldType::Int32:
    case FieldType::Int64:
        return QString::number(asInt(row, column));
    case FieldType::Double:
    case FieldType::Currency:
    case FieldType::Bcd:
        return shortestText(c.f64[size_t(row)]);
    case FieldType::Date:
        return dayNumberToDate(c.f64[size_t(row)]).toString(Qt::ISODate);
    case FieldType::DateTime:
        return dayNumberToDateTime(c.f64[size_t(row)]).toString(Qt::ISODateWithMs);
    case FieldType::Boolean:
        return c.flags[size_t(row)] ? QStringLiteral("True") : QStringLiteral("False");
    }
    return QString();
}

QVariant MemTable::value(int row, int column) const
{
    Q_ASSERT(row >= 0 && row < m_rowCount);
    const Column &c = m_columns[size_t(column)];
    if (nullAt(c, row))
        return QVariant();
    switch (c.def.type) {
    case FieldType::Int32: return QVariant(int(c.i32[size_t(row)]));
    case FieldType::Int64: return QVariant(qlonglong(c.i64[size_t(row)]));
    case FieldType::Double:
    case FieldType::Currency:
    case FieldType::Bcd: return QVariant(c.f64[size_t(row)]);
    case FieldType::String: return QVariant(asString(row, column));
    case FieldType::Date: return QVariant(dayNumberToDate(c.f64[size_t(row)]));
    case FieldType::DateTime: return QVariant(dayNumberToDateTime(c.f64[size_t(row)]));
    case FieldType::Boolean: return QVariant(c.flags[size_t(row)] != 0);
    case FieldType::Blob: return QVariant(asBytes(row, column));
    }
    return QVariant();
}

QString MemTable::displayText(int row, int column) const
{
    Q_ASSERT(row >= 0 && row < m_rowCount);
    const Column &c = m_columns[size_t(column)];
    if (nullAt(c, row))
        return QString();
    if (!c.def.displayFormat.isEmpty() && c.storage != Storage::Bytes && c.storage != Storage::Bool
        && c.def.type != FieldType::Date && c.def.type != FieldType::DateTime)
        return formatNumber(asDouble(row, column), c.def.displayFormat, QLocale());
    switch (c.def.type) {
    case FieldType::Int32:
    case FieldType::Int64:
        return displayLocale().toString(asInt(row, column));
    case FieldType::Double:
    case FieldType::Currency:
    case FieldType::Bcd:
        return displayLocale().toString(c.f64[size_t(row)], 'g', QLocale::FloatingPointShortest);
    case FieldType::Date:
        return QLocale().toString(dayNumberToDate(c.f64[size_t(row)]), QLocale::ShortFormat);
    case FieldType::DateTime: {
        const QDateTime dt = dayNumberToDateTime(c.f64[size_t(row)]);
        // A date-time at midnight is a plain date for the reader.
        if (dt.time().msecsSinceStartOfDay() == 0)
            return QLocale().toString(dt.date(), QLocale::ShortFormat);
        return QLocale().toString(dt, QLocale::ShortFormat);
    }
    case FieldType::String:
    case FieldType::Boolean:
        return asString(row, column);
    case FieldType::Blob:
        return QString();
    }
    return QString();
}

int MemTable::appendRow()
{
    const int row = m_rowCount;
    if (row == std::numeric_limits<int>::max())
        throw std::length_error("table row limit reached");
    for (Column &c : m_columns) {
        switch (c.storage) {
        case Storage::I32: c.i32.push_back(0); break;
        case Storage::I64: c.i64.push_back(0); break;
        case Storage::F64: c.f64.push_back(0.0); break;
        case Storage::Bool: c.flags.push_back(0); break;
        case Storage::Bytes: c.offsets.push_back(quint32(c.arena.size())); break;
        }
        if (!c.nullBits.empty() && c.nullBits.size() <= size_t(row >> 6))
            c.nullBits.push_back(0);
    }
    ++m_rowCount;
    return row;
}

void MemTable::clearNull(Column &c, int row)
{
    if (!c.nullBits.empty())
        c.nullBits[size_t(row) >> 6] &= ~(quint64(1) << (row & 63));
}

void MemTable::setNull(int row, int column)
{
    Q_ASSERT(row >= 0 && row < m_rowCount);
    Column &c = m_columns[size_t(column)];
    // The stored value goes back to zero or empty so that reads need no null test.
    switch (c.storage) {
    case Storage::I32: c.i32[size_t(row)] = 0; break;
    case Storage::I64: c.i64[size_t(row)] = 0; break;
    case Storage::F64: c.f64[size_t(row)] = 0.0; break;
    case Storage::Bool: c.flags[size_t(row)] = 0; break;
    case Storage::Bytes: setUtf8(row, column, {}); break;
    }
    if (c.nullBits.empty())
        c.nullBits.assign((size_t(m_rowCount) + 63) / 64, 0);
    c.nullBits[size_t(row) >> 6] |= quint64(1) << (row & 63);
}

void MemTable::setInt(int row, int column, qint64 value)
{
    Q_ASSERT(row >= 0 && row < m_rowCount);
    Column &c = m_columns[size_t(column)];
    switch (c.storage) {
    case Storage::I32:
        if (value < std::numeric_limits<qint32>::min() || value > std::numeric_limits<qint32>::max())
            throw std::out_of_range("number does not fit a 32-bit integer column");
        c.i32[size_t(row)] = qint32(value);
        break;
    case Storage::I64: c.i64[size_t(row)] = value; break;
    case Storage::F64: c.f64[size_t(row)] = double(value); break;
    case Storage::Bool: c.flags[size_t(row)] = value != 0; break;
    case Storage::Bytes: {
        char buf[24];
        auto res = std::to_chars(buf, buf + sizeof buf, value);
        setUtf8(row, column, std::string_view(buf, size_t(res.ptr - buf)));
        break;
    }
    }
    clearNull(c, row);
}

void MemTable::setDouble(int row, int column, double value)
{
    Q_ASSERT(row >= 0 && row < m_rowCount);
    Column &c = m_columns[size_t(column)];
    switch (c.storage) {
    case Storage::I32:
    case Storage::I64: setInt(row, column, roundToInt64(value)); return;
    case Storage::F64: c.f64[size_t(row)] = value; break;
    case Storage::Bool: c.flags[size_t(row)] = value != 0.0; break;
    case Storage::Bytes: {
        char buf[32];
        auto res = std::to_chars(buf, buf + sizeof buf, value);
        setUtf8(row, column, std::string_view(buf, size_t(res.ptr - buf)));
        break;
    }
    }
    clearNull(c, row);
}

void MemTable::setBool(int row, int column, bool value)
{
    Q_ASSERT(row >= 0 && row < m_rowCount);
    Column &c = m_columns[size_t(column)];
    if (c.storage == Storage::Bytes) {
        setUtf8(row, column, value ? std::string_view("True") : std::string_view("False"));
        return;
    }
    if (c.storage == Storage::Bool) {
        c.flags[size_t(row)] = value;
        clearNull(c, row);
        return;
    }
    setInt(row, column, value ? 1 : 0);
}

void MemTable::setString(int row, int column, QStringView text)
{
    if (m_columns[size_t(column)].def.type == FieldType::String) {
        const QByteArray utf8 = text.toUtf8();
        setUtf8(row, column, std::string_view(utf8.constData(), size_t(utf8.size())));
        return;
    }
    setValue(row, column, QVariant(text.toString()));
}

void MemTable::setUtf8(int row, int column, std::string_view utf8)
{
    Q_ASSERT(row >= 0 && row < m_rowCount);
    Column &c = m_columns[size_t(column)];
    if (c.storage != Storage::Bytes) {
        setString(row, column, QString::fromUtf8(utf8.data(), qsizetype(utf8.size())));
        return;
    }
    const size_t begin = c.offsets[size_t(row)];
    const size_t end = c.offsets[size_t(row) + 1];
    const size_t newSize = c.arena.size() - (end - begin) + utf8.size();
    if (newSize > std::numeric_limits<quint32>::max())
        throw std::length_error("text column exceeds 4 GiB");
    if (row == m_rowCount - 1) {
        // The usual case while a table is being filled: the last cell ends the arena.
        c.arena.resize(begin);
        c.arena.append(utf8);
        c.offsets[size_t(row) + 1] = quint32(c.arena.size());
    } else {
        c.arena.replace(begin, end - begin, utf8);
        const quint32 delta = quint32(utf8.size()) - quint32(end - begin); // modular on purpose
        for (size_t r = size_t(row) + 1; r < c.offsets.size(); ++r)
            c.offsets[r] += delta;
    }
    clearNull(c, row);
}

void MemTable::setValue(int row, int column, const QVariant &value)
{
    if (!value.isValid() || value.isNull()) {
        setNull(row, column);
        return;
    }
    const Column &c = m_columns[size_t(column)];
    const int valueType = value.metaType().id();
    bool ok = true;
    switch (c.def.type) {
    case FieldType::Int32:
    case FieldType::Int64: {
        if (valueType == QMetaType::Double || valueType == QMetaType::Float) {
            setDouble(row, column, value.toDouble());
            return;
        }
        const qint64 number = value.toLongLong(&ok);
        if (ok)
            setInt(row, column, number);
        break;
    }
    case FieldType::Date:
    case FieldType::DateTime:
        if (valueType == QMetaType::QDate) {
            if (!value.toDate().isValid())
                return setNull(row, column);
            setDouble(row, column, dateToDayNumber(value.toDate()));
            return;
        }
        if (valueType == QMetaType::QDateTime) {
            if (!value.toDateTime().isValid())
                return setNull(row, column);
            setDouble(row, column, dateTimeToDayNumber(value.toDateTime()));
            return;
        }
        [[fallthrough]];
    case FieldType::Double:
    case FieldType::Currency:
    case FieldType::Bcd: {
        const double number = value.toDouble(&ok);
        if (ok)
            setDouble(row, column, number);
        break;
    }
    case FieldType::Boolean:
        if (valueType == QMetaType::QString) {
            const QString text = value.toString().trimmed();
            if (text.compare(u"true", Qt::CaseInsensitive) == 0 || text == u"1")
                setBool(row, column, true);
            else if (text.compare(u"false", Qt::CaseInsensitive) == 0 || text == u"0")
                setBool(row, column, false);
            else
                ok = false;
            break;
        }
        setBool(row, column, value.toBool());
        break;
    case FieldType::String:
        setString(row, column, value.toString());
        break;
    case FieldType::Blob:
        setBytes(row, column, value.toByteArray());
        break;
    }
    if (!ok)
        throw std::invalid_argument("value does not convert to the column type");
}

void MemTable::swap(MemTable &other) noexcept
{
    m_columns.swap(other.m_columns);
    std::swap(m_rowCount, other.m_rowCount);
    std::swap(m_active, other.m_active);
}

MemTable::Appender::~Appender()
{
    // Take back the cells of an unfinished row so every column has rowCount() cells again.
    const size_t row = size_t(m_table.m_rowCount);
    for (size_t i = 0; i < m_column; ++i) {
        Column &c = m_table.m_columns[i];
        switch (c.storage) {
        case Storage::I32: c.i32.pop_back(); break;
        case Storage::I64: c.i64.pop_back(); break;
        case Storage::F64: c.f64.pop_back(); break;
        case Storage::Bool: c.flags.pop_back(); break;
        case Storage::Bytes:
            c.offsets.pop_back();
            c.arena.resize(c.offsets.back());
            break;
        }
        if (c.nullBits.size() > (row >> 6))
            c.nullBits[row >> 6] &= ~(quint64(1) << (row & 63));
    }
}

void MemTable::Appender::wrongValue() const
{
    if (m_column >= m_table.m_columns.size())
        throw std::logic_error("MemTable::Appender: more values than columns");
    throw std::logic_error("MemTable::Appender: value of the wrong kind for column "
                           + m_table.m_columns[m_column].def.name.toStdString());
}

void MemTable::Appender::addNull()
{
    if (m_column >= m_table.m_columns.size())
        throw std::logic_error("MemTable::Appender: more values than columns");
    Column &c = m_table.m_columns[m_column++];
    switch (c.storage) {
    case Storage::I32: c.i32.push_back(0); break;
    case Storage::I64: c.i64.push_back(0); break;
    case Storage::F64: c.f64.push_back(0.0); break;
    case Storage::Bool: c.flags.push_back(0); break;
    case Storage::Bytes: c.offsets.push_back(c.offsets.back()); break;
    }
    const size_t row = size_t(m_table.m_rowCount);
    if (c.nullBits.size() <= (row >> 6))
        c.nullBits.resize((row >> 6) + 1, 0);
    c.nullBits[row >> 6] |= quint64(1) << (row & 63);
}

void MemTable::Appender::endRow()
{
    if (m_column != m_table.m_columns.size())
        throw std::logic_error("MemTable::Appender: fewer values than columns");
    if (m_table.m_rowCount == std::numeric_limits<int>::max())
        throw std::length_error("table row limit reached");
    const int row = m_table.m_rowCount++;
    m_column = 0;
    // Columns with nulls keep a bit for every row.
    if ((row & 63) == 0) {
        for (Column &c : m_table.m_columns) {
            if (!c.nullBits.empty() && c.nullBits.size() <= size_t(row >> 6))
                c.nullBits.push_back(0);
        }
    }
}

void FloatAlanBicimle(MemTable &table)
{
    for (int i = 0; i < table.fieldCount(); ++i) {
        if (table.field(i).type == FieldType::Double)
            table.setDisplayFormat(i, kTutarBicimi);
    }
}

bool TabloDoluMu(const MemTable &table)
{
    return table.isActive() && table.rowCount() > 0;
}

bool SeciliVarMi(const MemTable &table)
{
    if (!TabloDoluMu(table))
        return false;
    const int sec = table.fieldIndex(u"SEC");
    if (sec < 0)
        return false;
    const FieldType type = table.field(sec).type;
    for (int row = 0; row < table.rowCount(); ++row) {
        if (table.isNull(row, sec))
            continue;
        bool one = false;
        switch (type) {
        case FieldType::String: one = trimmed(table.bytesView(row, sec)) == "1"; break;
        case FieldType::Blob: break;
        case FieldType::Boolean: one = table.asBool(row, sec); break;
        default: one = table.asDouble(row, sec) == 1.0; break;
        }
        if (one)
            return true;
    }
    return false;
}

} // namespace vexor
