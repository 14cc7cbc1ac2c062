#pragma once

#include "settings.h"

#include <QDateTime>
#include <QString>

#include <atomic>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

namespace vexor {

class Database;

// How the outbox stands.
struct OutboxCounts
{
    int waiting = 0;  // not sent yet and not given up (retrying included)
    int retrying = 0; // of those, tried and failed at least once
    int sent = 0;
    int failed = 0;   // given up
};
OutboxCounts outboxCounts(Database &db);

// A mail that waits after a failed try, for the operator's view.
struct OutboxProblem
{
    qint64 id = 0;
    QString recipient;
    QString subject;
    int attempts = 0;
    QString lastError;
    bool givenUp = false;
    QString nextAttemptAt; // empty when given up
};
// The newest `limit` mails with a failed try, given up ones included.
std::vector<OutboxProblem> outboxProblems(Database &db, int limit);

// What one look into the outbox did.
struct RelayPass
{
    int sent = 0;
    int deferred = 0; // failed, tried again later
    int givenUp = 0;  // failed for the last time, or can never be sent
};

// Relays the mail outbox over SMTP (libcurl). The server runs it on a thread of its own, so a
// slow mail server never holds up a remote call; relayOnce() is that thread's step and also what
// `vexor-server mail --send-now` runs.
//
// Several servers may share one database: a relay claims the mails it takes in one transaction
// (with a lease, so mails of a relay that died are taken up again later) and only the claimer
// marks them. A mail that the server accepted just before this process died may therefore go
// out twice; a mail is never dropped.
class MailRelay
{
public:
    MailRelay(std::shared_ptr<Database> db, MailSettings settings);
    ~MailRelay();
    MailRelay(const MailRelay &) = delete;
    MailRelay &operator=(const MailRelay &) = delete;

    // Takes up to `batch` mails that are due at `now` (`ignoreDelays`: also those waiting for
    // their next try), oldest first, and sends them one after another. A failure counts the try
    // and keeps the error; the mail is tried again after retryDelaySeconds(), and given up after
    // the settings' number of tries. Throws DatabaseError when the outbox cannot be read.
    RelayPass relayOnce(const QDateTime &now = QDateTime::currentDateTime(), bool ignoreDelays = false);

    // Starts the relay thread: a look at once, then one every interval.
    void start();
    // Stops the thread; a transfer under way is broken off (its mail stays to be sent), so this
    // returns within about a second.
    void stop();

    // The wait before the try after `attempts` failed ones: 1 minute, doubling, at most 1 hour.
    static int retryDelaySeconds(int attempts);

private:
    struct Claimed;
    void run();
    std::vector<Claimed> claim(const QDateTime &now, bool ignoreDelays);
    void release(qint64 id);

    std::shared_ptr<Database> m_db;
    MailSettings m_settings;
    QString m_instance; // the name this relay claims mails with
    std::atomic<bool> m_stopping{false};
    std::mutex m_lock;
    std::condition_variable m_wake;
    std::thread m_thread;
};

} // namespace vexor
