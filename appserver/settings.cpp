#include "settings.h"

#include <QDir>
#include <QFileInfo>
#include <QSettings>

#include <stdexcept>

namespace vexor {

template<class T>
static T readNumber(QSettings &ini, const char *key, T fallback, const QString &path)
{
    const QVariant v = ini.value(QString::fromLatin1(key));
    if (!v.isValid())
        return fallback;
    bool ok = false;
    const double d = v.toString().toDouble(&ok);
    if (!ok)
        throw std::runtime_error(QStringLiteral("%1: '%2' değeri sayı değil: %3")
                                     .arg(path, QString::fromLatin1(key), v.toString()).toStdString());
    return static_cast<T>(d);
}

ServerSettings ServerSettings::fromFile(const QString &path)
{
    ServerSettings s;
    const QFileInfo info(path);
    if (!info.exists())
        return s;
    if (!info.isReadable())
        throw std::runtime_error(QStringLiteral("%1 okunamıyor").arg(path).toStdString());
    QSettings ini(path, QSettings::IniFormat);
    if (ini.status() != QSettings::NoError)
        throw std::runtime_error(QStringLiteral("%1 geçerli bir ayar dosyası değil").arg(path).toStdString());
    ini.beginGroup(QStringLiteral("server"));
    s.host = ini.value(QStringLiteral("host"), s.host).toString();
    s.port = readNumber<std::uint16_t>(ini, "port", s.port, path);
    s.webPort = readNumber<std::uint16_t>(ini, "webport", s.webPort, path);
    s.databasePath = ini.value(QStringLiteral("database"), s.databasePath).toString();
    s.setupFile = ini.value(QStringLiteral("setup"), s.setupFile).toString();
    // A relative setup path is read beside the settings file, wherever the server was started.
    if (!s.setupFile.isEmpty() && QFileInfo(s.setupFile).isRelative())
        s.setupFile = info.absoluteDir().filePath(s.setupFile);
    s.ioThreads = readNumber<int>(ini, "iothreads", s.ioThreads, path);
    s.workerThreads = readNumber<int>(ini, "workers", s.workerThreads, path);
    ini.endGroup();
    ini.beginGroup(QStringLiteral("rates"));
    s.usdRate = readNumber<double>(ini, "usd", s.usdRate, path);
    s.eurRate = readNumber<double>(ini, "eur", s.eurRate, path);
    ini.endGroup();
    return s;
}

} // namespace vexor
