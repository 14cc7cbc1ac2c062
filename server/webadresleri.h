#pragma once

#include <QString>
#include <QStringList>

namespace vexor {

// Where this installation finds its hosts: the vendor host that runs the application server
// (and its port), the vendor's web root (pictures, request form, web site) and the update
// root of the program's maker (public address, setup program). The client takes no command
// line and no environment: these come from the installation settings file beside the
// executable (docs/client.md).
struct KurulumAyarlari
{
    QString saticiSunucusu = QStringLiteral("127.0.0.1");
    int port = 9090;
    // Roots are "http://host[:port]/[path/]", always with the trailing slash.
    QString saticiWebKoku = QStringLiteral("http://127.0.0.1:9091/");
    QString guncellemeKoku = QStringLiteral("http://127.0.0.1:9091/");
};

// The file name of the installation settings, beside the executable.
inline constexpr QStringView kKurulumAyarDosyasi = u"vexor-b2b.ini";

struct KurulumAyarOkumasi
{
    KurulumAyarlari ayarlar;
    // What could not be used, one line each (the file itself, or a key and why); the values
    // concerned keep their defaults. Empty when the file was read in full or does not exist.
    QStringList sorunlar;
};

// Reads the installation settings:
//   [server]  host=127.0.0.1   port=9090
//   [web]     vendor=http://127.0.0.1:9091/   update=http://127.0.0.1:9091/
// A missing file gives the defaults without a problem; an unreadable or malformed file, or a
// key with an unusable value, gives the defaults for what it concerns and says so.
KurulumAyarOkumasi kurulumAyarlariniOku(const QString &path);

// The path of the settings file beside the running executable.
QString kurulumAyarDosyasiYolu();

// Writes the settings file (the main job does this for a demo installation).
bool kurulumAyarlariniYaz(const QString &path, const KurulumAyarlari &ayarlar, QString *hata = nullptr);

// A web root as the settings hold it: http or https, a host, and a path ending in "/".
// Empty when the text is no such address.
QString webKokuDuzelt(const QString &text);

// The addresses the client uses on the two web hosts. Every address is its host's root
// followed by a path; query values are appended as they are (the request form's address has a
// blank after "kullanici=" and the machine identity is not URL-encoded).
class WebAdresleri
{
public:
    explicit WebAdresleri(const KurulumAyarlari &ayarlar);

    // Vendor host.
    QString webSitesi() const { return m_satici; }
    QString resimGoster(qint32 stokno) const;
    QString istekFormu(const QString &makineKimligi) const;
    // Update host.
    QString disIp() const;
    QString kurulumProgrami() const;

private:
    QString m_satici;
    QString m_guncelleme;
};

} // namespace vexor
