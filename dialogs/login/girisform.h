#pragma once

#include "server/webadresleri.h"

#include <QDialog>
#include <QString>

#include <atomic>
#include <functional>
#include <memory>

class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;

namespace vexor {

class Connection;
class TGifResim;
class TSonucBilgisi;

// The customer selection a sales representative (kinds 1 and 2) goes through right after the
// log-in: shown modally over `owner`, it works on `bag` and sets the account fields of
// `bilgim`; it returns its modal result (1 = an account was chosen).
using CariSecimi = std::function<int(QWidget *owner, Connection &bag, TSonucBilgisi &bilgim)>;

// The log-in window. It finds the public address, fetches the account registered for this
// machine (BuyukGetir), checks the typed name and password against it, remembers them in
// "ayar.ini" and fills the session record. Closes with 1 after a successful log-in; the
// process ends (endProcess(0)) on "Vazgeç", after the request form of an unknown machine, and
// when a representative leaves the customer selection.
class Tgirisform : public QDialog
{
    Q_OBJECT

public:
    explicit Tgirisform(const KurulumAyarlari &ayarlar, QWidget *owner = nullptr);
    ~Tgirisform() override;

    // Set by the caller before showing.
    Connection *bagim = nullptr;
    TSonucBilgisi *Bilgim = nullptr;
    // Empty: no selection window is offered and the account the server returned stays.
    CariSecimi cariSecimi;

    // The machine identity, computed when the window is created.
    QString idsi;

    QLabel *Image1 = nullptr;
    QLabel *Label1 = nullptr;
    QLabel *Label2 = nullptr;
    QLineEdit *adi = nullptr;
    QLineEdit *sifre = nullptr;
    QCheckBox *benihatirla = nullptr;
    QPushButton *Button1 = nullptr;
    QPushButton *Button2 = nullptr;
    TGifResim *RxGIFAnimator1 = nullptr;
    QLabel *Label3 = nullptr;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void showEvent(QShowEvent *event) override;

private:
    struct GirisKapanisi;

    void AyarOku();
    void AyarYaz();
    void Button1Click();
    void Button2Click();
    void Devamet(const QString &disIp);
    void GirisSonucu(const GirisKapanisi &kapanis);
    void GuncellemeIndir();
    void IstekFormuAc();
    bool CariSec();
    void yenidenDene(bool adaDon);
    void kutuyaDon(QLineEdit *kutu);

    KurulumAyarlari m_ayarlar;
    WebAdresleri m_adresler;
    // Shared with the running lookups: set when the window goes, so they stop.
    std::shared_ptr<std::atomic<bool>> m_iptal;
    // One log-in at a time: an Enter in the password box while one runs is ignored.
    bool m_calisiyor = false;
};

} // namespace vexor
