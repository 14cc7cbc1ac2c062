#pragma once

// Pieces shared by the notice, representative and request methods (methods_notices.cpp) and
// their forms the desktop client does not call (methods_other.cpp).

#include "server/mobilstokunit.h"

#include <QString>
#include <QVariant>

namespace vexor {

class Database;

namespace notices {

// The badges of the main window's tabs for one account (0: none chosen yet).
struct Counters
{
    int cartLines = 0;      // lines in the account's cart
    int newStocks = 0;      // rows of the new-stocks list
    int campaignStocks = 0; // rows of the campaign list the account gets (none outside campaigns)
    int announcements = 0;  // active opening screens
    int documents = 0;      // documents for every account and for this one
    double openBalance = 0; // quantity still to deliver on the account's open orders, 3 decimals
};
Counters countersFor(Database &db, int accountId, bool campaigns);

// The active opening screens in their order, pictures as hexadecimal text; with
// `advertisementsOnly` those shown as opening advertisements.
RecordList<TAcilisEkran> openingScreens(Database &db, bool advertisementsOnly);

// The user a machine identity is enrolled for. Throws CallError (EVexorSessionError) for an
// unknown machine or an inactive user.
struct MachineUser
{
    QString machineId; // normalised
    int userId = 0;
    int kind = 0;
    int accountId = 0; // 0 for representatives
    int repId = 0;     // the representative's own, or the account's
    QString name;
    QString password;
    QString email;
    QString fullName;
};
MachineUser machineUser(Database &db, const QString &machineId);

// Where a mail about an account goes: requests the office handles (passwords) to the
// distributor's request address, other messages to the account's representative; each falls
// back on the other. Throws CallError when the server knows neither address.
enum class MailTo { Office, Representative };
QString recipientFor(Database &db, int repId, MailTo to);

// One mail for the outbox; it waits there (sent_at NULL) until it is relayed or read.
struct OutgoingMail
{
    QString machineId;
    int accountId = 0; // 0: none
    QString replyTo;
    QString recipient;
    QString subject;
    QString body;
};
// At most this many mails per machine in any hour; more are refused (EVexorLimitError), so a
// faulty or hostile client cannot fill the outbox or flood the recipients.
inline constexpr int kMailsPerMachinePerHour = 20;
// Stores the mail and returns its number in the outbox.
qint64 queueMail(Database &db, const OutgoingMail &mail);

// A text for one line of a mail: line breaks and other control characters become blanks,
// so a value cannot add lines or headers of its own.
QString oneLine(const QString &text);

} // namespace notices
} // namespace vexor
