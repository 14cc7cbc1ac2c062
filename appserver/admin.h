#pragma once

#include "settings.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <memory>

namespace vexor {

class Database;

// The administrative commands of vexor-server; each runs and exits:
//
//   vexor-server seed --db FILE [--stocks N] [--accounts N] [--seed S] [--force]
//   vexor-server enroll --db FILE --machine local|ID --user NAME
//   vexor-server set --db FILE [--news TEXT] [--version N] [--banner 1|2|3 FILE] [--config FILE] [--port N]
//       (a new news text or banner is broadcast through the running server, if there is one)
//   vexor-server mail [--config FILE] [--db FILE] [--send-now]
//       (the outbox counts; --send-now relays one batch first)
bool isAdminCommand(const QString &command);
// `arguments` as the program got them (program name first). Returns the exit code.
int runAdminCommand(const QStringList &arguments);

// The database `serve` works on: the settings' file, else vexor.db in the server's data
// folder. A file that does not exist yet becomes a demo database (the default demo data, with
// this machine enrolled as the demo dealer), so that a first start has something to show.
std::shared_ptr<Database> openServerDatabase(const ServerSettings &settings);

// The pieces of the commands, for tests and for the server's own use. Each throws
// std::runtime_error (DatabaseError included) with a message for the operator.

// Registers a machine for a user (by log-in name, any letter case); a machine already
// registered moves to that user. "local" stands for this machine's own identity. Returns the
// user's kind.
int enrollMachine(Database &db, const QString &machine, const QString &userName);
// The scrolling news text; may be empty.
void setNews(Database &db, const QString &text);
// The client version every user is expected to run (users without their own value).
void setClientVersion(Database &db, int version);
// A banner picture: slots 1 and 2 take an (animated) GIF, slot 3 a BMP.
void setBanner(Database &db, int slot, const QByteArray &content, const QString &fileName);

} // namespace vexor
