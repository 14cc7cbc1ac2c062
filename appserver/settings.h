#pragma once

#include <QString>
#include <QStringList>

#include <cstdint>

namespace vexor {

// The server's own settings: an INI file (section [server], [rates]) overridden by command-line
// options. It listens on loopback unless told otherwise.
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

    // Reads the file; a missing file leaves the defaults, an unreadable one throws
    // std::runtime_error with a clear message.
    static ServerSettings fromFile(const QString &path);
};

} // namespace vexor
