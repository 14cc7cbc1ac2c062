#pragma once

#include <QDate>
#include <QString>

#include <vector>

namespace vexor {

class Database;

struct DemoOptions
{
    int stocks = 50000;
    int accounts = 220;
    quint64 seed = 1;
    // The day the demo year ends on; orders, invoices and payments lie in the year before it.
    QDate today = QDate::currentDate();
};

// A user the seed prints so that someone can log in.
struct DemoUser
{
    QString name;
    QString password;
    int kind = 0;
    QString machineId; // the demo machine enrolled for the user
    QString role;      // what the user is, in a few words
};

struct DemoSummary
{
    std::vector<DemoUser> users;
    int stocks = 0;
    int accounts = 0;
    int orders = 0;
    int orderLines = 0;
    int invoices = 0;
    int collections = 0;
    int webPayments = 0;
    int cartLines = 0;
};

// Fills an empty database with a fictional but consistent catalogue and a year of business:
// stocks with codes, OEM numbers, prices, statuses and pictures; representatives, accounts
// with discount rules and users of every kind; orders whose deliveries are invoiced; invoices
// that are paid by collections (some through the web payment desk) on the accounts' terms;
// the statement of every account made of exactly those documents; open carts, banners,
// opening screens, documents, the news line, request mails and access requests.
// The same options give the same data. Throws DatabaseError (or std::runtime_error for the
// pictures) on failure, leaving the database as it was.
DemoSummary seedDemoData(Database &db, const DemoOptions &options);

} // namespace vexor
