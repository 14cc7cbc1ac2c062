#pragma once

#include "server/webadresleri.h"

#include <QDialog>
#include <QLocale>
#include <QPointer>

class QLabel;
class QNetworkAccessManager;
class QNetworkReply;
class QProgressBar;

namespace vexor {

class Connection;

// The four lines of the update window: "Vexor Otomotiv B2B Programının", "Yeni versiyonu
// indirilecektir", "Lütfen Bekleyiniz...!", "Version: <server's>-<ours>".
QString guncellemeYazisi(int sunucuSurumu);

// The progress line: "Bilgi: %45,23  İndirilen: 3,12/6,90 Mb" (two decimals with the locale's
// decimal separator, two blanks before "İndirilen"). Meaningful for a known total only.
QString indirmeBilgisi(qint64 okunan, qint64 toplam, const QLocale &locale = QLocale());

// Where the setup program is saved: the user's local application-data folder.
QString kurulumProgramiYolu();

// The update window: downloads the current setup program from the update host as soon as it
// is shown, saves it as "VexorSetup.exe" in the local application-data folder, starts it with
// "/silent" and ends the program. A download that fails (no connection, a time-out, an HTTP
// error status or an empty body) saves and starts nothing: it shows "Hata Oluştu !" with the
// reason and ends the program too. The user cannot skip the update.
class Tdosyaindir : public QDialog
{
    Q_OBJECT

public:
    // `_y` is the version the server expects.
    static Tdosyaindir *Yeni(QWidget *owner, int _y, const WebAdresleri &adresler);

    // Set by the caller; the window does not use it.
    Connection *bag = nullptr;
    // True once the download has started; a second activation does not start another.
    bool basladi = false;

    QLabel *sLabel1 = nullptr;
    QLabel *bilgi = nullptr;
    QProgressBar *ProgressBar1 = nullptr;

    QString adres() const { return m_adres; }

protected:
    void showEvent(QShowEvent *event) override;
    void changeEvent(QEvent *event) override;
    void closeEvent(QCloseEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;

private:
    Tdosyaindir(QWidget *owner, int _y, const QString &adres);

    void FormActivate();
    void ilerleme(qint64 okunan, qint64 toplam);
    void bitti();
    void basarisiz(const QString &neden);

    QString m_adres;
    QNetworkAccessManager *m_http = nullptr;
    QPointer<QNetworkReply> m_yanit;
};

} // namespace vexor
