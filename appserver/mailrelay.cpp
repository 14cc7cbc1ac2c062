#include "mailrelay.h"

#include "mailmessage.h"
#include "storage/database.h"
#include "storage/schema.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QSysInfo>
#include <QUuid>

#include <curl/curl.h>

#include <algorithm>
#include <chrono>
#include <stdexcept>

namespace vexor {

namespace {

std::once_flag curlReady;

// The longest error kept with a mail.
constexpr qsizetype kMaxErrorLength = 500;

// Feeds the message to libcurl, which does the SMTP dot-stuffing and the closing dot.
struct Upload
{
    const QByteArray *data = nullptr;
    qsizetype position = 0;
};

size_t readMessage(char *buffer, size_t size, size_t count, void *user)
{
    auto *u = static_cast<Upload *>(user);
    const size_t room = size * count;
    const size_t left = size_t(u->data->size() - u->position);
    const size_t n = std::min(room, left);
    std::copy_n(u->data->constData() + u->position, n, buffer);
    u->position += qsizetype(n);
    return n;
}

// Called about once a second while a transfer runs, even while it waits; a non-zero answer
// breaks the transfer off.
int checkStop(void *user, curl_off_t, curl_off_t, curl_off_t, curl_off_t)
{
    return static_cast<const std::atomic<bool> *>(user)->load() ? 1 : 0;
}

// Keeps the mail server's last refusal, which says more than libcurl's error text.
int keepReply(CURL *, curl_infotype type, char *data, size_t size, void *user)
{
    if (type != CURLINFO_HEADER_IN)
        return 0;
    // Only refusals: the closing "221" of the session must not hide the reason.
    const QList<QByteArray> lines = QByteArray(data, qsizetype(size)).split('\n');
    for (const QByteArray &line : lines) {
        const QByteArray text = line.trimmed();
        if (text.startsWith('4') || text.startsWith('5'))
            *static_cast<QByteArray *>(user) = text;
    }
    return 0;
}

// One SMTP session for a pass over the outbox: libcurl keeps the connection between mails.
class SmtpSession
{
public:
    enum class Result { Sent, Failed, Aborted };

    SmtpSession(const MailSettings &settings, const std::atomic<bool> *stopping)
        : m_curl(curl_easy_init())
    {
        if (!m_curl)
            throw std::runtime_error("libcurl could not start a transfer");
        const QByteArray url = settings.relay.toUtf8();
        curl_easy_setopt(m_curl, CURLOPT_URL, url.constData());
        curl_easy_setopt(m_curl, CURLOPT_PROTOCOLS_STR, "smtp,smtps");
        long useSsl = CURLUSESSL_ALL;
        if (url.startsWith("smtp:")) {
            switch (settings.startTls) {
            case MailSettings::StartTls::Required: useSsl = CURLUSESSL_ALL; break;
            case MailSettings::StartTls::Optional: useSsl = CURLUSESSL_TRY; break;
            case MailSettings::StartTls::Never: useSsl = CURLUSESSL_NONE; break;
            }
        }
        curl_easy_setopt(m_curl, CURLOPT_USE_SSL, useSsl);
        if (!settings.user.isEmpty()) {
            const QByteArray user = settings.user.toUtf8();
            const QByteArray password = settings.password.toUtf8();
            curl_easy_setopt(m_curl, CURLOPT_USERNAME, user.constData()); // libcurl copies strings
            curl_easy_setopt(m_curl, CURLOPT_PASSWORD, password.constData());
        }
        curl_easy_setopt(m_curl, CURLOPT_NOSIGNAL, 1L); // a worker thread: no SIGALRM for time-outs
        curl_easy_setopt(m_curl, CURLOPT_CONNECTTIMEOUT, long(settings.timeoutSeconds));
        curl_easy_setopt(m_curl, CURLOPT_TIMEOUT, long(settings.timeoutSeconds));
        curl_easy_setopt(m_curl, CURLOPT_UPLOAD, 1L);
        curl_easy_setopt(m_curl, CURLOPT_READFUNCTION, readMessage);
        curl_easy_setopt(m_curl, CURLOPT_READDATA, &m_upload);
        curl_easy_setopt(m_curl, CURLOPT_NOPROGRESS, 0L);
        curl_easy_setopt(m_curl, CURLOPT_XFERINFOFUNCTION, checkStop);
        curl_easy_setopt(m_curl, CURLOPT_XFERINFODATA, stopping);
        // The debug callback only runs in verbose mode; it prints nothing, it keeps the reply.
        curl_easy_setopt(m_curl, CURLOPT_VERBOSE, 1L);
        curl_easy_setopt(m_curl, CURLOPT_DEBUGFUNCTION, keepReply);
        curl_easy_setopt(m_curl, CURLOPT_DEBUGDATA, &m_reply);
        curl_easy_setopt(m_curl, CURLOPT_ERRORBUFFER, m_errorText);
    }
    ~SmtpSession()
    {
        curl_easy_cleanup(m_curl);
        curl_slist_free_all(m_recipients);
    }
    SmtpSession(const SmtpSession &) = delete;
    SmtpSession &operator=(const SmtpSession &) = delete;

    Result send(const mail::Envelope &e, QString &error)
    {
        const QByteArray from = '<' + e.from + '>';
        curl_easy_setopt(m_curl, CURLOPT_MAIL_FROM, from.constData());
        curl_slist_free_all(m_recipients);
        m_recipients = curl_slist_append(nullptr, QByteArray('<' + e.to + '>').constData());
        curl_easy_setopt(m_curl, CURLOPT_MAIL_RCPT, m_recipients);
        m_upload = Upload{&e.message, 0};
        curl_easy_setopt(m_curl, CURLOPT_INFILESIZE_LARGE, curl_off_t(e.message.size()));
        m_errorText[0] = '\0';
        m_reply.clear();
        const CURLcode rc = curl_easy_perform(m_curl);
        if (rc == CURLE_OK)
            return Result::Sent;
        if (rc == CURLE_ABORTED_BY_CALLBACK)
            return Result::Aborted;
        error = QString::fromUtf8(m_errorText[0] ? m_errorText : curl_easy_strerror(rc));
        if (!m_reply.isEmpty())
            error += QStringLiteral("; server: ") + mail::headerText(QString::fromUtf8(m_reply));
        error = error.left(kMaxErrorLength);
        return Result::Failed;
    }

private:
    CURL *m_curl;
    curl_slist *m_recipients = nullptr;
    Upload m_upload;
    QByteArray m_reply;
    char m_errorText[CURL_ERROR_SIZE] = {};
};

QString instanceName()
{
    return QSysInfo::machineHostName() + QLatin1Char(':') + QString::number(QCoreApplication::applicationPid()) + QLatin1Char(':')
        + QUuid::createUuid().toString(QUuid::WithoutBraces).left(8);
}

} // namespace

struct MailRelay::Claimed
{
    mail::OutboxMail mail;
    int attempts = 0;
    bool done = false;
};

OutboxCounts outboxCounts(Database &db)
{
    QSqlQuery q = db.exec(QStringLiteral(
        "SELECT COALESCE(SUM(CASE WHEN sent_at IS NULL AND failed_at IS NULL THEN 1 ELSE 0 END), 0), "
        "COALESCE(SUM(CASE WHEN sent_at IS NULL AND failed_at IS NULL AND attempts > 0 THEN 1 ELSE 0 END), 0), "
        "COALESCE(SUM(CASE WHEN sent_at IS NOT NULL THEN 1 ELSE 0 END), 0), "
        "COALESCE(SUM(CASE WHEN sent_at IS NULL AND failed_at IS NOT NULL THEN 1 ELSE 0 END), 0) FROM mail_outbox"));
    OutboxCounts c;
    if (q.next()) {
        c.waiting = q.value(0).toInt();
        c.retrying = q.value(1).toInt();
        c.sent = q.value(2).toInt();
        c.failed = q.value(3).toInt();
    }
    return c;
}

std::vector<OutboxProblem> outboxProblems(Database &db, int limit)
{
    QSqlQuery q = db.exec(QStringLiteral("SELECT id, recipient, subject, attempts, last_error, failed_at IS NOT NULL, "
                                         "COALESCE(next_attempt_at, '') FROM mail_outbox "
                                         "WHERE sent_at IS NULL AND attempts > 0 ORDER BY id DESC LIMIT ?"),
                          {limit});
    std::vector<OutboxProblem> problems;
    while (q.next()) {
        OutboxProblem p;
        p.id = q.value(0).toLongLong();
        p.recipient = q.value(1).toString();
        p.subject = q.value(2).toString();
        p.attempts = q.value(3).toInt();
        p.lastError = q.value(4).toString();
        p.givenUp = q.value(5).toInt() != 0;
        p.nextAttemptAt = p.givenUp ? QString() : q.value(6).toString();
        problems.push_back(p);
    }
    return problems;
}

MailRelay::MailRelay(std::shared_ptr<Database> db, MailSettings settings)
    : m_db(std::move(db))
    , m_settings(std::move(settings))
    , m_instance(instanceName())
{
    if (m_settings.enabled() && !mail::parseMailbox(m_settings.from))
        throw std::runtime_error("the mail relay needs a sender address ([mail] from=)");
    std::call_once(curlReady, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
}

MailRelay::~MailRelay()
{
    stop();
}

int MailRelay::retryDelaySeconds(int attempts)
{
    const int doublings = std::clamp(attempts - 1, 0, 6);
    return std::min(60 << doublings, 3600);
}

std::vector<MailRelay::Claimed> MailRelay::claim(const QDateTime &now, bool ignoreDelays)
{
    Database &db = *m_db;
    const QString at = isoDateTime(now);
    // Long enough for every mail of the batch to run into its time-out.
    const QString leaseEnd = isoDateTime(now.addSecs(qint64(m_settings.batch) * (m_settings.timeoutSeconds + 10) + 60));
    std::vector<Claimed> mails;
    Transaction tx(db); // BEGIN IMMEDIATE: another relay's claim waits for this one to end
    QSqlQuery q = db.exec(QStringLiteral("SELECT id, created_at, machine_id, recipient, reply_to, subject, body, attempts "
                                         "FROM mail_outbox WHERE sent_at IS NULL AND failed_at IS NULL "
                                         "AND (? = 1 OR next_attempt_at IS NULL OR next_attempt_at <= ?) "
                                         "AND (claimed_until IS NULL OR claimed_until < ?) "
                                         "ORDER BY created_at, id LIMIT ?"),
                          {ignoreDelays ? 1 : 0, at, at, m_settings.batch});
    while (q.next()) {
        Claimed c;
        c.mail.id = q.value(0).toLongLong();
        c.mail.createdAt = QDateTime::fromString(q.value(1).toString(), Qt::ISODate);
        c.mail.machineId = q.value(2).toString();
        c.mail.recipient = q.value(3).toString();
        c.mail.replyTo = q.value(4).toString();
        c.mail.subject = q.value(5).toString();
        c.mail.body = q.value(6).toString();
        c.attempts = q.value(7).toInt();
        mails.push_back(std::move(c));
    }
    QSqlQuery mark = db.prepare(QStringLiteral("UPDATE mail_outbox SET claimed_by = ?, claimed_until = ? WHERE id = ?"));
    for (const Claimed &c : mails)
        Database::run(mark, {m_instance, leaseEnd, c.mail.id});
    tx.commit();
    return mails;
}

void MailRelay::release(qint64 id)
{
    m_db->change(QStringLiteral("UPDATE mail_outbox SET claimed_by = NULL, claimed_until = NULL WHERE id = ? AND claimed_by = ?"),
                 {id, m_instance});
}

RelayPass MailRelay::relayOnce(const QDateTime &now, bool ignoreDelays)
{
    RelayPass pass;
    if (!m_settings.enabled())
        return pass;
    const mail::Mailbox sender = *mail::parseMailbox(m_settings.from);
    QElapsedTimer clock;
    clock.start();
    const auto current = [&] { return isoDateTime(now.addMSecs(clock.elapsed())); };

    std::vector<Claimed> mails = claim(now, ignoreDelays);
    if (mails.empty())
        return pass;
    const auto finish = [&](Claimed &c, const QString &sql, std::initializer_list<QVariant> values) {
        std::vector<QVariant> params(values);
        params.push_back(c.mail.id);
        params.push_back(m_instance);
        const int changed = m_db->exec(sql + QStringLiteral(", claimed_by = NULL, claimed_until = NULL WHERE id = ? AND claimed_by = ?"),
                                       params).numRowsAffected();
        if (changed != 1)
            qWarning("vexor-server: mail %lld was taken over by another relay while this one sent it", c.mail.id);
        c.done = true;
    };
    const auto failed = [&](Claimed &c, const QString &error, bool permanent) {
        const int attempts = c.attempts + 1;
        const QString at = current();
        if (permanent || attempts >= m_settings.maxAttempts) {
            finish(c, QStringLiteral("UPDATE mail_outbox SET attempts = ?, last_error = ?, failed_at = ?, next_attempt_at = NULL"),
                   {attempts, error, at});
            ++pass.givenUp;
            qWarning("vexor-server: mail %lld to %s given up after %d tries: %s", c.mail.id, qPrintable(mail::headerText(c.mail.recipient)),
                     attempts, qPrintable(error));
        } else {
            const QString next = isoDateTime(now.addMSecs(clock.elapsed()).addSecs(retryDelaySeconds(attempts)));
            finish(c, QStringLiteral("UPDATE mail_outbox SET attempts = ?, last_error = ?, next_attempt_at = ?"),
                   {attempts, error, next});
            ++pass.deferred;
            qWarning("vexor-server: mail %lld to %s not sent (try %d), again at %s: %s", c.mail.id,
                     qPrintable(mail::headerText(c.mail.recipient)), attempts, qPrintable(next), qPrintable(error));
        }
    };

    try {
        SmtpSession smtp(m_settings, &m_stopping);
        for (Claimed &c : mails) {
            if (m_stopping)
                break;
            const mail::Envelope e = mail::buildMessage(c.mail, sender);
            if (!e.error.isEmpty()) {
                failed(c, e.error, true); // no later try can mend the address
                continue;
            }
            QString error;
            const SmtpSession::Result r = smtp.send(e, error);
            if (r == SmtpSession::Result::Aborted)
                break;
            if (r == SmtpSession::Result::Sent) {
                finish(c, QStringLiteral("UPDATE mail_outbox SET sent_at = ?, attempts = ?, last_error = '', next_attempt_at = NULL"),
                       {current(), c.attempts + 1});
                ++pass.sent;
            } else {
                failed(c, error, false);
            }
        }
    } catch (...) {
        for (const Claimed &c : mails) {
            if (!c.done) {
                try {
                    release(c.mail.id);
                } catch (...) {
                    // the lease runs out on its own
                }
            }
        }
        throw;
    }
    // Mails left when the relay stops wait for the next look, by this server or another.
    for (const Claimed &c : mails) {
        if (!c.done)
            release(c.mail.id);
    }
    return pass;
}

void MailRelay::start()
{
    if (!m_settings.enabled() || m_thread.joinable())
        return;
    m_stopping = false;
    m_thread = std::thread([this] { run(); });
}

void MailRelay::stop()
{
    {
        std::lock_guard guard(m_lock);
        m_stopping = true;
    }
    m_wake.notify_all();
    if (m_thread.joinable())
        m_thread.join();
}

void MailRelay::run()
{
    while (!m_stopping) {
        bool more = false;
        try {
            const RelayPass p = relayOnce();
            if (p.sent || p.deferred || p.givenUp)
                qInfo("vexor-server: mail relay: %d sent, %d to try again, %d given up", p.sent, p.deferred, p.givenUp);
            // A full batch leaves more behind it; those go at once.
            more = p.sent + p.deferred + p.givenUp >= m_settings.batch;
        } catch (const std::exception &e) {
            qWarning("vexor-server: mail relay: %s", e.what());
        }
        std::unique_lock lock(m_lock);
        if (!more)
            m_wake.wait_for(lock, std::chrono::seconds(m_settings.intervalSeconds), [this] { return m_stopping.load(); });
    }
}

} // namespace vexor
