#pragma once

#include <string>

namespace vexor {

// A table or table packet result, already in its wire form. Methods build it with a
// TableEncoder straight from their query rows, so no second copy of the rows is made.
struct EncodedTable
{
    std::string json;
};

} // namespace vexor
