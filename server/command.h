#pragma once

#include <QJsonArray>
#include <QJsonValue>
#include <QString>

#include <memory>
#include <string>

class QIODevice;

namespace vexor {

class Connection;
class MemTable;
class Record;
class TableReader;
struct MethodSpec;

// A client-side object the server may call back during a method, known to it by the id under
// which it was registered on the notification channel.
class RemoteCallback
{
public:
    virtual ~RemoteCallback() = default;
    virtual QString callbackId() const = 0;
    virtual QJsonValue Execute(const QJsonValue &argument) = 0;
};

// One remote method prepared on a proxy: binds arguments by position, executes, and owns what
// the reply returned (records, row readers, streams) until it executes again or is destroyed.
// Preparing is local: the catalogue already knows every method's shape.
class Command
{
public:
    Command(Connection &connection, const MethodSpec &method);
    ~Command();
    Command(const Command &) = delete;
    Command &operator=(const Command &) = delete;

    const MethodSpec &method() const { return m_method; }

    // Starts a new call; frees what the previous execution returned.
    void beginCall();
    void bindString(const QString &value);
    void bindInt32(qint32 value);
    void bindDouble(double value);
    void bindRecord(const Record *record); // nullptr is sent as null
    void bindCallback(const RemoteCallback *callback);
    void skipOut();

    // Sends the call and reads the reply; raises RemoteError for an error reply, ProtocolError
    // for a reply that does not fit the method, ConnectionError when the exchange fails.
    void execute();

    QString stringAt(int position) const;
    qint32 int32At(int position) const;
    qint64 int64At(int position) const;
    double doubleAt(int position) const;
    bool booleanAt(int position) const;
    Record *recordAt(int position) const; // nullptr for a null record
    TableReader *tableAt(int position) const;
    MemTable takeTablePacketAt(int position);
    QIODevice *streamAt(int position) const;
    QJsonArray jsonArrayAt(int position) const;

private:
    struct Reply;
    template<class T>
    T scalar(int position) const;

    Connection &m_connection;
    const MethodSpec &m_method;
    std::string m_request;
    int m_bound = 0;
    std::unique_ptr<Reply> m_reply;
};

} // namespace vexor
