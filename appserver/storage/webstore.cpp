#include "webstore.h"

#include "database.h"
#include "schema.h"

namespace vexor {

DatabaseWebContent::DatabaseWebContent(std::shared_ptr<Database> database)
    : m_database(std::move(database))
{
}

std::optional<QByteArray> DatabaseWebContent::stockPicture(int stockNo)
{
    const std::optional<QVariant> jpeg = m_database->scalar(
        QStringLiteral("SELECT p.jpeg FROM stocks s JOIN pictures p ON p.id = s.picture_id WHERE s.id = ?"), {stockNo});
    if (!jpeg || jpeg->isNull())
        return std::nullopt;
    return jpeg->toByteArray();
}

void DatabaseWebContent::storeAccessRequest(const AccessRequest &r)
{
    // An account number that names no account is kept as "none" rather than refused: the
    // request still reaches the distributor.
    QVariant account;
    if (r.customerNo > 0
        && m_database->scalar(QStringLiteral("SELECT 1 FROM accounts WHERE id = ?"), {r.customerNo}))
        account = r.customerNo;
    m_database->change(QStringLiteral("INSERT INTO access_requests (created_at, machine_id, account_id, remote_address, "
                                      "company, contact, phone, email, city, district, address, tax_office, tax_number, "
                                      "user_name, note) VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)"),
                       {isoDateTime(r.receivedAt.isValid() ? r.receivedAt : QDateTime::currentDateTimeUtc()),
                        r.machineId, account, r.remoteAddress, r.company, r.contact, r.phone, r.email, r.city,
                        r.district, r.address, r.taxOffice, r.taxNumber, r.userName, r.note});
}

} // namespace vexor
