#include "stokayarintitemel.h"

#include "stokhesap.h"
#include "tutarkutusu.h"

#include "server/webadresleri.h"

#include "platform/vexorstyle.h"

#include <QAbstractSpinBox>
#include <QApplication>
#include <QDialog>
#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPainterPath>
#include <QPushButton>
#include <QSpinBox>
#include <QVBoxLayout>

namespace vexor {
namespace stokayrinti {

namespace {

bool enterMi(QEvent *event)
{
    if (event->type() != QEvent::KeyPress)
        return false;
    const int key = static_cast<QKeyEvent *>(event)->key();
    return key == Qt::Key_Return || key == Qt::Key_Enter;
}

// The dialogs' Enter rules, in one place for both variants.
class EnterKurallari : public QObject
{
public:
    EnterKurallari(QDialog *dialog, QSpinBox *adet, QLineEdit *birimfiyat)
        : QObject(dialog), m_dialog(dialog), m_adet(adet), m_birimfiyat(birimfiyat)
    {
        adet->installEventFilter(this);
        birimfiyat->installEventFilter(this);
        dialog->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (!enterMi(event))
            return false;
        if (watched == m_adet) {
            // What the box shows is what the caller reads: text it cannot hold (0, more
            // than the maximum) is brought into its range first.
            m_adet->interpretText();
            m_dialog->done(1);
            return true;
        }
        if (watched == m_birimfiyat)
            return true;
        if (watched == m_dialog) {
            // Enter that no box took: a focused button is pressed, nothing else happens
            // (no default button closes the window behind the user's back).
            if (auto *tus = qobject_cast<QPushButton *>(QApplication::focusWidget());
                tus && tus->window() == m_dialog && tus->isEnabled())
                tus->click();
            return true;
        }
        return false;
    }

private:
    QDialog *m_dialog;
    QSpinBox *m_adet;
    QLineEdit *m_birimfiyat;
};

QLabel *deger(QWidget *parent, const char *name)
{
    auto *l = new QLabel(parent);
    l->setObjectName(QLatin1String(name));
    l->setTextInteractionFlags(Qt::TextSelectableByMouse);
    l->setTextFormat(Qt::PlainText);
    l->setWordWrap(true);
    QFont f = l->font();
    f.setBold(true);
    l->setFont(f);
    return l;
}

TutarKutusu *tutar(QWidget *parent, const char *name)
{
    auto *k = new TutarKutusu(parent);
    k->setObjectName(QLatin1String(name));
    k->setMinimumWidth(170);
    return k;
}

} // namespace

QLineEdit *adetDuzenleyici(QSpinBox *adet)
{
    return adet->findChild<QLineEdit *>();
}

QLabel *baslik(const QString &text, QWidget *parent)
{
    auto *l = new QLabel(text, parent);
    l->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    return l;
}

QPixmap yerTutucuResim()
{
    // A framed landscape with a sun, in the program's colours.
    QPixmap p(320, 240);
    p.fill(Qt::transparent);
    QPainter g(&p);
    g.setRenderHint(QPainter::Antialiasing);
    const QRectF cerceve(20.5, 20.5, 279, 199);
    g.setPen(QPen(VexorColors::dark, 3));
    g.setBrush(QColor(246, 246, 242));
    g.drawRoundedRect(cerceve, 14, 14);
    g.setPen(Qt::NoPen);
    g.setBrush(QColor(232, 163, 61));
    g.drawEllipse(QPointF(220, 78), 20, 20);
    QPainterPath daglar;
    daglar.moveTo(40, 200);
    daglar.lineTo(120, 105);
    daglar.lineTo(170, 160);
    daglar.lineTo(205, 128);
    daglar.lineTo(280, 200);
    daglar.closeSubpath();
    g.setBrush(VexorColors::brand);
    g.drawPath(daglar);
    return p;
}

} // namespace stokayrinti

using namespace stokayrinti;

TStokAyarintiTemel::TStokAyarintiTemel(const QString &saticiWebKoku, const QString &ucuncuBaslik, QWidget *owner)
    : QDialog(owner, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint)
    , m_saticiWebKoku(saticiWebKoku)
{
    setWindowTitle(QStringLiteral("Sepete Ekle"));
    QDialog *dialog = this;

    // Top panel: the stock's identity.
    auto *ust = new QFrame(dialog);
    ust->setObjectName(QStringLiteral("UstPanel"));
    ust->setFrameShape(QFrame::StyledPanel);
    auto *ustIzgara = new QGridLayout(ust);
    ustIzgara->setColumnStretch(1, 1);
    barkod = deger(ust, "barkod");
    adi = deger(ust, "adi");
    finishkod = deger(ust, "finishkod");
    marka = deger(ust, "marka");
    model = deger(ust, "model");
    const std::pair<QString, QLabel *> kimlik[] = {
        {QStringLiteral("Barkod:"), barkod},   {QStringLiteral("Açıklama:"), adi},
        {ucuncuBaslik, finishkod},             {QStringLiteral("Marka:"), marka},
        {QStringLiteral("Model:"), model},
    };
    int satir = 0;
    for (const auto &[metin, etiket] : kimlik) {
        ustIzgara->addWidget(baslik(metin, ust), satir, 0);
        ustIzgara->addWidget(etiket, satir, 1);
        ++satir;
    }

    // Centre: the picture fills what the panels leave.
    Image1 = new TPictureBox(dialog);
    Image1->setObjectName(QStringLiteral("Image1"));
    Image1->setCenter(true);
    Image1->setProportional(true);
    Image1->setPicture(yerTutucuResim());
    Image1->setMinimumSize(120, 90);
    resimAlani = new QGridLayout;
    resimAlani->setContentsMargins(0, 0, 0, 0);
    resimAlani->addWidget(Image1, 0, 0);

    // Bottom panel: quantity, price and the three derived amounts.
    auto *satirlar = new QWidget(dialog);
    auto *altIzgara = new QGridLayout(satirlar);
    altIzgara->setContentsMargins(0, 0, 0, 0);
    adet = new QSpinBox(satirlar);
    adet->setObjectName(QStringLiteral("adet"));
    adet->setRange(1, 10000);
    adet->setValue(1);
    adet->setMinimumWidth(170);
    adet->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    adet->setCorrectionMode(QAbstractSpinBox::CorrectToNearestValue);
    birimfiyat = tutar(satirlar, "birimfiyat");
    indtutar = tutar(satirlar, "indtutar");
    kdvdahiltutar = tutar(satirlar, "kdvdahiltutar");
    geneltutar = tutar(satirlar, "geneltutar");
    Label2 = baslik(QStringLiteral("Fiyat:"), satirlar);
    Label2->setObjectName(QStringLiteral("Label2"));
    indirimoran = baslik(QStringLiteral("İndirim:"), satirlar);
    indirimoran->setObjectName(QStringLiteral("indirimoran"));
    const std::pair<QLabel *, QWidget *> satirListesi[] = {
        {baslik(QStringLiteral("Adet:"), satirlar), adet},
        {Label2, birimfiyat},
        {indirimoran, indtutar},
        {baslik(QStringLiteral("KDV Dahil:"), satirlar), kdvdahiltutar},
        {baslik(QStringLiteral("Tutar:"), satirlar), geneltutar},
    };
    satir = 0;
    for (const auto &[etiket, kutu] : satirListesi) {
        altIzgara->addWidget(etiket, satir, 0);
        altIzgara->addWidget(kutu, satir, 1);
        ++satir;
    }

    ParcaliTus1 = new QPushButton(QStringLiteral("Sipariş ekle"), dialog);
    ParcaliTus1->setObjectName(QStringLiteral("ParcaliTus1"));
    ParcaliTus2 = new QPushButton(QStringLiteral("Vazgeç"), dialog);
    ParcaliTus2->setObjectName(QStringLiteral("ParcaliTus2"));
    for (QPushButton *tus : {ParcaliTus1, ParcaliTus2}) {
        tus->setAutoDefault(false);
        tus->setMinimumSize(130, 36);
    }
    QObject::connect(ParcaliTus1, &QPushButton::clicked, dialog, [dialog] { dialog->done(1); });
    QObject::connect(ParcaliTus2, &QPushButton::clicked, dialog, [dialog] { dialog->done(2); });
    auto *tuslar = new QHBoxLayout;
    tuslar->addStretch(1);
    tuslar->addWidget(ParcaliTus1);
    tuslar->addWidget(ParcaliTus2);

    altSatir = new QHBoxLayout;
    altSatir->addStretch(1);
    altSatir->addWidget(satirlar);

    auto *duzen = new QVBoxLayout(dialog);
    duzen->addWidget(ust);
    duzen->addLayout(resimAlani, 1);
    duzen->addLayout(altSatir);
    duzen->addLayout(tuslar);

    new EnterKurallari(dialog, adet, birimfiyat);
    adet->setFocus();

    connect(adetDuzenleyici(adet), &QLineEdit::textChanged, this, &TStokAyarintiTemel::Hesapla);
    for (TutarKutusu *kutu : {birimfiyat, indtutar, kdvdahiltutar, geneltutar})
        connect(kutu, &TutarKutusu::keyReleased, this, &TStokAyarintiTemel::Hesapla);
}

double TStokAyarintiTemel::miktar() const
{
    return miktarCevir(adet->text());
}

void TStokAyarintiTemel::Hesapla()
{
    const StokSatirHesabi h = stokSatirHesapla(birimfiyat->value(), hesapMiktari(adet->text()), kdvoran, oranlar());
    indtutar->setValue(h.indirim);
    kdvdahiltutar->setValue(h.kdvDahilBirim);
    geneltutar->setValue(h.genelTutar);
}

void TStokAyarintiTemel::reject()
{
    done(2);
}

QString TStokAyarintiTemel::resimAdresi(qint32 stokno) const
{
    KurulumAyarlari ayarlar;
    ayarlar.saticiWebKoku = m_saticiWebKoku;
    return WebAdresleri(ayarlar).resimGoster(stokno);
}

} // namespace vexor
