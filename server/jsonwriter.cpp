#include "jsonwriter.h"

#include <charconv>
#include <cmath>
#include <stdexcept>

namespace vexor {

JsonWriter::JsonWriter(std::string *out)
    : m_out(out ? out : &m_own)
{
}

std::string JsonWriter::take()
{
    std::string result = std::move(*m_out);
    m_out->clear();
    m_hasElement.clear();
    m_afterKey = false;
    return result;
}

void JsonWriter::separate()
{
    if (m_afterKey) {
        m_afterKey = false;
        return;
    }
    if (!m_hasElement.empty()) {
        if (m_hasElement.back())
            m_out->push_back(',');
        m_hasElement.back() = true;
    }
}

void JsonWriter::beginObject()
{
    separate();
    m_out->push_back('{');
    m_hasElement.push_back(false);
}

void JsonWriter::endObject()
{
    m_out->push_back('}');
    m_hasElement.pop_back();
}

void JsonWriter::beginArray()
{
    separate();
    m_out->push_back('[');
    m_hasElement.push_back(false);
}

void JsonWriter::endArray()
{
    m_out->push_back(']');
    m_hasElement.pop_back();
}

void JsonWriter::key(std::string_view name)
{
    separate();
    appendEscaped(*m_out, name);
    m_out->push_back(':');
    m_afterKey = true;
}

void JsonWriter::value(const QString &text)
{
    const QByteArray utf8 = text.toUtf8();
    value(std::string_view(utf8.constData(), size_t(utf8.size())));
}

void JsonWriter::value(std::string_view utf8)
{
    separate();
    appendEscaped(*m_out, utf8);
}

void JsonWriter::value(std::int64_t number)
{
    separate();
    char buf[24];
    auto res = std::to_chars(buf, buf + sizeof buf, number);
    m_out->append(buf, res.ptr);
}

void JsonWriter::value(double number)
{
    separate();
    appendDouble(*m_out, number);
}

void JsonWriter::value(bool flag)
{
    separate();
    m_out->append(flag ? "true" : "false");
}

void JsonWriter::null()
{
    separate();
    m_out->append("null");
}

void JsonWriter::raw(std::string_view json)
{
    separate();
    m_out->append(json);
}

void JsonWriter::appendDouble(std::string &out, double number)
{
    if (!std::isfinite(number))
        throw std::invalid_argument("JSON cannot carry NaN or infinity");
    char buf[32];
    // Shortest text that reads back to the same double; integral values stay integral.
    auto res = std::to_chars(buf, buf + sizeof buf, number);
    out.append(buf, res.ptr);
}

void JsonWriter::appendEscaped(std::string &out, std::string_view utf8)
{
    static const char hex[] = "0123456789abcdef";
    out.push_back('"');
    size_t start = 0;
    for (size_t i = 0; i < utf8.size(); ++i) {
        const unsigned char c = static_cast<unsigned char>(utf8[i]);
        if (c >= 0x20 && c != '"' && c != '\\')
            continue;
        out.append(utf8.data() + start, i - start);
        start = i + 1;
        switch (c) {
        case '"': out.append("\\\""); break;
        case '\\': out.append("\\\\"); break;
        case '\n': out.append("\\n"); break;
        case '\r': out.append("\\r"); break;
        case '\t': out.append("\\t"); break;
        case '\b': out.append("\\b"); break;
        case '\f': out.append("\\f"); break;
        default:
            out.append("\\u00");
            out.push_back(hex[c >> 4]);
            out.push_back(hex[c & 0xf]);
        }
    }
    out.append(utf8.data() + start, utf8.size() - start);
    out.push_back('"');
}

} // namespace vexor
