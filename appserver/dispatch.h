#pragma once

#include "wiretypes.h"

#include "server/catalogue.h"
#include "server/errors.h"
#include "server/jsonwriter.h"
#include "server/record.h"

#include <QByteArray>
#include <QJsonArray>
#include <QString>

#include <memory>

namespace vexor {

// An error a call answers with: its class name and message travel to the client unchanged.
class CallError : public VexorError
{
public:
    CallError(const QString &className, const QString &message, int httpStatus = 500)
        : VexorError(className, message), m_httpStatus(httpStatus) {}
    int httpStatus() const { return m_httpStatus; }

private:
    int m_httpStatus;
};

// The class names of the errors the server itself raises.
inline const QString kParamErrorClass = QStringLiteral("EVexorParamError");
inline const QString kNotAvailableClass = QStringLiteral("EVexorNotAvailable");

CallError notAvailable(std::string_view methodName);

// Parameter checks and conversions used by the generated dispatcher. Each names the method,
// the position and the parameter in its error.
void checkArgumentCount(const MethodSpec &method, const QJsonArray &params);
void checkOutArgument(const MethodSpec &method, const QJsonArray &params, int position);
QString argString(const MethodSpec &method, const QJsonArray &params, int position);
qint32 argInt32(const MethodSpec &method, const QJsonArray &params, int position);
double argDouble(const MethodSpec &method, const QJsonArray &params, int position);
QString argCallback(const MethodSpec &method, const QJsonArray &params, int position);
std::unique_ptr<Record> argAnyRecord(const MethodSpec &method, const QJsonArray &params, int position);
[[noreturn]] void throwParamError(const MethodSpec &method, int position, const QString &problem);

template<class T>
std::unique_ptr<T> argRecord(const MethodSpec &method, const QJsonArray &params, int position)
{
    std::unique_ptr<Record> any = argAnyRecord(method, params, position);
    if (!any)
        return nullptr;
    if (!dynamic_cast<T *>(any.get()))
        throwParamError(method, position, QStringLiteral("%1 bekleniyordu, %2 geldi")
                                              .arg(QString::fromLatin1(method.params[size_t(position)].recordType.data(),
                                                                       qsizetype(method.params[size_t(position)].recordType.size())),
                                                   any->typeName()));
    return std::unique_ptr<T>(static_cast<T *>(any.release()));
}

void beginResult(JsonWriter &reply);
void endResult(JsonWriter &reply);
void putValue(JsonWriter &reply, const QString &value);
void putValue(JsonWriter &reply, qint32 value);
void putValue(JsonWriter &reply, qint64 value);
void putValue(JsonWriter &reply, double value);
void putValue(JsonWriter &reply, bool value);
void putValue(JsonWriter &reply, const QByteArray &stream);
void putValue(JsonWriter &reply, const QJsonArray &array);
void putValue(JsonWriter &reply, const EncodedTable &table);
void putValue(JsonWriter &reply, const Record *record);
template<class T>
void putValue(JsonWriter &reply, const std::unique_ptr<T> &record)
{
    putValue(reply, static_cast<const Record *>(record.get()));
}

} // namespace vexor
