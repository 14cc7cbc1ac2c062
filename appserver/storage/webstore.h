#pragma once

#include "web.h"

#include <memory>

namespace vexor {

class Database;

// The web site's storage: stock pictures and access requests in the server's database.
class DatabaseWebContent : public WebContent
{
public:
    explicit DatabaseWebContent(std::shared_ptr<Database> database);

    std::optional<QByteArray> stockPicture(int stockNo) override;
    void storeAccessRequest(const AccessRequest &request) override;

private:
    std::shared_ptr<Database> m_database;
};

} // namespace vexor
