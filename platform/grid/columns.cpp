#include "columns.h"

namespace vexor {

int findColumn(const GridColumns &columns, QStringView field)
{
    for (size_t i = 0; i < columns.size(); ++i) {
        if (columns[i].field == field)
            return int(i);
    }
    for (size_t i = 0; i < columns.size(); ++i) {
        if (columns[i].field.compare(field, Qt::CaseInsensitive) == 0)
            return int(i);
    }
    return -1;
}

std::vector<CustomisationEntry> customisationEntries(const GridColumns &columns)
{
    std::vector<CustomisationEntry> entries;
    for (size_t i = 0; i < columns.size(); ++i) {
        const GridColumn &c = columns[i];
        if (c.offered)
            entries.push_back({int(i), c.headerText().isEmpty() ? c.field : c.headerText(), c.shown});
    }
    return entries;
}

} // namespace vexor
