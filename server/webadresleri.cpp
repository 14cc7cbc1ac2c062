#include "webadresleri.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QSaveFile>
#include <QSettings>
#include <QUrl>

namespace vexor {

QString webKokuDuzelt(const QString &text)
{
    const QUrl url(text.trimmed(), QUrl::StrictMode);
    if (!url.isValid() || url.host().isEmpty()
        || (url.scheme() != u"http" && url.scheme() != u"https")
        || url.hasQuery() || url.hasFragment() || !url.userInfo().isEmpty())
        return QString();
    QString root = url.toString(QUrl::FullyEncoded);
    if (!root.endsWith(u'/'))
        root += u'/';
    return root;
}

KurulumAyarOkumasi kurulumAyarlariniOku(const QString &path)
{
    KurulumAyarOkumasi okuma;
    const QFileInfo info(path);
    if (!info.exists())
        return okuma;
    if (!info.isFile() || !info.isReadable()) {
        okuma.sorunlar << QStringLiteral("%1 okunamıyor.").arg(QDir::toNativeSeparators(path));
        return okuma;
    }
    QSettings file(path, QSettings::IniFormat);
    if (file.status() != QSettings::NoError) {
        okuma.sorunlar << QStringLiteral("%1 bir ayar dosyası olarak okunamadı.").arg(QDir::toNativeSeparators(path));
        return okuma;
    }

    KurulumAyarlari &a = okuma.ayarlar;
    auto problem = [&](const QString &key, const QString &value, const QString &why) {
        okuma.sorunlar << QStringLiteral("%1 = \"%2\": %3").arg(key, value, why);
    };

    if (file.contains(QStringLiteral("server/host"))) {
        const QString host = file.value(QStringLiteral("server/host")).toString().trimmed();
        if (host.isEmpty() || host.contains(u' ') || host.contains(u'/'))
            problem(QStringLiteral("[server] host"), host, QStringLiteral("sunucu adı değil"));
        else
            a.saticiSunucusu = host;
    }
    if (file.contains(QStringLiteral("server/port"))) {
        const QString text = file.value(QStringLiteral("server/port")).toString().trimmed();
        bool ok = false;
        const int port = text.toInt(&ok);
        if (!ok || port < 1 || port > 65535)
            problem(QStringLiteral("[server] port"), text, QStringLiteral("1 ile 65535 arasında bir sayı olmalı"));
        else
            a.port = port;
    }
    auto root = [&](const QString &key, QString &target) {
        if (!file.contains(key))
            return;
        const QString text = file.value(key).toString();
        const QString fixed = webKokuDuzelt(text);
        if (fixed.isEmpty())
            problem(QStringLiteral("[web] ") + key.section(u'/', 1), text,
                    QStringLiteral("http:// ya da https:// ile başlayan bir web adresi olmalı"));
        else
            target = fixed;
    };
    root(QStringLiteral("web/vendor"), a.saticiWebKoku);
    root(QStringLiteral("web/update"), a.guncellemeKoku);
    return okuma;
}

QString kurulumAyarDosyasiYolu()
{
    return QDir(QCoreApplication::applicationDirPath()).filePath(kKurulumAyarDosyasi.toString());
}

bool kurulumAyarlariniYaz(const QString &path, const KurulumAyarlari &ayarlar, QString *hata)
{
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Text)) {
        if (hata)
            *hata = file.errorString();
        return false;
    }
    const QString text = QStringLiteral(
        "; Vexor B2B installation settings (see docs/client.md)\n"
        "[server]\n"
        "host=%1\n"
        "port=%2\n"
        "\n"
        "[web]\n"
        "vendor=%3\n"
        "update=%4\n")
        .arg(ayarlar.saticiSunucusu).arg(ayarlar.port).arg(ayarlar.saticiWebKoku, ayarlar.guncellemeKoku);
    file.write(text.toUtf8());
    if (!file.commit()) {
        if (hata)
            *hata = file.errorString();
        return false;
    }
    return true;
}

WebAdresleri::WebAdresleri(const KurulumAyarlari &ayarlar)
    : m_satici(ayarlar.saticiWebKoku)
    , m_guncelleme(ayarlar.guncellemeKoku)
{
}

QString WebAdresleri::resimGoster(qint32 stokno) const
{
    return m_satici + QStringLiteral("resimgoster.ashx?id=") + QString::number(stokno);
}

QString WebAdresleri::istekFormu(const QString &makineKimligi) const
{
    return m_satici + QStringLiteral("formmailgonder.aspx?carino=0&kullanici= &id=") + makineKimligi;
}

QString WebAdresleri::disIp() const
{
    return m_guncelleme + QStringLiteral("ip.php");
}

QString WebAdresleri::kurulumProgrami() const
{
    return m_guncelleme + QStringLiteral("exe/VexorSetup.exe");
}

} // namespace vexor
