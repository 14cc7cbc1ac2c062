#include "dispatch.h"

#include <QJsonDocument>
#include <QJsonObject>

#include <cmath>
#include <limits>

namespace vexor {

static QString latin1(std::string_view s)
{
    return QString::fromLatin1(s.data(), qsizetype(s.size()));
}

CallError notAvailable(std::string_view methodName)
{
    return CallError(kNotAvailableClass,
                     QStringLiteral("TServerMethods1.%1 bu sunucuda henüz kullanılamıyor").arg(latin1(methodName)), 501);
}

void throwParamError(const MethodSpec &method, int position, const QString &problem)
{
    const auto &p = method.params[size_t(position)];
    throw CallError(kParamErrorClass, QStringLiteral("%1: %2. konumdaki '%3' parametresi: %4")
                                          .arg(method.commandText()).arg(position).arg(latin1(p.name), problem), 400);
}

static QString jsonKind(const QJsonValue &v)
{
    switch (v.type()) {
    case QJsonValue::Null: return QStringLiteral("null");
    case QJsonValue::Bool: return QStringLiteral("boolean");
    case QJsonValue::Double: return QStringLiteral("sayı");
    case QJsonValue::String: return QStringLiteral("metin");
    case QJsonValue::Array: return QStringLiteral("dizi");
    case QJsonValue::Object: return QStringLiteral("nesne");
    case QJsonValue::Undefined: break;
    }
    return QStringLiteral("tanımsız");
}

static QString expected(const char *what, const QJsonValue &v)
{
    return QStringLiteral("%1 bekleniyordu, %2 geldi").arg(QString::fromLatin1(what), jsonKind(v));
}

void checkArgumentCount(const MethodSpec &method, const QJsonArray &params)
{
    if (params.size() != qsizetype(method.params.size()))
        throw CallError(kParamErrorClass, QStringLiteral("%1: %2 parametre bekleniyordu, %3 geldi")
                                              .arg(method.commandText()).arg(method.params.size()).arg(params.size()), 400);
}

void checkOutArgument(const MethodSpec &method, const QJsonArray &params, int position)
{
    if (!params.at(position).isNull())
        throwParamError(method, position, expected("çıkış değeri için null", params.at(position)));
}

QString argString(const MethodSpec &method, const QJsonArray &params, int position)
{
    const QJsonValue v = params.at(position);
    if (!v.isString())
        throwParamError(method, position, expected("metin", v));
    return v.toString();
}

qint32 argInt32(const MethodSpec &method, const QJsonArray &params, int position)
{
    const QJsonValue v = params.at(position);
    if (!v.isDouble())
        throwParamError(method, position, expected("int32", v));
    const double d = v.toDouble();
    if (d != std::floor(d) || d < std::numeric_limits<qint32>::min() || d > std::numeric_limits<qint32>::max())
        throwParamError(method, position, QStringLiteral("int32 bekleniyordu, %1 geldi").arg(d));
    return qint32(d);
}

double argDouble(const MethodSpec &method, const QJsonArray &params, int position)
{
    const QJsonValue v = params.at(position);
    if (!v.isDouble())
        throwParamError(method, position, expected("double", v));
    return v.toDouble();
}

QString argCallback(const MethodSpec &method, const QJsonArray &params, int position)
{
    const QJsonValue v = params.at(position);
    if (v.isNull())
        return {};
    const QJsonValue id = v.toObject().value(QStringLiteral("callback"));
    if (!v.isObject() || !id.isString() || id.toString().isEmpty())
        throwParamError(method, position, QStringLiteral("{\"callback\": \"kimlik\"} bekleniyordu"));
    return id.toString();
}

std::unique_ptr<Record> argAnyRecord(const MethodSpec &method, const QJsonArray &params, int position)
{
    const QJsonValue v = params.at(position);
    if (v.isNull())
        return nullptr;
    if (!v.isObject())
        throwParamError(method, position, expected("kayıt nesnesi", v));
    try {
        return unmarshalRecord(v);
    } catch (const VexorError &e) {
        throwParamError(method, position, e.message());
    }
}

void beginResult(JsonWriter &reply)
{
    reply.beginObject();
    reply.key("result");
    reply.beginArray();
}

void endResult(JsonWriter &reply)
{
    reply.endArray();
    reply.endObject();
}

void putValue(JsonWriter &reply, const QString &value) { reply.value(value); }
void putValue(JsonWriter &reply, qint32 value) { reply.value(std::int64_t(value)); }
void putValue(JsonWriter &reply, qint64 value) { reply.value(std::int64_t(value)); }
void putValue(JsonWriter &reply, bool value) { reply.value(value); }

void putValue(JsonWriter &reply, double value)
{
    try {
        reply.value(value);
    } catch (const std::invalid_argument &) {
        throw CallError(QStringLiteral("EVexorServerError"), QStringLiteral("Sonuç bir sayı değil (NaN/sonsuz)"));
    }
}

void putValue(JsonWriter &reply, const QByteArray &stream)
{
    const QByteArray b64 = stream.toBase64();
    reply.value(std::string_view(b64.constData(), size_t(b64.size())));
}

void putValue(JsonWriter &reply, const QJsonArray &array)
{
    const QByteArray json = QJsonDocument(array).toJson(QJsonDocument::Compact);
    reply.raw(std::string_view(json.constData(), size_t(json.size())));
}

void putValue(JsonWriter &reply, const EncodedTable &table)
{
    reply.raw(table.json);
}

void putValue(JsonWriter &reply, const Record *record)
{
    if (!record) {
        reply.null();
        return;
    }
    int nextId = 1;
    record->marshal(reply, nextId);
}

} // namespace vexor
