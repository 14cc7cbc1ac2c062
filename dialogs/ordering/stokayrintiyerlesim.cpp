#include "stokayrintiyerlesim.h"

#include "tutarkutusu.h"

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

namespace vexor::stokayrinti {

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

Parcalar kur(QDialog *dialog, const QString &ucuncuBaslik)
{
    Parcalar p;

    // Top panel: the stock's identity.
    auto *ust = new QFrame(dialog);
    ust->setObjectName(QStringLiteral("UstPanel"));
    ust->setFrameShape(QFrame::StyledPanel);
    auto *ustIzgara = new QGridLayout(ust);
    ustIzgara->setColumnStretch(1, 1);
    p.barkod = deger(ust, "barkod");
    p.adi = deger(ust, "adi");
    p.finishkod = deger(ust, "finishkod");
    p.marka = deger(ust, "marka");
    p.model = deger(ust, "model");
    const std::pair<QString, QLabel *> kimlik[] = {
        {QStringLiteral("Barkod:"), p.barkod},   {QStringLiteral("Açıklama:"), p.adi},
        {ucuncuBaslik, p.finishkod},             {QStringLiteral("Marka:"), p.marka},
        {QStringLiteral("Model:"), p.model},
    };
    int satir = 0;
    for (const auto &[metin, etiket] : kimlik) {
        ustIzgara->addWidget(baslik(metin, ust), satir, 0);
        ustIzgara->addWidget(etiket, satir, 1);
        ++satir;
    }

    // Centre: the picture fills what the panels leave.
    p.Image1 = new TPictureBox(dialog);
    p.Image1->setObjectName(QStringLiteral("Image1"));
    p.Image1->setCenter(true);
    p.Image1->setProportional(true);
    p.Image1->setPicture(yerTutucuResim());
    p.Image1->setMinimumSize(120, 90);
    p.resimAlani = new QGridLayout;
    p.resimAlani->setContentsMargins(0, 0, 0, 0);
    p.resimAlani->addWidget(p.Image1, 0, 0);

    // Bottom panel: quantity, price and the three derived amounts.
    auto *satirlar = new QWidget(dialog);
    auto *altIzgara = new QGridLayout(satirlar);
    altIzgara->setContentsMargins(0, 0, 0, 0);
    p.adet = new QSpinBox(satirlar);
    p.adet->setObjectName(QStringLiteral("adet"));
    p.adet->setRange(1, 10000);
    p.adet->setValue(1);
    p.adet->setMinimumWidth(170);
    p.adet->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    p.adet->setCorrectionMode(QAbstractSpinBox::CorrectToNearestValue);
    p.birimfiyat = tutar(satirlar, "birimfiyat");
    p.indtutar = tutar(satirlar, "indtutar");
    p.kdvdahiltutar = tutar(satirlar, "kdvdahiltutar");
    p.geneltutar = tutar(satirlar, "geneltutar");
    p.Label2 = baslik(QStringLiteral("Fiyat:"), satirlar);
    p.Label2->setObjectName(QStringLiteral("Label2"));
    p.indirimoran = baslik(QStringLiteral("İndirim:"), satirlar);
    p.indirimoran->setObjectName(QStringLiteral("indirimoran"));
    const std::pair<QLabel *, QWidget *> satirListesi[] = {
        {baslik(QStringLiteral("Adet:"), satirlar), p.adet},
        {p.Label2, p.birimfiyat},
        {p.indirimoran, p.indtutar},
        {baslik(QStringLiteral("KDV Dahil:"), satirlar), p.kdvdahiltutar},
        {baslik(QStringLiteral("Tutar:"), satirlar), p.geneltutar},
    };
    satir = 0;
    for (const auto &[etiket, kutu] : satirListesi) {
        altIzgara->addWidget(etiket, satir, 0);
        altIzgara->addWidget(kutu, satir, 1);
        ++satir;
    }

    p.ParcaliTus1 = new QPushButton(QStringLiteral("Sipariş ekle"), dialog);
    p.ParcaliTus1->setObjectName(QStringLiteral("ParcaliTus1"));
    p.ParcaliTus2 = new QPushButton(QStringLiteral("Vazgeç"), dialog);
    p.ParcaliTus2->setObjectName(QStringLiteral("ParcaliTus2"));
    for (QPushButton *tus : {p.ParcaliTus1, p.ParcaliTus2}) {
        tus->setAutoDefault(false);
        tus->setMinimumSize(130, 36);
    }
    QObject::connect(p.ParcaliTus1, &QPushButton::clicked, dialog, [dialog] { dialog->done(1); });
    QObject::connect(p.ParcaliTus2, &QPushButton::clicked, dialog, [dialog] { dialog->done(2); });
    auto *tuslar = new QHBoxLayout;
    tuslar->addStretch(1);
    tuslar->addWidget(p.ParcaliTus1);
    tuslar->addWidget(p.ParcaliTus2);

    p.altSatir = new QHBoxLayout;
    p.altSatir->addStretch(1);
    p.altSatir->addWidget(satirlar);

    auto *duzen = new QVBoxLayout(dialog);
    duzen->addWidget(ust);
    duzen->addLayout(p.resimAlani, 1);
    duzen->addLayout(p.altSatir);
    duzen->addLayout(tuslar);

    new EnterKurallari(dialog, p.adet, p.birimfiyat);
    p.adet->setFocus();
    return p;
}

} // namespace vexor::stokayrinti
