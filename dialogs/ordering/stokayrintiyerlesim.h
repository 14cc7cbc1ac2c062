#pragma once

#include "platform/picturebox.h"

#include <QString>

class QDialog;
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

// What both stock dialogs are made of: the stock's identity on top, the picture in the
// middle, the quantity and the four amount rows with the two buttons at the bottom.
struct Parcalar
{
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
    QPushButton *ParcaliTus1 = nullptr;
    QPushButton *ParcaliTus2 = nullptr;
    // The cell of the picture: a control put into cell (0, 0) lies over Image1.
    QGridLayout *resimAlani = nullptr;
    // The bottom row: the amount rows are its last item; a panel inserted at 0 sits to their left.
    QHBoxLayout *altSatir = nullptr;
};

// Builds the parts into `dialog`; `ucuncuBaslik` is the caption of the third identity row
// ("Kod:" or "Finish Kod:"). Wires the buttons to the modal results 1 and 2 and the keys:
// Enter in the quantity box confirms (1), Enter in the unit price box is swallowed, Enter on a
// button presses it and Enter anywhere else does nothing.
Parcalar kur(QDialog *dialog, const QString &ucuncuBaslik);

// The text editor inside the quantity box. Its text changes with every key, also while it
// holds what the box cannot take yet (0, or nothing), which the box's own signals leave out;
// the recalculation follows it.
QLineEdit *adetDuzenleyici(QSpinBox *adet);

// A caption label of a row in the dialogs' look.
QLabel *baslik(const QString &text, QWidget *parent);

// The built-in picture shown until a stock picture replaces it.
QPixmap yerTutucuResim();

} // namespace stokayrinti
} // namespace vexor
