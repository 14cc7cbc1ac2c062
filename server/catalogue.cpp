#include "catalogue.h"

#include <algorithm>
#include <string>
#include <unordered_map>

namespace vexor {

QString MethodSpec::commandText() const
{
    return QString::fromLatin1(kCommandPrefix.data(), qsizetype(kCommandPrefix.size()))
        + QString::fromLatin1(name.data(), qsizetype(name.size()));
}

const MethodSpec *findMethod(std::string_view name)
{
    static const auto index = [] {
        std::unordered_map<std::string_view, const MethodSpec *> map;
        for (const MethodSpec &m : catalogue())
            map.emplace(m.name, &m);
        return map;
    }();
    auto it = index.find(name);
    return it == index.end() ? nullptr : it->second;
}

const MethodSpec *findCommand(std::string_view commandText)
{
    if (!commandText.starts_with(kCommandPrefix))
        return nullptr;
    return findMethod(commandText.substr(kCommandPrefix.size()));
}

const char *kindName(Kind kind)
{
    switch (kind) {
    case Kind::String: return "string";
    case Kind::Int32: return "int32";
    case Kind::Int64: return "int64";
    case Kind::Double: return "double";
    case Kind::Boolean: return "boolean";
    case Kind::Record: return "record";
    case Kind::AnyObject: return "object";
    case Kind::Table: return "table";
    case Kind::TablePacket: return "tablepacket";
    case Kind::Stream: return "stream";
    case Kind::JsonArray: return "jsonarray";
    case Kind::Callback: return "callback";
    }
    return "?";
}

} // namespace vexor
