#pragma once

#include "errors.h"
#include "jsonwriter.h"

#include <QHash>
#include <QJsonArray>
#include <QJsonObject>
#include <QJsonValue>
#include <QString>
#include <QStringList>

#include <algorithm>
#include <initializer_list>
#include <memory>
#include <shared_mutex>
#include <span>
#include <string>
#include <string_view>
#include <type_traits>
#include <typeinfo>
#include <utility>
#include <vector>

namespace vexor {

// Base of every transfer record that crosses the wire as a JSON object
//   {"type":"<unit>.<class>","id":N,"fields":{"F<property>":value,...}}
// with "fields" in declaration order.
class Record
{
public:
    virtual ~Record() = default;

    // Unit-qualified class name, the "type" member of the JSON form.
    virtual QString typeName() const = 0;

    // Writes the record as one JSON value. `nextId` is the id this object gets; nested records
    // take the following ones in writing order and `nextId` ends one past the last id used.
    void marshal(JsonWriter &writer, int &nextId) const;
    // The record as a JSON text of its own (ids start at 1), UTF-8.
    std::string toJson() const;

    // Deep copy with the same dynamic class.
    virtual std::unique_ptr<Record> clone() const = 0;
    // Same class and every field equal (nested records compared deeply).
    virtual bool equals(const Record &other) const = 0;

    // Fills fields from a "fields" object. Absent members keep their current values; unknown
    // members and values of the wrong kind throw ProtocolError.
    virtual void unmarshalFields(const QJsonObject &fields) = 0;

protected:
    Record() = default;
    // Protected so that concrete records stay copyable without slicing through a base reference.
    Record(const Record &) = default;
    Record &operator=(const Record &) = default;

    virtual void marshalFields(JsonWriter &writer, int &nextId) const = 0;
};

// An owned array of records, the form of every record array and list field.
template<class T>
using RecordList = std::vector<std::unique_ptr<T>>;

// Maps "type" names to factories. Holds every record class of this library from its first
// use on (no static-initialisation order to depend on); further classes may be added.
class RecordRegistry
{
public:
    using Factory = std::unique_ptr<Record> (*)();

    static RecordRegistry &instance();

    // Throws InvalidOperation when the name is taken: a second factory under one name would
    // silently change what a received record becomes.
    void add(const QString &typeName, Factory factory);
    template<class T>
    void add()
    {
        add(QString::fromLatin1(T::kTypeName.data(), qsizetype(T::kTypeName.size())),
            [] { return std::unique_ptr<Record>(std::make_unique<T>()); });
    }

    // A fresh default record of that class, or nullptr for an unknown name.
    std::unique_ptr<Record> create(const QString &typeName) const;
    bool contains(const QString &typeName) const;
    QStringList typeNames() const;

private:
    RecordRegistry();

    mutable std::shared_mutex m_lock;
    QHash<QString, Factory> m_factories;
};

// Turns the JSON form back into a new record. JSON null gives nullptr; anything malformed
// (not an object, a reference object, unknown or missing "type", missing "fields", a field of
// the wrong kind, an unknown field) throws ProtocolError naming the type and the field.
std::unique_ptr<Record> unmarshalRecord(const QJsonValue &json);
// The same from JSON text; text that is not JSON throws ProtocolError too.
std::unique_ptr<Record> unmarshalRecordJson(const QByteArray &utf8);

namespace detail {
[[noreturn]] void throwWrongClass(const QString &actual, const QString &expected);
QString describeJson(const QJsonValue &value);

template<class T>
QString expectedClassName()
{
    if constexpr (requires { T::kTypeName; })
        return QString::fromLatin1(T::kTypeName.data(), qsizetype(T::kTypeName.size()));
    else
        return QString::fromLatin1(typeid(T).name());
}

template<class T>
std::unique_ptr<T> downcast(std::unique_ptr<Record> record)
{
    if (!record)
        return nullptr;
    if (auto *typed = dynamic_cast<T *>(record.get())) {
        record.release();
        return std::unique_ptr<T>(typed);
    }
    throwWrongClass(record->typeName(), expectedClassName<T>());
}
} // namespace detail

// unmarshalRecord for a record of class T (or a registered subclass of it); a record of
// another class throws ProtocolError.
template<class T>
std::unique_ptr<T> unmarshalRecordAs(const QJsonValue &json)
{
    return detail::downcast<T>(unmarshalRecord(json));
}

template<class T>
std::unique_ptr<T> cloneRecord(const T &record)
{
    return std::unique_ptr<T>(static_cast<T *>(record.clone().release()));
}

// ---- Records declared as a table of fields --------------------------------------------------
//
// A record class lists its fields once, as data; marshalling, unmarshalling, copying and
// comparing walk that list, so no operation has per-field code that could miss a field.

namespace detail {

// How each value kind is written, read, copied and compared. Reading throws ProtocolError
// with a description of what was wrong; the caller adds the record and field.
template<class T>
struct FieldCodec;

template<>
struct FieldCodec<QString>
{
    static void write(JsonWriter &w, const QString &v, int &) { w.value(v); }
    static QString read(const QJsonValue &json);
    static const QString &copy(const QString &v) { return v; }
    static bool equal(const QString &a, const QString &b) { return a == b; }
};

template<>
struct FieldCodec<qint32>
{
    static void write(JsonWriter &w, qint32 v, int &) { w.value(v); }
    static qint32 read(const QJsonValue &json);
    static qint32 copy(qint32 v) { return v; }
    static bool equal(qint32 a, qint32 b) { return a == b; }
};

template<>
struct FieldCodec<double>
{
    static void write(JsonWriter &w, double v, int &);
    static double read(const QJsonValue &json);
    static double copy(double v) { return v; }
    static bool equal(double a, double b) { return a == b; }
};

template<>
struct FieldCodec<bool>
{
    static void write(JsonWriter &w, bool v, int &) { w.value(v); }
    static bool read(const QJsonValue &json);
    static bool copy(bool v) { return v; }
    static bool equal(bool a, bool b) { return a == b; }
};

QString elementContext(qsizetype index);
[[noreturn]] void throwNullElement(qsizetype index);
[[noreturn]] void throwNotArray(const QJsonValue &json);

template<class E>
struct FieldCodec<RecordList<E>>
{
    static void write(JsonWriter &w, const RecordList<E> &list, int &nextId)
    {
        w.beginArray();
        for (qsizetype i = 0; i < qsizetype(list.size()); ++i) {
            if (!list[size_t(i)])
                throwNullElement(i);
            list[size_t(i)]->marshal(w, nextId);
        }
        w.endArray();
    }

    static RecordList<E> read(const QJsonValue &json)
    {
        if (!json.isArray())
            throwNotArray(json);
        const QJsonArray array = json.toArray();
        RecordList<E> list;
        list.reserve(size_t(array.size()));
        for (qsizetype i = 0; i < array.size(); ++i) {
            std::unique_ptr<E> element;
            try {
                element = unmarshalRecordAs<E>(array.at(i));
            } catch (const ProtocolError &e) {
                throw ProtocolError(elementContext(i) + e.message());
            }
            if (!element)
                throwNullElement(i);
            list.push_back(std::move(element));
        }
        return list;
    }

    static RecordList<E> copy(const RecordList<E> &list)
    {
        RecordList<E> result;
        result.reserve(list.size());
        for (const auto &element : list)
            result.push_back(element ? cloneRecord(*element) : nullptr);
        return result;
    }

    static bool equal(const RecordList<E> &a, const RecordList<E> &b)
    {
        if (a.size() != b.size())
            return false;
        for (size_t i = 0; i < a.size(); ++i) {
            if (!a[i] || !b[i]) {
                if (a[i] != b[i])
                    return false;
            } else if (!a[i]->equals(*b[i])) {
                return false;
            }
        }
        return true;
    }
};

template<class>
struct MemberTraits;
template<class C, class T>
struct MemberTraits<T C::*>
{
    using Class = C;
    using Type = T;
};

[[noreturn]] void rethrowInField(const QString &typeName, std::string_view key,
                                 const QString &problem);

} // namespace detail

// One field of record class C: its JSON key and the four operations on it.
template<class C>
struct RecordFieldDef
{
    std::string_view key;
    void (*marshal)(const C &record, JsonWriter &writer, int &nextId);
    void (*unmarshal)(C &record, const QJsonValue &json);
    void (*copy)(C &target, const C &source); // through the setter; records are deep-copied
    bool (*equal)(const C &a, const C &b);
};

// The field definition for data member `Member`, written through `Setter`.
template<auto Member, auto Setter>
constexpr auto recordField(std::string_view key)
{
    using C = typename detail::MemberTraits<decltype(Member)>::Class;
    using T = typename detail::MemberTraits<decltype(Member)>::Type;
    using Codec = detail::FieldCodec<T>;
    return RecordFieldDef<C>{
        key,
        [](const C &r, JsonWriter &w, int &nextId) { Codec::write(w, r.*Member, nextId); },
        [](C &r, const QJsonValue &json) { (r.*Setter)(Codec::read(json)); },
        [](C &t, const C &s) { (t.*Setter)(Codec::copy(s.*Member)); },
        [](const C &a, const C &b) { return Codec::equal(a.*Member, b.*Member); },
    };
}

// Implements Record for a class C that provides
//   static constexpr std::string_view kTypeName;
//   static std::span<const RecordFieldDef<C>> fieldTable();
// A subclass of C registered under a name of its own overrides typeName() and clone(), or
// its copies would come out as plain C.
template<class C>
class RecordWithFields : public Record
{
public:
    QString typeName() const override
    {
        return QString::fromLatin1(C::kTypeName.data(), qsizetype(C::kTypeName.size()));
    }

    std::unique_ptr<Record> clone() const override
    {
        auto copy = std::make_unique<C>();
        copy->copyFields(self());
        return copy;
    }

    bool equals(const Record &other) const override
    {
        if (this == &other)
            return true;
        const auto *o = dynamic_cast<const C *>(&other);
        if (!o || typeName() != other.typeName())
            return false;
        for (const RecordFieldDef<C> &f : C::fieldTable()) {
            if (!f.equal(self(), *o))
                return false;
        }
        return true;
    }

    void unmarshalFields(const QJsonObject &fields) override
    {
        const auto table = C::fieldTable();
        for (auto it = fields.begin(); it != fields.end(); ++it) {
            const QString key = it.key();
            const RecordFieldDef<C> *def = nullptr;
            for (const RecordFieldDef<C> &f : table) {
                if (QLatin1String(f.key.data(), qsizetype(f.key.size())) == key) {
                    def = &f;
                    break;
                }
            }
            if (!def) {
                detail::rethrowInField(typeName(), key.toStdString(),
                                       QStringLiteral("no such field"));
            }
            try {
                def->unmarshal(self(), it.value());
            } catch (const ProtocolError &e) {
                detail::rethrowInField(typeName(), def->key, e.message());
            }
        }
    }

protected:
    RecordWithFields() = default;
    RecordWithFields(const RecordWithFields &) = default;
    RecordWithFields &operator=(const RecordWithFields &) = default;

    void marshalFields(JsonWriter &writer, int &nextId) const override
    {
        for (const RecordFieldDef<C> &f : C::fieldTable()) {
            writer.key(f.key);
            try {
                f.marshal(self(), writer, nextId);
            } catch (const ProtocolError &e) {
                detail::rethrowInField(typeName(), f.key, e.message());
            }
        }
    }

    // Copies every field of `source` through the setters, except the keys in `keep`.
    void copyFields(const C &source, std::initializer_list<std::string_view> keep = {})
    {
        for (const RecordFieldDef<C> &f : C::fieldTable()) {
            if (std::find(keep.begin(), keep.end(), f.key) == keep.end())
                f.copy(self(), source);
        }
    }

private:
    C &self() { return static_cast<C &>(*this); }
    const C &self() const { return static_cast<const C &>(*this); }
};

// Getters return small values by value and the rest by const reference; setters take scalars
// by value, strings by const reference and owned arrays by value (moved in).
namespace detail {
template<class T>
inline constexpr bool isRecordList = false;
template<class E>
inline constexpr bool isRecordList<RecordList<E>> = true;
} // namespace detail

template<class T>
using FieldGet = std::conditional_t<std::is_scalar_v<T>, T, const T &>;
template<class T>
using FieldSet = std::conditional_t<std::is_scalar_v<T> || detail::isRecordList<T>, T, const T &>;

} // namespace vexor

// Field lists are X-macros of X(Type, Name, Default). These expand one list into the member
// F<Name>, the getter <Name>() and the setter set<Name>(v), which only stores the value.
#define VEXOR_RECORD_ACCESSORS(Type, Name, Default)                                                \
    vexor::FieldGet<Type> Name() const { return F##Name; }                                         \
    void set##Name(vexor::FieldSet<Type> value) { F##Name = std::move(value); }

#define VEXOR_RECORD_MEMBER(Type, Name, Default) Type F##Name = Default;

#define VEXOR_RECORD_FIELD_DEF(Type, Name, Default)                                                \
    vexor::recordField<&Self::F##Name, &Self::set##Name>("F" #Name),

// Inside a record class: the type name and the declaration of its field table.
#define VEXOR_RECORD_CLASS(Class, TypeName)                                                        \
public:                                                                                            \
    static constexpr std::string_view kTypeName = TypeName;                                        \
                                                                                                   \
private:                                                                                           \
    friend class vexor::RecordWithFields<Class>;                                                   \
    static std::span<const vexor::RecordFieldDef<Class>> fieldTable();

// In the class's source file: the definition of its field table from its field list.
#define VEXOR_DEFINE_FIELD_TABLE(Class, FIELDS)                                                    \
    std::span<const vexor::RecordFieldDef<Class>> Class::fieldTable()                                    \
    {                                                                                              \
        using Self = Class;                                                                        \
        static const vexor::RecordFieldDef<Class> table[] = {FIELDS(VEXOR_RECORD_FIELD_DEF)};            \
        return table;                                                                              \
    }
