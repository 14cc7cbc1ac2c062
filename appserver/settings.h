#pragma once

#include <QString>
#include <QStringList>

#include <cstdint>

namespace vexor {

// How the server relays its mail outbox (section [mail]). With an empty relay address mails
// stay in the outbox.
struct MailSettings
{
    enum class StartTls { Required, Optional, Never };

    QString relay;     // smtp://host[:port] or smtps://host[:port]; empty: no relaying
    QString from;      // the sender, "address" or "Name <address>"; needed with a relay
    QString user;      // log-in at the relay; empty: none
    QString password;
    StartTls startTls = StartTls::Required; // for smtp://; smtps:// is encrypted from the start
    int intervalSeconds = 60; // between two looks into the outbox
    int batch = 20;           // mails taken at one look
    int maxAttempts = 8;      // a mail is given up after this many failed tries
    int timeoutSeconds = 60;  // for one mail, connecting included

    bool enabled() const { return !relay.isEmpty(); }
};

// The server's own settings: an INI file (section [server], [rates], [mail]) overridden by
// command-line options. It listens on loopback unless told otherwise.
struct ServerSettings
{
    QString host = QStringLiteral("127.0.0.1");
    std::uint16_t port = 9090;    // remote methods and notification channel
    std::uint16_t webPort = 9091; // pictures, request form, ip.php, setup program
    QString databasePath;         // empty: vexor.db in the server's data folder
    QString setupFile;            // served as exe/VexorSetup.exe; empty: none (404)
    int ioThreads = 2;
    int workerThreads = 4;
    double usdRate = 0;
    double eurRate = 0;
    MailSettings mail;

    // Reads the file; a missing file leaves the defaults, an unreadable one throws
    // std::runtime_error with a clear message.
    static ServerSettings fromFile(const QString &path);
};

} // namespace vexor
