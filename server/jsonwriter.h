#pragma once

#include <QString>

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace vexor {

// Streaming JSON writer that keeps members in the order they are written (QJsonObject sorts
// its keys, but the record form on the wire fixes "type", "id", "fields" in that order) and
// formats numbers without a round trip through QVariant. Output is UTF-8.
class JsonWriter
{
public:
    explicit JsonWriter(std::string *out = nullptr);

    std::string &buffer() { return *m_out; }
    std::string take();

    void beginObject();
    void endObject();
    void beginArray();
    void endArray();

    // Member name inside an object; the value follows with one of the calls below.
    void key(std::string_view name);

    void value(const QString &text);
    void value(std::string_view utf8);
    void value(const char *utf8) { value(std::string_view(utf8)); }
    void value(int number) { value(static_cast<std::int64_t>(number)); }
    void value(std::int64_t number);
    void value(double number); // throws std::invalid_argument for NaN and infinities
    void value(bool flag);
    void null();
    // A value that is already valid JSON text.
    void raw(std::string_view json);

    static void appendEscaped(std::string &out, std::string_view utf8);
    static void appendDouble(std::string &out, double number);

private:
    void separate();

    std::string m_own;
    std::string *m_out;
    // One entry per open container: true once it holds an element.
    std::vector<bool> m_hasElement;
    bool m_afterKey = false;
};

} // namespace vexor
