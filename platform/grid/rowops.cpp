#include "rowops.h"

#include "common/formats.h"

#include <QCollator>

#include <algorithm>
#include <cmath>
#include <numeric>
#include <string_view>
#include <unordered_map>
#include <unordered_set>

namespace vexor {

namespace {

enum class Storage : quint8 { Integer, Real, Text, None };

Storage storageOf(FieldType type)
{
    switch (type) {
    case FieldType::Int32:
    case FieldType::Int64:
    case FieldType::Boolean:
        return Storage::Integer;
    case FieldType::Double:
    case FieldType::Currency:
    case FieldType::Bcd:
    case FieldType::Date:
    case FieldType::DateTime:
        return Storage::Real;
    case FieldType::String:
        return Storage::Text;
    case FieldType::Blob:
        return Storage::None;
    }
    return Storage::None;
}

struct TextHash
{
    using is_transparent = void;
    size_t operator()(std::string_view s) const noexcept { return std::hash<std::string_view>{}(s); }
    size_t operator()(const std::string &s) const noexcept { return std::hash<std::string_view>{}(s); }
};

using TextSet = std::unordered_set<std::string, TextHash, std::equal_to<>>;

// Case-insensitive matching that knows the locale's letters (Turkish i/İ and ı/I).
QString folded(QStringView text, const QLocale &locale)
{
    return locale.toUpper(text.toString());
}

// A header filter prepared for testing many rows.
struct CompiledFilter
{
    int field = -1;
    Storage storage = Storage::None;
    bool text = false;
    QString needle;
    const RowText *rowText = nullptr;
    bool blank = false;
    std::unordered_set<qint64> integers;
    std::unordered_set<double> reals;
    TextSet texts;

    bool accepts(const MemTable &table, int row, const QLocale &locale) const
    {
        if (text)
            return folded((*rowText)(row), locale).contains(needle);
        if (table.isNull(row, field))
            return blank;
        switch (storage) {
        case Storage::Integer: return integers.count(table.asInt(row, field)) != 0;
        case Storage::Real: return reals.count(table.asDouble(row, field)) != 0;
        case Storage::Text: {
            const std::string_view bytes = table.bytesView(row, field);
            return bytes.empty() ? blank : texts.find(bytes) != texts.end();
        }
        case Storage::None: return blank;
        }
        return false;
    }
};

} // namespace

CellKey cellKey(const MemTable &table, int row, int field)
{
    if (field < 0 || table.isNull(row, field))
        return {};
    switch (storageOf(table.field(field).type)) {
    case Storage::Integer: return {table.asInt(row, field)};
    case Storage::Real: return {table.asDouble(row, field)};
    case Storage::Text: {
        const std::string_view bytes = table.bytesView(row, field);
        if (bytes.empty())
            return {};
        return {std::string(bytes)};
    }
    case Storage::None: break;
    }
    return {};
}

ColumnOrder::ColumnOrder(const MemTable &table, int field)
{
    if (field < 0 || field >= table.fieldCount())
        return;
    const int rowCount = table.rowCount();
    switch (storageOf(table.field(field).type)) {
    case Storage::Integer:
        m_kind = Kind::Integer;
        m_null.resize(size_t(rowCount));
        m_integer.resize(size_t(rowCount));
        for (int row = 0; row < rowCount; ++row) {
            m_null[size_t(row)] = table.isNull(row, field);
            m_integer[size_t(row)] = table.asInt(row, field);
        }
        return;
    case Storage::Real:
        m_kind = Kind::Real;
        m_null.resize(size_t(rowCount));
        m_real.resize(size_t(rowCount));
        for (int row = 0; row < rowCount; ++row) {
            m_null[size_t(row)] = table.isNull(row, field);
            m_real[size_t(row)] = table.asDouble(row, field);
        }
        return;
    case Storage::None:
        m_kind = Kind::None;
        return;
    case Storage::Text:
        break;
    }

    // Texts: collate each distinct text once, then compare ranks.
    m_kind = Kind::Rank;
    m_rank.assign(size_t(rowCount), -1);
    std::unordered_map<std::string_view, int> ids;
    std::vector<std::string_view> distinct;
    for (int row = 0; row < rowCount; ++row) {
        if (table.isNull(row, field))
            continue;
        const std::string_view bytes = table.bytesView(row, field);
        if (bytes.empty())
            continue;
        const auto [it, added] = ids.try_emplace(bytes, int(distinct.size()));
        if (added)
            distinct.push_back(bytes);
        m_rank[size_t(row)] = it->second;
    }
    std::vector<QString> texts;
    texts.reserve(distinct.size());
    for (std::string_view bytes : distinct)
        texts.push_back(QString::fromUtf8(bytes.data(), qsizetype(bytes.size())));
    QCollator collator{QLocale()};
    std::vector<int> order(distinct.size());
    std::iota(order.begin(), order.end(), 0);
    std::sort(order.begin(), order.end(),
              [&](int a, int b) { return collator.compare(texts[size_t(a)], texts[size_t(b)]) < 0; });
    std::vector<int> rankOf(distinct.size());
    int rank = 0;
    for (size_t i = 0; i < order.size(); ++i) {
        if (i > 0 && collator.compare(texts[size_t(order[i - 1])], texts[size_t(order[i])]) != 0)
            ++rank;
        rankOf[size_t(order[i])] = rank;
    }
    for (int &r : m_rank) {
        if (r >= 0)
            r = rankOf[size_t(r)];
    }
}

int ColumnOrder::compare(int rowA, int rowB) const
{
    const size_t a = size_t(rowA), b = size_t(rowB);
    switch (m_kind) {
    case Kind::Rank:
        return m_rank[a] < m_rank[b] ? -1 : (m_rank[a] > m_rank[b] ? 1 : 0);
    case Kind::Integer:
    case Kind::Real:
        // Blanks first.
        if (m_null[a] || m_null[b])
            return int(m_null[b]) - int(m_null[a]);
        if (m_kind == Kind::Integer)
            return m_integer[a] < m_integer[b] ? -1 : (m_integer[a] > m_integer[b] ? 1 : 0);
        return m_real[a] < m_real[b] ? -1 : (m_real[a] > m_real[b] ? 1 : 0);
    case Kind::None:
        break;
    }
    return 0;
}

void sortRows(const MemTable &table, int field, Qt::SortOrder order, std::vector<int> &rows)
{
    const ColumnOrder by(table, field);
    if (order == Qt::AscendingOrder)
        std::stable_sort(rows.begin(), rows.end(), [&](int a, int b) { return by.less(a, b); });
    else
        std::stable_sort(rows.begin(), rows.end(), [&](int a, int b) { return by.less(b, a); });
}

std::vector<int> groupRows(const MemTable &table, int field, std::vector<int> &rows)
{
    const ColumnOrder by(table, field);
    std::stable_sort(rows.begin(), rows.end(), [&](int a, int b) { return by.less(a, b); });
    std::vector<int> bounds;
    for (size_t i = 0; i < rows.size(); ++i) {
        if (i == 0 || !by.equivalent(rows[i - 1], rows[i]))
            bounds.push_back(int(i));
    }
    bounds.push_back(int(rows.size()));
    return bounds;
}

std::vector<int> filterRows(const MemTable &table, std::span<const ColumnFilter> filters,
                            std::span<const int> rows)
{
    const QLocale locale;
    std::vector<CompiledFilter> compiled;
    for (const ColumnFilter &f : filters) {
        if (!f.filter.isActive())
            continue;
        CompiledFilter c;
        c.field = f.field;
        if (!f.filter.text.isEmpty()) {
            if (!f.text)
                continue;
            c.text = true;
            c.needle = folded(f.filter.text, locale);
            c.rowText = &f.text;
        } else {
            if (f.field < 0)
                continue;
            c.storage = storageOf(table.field(f.field).type);
            for (const CellKey &key : f.filter.values) {
                if (key.isBlank())
                    c.blank = true;
                else if (const auto *i = std::get_if<qint64>(&key.value))
                    c.integers.insert(*i);
                else if (const auto *d = std::get_if<double>(&key.value))
                    c.reals.insert(*d);
                else if (const auto *s = std::get_if<std::string>(&key.value))
                    c.texts.insert(*s);
            }
        }
        compiled.push_back(std::move(c));
    }
    std::vector<int> kept;
    if (compiled.empty()) {
        kept.assign(rows.begin(), rows.end());
        return kept;
    }
    kept.reserve(rows.size());
    for (int row : rows) {
        if (std::all_of(compiled.begin(), compiled.end(),
                        [&](const CompiledFilter &c) { return c.accepts(table, row, locale); }))
            kept.push_back(row);
    }
    return kept;
}

std::vector<FilterValue> distinctValues(const MemTable &table, int field, std::span<const int> rows,
                                        const RowText &text)
{
    if (field < 0)
        return {};
    // The first row of every distinct value stands for it.
    std::vector<int> representatives;
    int blankRow = -1;
    switch (storageOf(table.field(field).type)) {
    case Storage::Integer: {
        std::unordered_set<qint64> seen;
        for (int row : rows) {
            if (table.isNull(row, field)) {
                if (blankRow < 0)
                    blankRow = row;
            } else if (seen.insert(table.asInt(row, field)).second) {
                representatives.push_back(row);
            }
        }
        break;
    }
    case Storage::Real: {
        std::unordered_set<double> seen;
        for (int row : rows) {
            if (table.isNull(row, field)) {
                if (blankRow < 0)
                    blankRow = row;
            } else if (seen.insert(table.asDouble(row, field)).second) {
                representatives.push_back(row);
            }
        }
        break;
    }
    case Storage::Text: {
        std::unordered_set<std::string_view> seen;
        for (int row : rows) {
            const std::string_view bytes = table.isNull(row, field) ? std::string_view() : table.bytesView(row, field);
            if (bytes.empty()) {
                if (blankRow < 0)
                    blankRow = row;
            } else if (seen.insert(bytes).second) {
                representatives.push_back(row);
            }
        }
        break;
    }
    case Storage::None:
        return {};
    }

    const ColumnOrder by(table, field);
    std::sort(representatives.begin(), representatives.end(), [&](int a, int b) { return by.less(a, b); });
    std::vector<FilterValue> values;
    values.reserve(representatives.size() + 1);
    if (blankRow >= 0)
        values.push_back({CellKey{}, QString()});
    for (int row : representatives)
        values.push_back({cellKey(table, row, field), text ? text(row) : table.displayText(row, field)});
    return values;
}

SummaryValue summarise(const MemTable &table, int field, Summary kind, std::span<const int> rows)
{
    SummaryValue v;
    if (kind == Summary::RowCount) {
        v.count = qint64(rows.size());
        return v;
    }
    if (field < 0 || kind == Summary::None)
        return v;
    const bool text = table.field(field).type == FieldType::String || table.field(field).type == FieldType::Blob;
    // Neumaier's compensated sum: a hundred thousand amounts add up to what they show.
    double sum = 0, compensation = 0;
    for (int row : rows) {
        if (table.isNull(row, field))
            continue;
        if (text && table.bytesView(row, field).empty())
            continue;
        ++v.count;
        if (kind == Summary::Sum) {
            const double x = table.asDouble(row, field);
            const double t = sum + x;
            compensation += std::abs(sum) >= std::abs(x) ? (sum - t) + x : (x - t) + sum;
            sum = t;
        }
    }
    v.sum = sum + compensation;
    return v;
}

QString summaryText(Summary kind, const SummaryValue &value, FieldType type,
                    const QString &displayFormat, const QLocale &locale)
{
    switch (kind) {
    case Summary::None:
        return QString();
    case Summary::Count:
    case Summary::RowCount:
        return locale.toString(value.count);
    case Summary::Sum:
        break;
    }
    if (!displayFormat.isEmpty())
        return formatNumber(value.sum, displayFormat, locale);
    QLocale plain = locale;
    plain.setNumberOptions(plain.numberOptions() | QLocale::OmitGroupSeparator);
    if (type == FieldType::Int32 || type == FieldType::Int64 || type == FieldType::Boolean)
        return plain.toString(qint64(std::llround(value.sum)));
    // Sums of binary fractions carry noise in the last digits (0.1 + 0.2); no one typed more
    // than six decimals.
    return plain.toString(roundHalfAwayFromZero(value.sum, 6), 'f', QLocale::FloatingPointShortest);
}

int findByPrefix(int count, int from, int step, QStringView prefix, const RowText &text, const QLocale &locale)
{
    if (count <= 0 || prefix.isEmpty() || !text)
        return -1;
    if (from < 0 || from >= count)
        from = step > 0 ? 0 : count - 1;
    const QString wanted = folded(prefix, locale);
    for (int i = 0; i < count; ++i) {
        const int row = ((from + step * i) % count + count) % count;
        if (folded(text(row), locale).startsWith(wanted))
            return row;
    }
    return -1;
}

std::vector<int> widestRowCandidates(const MemTable &table, int field, std::span<const int> rows, int limit)
{
    if (limit <= 0 || rows.empty())
        return {};
    if (field < 0 || size_t(limit) >= rows.size())
        return std::vector<int>(rows.begin(), rows.begin() + std::min<qsizetype>(qsizetype(rows.size()), limit));

    std::vector<std::pair<double, int>> measured;
    measured.reserve(rows.size());
    int mostNegative = -1;
    switch (storageOf(table.field(field).type)) {
    case Storage::Text:
        for (int row : rows)
            measured.emplace_back(double(table.bytesView(row, field).size()), row);
        break;
    case Storage::Integer:
    case Storage::Real:
        for (int row : rows) {
            const double v = table.isNull(row, field) ? 0 : table.asDouble(row, field);
            measured.emplace_back(std::abs(v), row);
            if (v < 0 && (mostNegative < 0 || v < table.asDouble(mostNegative, field)))
                mostNegative = row;
        }
        break;
    case Storage::None:
        return std::vector<int>(rows.begin(), rows.begin() + limit);
    }
    std::partial_sort(measured.begin(), measured.begin() + limit, measured.end(),
                      [](const auto &a, const auto &b) { return a.first > b.first || (a.first == b.first && a.second < b.second); });
    std::vector<int> picked;
    picked.reserve(size_t(limit) + 1);
    for (int i = 0; i < limit; ++i)
        picked.push_back(measured[size_t(i)].second);
    if (mostNegative >= 0 && std::find(picked.begin(), picked.end(), mostNegative) == picked.end())
        picked.push_back(mostNegative);
    return picked;
}

} // namespace vexor
