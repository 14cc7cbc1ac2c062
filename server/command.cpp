#include "command.h"

#include "catalogue.h"
#include "connection.h"
#include "errors.h"
#include "jsonwriter.h"
#include "record.h"
#include "tablecodec.h"

#include "common/memtable.h"

#include <QBuffer>
#include <QJsonDocument>

#include <simdjson.h>

#include <limits>
#include <optional>
#include <variant>
#include <vector>

namespace vexor {

namespace od = simdjson::ondemand;

using Scalar = std::variant<std::monostate, QString, qint64, double, bool>;

// Everything one execution returned; replaced as a whole by the next execution.
struct Command::Reply
{
    std::string body;
    od::parser parser;
    od::document document;
    std::vector<Scalar> outValues;
    Scalar scalarResult;
    std::unique_ptr<Record> record;
    std::unique_ptr<TableReader> table;
    std::optional<MemTable> packet;
    std::unique_ptr<QBuffer> stream;
    QByteArray streamBytes;
    QJsonArray jsonArray;
};

Command::Command(Connection &connection, const MethodSpec &method)
    : m_connection(connection)
    , m_method(method)
{
}

Command::~Command() = default;

static QString where(const MethodSpec &m, int position)
{
    const QString name = m.commandText();
    if (position < int(m.params.size())) {
        const auto &p = m.params[size_t(position)];
        return QStringLiteral("%1, konum %2 (%3)").arg(name).arg(position)
            .arg(QString::fromLatin1(p.name.data(), qsizetype(p.name.size())));
    }
    return QStringLiteral("%1, sonuç (konum %2)").arg(name).arg(position);
}

void Command::beginCall()
{
    m_reply.reset();
    m_request.clear();
    m_bound = 0;
    JsonWriter w(&m_request);
    w.beginObject();
    w.key("command");
    w.value(m_method.commandText());
    w.key("params");
    // The array stays open; every bind appends one element.
    m_request += '[';
}

static void appendSeparator(std::string &request, int bound)
{
    if (bound > 0)
        request += ',';
}

void Command::bindString(const QString &value)
{
    appendSeparator(m_request, m_bound++);
    const QByteArray utf8 = value.toUtf8();
    JsonWriter::appendEscaped(m_request, std::string_view(utf8.constData(), size_t(utf8.size())));
}

void Command::bindInt32(qint32 value)
{
    appendSeparator(m_request, m_bound++);
    m_request += std::to_string(value);
}

void Command::bindDouble(double value)
{
    appendSeparator(m_request, m_bound);
    try {
        JsonWriter::appendDouble(m_request, value);
    } catch (const std::invalid_argument &) {
        throw ProtocolError(where(m_method, m_bound) + QStringLiteral(": sayı değil (NaN/sonsuz) gönderilemez"));
    }
    ++m_bound;
}

void Command::bindRecord(const Record *record)
{
    appendSeparator(m_request, m_bound++);
    if (!record) {
        m_request += "null";
        return;
    }
    JsonWriter w(&m_request);
    int nextId = 1;
    record->marshal(w, nextId);
}

void Command::bindCallback(const RemoteCallback *callback)
{
    appendSeparator(m_request, m_bound++);
    if (!callback) {
        m_request += "null";
        return;
    }
    JsonWriter w(&m_request);
    w.beginObject();
    w.key("callback");
    w.value(callback->callbackId());
    w.endObject();
}

void Command::skipOut()
{
    appendSeparator(m_request, m_bound++);
    m_request += "null";
}

static QString utf8(std::string_view s)
{
    return QString::fromUtf8(s.data(), qsizetype(s.size()));
}

static Scalar decodeScalar(od::value value, Kind kind, const MethodSpec &m, int position)
{
    switch (kind) {
    case Kind::String:
        return utf8(std::string_view(value.get_string()));
    case Kind::Int32: {
        const std::int64_t v = value.get_int64();
        if (v < std::numeric_limits<qint32>::min() || v > std::numeric_limits<qint32>::max())
            throw ProtocolError(where(m, position) + QStringLiteral(": int32 sınırları dışında"));
        return qint64(v);
    }
    case Kind::Int64:
        return qint64(std::int64_t(value.get_int64()));
    case Kind::Double:
        return double(value.get_double());
    case Kind::Boolean:
        return bool(value.get_bool());
    default:
        break;
    }
    throw ProtocolError(where(m, position) + QStringLiteral(": beklenmeyen değer türü"));
}

void Command::execute()
{
    if (m_bound != int(m_method.params.size()))
        throw InvalidOperation(QStringLiteral("%1: %2 parametre bağlandı, %3 bekleniyordu")
                                   .arg(m_method.commandText()).arg(m_bound).arg(m_method.params.size()));
    m_request += "]}";

    auto reply = std::make_unique<Reply>();
    Connection::Reply http = m_connection.post("call", m_request);
    reply->body = std::move(http.body);
    if (reply->body.capacity() < reply->body.size() + simdjson::SIMDJSON_PADDING)
        reply->body.reserve(reply->body.size() + simdjson::SIMDJSON_PADDING);

    const int n = int(m_method.params.size());
    const int expected = n + (m_method.hasResult ? 1 : 0);
    reply->outValues.resize(size_t(n));
    bool haveResult = false;
    try {
        simdjson::padded_string_view view(reply->body.data(), reply->body.size(), reply->body.capacity());
        reply->document = reply->parser.iterate(view);
        od::object envelope = reply->document.get_object();
        for (auto member : envelope) {
            const std::string_view key = member.unescaped_key();
            if (key == "error") {
                od::object error = member.value().get_object();
                QString className = QStringLiteral("Exception");
                QString message;
                for (auto f : error) {
                    const std::string_view k = f.unescaped_key();
                    if (k == "class")
                        className = utf8(std::string_view(f.value().get_string()));
                    else if (k == "message")
                        message = utf8(std::string_view(f.value().get_string()));
                }
                throw RemoteError(className, message);
            }
            if (key != "result")
                continue;
            if (http.status != 200)
                break;
            int position = 0;
            od::array values = member.value().get_array();
            for (auto element : values) {
                od::value v = element.value();
                if (position < n) {
                    const ParamSpec &p = m_method.params[size_t(position)];
                    if (p.out)
                        reply->outValues[size_t(position)] = decodeScalar(v, p.kind, m_method, position);
                } else if (position == n && m_method.hasResult) {
                    haveResult = true;
                    switch (m_method.resultKind) {
                    case Kind::Record:
                    case Kind::AnyObject:
                        if (v.type() != od::json_type::null) {
                            od::object object = v.get_object();
                            const std::string_view raw = object.raw_json();
                            const QJsonDocument doc = QJsonDocument::fromJson(QByteArray(raw.data(), qsizetype(raw.size())));
                            reply->record = unmarshalRecord(doc.object());
                        }
                        break;
                    case Kind::Table:
                        // The reader walks the rest of the reply lazily, row by row.
                        reply->table = std::make_unique<TableReader>(v);
                        ++position;
                        goto done;
                    case Kind::TablePacket:
                        reply->packet.emplace(decodeTable(v));
                        break;
                    case Kind::Stream: {
                        const std::string_view b64 = v.get_string();
                        auto decoded = QByteArray::fromBase64Encoding(QByteArray(b64.data(), qsizetype(b64.size())),
                                                                      QByteArray::AbortOnBase64DecodingErrors);
                        if (!decoded)
                            throw ProtocolError(where(m_method, position) + QStringLiteral(": geçersiz base64 akış"));
                        reply->streamBytes = std::move(*decoded);
                        reply->stream = std::make_unique<QBuffer>(&reply->streamBytes);
                        reply->stream->open(QIODevice::ReadOnly);
                        break;
                    }
                    case Kind::JsonArray: {
                        od::array array = v.get_array();
                        const std::string_view raw = array.raw_json();
                        reply->jsonArray = QJsonDocument::fromJson(QByteArray(raw.data(), qsizetype(raw.size()))).array();
                        break;
                    }
                    default:
                        reply->scalarResult = decodeScalar(v, m_method.resultKind, m_method, position);
                    }
                } else {
                    throw ProtocolError(m_method.commandText() + QStringLiteral(": yanıtta fazla değer var"));
                }
                ++position;
            }
        done:
            if (position != expected)
                throw ProtocolError(QStringLiteral("%1: yanıtta %2 değer var, %3 bekleniyordu")
                                        .arg(m_method.commandText()).arg(position).arg(expected));
            if (m_method.hasResult && !haveResult)
                throw ProtocolError(m_method.commandText() + QStringLiteral(": yanıtta sonuç yok"));
            m_reply = std::move(reply);
            return;
        }
    } catch (const simdjson::simdjson_error &e) {
        throw ProtocolError(QStringLiteral("%1: sunucudan geçersiz yanıt (HTTP %2, %3)")
                                .arg(m_method.commandText()).arg(http.status).arg(QString::fromUtf8(e.what())));
    }
    throw ProtocolError(QStringLiteral("%1: sunucudan geçersiz yanıt (HTTP %2)").arg(m_method.commandText()).arg(http.status));
}

template<class T>
T Command::scalar(int position) const
{
    if (!m_reply)
        throw InvalidOperation(m_method.commandText() + QStringLiteral(": çalıştırılmadı"));
    const Scalar &s = position < int(m_reply->outValues.size()) ? m_reply->outValues[size_t(position)]
                                                                 : m_reply->scalarResult;
    if (const T *v = std::get_if<T>(&s))
        return *v;
    throw InvalidOperation(where(m_method, position) + QStringLiteral(": bu konumda bu türde değer yok"));
}

QString Command::stringAt(int position) const { return scalar<QString>(position); }
qint32 Command::int32At(int position) const { return qint32(scalar<qint64>(position)); }
qint64 Command::int64At(int position) const { return scalar<qint64>(position); }
double Command::doubleAt(int position) const { return scalar<double>(position); }
bool Command::booleanAt(int position) const { return scalar<bool>(position); }

Record *Command::recordAt(int) const
{
    return m_reply ? m_reply->record.get() : nullptr;
}

TableReader *Command::tableAt(int) const
{
    return m_reply ? m_reply->table.get() : nullptr;
}

MemTable Command::takeTablePacketAt(int)
{
    if (!m_reply || !m_reply->packet)
        throw InvalidOperation(m_method.commandText() + QStringLiteral(": tablo paketi yok"));
    MemTable table = std::move(*m_reply->packet);
    m_reply->packet.reset();
    return table;
}

QIODevice *Command::streamAt(int) const
{
    return m_reply ? m_reply->stream.get() : nullptr;
}

QJsonArray Command::jsonArrayAt(int) const
{
    return m_reply ? m_reply->jsonArray : QJsonArray();
}

} // namespace vexor
