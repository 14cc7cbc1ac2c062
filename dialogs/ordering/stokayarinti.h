#pragma once

#include "stokayarintitemel.h"
#include "tutarkutusu.h"

#include <QByteArray>
#include <QImage>
#include <QString>

#include <array>
#include <atomic>
#include <memory>

namespace vexor {

// Responses shorter than this are no picture (the vendor's web server answers a missing
// picture with a short page).
inline constexpr qsizetype kEnKucukResimBoyu = 1200;

// Fetches a stock picture from its web address and decodes it: a blocking GET for a pool
// thread (it runs its own event loop). A failed request, an error status, a body shorter than
// kEnKucukResimBoyu or bytes that are no picture give a null image; nothing is reported.
// `iptal` ends the request early with a null image.
QImage GosterYeni(const QString &resimAdresi, const std::atomic<bool> &iptal, int zamanAsimiMs = 30000);

// The stock detail and add-to-cart dialog. The caller creates it, fills the labels, the unit
// price, the rates and the stock number, shows it modally and reads the quantity (miktar())
// and the unit price back after a confirmation: exec() gives 1 after "Sipariş ekle" or Enter
// in the quantity box, 2 after "Vazgeç", Escape or the close box.
//
// The web picture: `saticiWebKoku` is the vendor web root of the installation settings
// (KurulumAyarlari::saticiWebKoku); the picture link is built from it by WebAdresleri, as
// every other vendor address is. Each activation asks for the picture of `_stokno` in the
// background (not for stock number 0, which names no stock); a picture that arrives replaces
// the one shown, one that arrives after the dialog is gone is dropped.
class Tstokayarinti : public TStokAyarintiTemel
{
    Q_OBJECT

public:
    explicit Tstokayarinti(const QString &saticiWebKoku, QWidget *owner = nullptr);
    ~Tstokayarinti() override;

    double ind1 = 0, ind2 = 0, ind3 = 0, ind4 = 0;  // successive discount rates in percent
    qint32 _stokno = 0;

    // ind1..ind4.
    std::array<double, 4> oranlar() const override;
    // Starts the background fetch of the web picture of `_stokno`.
    void ResimGoster();
    // The web address of the picture of `_stokno`.
    QString resimAdresi() const;

signals:
    // A web picture was put into Image1.
    void webResmiGeldi();

protected:
    void showEvent(QShowEvent *event) override;
    bool event(QEvent *event) override;

private:
    // Set when the dialog goes away: requests still running end early.
    std::shared_ptr<std::atomic<bool>> m_iptal = std::make_shared<std::atomic<bool>>(false);
};

} // namespace vexor
