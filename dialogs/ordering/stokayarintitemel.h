#pragma once

#include "platform/picturebox.h"

#include <QDialog>
#include <QString>

#include <array>

class QHBoxLayout;
class QGridLayout;
class QLabel;
class QLineEdit;
class QPushButton;
class QSpinBox;
class QWidget;

namespace vexor {

class TutarKutusu;

// The picture control of the stock dialogs.
using TPictureBox = PictureBox;

namespace stokayrinti {

// The text editor inside the quantity box. Its text changes with every key, also while it
// holds what the box cannot take yet (0, or nothing), which the box's own signals leave out;
// the recalculation follows it.
QLineEdit *adetDuzenleyici(QSpinBox *adet);

// A caption label of a row in the dialogs' look.
QLabel *baslik(const QString &text, QWidget *parent);

// The built-in picture shown until a stock picture replaces it.
QPixmap yerTutucuResim();

} // namespace stokayrinti

// What both stock dialogs are: the stock's identity on top, the picture in the middle, the
// quantity and the four amount rows with the two buttons at the bottom, the recalculation and
// the Enter rules (Enter in the quantity box confirms with 1, Enter in the unit price box is
// swallowed, Enter on a button presses it, Enter anywhere else does nothing; "Vazgeç",
// Escape and the close box give 2). The variants differ in where the four rates come from.
class TStokAyarintiTemel : public QDialog
{
    Q_OBJECT

public:
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
    QPushButton *ParcaliTus1 = nullptr;  // "Sipariş ekle"
    QPushButton *ParcaliTus2 = nullptr;  // "Vazgeç"

    double kdvoran = 0;  // VAT rate in percent

    // The quantity as the caller sends it: the text of `adet` read with miktarCevir (throws
    // InvalidOperation on text that is no number).
    double miktar() const;
    // The four successive discount rates the amounts are computed with.
    virtual std::array<double, 4> oranlar() const = 0;
    // Discount amount, VAT-inclusive unit price and total from the price, quantity and rates.
    void Hesapla();

    void reject() override;

protected:
    // `ucuncuBaslik` is the caption of the third identity row ("Kod:" or "Finish Kod:");
    // `saticiWebKoku` the vendor web root the picture links are built from.
    TStokAyarintiTemel(const QString &saticiWebKoku, const QString &ucuncuBaslik, QWidget *owner);

    // The web address of a stock's picture, built by WebAdresleri like every vendor address.
    QString resimAdresi(qint32 stokno) const;

    // The cell of the picture: a control put into cell (0, 0) lies over Image1.
    QGridLayout *resimAlani = nullptr;
    // The bottom row: the amount rows are its last item; a panel inserted at 0 sits to their left.
    QHBoxLayout *altSatir = nullptr;

private:
    QString m_saticiWebKoku;
};

} // namespace vexor
