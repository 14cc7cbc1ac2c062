#include "record.h"

#include "baglantiu.h"
#include "mobilstokunit.h"

#include <QJsonDocument>
#include <QJsonParseError>

#include <cmath>
#include <limits>
#include <mutex>
#include <stdexcept>

using namespace Qt::StringLiterals;

namespace vexor {

void Record::marshal(JsonWriter &writer, int &nextId) const
{
    writer.beginObject();
    writer.key("type");
    writer.value(typeName());
    writer.key("id");
    writer.value(nextId++);
    writer.key("fields");
    writer.beginObject();
    marshalFields(writer, nextId);
    writer.endObject();
    writer.endObject();
}

std::string Record::toJson() const
{
    JsonWriter writer;
    int nextId = 1;
    marshal(writer, nextId);
    return writer.take();
}

RecordRegistry::RecordRegistry()
{
    registerBaglantiuRecords(*this);
    registerMobilstokunitRecords(*this);
}

RecordRegistry &RecordRegistry::instance()
{
    static RecordRegistry registry;
    return registry;
}

void RecordRegistry::add(const QString &typeName, Factory factory)
{
    std::unique_lock lock(m_lock);
    if (m_factories.contains(typeName))
        throw InvalidOperation(u"Record type \"%1\" is already registered"_s.arg(typeName));
    m_factories.insert(typeName, factory);
}

std::unique_ptr<Record> RecordRegistry::create(const QString &typeName) const
{
    Factory factory = nullptr;
    {
        std::shared_lock lock(m_lock);
        factory = m_factories.value(typeName);
    }
    return factory ? factory() : nullptr;
}

bool RecordRegistry::contains(const QString &typeName) const
{
    std::shared_lock lock(m_lock);
    return m_factories.contains(typeName);
}

QStringList RecordRegistry::typeNames() const
{
    std::shared_lock lock(m_lock);
    QStringList names = m_factories.keys();
    names.sort();
    return names;
}

std::unique_ptr<Record> unmarshalRecord(const QJsonValue &json)
{
    if (json.isNull())
        return nullptr;
    if (!json.isObject())
        throw ProtocolError(u"Expected a record object, got %1"_s.arg(detail::describeJson(json)));

    const QJsonObject object = json.toObject();
    const QJsonValue type = object.value("type"_L1);
    if (!type.isString() || type.toString().isEmpty()) {
        throw ProtocolError(type.isUndefined()
                                ? u"Record object without \"type\""_s
                                : u"Record \"type\" must be a class name, got %1"_s.arg(
                                      detail::describeJson(type)));
    }
    const QString typeName = type.toString();

    // A reference stands for an object written earlier in the same value; none of our records
    // contains one, so it can only come from a sender that marshals something else.
    if (object.contains("ref"_L1)) {
        throw ProtocolError(
            u"Record %1: reference objects (\"ref\") are not supported"_s.arg(typeName));
    }

    std::unique_ptr<Record> record = RecordRegistry::instance().create(typeName);
    if (!record)
        throw ProtocolError(u"Unknown record type \"%1\""_s.arg(typeName));

    for (auto it = object.begin(); it != object.end(); ++it) {
        if (it.key() != "type"_L1 && it.key() != "id"_L1 && it.key() != "fields"_L1) {
            throw ProtocolError(
                u"Record %1: unexpected member \"%2\""_s.arg(typeName, it.key()));
        }
    }
    // The id only matters for references, which are refused above; still it must be an id.
    const QJsonValue id = object.value("id"_L1);
    if (!id.isUndefined()) {
        const double n = id.toDouble(-1);
        if (!id.isDouble() || n != std::trunc(n) || n < 1
            || n > std::numeric_limits<qint32>::max()) {
            throw ProtocolError(
                u"Record %1: \"id\" must be a positive integer, got %2"_s.arg(
                    typeName, detail::describeJson(id)));
        }
    }

    const QJsonValue fields = object.value("fields"_L1);
    if (!fields.isObject()) {
        throw ProtocolError(fields.isUndefined()
                                ? u"Record %1 without \"fields\""_s.arg(typeName)
                                : u"Record %1: \"fields\" must be an object, got %2"_s.arg(
                                      typeName, detail::describeJson(fields)));
    }
    record->unmarshalFields(fields.toObject());
    return record;
}

std::unique_ptr<Record> unmarshalRecordJson(const QByteArray &utf8)
{
    if (utf8.trimmed() == "null")
        return nullptr;
    QJsonParseError error;
    const QJsonDocument document = QJsonDocument::fromJson(utf8, &error);
    if (error.error != QJsonParseError::NoError) {
        throw ProtocolError(u"Record text is not valid JSON (%1 at offset %2)"_s.arg(
            error.errorString()).arg(error.offset));
    }
    if (document.isObject())
        return unmarshalRecord(document.object());
    throw ProtocolError(u"Expected a record object, got an array"_s);
}

namespace detail {

void throwWrongClass(const QString &actual, const QString &expected)
{
    throw ProtocolError(u"Expected a record of class %1, got %2"_s.arg(expected, actual));
}

QString describeJson(const QJsonValue &value)
{
    switch (value.type()) {
    case QJsonValue::Null:
        return u"null"_s;
    case QJsonValue::Bool:
        return value.toBool() ? u"true"_s : u"false"_s;
    case QJsonValue::Double:
        return u"the number "_s + QString::number(value.toDouble(), 'g', 17);
    case QJsonValue::String:
        return u"a string"_s;
    case QJsonValue::Array:
        return u"an array"_s;
    case QJsonValue::Object:
        return u"an object"_s;
    case QJsonValue::Undefined:
        break;
    }
    return u"nothing"_s;
}

QString FieldCodec<QString>::read(const QJsonValue &json)
{
    if (!json.isString())
        throw ProtocolError(u"expected a string, got "_s + describeJson(json));
    return json.toString();
}

qint32 FieldCodec<qint32>::read(const QJsonValue &json)
{
    if (!json.isDouble())
        throw ProtocolError(u"expected a 32-bit integer, got "_s + describeJson(json));
    const double n = json.toDouble();
    if (n != std::trunc(n))
        throw ProtocolError(u"expected a 32-bit integer, got "_s + describeJson(json));
    if (n < std::numeric_limits<qint32>::min() || n > std::numeric_limits<qint32>::max()) {
        throw ProtocolError(u"expected a 32-bit integer, got "_s + describeJson(json)
                            + u" (out of range)"_s);
    }
    return static_cast<qint32>(n);
}

void FieldCodec<double>::write(JsonWriter &w, double v, int &)
{
    if (!std::isfinite(v))
        throw ProtocolError(u"cannot write %1 as JSON"_s.arg(v));
    w.value(v);
}

double FieldCodec<double>::read(const QJsonValue &json)
{
    if (!json.isDouble())
        throw ProtocolError(u"expected a number, got "_s + describeJson(json));
    const double n = json.toDouble();
    if (!std::isfinite(n))
        throw ProtocolError(u"expected a finite number"_s);
    return n;
}

bool FieldCodec<bool>::read(const QJsonValue &json)
{
    if (!json.isBool())
        throw ProtocolError(u"expected true or false, got "_s + describeJson(json));
    return json.toBool();
}

QString elementContext(qsizetype index)
{
    return u"element %1: "_s.arg(index);
}

void throwNullElement(qsizetype index)
{
    throw ProtocolError(elementContext(index) + u"no record (null)"_s);
}

void throwNotArray(const QJsonValue &json)
{
    throw ProtocolError(u"expected an array of records, got "_s + describeJson(json));
}

void rethrowInField(const QString &typeName, std::string_view key, const QString &problem)
{
    throw ProtocolError(u"Record %1, field \"%2\": %3"_s.arg(
        typeName, QString::fromUtf8(key.data(), qsizetype(key.size())), problem));
}

} // namespace detail

} // namespace vexor
