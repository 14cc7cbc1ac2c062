#pragma once

#include "stokayrintiyerlesim.h"
#include "tutarkutusu.h"

#include "platform/asyncresim.h"

#include <QDialog>
#include <QString>

class QLabel;
class QPushButton;
class QSpinBox;

namespace vexor {

// The stock dialog for representatives (user kinds 1 and 2): the same identity, picture,
// quantity and amount rows as Tstokayarinti, four discount-rate boxes edindirim1..edindirim4
// on the panel GridPanel2 (hidden until the caller shows it) that take the place of the
// rates, and the web picture through AsyncResim1, which lies over Image1 and is given the
// picture link when the window is shown. exec() gives 1 after "Sipariş ekle" or Enter in the
// quantity box, 2 after "Vazgeç", Escape or the close box. Centred on the screen.
//
// `saticiWebKoku` is the vendor web root of the installation settings; the picture link is
// built from it by WebAdresleri.
class TstokayarintiAdmin : public QDialog
{
    Q_OBJECT

public:
    TstokayarintiAdmin(const QString &saticiWebKoku, qint32 stokno, QWidget *owner = nullptr);
    // The same as the constructor, for callers that create their dialogs with Ac.
    static TstokayarintiAdmin *Ac(const QString &saticiWebKoku, qint32 stokno, QWidget *owner = nullptr);

    QLabel *barkod = nullptr;
    QLabel *adi = nullptr;
    QLabel *finishkod = nullptr;
    QLabel *marka = nullptr;
    QLabel *model = nullptr;
    QLabel *Label2 = nullptr;
    QLabel *indirimoran = nullptr;
    QSpinBox *adet = nullptr;
    TutarKutusu *birimfiyat = nullptr;
    TutarKutusu *indtutar = nullptr;
    TutarKutusu *kdvdahiltutar = nullptr;
    TutarKutusu *geneltutar = nullptr;
    TPictureBox *Image1 = nullptr;
    TAsyncResim *AsyncResim1 = nullptr;
    QWidget *GridPanel2 = nullptr;
    TutarKutusu *edindirim1 = nullptr;
    TutarKutusu *edindirim2 = nullptr;
    TutarKutusu *edindirim3 = nullptr;
    TutarKutusu *edindirim4 = nullptr;
    QPushButton *ParcaliTus1 = nullptr;  // "Sipariş ekle"
    QPushButton *ParcaliTus2 = nullptr;  // "Vazgeç"

    double kdvoran = 0;  // VAT rate in percent

    qint32 stokNo() const { return stokno; }
    // The quantity as the caller sends it (miktarCevir of the text of `adet`; throws
    // InvalidOperation on text that is no number).
    double miktar() const;
    // The rates edindirim1..edindirim4.
    std::array<double, 4> oranlar() const;
    // Discount amount, VAT-inclusive unit price and total from the price, quantity and the
    // four rate boxes.
    void Hesapla();
    // The web address of the stock's picture.
    QString resimAdresi() const;

    void reject() override;

protected:
    void showEvent(QShowEvent *event) override;
    bool event(QEvent *event) override;

private:
    qint32 stokno = 0;
    QString m_saticiWebKoku;
};

} // namespace vexor
