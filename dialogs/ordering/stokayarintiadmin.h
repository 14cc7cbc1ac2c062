#pragma once

#include "stokayarintitemel.h"
#include "tutarkutusu.h"

#include "platform/asyncresim.h"

#include <QString>

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
class TstokayarintiAdmin : public TStokAyarintiTemel
{
    Q_OBJECT

public:
    TstokayarintiAdmin(const QString &saticiWebKoku, qint32 stokno, QWidget *owner = nullptr);
    // The same as the constructor, for callers that create their dialogs with Ac.
    static TstokayarintiAdmin *Ac(const QString &saticiWebKoku, qint32 stokno, QWidget *owner = nullptr);

    TAsyncResim *AsyncResim1 = nullptr;
    QWidget *GridPanel2 = nullptr;
    TutarKutusu *edindirim1 = nullptr;
    TutarKutusu *edindirim2 = nullptr;
    TutarKutusu *edindirim3 = nullptr;
    TutarKutusu *edindirim4 = nullptr;

    qint32 stokNo() const { return stokno; }
    // The rates edindirim1..edindirim4.
    std::array<double, 4> oranlar() const override;
    // The web address of the stock's picture.
    QString resimAdresi() const;

protected:
    void showEvent(QShowEvent *event) override;
    bool event(QEvent *event) override;

private:
    qint32 stokno = 0;
};

} // namespace vexor
