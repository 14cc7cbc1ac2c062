#pragma once

#include <QString>

#include <span>
#include <string_view>

namespace vexor {

// Wire kinds of parameters and results.
enum class Kind {
    String,
    Int32,
    Int64,
    Double,
    Boolean,
    Record,      // a transfer record in its JSON form, or null
    AnyObject,   // any transfer record (one method takes "any object")
    Table,       // forward-only row set, read through a TableReader
    TablePacket, // a whole table, delivered as a MemTable
    Stream,      // bytes, base64 on the wire
    JsonArray,
    Callback,    // a reference to a callback the client registered
};

struct ParamSpec
{
    std::string_view name;
    Kind kind;
    bool out;
    std::string_view recordType; // unit-qualified class name for Kind::Record, else empty
};

struct MethodSpec
{
    int index;
    std::string_view name;
    std::span<const ParamSpec> params;
    bool hasResult;
    Kind resultKind;
    std::string_view resultRecordType;

    // The result is read from the position after the last parameter.
    int resultPosition() const { return int(params.size()); }
    QString commandText() const;
};

inline constexpr std::string_view kCommandPrefix = "TServerMethods1.";
// The version of the wire protocol; the server's greeting carries it.
inline constexpr int kProtocolVersion = 1;

// Every method of TServerMethods1 in catalogue order; generated from TServerMethods1.api.
std::span<const MethodSpec> catalogue();

// Lookup by method name ("SepetEkle2") or by command text ("TServerMethods1.SepetEkle2");
// nullptr when unknown. Letter case matters.
const MethodSpec *findMethod(std::string_view name);
const MethodSpec *findCommand(std::string_view commandText);

const char *kindName(Kind kind);

} // namespace vexor
