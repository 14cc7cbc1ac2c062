#include "settings.h"

#include "mailmessage.h"

#include <QDir>
#include <QFileInfo>
#include <QSettings>
#include <QUrl>

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

// A text value as written. QSettings cuts a value with commas into a list, which a display
// name or a password may well contain.
static QString readText(QSettings &ini, const char *key, const QString &fallback)
{
    const QVariant v = ini.value(QString::fromLatin1(key));
    if (!v.isValid())
        return fallback;
    if (v.typeId() == QMetaType::QStringList)
        return v.toStringList().join(QLatin1Char(','));
    return v.toString();
}

// A whole number within its range; anything else names the key.
static int readWholeNumber(QSettings &ini, const char *key, int fallback, int min, int max, const QString &path)
{
    const QString text = readText(ini, key, QString()).trimmed();
    if (text.isEmpty())
        return fallback;
    bool ok = false;
    const int n = text.toInt(&ok);
    if (!ok || n < min || n > max)
        throw std::runtime_error(QStringLiteral("%1: [mail] '%2' %3 ile %4 arasında bir tam sayı olmalı: %5")
                                     .arg(path, QString::fromLatin1(key)).arg(min).arg(max).arg(text).toStdString());
    return n;
}

static MailSettings readMail(QSettings &ini, const QString &path)
{
    MailSettings m;
    const auto bad = [&](const char *key, const QString &what, const QString &value) {
        return std::runtime_error(QStringLiteral("%1: [mail] '%2' %3: %4").arg(path, QString::fromLatin1(key), what, value).toStdString());
    };
    m.relay = readText(ini, "relay", QString()).trimmed();
    if (!m.relay.isEmpty()) {
        const QUrl url(m.relay, QUrl::StrictMode);
        const QString scheme = url.scheme().toLower();
        if (!url.isValid() || (scheme != QLatin1String("smtp") && scheme != QLatin1String("smtps")) || url.host().isEmpty()
            || url.hasQuery() || url.hasFragment())
            throw bad("relay", QStringLiteral("smtp://sunucu[:port] ya da smtps://sunucu[:port] olmalı"), m.relay);
        if (!url.userInfo().isEmpty())
            throw bad("relay", QStringLiteral("kullanıcı adı ve şifre taşımamalı (user= ve password= kullanın)"),
                      url.toString(QUrl::RemoveUserInfo));
    }
    m.from = readText(ini, "from", QString()).trimmed();
    if (!m.from.isEmpty() && !mail::parseMailbox(m.from))
        throw bad("from", QStringLiteral("geçerli bir gönderen adresi değil (adres ya da Ad <adres>)"), m.from);
    if (m.enabled() && m.from.isEmpty())
        throw std::runtime_error(QStringLiteral("%1: [mail] relay verildiğinde 'from' da verilmeli").arg(path).toStdString());
    m.user = readText(ini, "user", QString());
    m.password = readText(ini, "password", QString());
    const QString startTls = readText(ini, "starttls", QString()).trimmed().toLower();
    if (startTls == QLatin1String("required") || startTls.isEmpty())
        m.startTls = MailSettings::StartTls::Required;
    else if (startTls == QLatin1String("optional"))
        m.startTls = MailSettings::StartTls::Optional;
    else if (startTls == QLatin1String("never"))
        m.startTls = MailSettings::StartTls::Never;
    else
        throw bad("starttls", QStringLiteral("required, optional ya da never olmalı"), startTls);
    m.intervalSeconds = readWholeNumber(ini, "interval", m.intervalSeconds, 1, 86400, path);
    m.batch = readWholeNumber(ini, "batch", m.batch, 1, 1000, path);
    m.maxAttempts = readWholeNumber(ini, "attempts", m.maxAttempts, 1, 100, path);
    m.timeoutSeconds = readWholeNumber(ini, "timeout", m.timeoutSeconds, 5, 3600, path);
    return m;
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
    ini.beginGroup(QStringLiteral("mail"));
    s.mail = readMail(ini, path);
    ini.endGroup();
    return s;
}

} // namespace vexor
