#pragma once

#include <QDateTime>
#include <QString>
#include <QStringList>

namespace vexor {

class Database;

// The version of the schema below. A file of version 1 is brought up to it when opened; one of
// another version is refused rather than read wrongly (a new one is made with `vexor-server seed`).
inline constexpr int kSchemaVersion = 2;

// CREATE statements of every table and index, in dependency order. Plain SQL that PostgreSQL
// also accepts, except for three SQLite forms: INTEGER PRIMARY KEY (an identity column there),
// BLOB (BYTEA) and the FTS5 search index (a tsvector column with a GIN index there).
QStringList schemaStatements();

// Creates the schema in an empty database, or checks the version of an existing one. Throws
// DatabaseError for another version.
void ensureSchema(Database &db);

// The key/value table for server-wide values.
QString readSetting(Database &db, const QString &key, const QString &fallback = {});
void writeSetting(Database &db, const QString &key, const QString &value);

// Keys of the settings table.
inline const QString kSettingSchemaVersion = QStringLiteral("schema_version");
inline const QString kSettingNews = QStringLiteral("news");                  // the scrolling text
inline const QString kSettingClientVersion = QStringLiteral("client_version"); // expected client version
inline const QString kSettingMailTo = QStringLiteral("mail_to");               // the distributor's request address

// Order status codes (table order_statuses).
enum class OrderStatus {
    Alindi = 1,            // received
    Goruldu = 2,           // seen
    Onaylandi = 3,         // approved
    ParcaliHazirlandi = 4, // prepared in part
    Hazirlandi = 5,        // prepared
    SevkEdildi = 6,        // shipped
    Tamamlandi = 7,        // delivered in full, closed
    Iptal = 8,             // cancelled
};

// Texts of the account movement kinds (account_movements.kind).
inline const QString kMovementOpening = QStringLiteral("Devir");
inline const QString kMovementInvoice = QStringLiteral("Satış Faturası");
inline const QString kMovementReturnInvoice = QStringLiteral("Satış İade Faturası");
inline const QString kMovementCollection = QStringLiteral("Tahsilat");
inline const QString kMovementPayment = QStringLiteral("Tediye");

// Machine identities are kept as the client computes them: without blanks, in capitals. A
// typed identity is brought to that form before it is stored or looked up.
QString normalizeMachineId(const QString &machineId);

// Dates and times are stored as ISO 8601 text ("2026-03-14", "2026-03-14T09:30:00", local
// time), which sorts correctly and which both databases read.
QString isoDate(QDate date);
QString isoDateTime(const QDateTime &dateTime);

} // namespace vexor
