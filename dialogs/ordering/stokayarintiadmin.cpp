#include "stokayarintiadmin.h"

#include "stokhesap.h"

#include "server/webadresleri.h"

#include <QEvent>
#include <QFrame>
#include <QGridLayout>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QShowEvent>
#include <QSpinBox>

#include <algorithm>

namespace vexor {

TstokayarintiAdmin::TstokayarintiAdmin(const QString &saticiWebKoku, qint32 stokno, QWidget *owner)
    : TStokAyarintiTemel(saticiWebKoku, QStringLiteral("Finish Kod:"), owner)
    , stokno(stokno)
{
    setObjectName(QStringLiteral("stokayarintiAdmin"));

    AsyncResim1 = new TAsyncResim(this);
    AsyncResim1->setObjectName(QStringLiteral("AsyncResim1"));
    resimAlani->addWidget(AsyncResim1, 0, 0);
    // Once the web picture is there it is what the window shows; the caller's picture
    // underneath would only peek out around it.
    connect(AsyncResim1, &PictureBox::pictureChanged, Image1, &QWidget::hide);

    // The discount panel, left of the amount rows.
    auto *panel = new QFrame(this);
    panel->setObjectName(QStringLiteral("GridPanel2"));
    panel->setFrameShape(QFrame::StyledPanel);
    auto *izgara = new QGridLayout(panel);
    TutarKutusu **kutular[] = {&edindirim1, &edindirim2, &edindirim3, &edindirim4};
    const QString basliklar[] = {QStringLiteral("İsk"), QStringLiteral("İsk2"), QStringLiteral("İsk3"),
                                 QStringLiteral("İsk4")};
    for (int i = 0; i < 4; ++i) {
        auto *kutu = new TutarKutusu(panel);
        kutu->setObjectName(QStringLiteral("edindirim%1").arg(i + 1));
        kutu->setMinimumWidth(90);
        *kutular[i] = kutu;
        izgara->addWidget(stokayrinti::baslik(basliklar[i], panel), i, 0);
        izgara->addWidget(kutu, i, 1);
    }
    izgara->setRowStretch(4, 1);
    GridPanel2 = panel;
    GridPanel2->hide();
    altSatir->insertWidget(0, GridPanel2);

    resize(640, 631);

    for (TutarKutusu *kutu : {edindirim1, edindirim2, edindirim3, edindirim4})
        connect(kutu, &TutarKutusu::keyReleased, this, &TstokayarintiAdmin::Hesapla);
}

TstokayarintiAdmin *TstokayarintiAdmin::Ac(const QString &saticiWebKoku, qint32 stokno, QWidget *owner)
{
    return new TstokayarintiAdmin(saticiWebKoku, stokno, owner);
}

std::array<double, 4> TstokayarintiAdmin::oranlar() const
{
    return {edindirim1->value(), edindirim2->value(), edindirim3->value(), edindirim4->value()};
}

QString TstokayarintiAdmin::resimAdresi() const
{
    return TStokAyarintiTemel::resimAdresi(stokno);
}

void TstokayarintiAdmin::showEvent(QShowEvent *event)
{
    TStokAyarintiTemel::showEvent(event);
    if (event->spontaneous())
        return;
    const bool gorunur = indirimGorunur(oranlar());
    indirimoran->setVisible(gorunur);
    indtutar->setVisible(gorunur);
    Hesapla();
    AsyncResim1->setUrl(resimAdresi());
    // Centred on the screen the window opens on, whoever owns it.
    QScreen *ekran = screen() ? screen() : QGuiApplication::primaryScreen();
    if (ekran) {
        const QRect alan = ekran->availableGeometry();
        QRect cerceve = frameGeometry();
        cerceve.moveCenter(alan.center());
        // On a screen smaller than the window the title bar stays reachable.
        move(std::max(cerceve.left(), alan.left()), std::max(cerceve.top(), alan.top()));
    }
}

bool TstokayarintiAdmin::event(QEvent *event)
{
    const bool sonuc = TStokAyarintiTemel::event(event);
    if (event->type() == QEvent::WindowActivate)
        adet->selectAll();
    return sonuc;
}

} // namespace vexor
