#include "dosyaindir.h"

#include "duzmesaj.h"

#include "common/mesaj.h"
#include "platform/processexit.h"

#include <QCloseEvent>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QProcess>
#include <QProgressBar>
#include <QSaveFile>
#include <QStandardPaths>
#include <QTimer>
#include <QVBoxLayout>

namespace vexor {

namespace {

constexpr int kIstemciSurumu = 1;
constexpr int kZamanAsimiMs = 60000;

} // namespace

QString guncellemeYazisi(int sunucuSurumu)
{
    return QStringLiteral("Vexor Otomotiv B2B Programının\n"
                          "Yeni versiyonu indirilecektir\n"
                          "Lütfen Bekleyiniz...!\n"
                          "Version: %1-%2")
        .arg(sunucuSurumu)
        .arg(kIstemciSurumu);
}

QString indirmeBilgisi(qint64 okunan, qint64 toplam, const QLocale &locale)
{
    QLocale l = locale;
    l.setNumberOptions(QLocale::OmitGroupSeparator);
    const double yuzde = toplam > 0 ? double(okunan) / double(toplam) * 100.0 : 0.0;
    constexpr double mb = 1024.0 * 1024.0;
    return QStringLiteral("Bilgi: %") + l.toString(yuzde, 'f', 2) + QStringLiteral("  İndirilen: ")
        + l.toString(double(okunan) / mb, 'f', 2) + u'/' + l.toString(double(toplam) / mb, 'f', 2)
        + QStringLiteral(" Mb");
}

QString kurulumProgramiYolu()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation)
        + QStringLiteral("/VexorSetup.exe");
}

Tdosyaindir *Tdosyaindir::Yeni(QWidget *owner, int _y, const WebAdresleri &adresler)
{
    auto *pencere = new Tdosyaindir(owner, _y, adresler.kurulumProgrami());
    pencere->basladi = false;
    return pencere;
}

Tdosyaindir::Tdosyaindir(QWidget *owner, int _y, const QString &adres)
    : QDialog(owner, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint)
    , m_adres(adres)
{
    setWindowTitle(QStringLiteral("Dosya İndir"));
    setObjectName(QStringLiteral("dosyaindir"));
    setFixedSize(543, 309);

    sLabel1 = new QLabel(guncellemeYazisi(_y), this);
    sLabel1->setObjectName(QStringLiteral("guncellemeMetni"));
    sLabel1->setAlignment(Qt::AlignCenter);
    sLabel1->setWordWrap(true);
    QFont big(QStringLiteral("Tahoma"));
    big.setPixelSize(27);
    sLabel1->setFont(big);

    bilgi = new QLabel(this);
    bilgi->setObjectName(QStringLiteral("bilgi"));
    QFont bold(QStringLiteral("Tahoma"));
    bold.setPixelSize(13);
    bold.setBold(true);
    bilgi->setFont(bold);

    ProgressBar1 = new QProgressBar(this);
    ProgressBar1->setTextVisible(false);
    ProgressBar1->setRange(0, 100);
    ProgressBar1->setValue(0);

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(16, 12, 16, 16);
    layout->addWidget(sLabel1, 1);
    layout->addWidget(bilgi);
    layout->addWidget(ProgressBar1);

    m_http = new QNetworkAccessManager(this);
}

void Tdosyaindir::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    // Activation does not always reach a window (no window manager, offscreen); being shown
    // counts as activated.
    QTimer::singleShot(0, this, &Tdosyaindir::FormActivate);
}

void Tdosyaindir::changeEvent(QEvent *event)
{
    QDialog::changeEvent(event);
    if (event->type() == QEvent::ActivationChange && isActiveWindow())
        FormActivate();
}

void Tdosyaindir::closeEvent(QCloseEvent *event)
{
    // Every way out of this window goes through the end of the download.
    event->ignore();
}

void Tdosyaindir::keyPressEvent(QKeyEvent *event)
{
    // No Escape either.
    event->ignore();
}

void Tdosyaindir::FormActivate()
{
    if (basladi)
        return;
    basladi = true;

    const QString hedef = kurulumProgramiYolu();
    QDir().mkpath(QFileInfo(hedef).absolutePath());
    // An old download never survives into this one, so a failed download leaves no file.
    if (QFileInfo::exists(hedef))
        QFile::remove(hedef);

    QNetworkRequest request{QUrl(m_adres)};
    request.setAttribute(QNetworkRequest::RedirectPolicyAttribute, QNetworkRequest::NoLessSafeRedirectPolicy);
    request.setAttribute(QNetworkRequest::CacheLoadControlAttribute, QNetworkRequest::AlwaysNetwork);
    request.setAttribute(QNetworkRequest::CookieLoadControlAttribute, QNetworkRequest::Manual);
    request.setAttribute(QNetworkRequest::CookieSaveControlAttribute, QNetworkRequest::Manual);
    request.setTransferTimeout(kZamanAsimiMs);
    request.setRawHeader("Accept", "text/html,application/xhtml+xml,application/xml;q=0.9,image/webp,image/apng,*/*;q=0.8");
    request.setRawHeader("Accept-Language", "en-US,tr-TR;q=0.8,tr;q=0.6,en;q=0.4");
    request.setRawHeader("User-Agent", "Mozilla/5.0 (Windows NT 10.0; Win64; x64) AppleWebKit/537.36 "
                                       "(KHTML, like Gecko) Chrome/60.0.3112.32 Safari/537.36");
    // Accept-Encoding is left to the network layer: it offers gzip and deflate (and the newer
    // encodings it knows) and inflates the body itself. Set here, it would hand over the
    // compressed bytes to be saved as the setup program.
    m_yanit = m_http->get(request);
    connect(m_yanit, &QNetworkReply::downloadProgress, this, &Tdosyaindir::ilerleme);
    connect(m_yanit, &QNetworkReply::finished, this, &Tdosyaindir::bitti);
}

void Tdosyaindir::ilerleme(qint64 okunan, qint64 toplam)
{
    if (toplam <= 0)
        return;
    bilgi->setText(indirmeBilgisi(okunan, toplam));
    // The bar counts in KiB so that large files stay within its int range.
    const auto kib = [](qint64 bytes) { return int(qMin<qint64>(bytes / 1024, INT_MAX)); };
    ProgressBar1->setRange(0, qMax(1, kib(toplam)));
    ProgressBar1->setValue(kib(okunan));
}

void Tdosyaindir::basarisiz(const QString &neden)
{
    DuzMesajGoster(QStringLiteral("Hata Oluştu !\nHata: ") + neden, MessageError);
    endProcess(0);
    done(2);
}

void Tdosyaindir::bitti()
{
    QNetworkReply *yanit = m_yanit;
    if (!yanit)
        return;
    yanit->deleteLater();
    const int status = yanit->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
    if (status >= 400) {
        const QString reason = QString::fromLatin1(yanit->attribute(QNetworkRequest::HttpReasonPhraseAttribute).toByteArray());
        basarisiz(QStringLiteral("HTTP %1 %2").arg(status).arg(reason).trimmed());
        return;
    }
    if (yanit->error() != QNetworkReply::NoError) {
        basarisiz(yanit->errorString());
        return;
    }
    const QByteArray body = yanit->readAll();
    if (body.isEmpty()) {
        basarisiz(QStringLiteral("Sunucudan boş yanıt geldi."));
        return;
    }

    const QString hedef = kurulumProgramiYolu();
    QSaveFile file(hedef);
    if (!file.open(QIODevice::WriteOnly) || file.write(body) != body.size() || !file.commit()) {
        basarisiz(file.errorString());
        return;
    }
    QFile::setPermissions(hedef, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    // A setup program that does not start fails silently; the program ends all the same.
    QProcess::startDetached(hedef, {QStringLiteral("/silent")}, QFileInfo(hedef).absolutePath());
    endProcess(0);
    done(1);
}

} // namespace vexor
