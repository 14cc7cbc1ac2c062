#include "sepetsekmesi.h"

#include "kolonkurali.h"
#include "sepetgridi.h"
#include "sepethesap.h"
#include "tform1.h"

#include "common/async.h"
#include "common/errorreport.h"
#include "common/formats.h"
#include "common/mesaj.h"
#include "dialogs/login/onaysip.h"
#include "dialogs/ordering/stokayarinti.h"
#include "dialogs/ordering/tutarkutusu.h"
#include "platform/grid/gridview.h"
#include "proxim.h"
#include "server/baglantiac.h"
#include "server/connection.h"
#include "server/tablecodec.h"

#include <QAction>
#include <QButtonGroup>
#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPointer>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QTabWidget>
#include <QVBoxLayout>

#include <memory>

namespace vexor {

namespace {

// The tab's operations run on the UI thread and are not guarded one by one: whatever a remote
// call raises ends the operation and goes to the general error report.
template <class F>
void korumali(F &&islem)
{
    try {
        islem();
    } catch (...) {
        reportUnhandledException(std::current_exception());
    }
}

// Closes a connection when the operation leaves, however it leaves.
struct KapanisGuvencesi
{
    Connection &baglanti;
    ~KapanisGuvencesi() { baglanti.close(); }
};

std::unique_ptr<TSonucBilgisi> kopyasi(const TSonucBilgisi &bilgi)
{
    auto kopya = std::make_unique<TSonucBilgisi>();
    kopya->Kopyala(bilgi);
    return kopya;
}

QLabel *toplamEtiketi(const QString &yazi, bool kalin, QWidget *parent)
{
    auto *l = new QLabel(yazi, parent);
    l->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    QFont f = l->font();
    f.setBold(kalin);
    l->setFont(f);
    return l;
}

} // namespace

// ---- TRadioGrubu ----

TRadioGrubu::TRadioGrubu(const QString &baslik, QWidget *parent)
    : QGroupBox(baslik, parent)
    , m_grup(new QButtonGroup(this))
    , m_duzen(new QVBoxLayout(this))
{
    m_duzen->setContentsMargins(6, 4, 6, 4);
    m_duzen->setSpacing(2);
    m_duzen->addStretch(1);
    connect(m_grup, &QButtonGroup::idClicked, this, [this](int id) {
        if (id == m_secili)
            return;
        m_secili = id;
        emit itemClicked(id);
    });
}

void TRadioGrubu::clear()
{
    for (QAbstractButton *b : m_grup->buttons()) {
        m_grup->removeButton(b);
        delete b;
    }
    m_ogeler.clear();
    m_secili = -1;
}

void TRadioGrubu::addItem(const QString &metin, qint32 numara)
{
    auto *b = new QRadioButton(metin, this);
    b->setObjectName(QStringLiteral("oge%1").arg(m_ogeler.size()));
    m_grup->addButton(b, int(m_ogeler.size()));
    m_duzen->insertWidget(m_duzen->count() - 1, b);
    m_ogeler.push_back({metin, numara});
}

QString TRadioGrubu::itemText(int index) const
{
    return index >= 0 && index < count() ? m_ogeler[size_t(index)].metin : QString();
}

qint32 TRadioGrubu::itemNumber(int index) const
{
    return index >= 0 && index < count() ? m_ogeler[size_t(index)].numara : 0;
}

int TRadioGrubu::itemIndex() const
{
    return m_grup->checkedId();
}

void TRadioGrubu::setItemIndex(int index)
{
    if (QAbstractButton *b = m_grup->button(index)) {
        b->setChecked(true);
        m_secili = index;
        return;
    }
    m_secili = -1;
    // An exclusive group never lets its last checked button go by itself.
    if (QAbstractButton *b = m_grup->checkedButton()) {
        m_grup->setExclusive(false);
        b->setChecked(false);
        m_grup->setExclusive(true);
    }
}

void TRadioGrubu::click(int index)
{
    if (QAbstractButton *b = m_grup->button(index))
        b->click();
}

// ---- TSepetSekmesi ----

TSepetSekmesi::TSepetSekmesi(TForm1 &form)
    : QObject(&form)
    , m_form(form)
{
    arayuzuKur();
    connect(m_form.sPageControl1, &QTabWidget::currentChanged, this, [this](int index) {
        if (m_form.sPageControl1->widget(index) == m_form.ssepet)
            ssepetShow();
    });
    // Another account, another cart.
    connect(&m_form, &TForm1::cariDegisti, this, &TSepetSekmesi::SepetYukle);
}

TSepetSekmesi::~TSepetSekmesi() = default;

void TSepetSekmesi::arayuzuKur()
{
    QWidget *sayfa = m_form.ssepet;
    auto *duzen = qobject_cast<QVBoxLayout *>(sayfa->layout());
    duzen->setSpacing(2);

    cxGridDBTableView1 = new GridView(sepetKolonlari(), sayfa);
    cxGridDBTableView1->setObjectName(QStringLiteral("cxGridDBTableView1"));
    cxGridDBTableView1->setFooterVisible(true);
    cxGridDBTableView1->setHeaderHeight(40);
    cxGridDBTableView1->setRowHeight(60);
    cxGridDBTableView1->setWidthRule(GridView::screenWidthRule());
    duzen->addWidget(cxGridDBTableView1, 1);

    sepetMenu = new QMenu(cxGridDBTableView1);
    sepetMenu->setObjectName(QStringLiteral("sepetMenu"));
    SatirDegistir = sepetMenu->addAction(QStringLiteral("Satır Değiştir"));
    sepetMenu->addSeparator();
    SatirSil = sepetMenu->addAction(QStringLiteral("Satır Sil"));
    sepetMenu->addSeparator();
    HepsiniSil = sepetMenu->addAction(QStringLiteral("Hepsini Sil"));
    cxGridDBTableView1->setRowMenu(sepetMenu);
    connect(SatirDegistir, &QAction::triggered, this, &TSepetSekmesi::SatirDegistirClick);
    connect(SatirSil, &QAction::triggered, this, &TSepetSekmesi::SatirSilClick);
    connect(HepsiniSil, &QAction::triggered, this, &TSepetSekmesi::HepsiniSilClick);
    connect(cxGridDBTableView1, &GridView::rowDoubleClicked, this, [this] { cxGridDBTableView1DblClick(); });

    // Marks and the overdue warning.
    auto *serit = new QWidget(sayfa);
    auto *seritDuzen = new QHBoxLayout(serit);
    seritDuzen->setContentsMargins(4, 2, 4, 2);
    Button4 = new QPushButton(QStringLiteral("Hepsini Seç"), serit);
    Button4->setObjectName(QStringLiteral("Button4"));
    Button5 = new QPushButton(QStringLiteral("Seçimleri Kaldır"), serit);
    Button5->setObjectName(QStringLiteral("Button5"));
    lbluyarbakiye = new QLabel(serit);
    lbluyarbakiye->setObjectName(QStringLiteral("lbluyarbakiye"));
    // Its own colours: a warning must not fade into whatever the style paints labels with.
    lbluyarbakiye->setStyleSheet(QStringLiteral("QLabel#lbluyarbakiye { color: rgb(200, 0, 0); background: transparent; }"));
    lbluyarbakiye->setWordWrap(true);
    // Server texts are shown as they are, never as markup.
    lbluyarbakiye->setTextFormat(Qt::PlainText);
    seritDuzen->addWidget(Button4);
    seritDuzen->addWidget(Button5);
    seritDuzen->addWidget(lbluyarbakiye, 1);
    duzen->addWidget(serit);
    connect(Button4, &QPushButton::clicked, this, &TSepetSekmesi::Button4Click);
    connect(Button5, &QPushButton::clicked, this, &TSepetSekmesi::Button5Click);

    // Delivery, cargo, note with totals, and the two buttons.
    auto *alt = new QWidget(sayfa);
    alt->setObjectName(QStringLiteral("sepetAltPanel"));
    alt->setFixedHeight(150);
    auto *altDuzen = new QHBoxLayout(alt);
    altDuzen->setContentsMargins(4, 2, 4, 4);

    teslimbox = new TRadioGrubu(QStringLiteral("Teslim Durumu"), alt);
    teslimbox->setObjectName(QStringLiteral("teslimbox"));
    boxkargo = new TRadioGrubu(QStringLiteral("Kargo Türleri"), alt);
    boxkargo->setObjectName(QStringLiteral("boxkargo"));
    connect(boxkargo, &TRadioGrubu::itemClicked, this, [this] { boxkargoClick(); });

    kargoGrubu = new QGroupBox(QStringLiteral("Kargo"), alt);
    kargoGrubu->setObjectName(QStringLiteral("kargoGrubu"));
    auto *kargoDuzen = new QVBoxLayout(kargoGrubu);
    kargoDuzen->setContentsMargins(6, 4, 6, 4);
    kargocombo = new QComboBox(kargoGrubu);
    kargocombo->setObjectName(QStringLiteral("kargocombo"));
    kargocombo->setEditable(false);
    kargocombo->setFixedWidth(210);
    uyarikargo = new QLabel(kargoGrubu);
    uyarikargo->setObjectName(QStringLiteral("uyarikargo"));
    uyarikargo->setFixedSize(210, 59);
    uyarikargo->setWordWrap(true);
    uyarikargo->setTextFormat(Qt::PlainText);
    uyarikargo->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    kargoDuzen->addWidget(kargocombo);
    kargoDuzen->addWidget(uyarikargo);
    kargoDuzen->addStretch(1);
    connect(kargocombo, &QComboBox::currentIndexChanged, this, [this] { kargocomboChange(); });

    mesajGrubu = new QGroupBox(QStringLiteral("Mesaj"), alt);
    mesajGrubu->setObjectName(QStringLiteral("mesajGrubu"));
    auto *mesajDuzen = new QHBoxLayout(mesajGrubu);
    mesajDuzen->setContentsMargins(6, 4, 6, 4);
    aciklamagir = new QPlainTextEdit(mesajGrubu);
    aciklamagir->setObjectName(QStringLiteral("aciklamagir"));
    aciklamagir->setTabChangesFocus(true);
    auto *toplamPaneli = new QWidget(mesajGrubu);
    toplamPaneli->setObjectName(QStringLiteral("toplamPaneli"));
    auto *toplamDuzen = new QGridLayout(toplamPaneli);
    toplamDuzen->setContentsMargins(4, 0, 4, 0);
    toplamDuzen->setVerticalSpacing(1);
    const struct
    {
        QLabel **baslik;
        QLabel **deger;
        const char16_t *yazi;
        const char *ad;
        bool kalin;
    } satirlar[] = {
        {&aratoplamBaslik, &aratoplaml, u"Toplam:", "aratoplaml", false},
        {&indirimBaslik, &indiriml, u"İndirim Toplam:", "indiriml", false},
        {&nettutarBaslik, &nettutarl, u"Ara Toplam:", "nettutarl", false},
        {&vergiBaslik, &vergil, u"Vergi:", "vergil", false},
        {&geneltoplamBaslik, &geneltoplaml, u"Genel Toplam:", "geneltoplaml", true},
    };
    int satir = 0;
    for (const auto &s : satirlar) {
        *s.baslik = toplamEtiketi(QString::fromUtf16(s.yazi), s.kalin, toplamPaneli);
        *s.deger = toplamEtiketi(QString(), s.kalin, toplamPaneli);
        (*s.deger)->setObjectName(QString::fromLatin1(s.ad));
        (*s.deger)->setMinimumWidth(110);
        toplamDuzen->addWidget(*s.baslik, satir, 0);
        toplamDuzen->addWidget(*s.deger, satir, 1);
        ++satir;
    }
    mesajDuzen->addWidget(aciklamagir, 1);
    mesajDuzen->addWidget(toplamPaneli);

    auto *tuslar = new QWidget(alt);
    auto *tusDuzen = new QVBoxLayout(tuslar);
    tusDuzen->setContentsMargins(0, 6, 0, 0);
    Button1 = new QPushButton(QStringLiteral("Gönder"), tuslar);
    Button1->setObjectName(QStringLiteral("Button1"));
    Button1->setDefault(true);
    Button1->setMinimumHeight(50);
    Button2 = new QPushButton(QStringLiteral("Excel Kaydet"), tuslar);
    Button2->setObjectName(QStringLiteral("Button2"));
    Button2->setMinimumHeight(40);
    tusDuzen->addWidget(Button1);
    tusDuzen->addWidget(Button2);
    tusDuzen->addStretch(1);
    connect(Button1, &QPushButton::clicked, this, &TSepetSekmesi::Button1Click);
    connect(Button2, &QPushButton::clicked, this, &TSepetSekmesi::Button2Click);

    altDuzen->addWidget(teslimbox);
    altDuzen->addWidget(boxkargo);
    altDuzen->addWidget(kargoGrubu);
    altDuzen->addWidget(mesajGrubu, 1);
    altDuzen->addWidget(tuslar);
    duzen->addWidget(alt);

    SepetToplamla();
}

void TSepetSekmesi::kolonKurallariniUygula()
{
    // The kind of user is known only after the log-in; the rules apply once per kind.
    const QList<KolonKurali> kurallar = m_form.tipKurallari().kolonlari(KuralGridi::Sepet);
    if (m_kurallarUygulandi && kurallar == m_uygulananKurallar)
        return;
    m_uygulananKurallar = kurallar;
    m_kurallarUygulandi = true;
    cxGridDBTableView1->setColumns(vexor::kolonKurallariniUygula(sepetKolonlari(), kurallar));
}

void TSepetSekmesi::ssepetShow()
{
    CariBakiyeUyariBak();
    SepetYukle();
    TeslimKargoYukle();
}

void TSepetSekmesi::CariBakiyeUyariBak()
{
    // Its own connection and its own thread; the label changes on the UI thread afterwards.
    struct Sonuc
    {
        bool baglandi = false;
        QString yazi;
    };
    auto sonuc = std::make_shared<Sonuc>();
    std::shared_ptr<Connection> kopya = m_form.bagc.clone();
    const qint32 carino = m_form.sbilgi.CARINO();
    QPointer<TSepetSekmesi> bu(this);
    Async([sonuc, kopya, carino] {
        if (!BaglantiAc(*kopya, 0))
            return;
        sonuc->baglandi = true;
        try {
            TServerMethods1Client proxy(kopya.get());
            sonuc->yazi = proxy.CariVadeGunGecmismiBul(carino);
        } catch (...) {
            // A failing call clears the warning.
            sonuc->yazi.clear();
        }
        kopya->close();
    })->Await([bu, sonuc] {
        if (!bu)
            return;
        if (sonuc->baglandi)
            bu->lbluyarbakiye->setText(sonuc->yazi);
        emit bu->bakiyeUyarisiBitti();
    });
}

void TSepetSekmesi::SepetYukle()
{
    korumali([this] {
        kolonKurallariniUygula();
        const std::unique_ptr<Connection> kopya = m_form.bagc.clone();
        if (!BaglantiAc(*kopya, 1))
            return;
        KapanisGuvencesi kapat{*kopya};
        MemTable yeni;
        {
            TServerMethods1Client proxy(kopya.get());
            yeni = proxy.SepetVer2(m_form.sbilgi.CARINO());
        }
        FloatAlanBicimle(yeni);
        cxGridDBTableView1->detach();
        sepet = std::move(yeni);
        m_gecerliSatir = -1;
        cxGridDBTableView1->setTable(&sepet);
        cxGridDBTableView1->applyWidthRule();
        m_form.sekmeBasligiYaz(m_form.ssepet, QString::number(sepet.rowCount()) + QStringLiteral("=Sepet"));
        SepetToplamla();
    });
    emit sepetYuklendi();
}

void TSepetSekmesi::TeslimKargoYukle()
{
    korumali([this] {
        const std::unique_ptr<Connection> kopya = m_form.bagc.clone();
        if (!BaglantiAc(*kopya, 1))
            return;
        KapanisGuvencesi kapat{*kopya};
        {
            TServerMethods1Client proxy(kopya.get());
            TableReader *satirlar = proxy.TeslimVer();
            teslimbox->clear();
            while (satirlar && satirlar->next())
                teslimbox->addItem(satirlar->asString(1), qint32(satirlar->asInt(0)));
            teslimbox->setItemIndex(varsayilanTeslimSecimi(teslimbox->count()));
        }
        {
            TServerMethods1Client proxy(kopya.get());
            TableReader *satirlar = proxy.KargoVer();
            boxkargo->clear();
            while (satirlar && satirlar->next())
                boxkargo->addItem(satirlar->asString(1), qint32(satirlar->asInt(0)));
        }
    });
}

void TSepetSekmesi::SepetToplamla()
{
    cxGridDBTableView1->beginUpdate();
    const ToplamGorunumu g = toplamGorunumu(sepetToplami(sepet));
    aratoplaml->setText(g.toplam);
    indiriml->setText(g.indirim);
    nettutarl->setText(g.araToplam);
    vergil->setText(g.vergi);
    geneltoplaml->setText(g.genelToplam);
    indirimBaslik->setVisible(g.indirimGorunur);
    indiriml->setVisible(g.indirimGorunur);
    vergiBaslik->setVisible(g.vergiGorunur);
    vergil->setVisible(g.vergiGorunur);
    cxGridDBTableView1->endUpdate();
}

bool TSepetSekmesi::SepetSecimKaydet(qint32 sirano, int secim)
{
    return secimKaydet(sirano, secim) == SecimKaydi::Kaydedildi;
}

TSepetSekmesi::SecimKaydi TSepetSekmesi::secimKaydet(qint32 sirano, int secim)
{
    const std::unique_ptr<Connection> kopya = m_form.bagc.clone();
    if (!BaglantiAc(*kopya, 1))
        return SecimKaydi::BaglantiYok;
    KapanisGuvencesi kapat{*kopya};
    try {
        TServerMethods1Client proxy(kopya.get());
        proxy.SepetSecimGuncelle(sirano, secim);
    } catch (...) {
        return SecimKaydi::Reddedildi;
    }
    return SecimKaydi::Kaydedildi;
}

int TSepetSekmesi::satirBul(qint32 sirano) const
{
    const int sira = sepet.fieldIndex(u"SIRANO");
    if (sira < 0)
        return -1;
    for (int r = 0; r < sepet.rowCount(); ++r) {
        if (sepet.asInt(r, sira) == sirano)
            return r;
    }
    return -1;
}

void TSepetSekmesi::secimleriYaz(int secim)
{
    const int sec = sepet.fieldIndex(u"SEC");
    const int sira = sepet.fieldIndex(u"SIRANO");
    if (sec >= 0 && sira >= 0) {
        // A mark shows only once the server holds it: the server's marks decide what an order
        // takes, so the table must never claim more. A line the server refuses (gone there
        // meanwhile) keeps its mark and the run goes on with the others; no connection ends
        // the run (the rest would fail the same way, one message each).
        for (int r = 0; r < sepet.rowCount(); ++r) {
            const SecimKaydi kayit = secimKaydet(qint32(sepet.asInt(r, sira)), secim);
            if (kayit == SecimKaydi::BaglantiYok)
                break;
            if (kayit == SecimKaydi::Kaydedildi)
                sepet.setInt(r, sec, secim);
        }
        cxGridDBTableView1->refresh();
    }
    SepetToplamla();
    if (m_form.araedit->isEnabled()) {
        m_form.araedit->selectAll();
        m_form.araedit->setFocus();
    }
}

void TSepetSekmesi::Button4Click()
{
    korumali([this] { secimleriYaz(1); });
}

void TSepetSekmesi::Button5Click()
{
    korumali([this] { secimleriYaz(0); });
}

bool TSepetSekmesi::satiriOdakla()
{
    m_gecerliSatir = cxGridDBTableView1->table() == &sepet ? cxGridDBTableView1->currentRow() : -1;
    return m_gecerliSatir >= 0 && m_gecerliSatir < sepet.rowCount();
}

void TSepetSekmesi::cxGridDBTableView1DblClick()
{
    korumali([this] {
        if (!satiriOdakla())
            return;
        const int sira = sepet.fieldIndex(u"SIRANO");
        const int sec = sepet.fieldIndex(u"SEC");
        if (sira < 0)
            return;
        const qint32 sirano = qint32(sepet.asInt(m_gecerliSatir, sira));
        if (sec >= 0 && cxGridDBTableView1->currentField().compare(u"SEC", Qt::CaseInsensitive) == 0) {
            const int yeni = sepet.asInt(m_gecerliSatir, sec) == 0 ? 1 : 0;
            // As with "Hepsini Seç": the table follows the server, never runs ahead of it.
            if (SepetSecimKaydet(sirano, yeni)) {
                sepet.setInt(m_gecerliSatir, sec, yeni);
                cxGridDBTableView1->refresh();
            }
            SepetToplamla();
            return;
        }
        SepetSatirDegistir(sirano);
    });
}

void TSepetSekmesi::SatirDegistirClick()
{
    cxGridDBTableView1DblClick();
}

void TSepetSekmesi::SepetSatirDegistir(qint32 sirano)
{
    korumali([this, sirano] {
        const int r = satirBul(sirano);
        if (r < 0)
            return;
        m_gecerliSatir = r;
        const auto metin = [&](QStringView alan) {
            const int c = sepet.fieldIndex(alan);
            return c < 0 ? QString() : sepet.asString(r, c);
        };
        const auto sayi = [&](QStringView alan) {
            const int c = sepet.fieldIndex(alan);
            return c < 0 ? 0.0 : sepet.asDouble(r, c);
        };
        const QString barkod = metin(u"BARKOD");
        const QString stokadi = metin(u"STOKADI");
        const double kdv = sayi(u"KDV");
        const double oranlar[4] = {sayi(u"INDIRIMORANI1"), sayi(u"INDIRIMORANI2"), sayi(u"INDIRIMORANI3"),
                                   sayi(u"INDIRIMORANI4")};

        Tstokayarinti dlg(m_form.kurulumAyarlari().saticiWebKoku, &m_form);
        dlg.barkod->setText(barkod);
        dlg.adi->setText(stokadi);
        dlg.marka->setText(metin(u"MARKA"));
        dlg.finishkod->setText(metin(u"FINISHKOD"));
        dlg.model->setText(metin(u"MODEL"));
        dlg.kdvoran = kdv;
        dlg._stokno = qint32(sayi(u"STOKNO"));
        dlg.ind1 = oranlar[0];
        dlg.ind2 = oranlar[1];
        dlg.ind3 = oranlar[2];
        dlg.ind4 = oranlar[3];
        dlg.indirimoran->setText(QStringLiteral("İndirim: %") + metin(u"INDIRIMYAZI"));
        dlg.birimfiyat->setValue(sayi(u"BIRIMFIYAT"));
        const int tip = m_form.sbilgi.MusteriTipi();
        dlg.birimfiyat->setReadOnly(!(tip == 1 || tip == 2));
        dlg.adet->setValue(qRound(sayi(u"MIKTAR")));
        if (dlg.exec() != 1)
            return;
        // Unreadable quantity text throws here: no cart call is made.
        const double miktar = dlg.miktar();
        const double fiyat = dlg.birimfiyat->value();
        SepetSatirGuncelle(sirano, barkod, stokadi, miktar, kdv, fiyat, oranlar);
        SepetYukle();
    });
}

void TSepetSekmesi::SepetSatirGuncelle(qint32 sirano, const QString &barkod, const QString &stokadi, double miktar,
                                       double kdv, double fiyat, const double (&oranlar)[4])
{
    if (!BaglantiAc(m_form.bagc, 1))
        return;
    KapanisGuvencesi kapat{m_form.bagc};
    TServerMethods1Client proxy(&m_form.bagc);
    // The line number names the line; its rates stay as they were.
    proxy.SepetGuncelle2(kopyasi(m_form.sbilgi), m_form.sbilgi.CARINO(), 0, barkod, stokadi, miktar, qRound(kdv), fiyat,
                         oranlar[0], m_form.sbilgi.Sirano(), sirano, oranlar[1], oranlar[2], oranlar[3]);
}

void TSepetSekmesi::SatirSilClick()
{
    korumali([this] {
        if (!satiriOdakla())
            return;
        const int sira = sepet.fieldIndex(u"SIRANO");
        if (sira < 0)
            return;
        const auto metin = [&](QStringView alan) {
            const int c = sepet.fieldIndex(alan);
            return c < 0 ? QString() : sepet.asString(m_gecerliSatir, c);
        };
        const qint32 sirano = qint32(sepet.asInt(m_gecerliSatir, sira));
        const QString aciklama = satirSilAciklamasi(metin(u"BARKOD"), metin(u"STOKADI"));
        if (MesajGoster(QStringLiteral("Satırı silmek istiyor musunuz "), MessageQuestion, kButtonsYesNo, ButtonNo)
            != ResultYes)
            return;
        if (!BaglantiAc(m_form.bagc, 1))
            return;
        {
            KapanisGuvencesi kapat{m_form.bagc};
            TServerMethods1Client proxy(&m_form.bagc);
            proxy.SepetSatirSil(kopyasi(m_form.sbilgi), sirano, aciklama);
        }
        SepetYukle();
        MesajGoster(QStringLiteral("Satır silindi !"), MessageInformation, kButtonsOk, ButtonOk);
    });
}

void TSepetSekmesi::HepsiniSilClick()
{
    korumali([this] {
        if (!TabloDoluMu(sepet))
            return;
        if (MesajGoster(QStringLiteral("Tüm Sepeti Silmek İstiyor musunuz "), MessageQuestion, kButtonsYesNo, ButtonNo)
            != ResultYes)
            return;
        if (!BaglantiAc(m_form.bagc, 1))
            return;
        {
            KapanisGuvencesi kapat{m_form.bagc};
            TServerMethods1Client proxy(&m_form.bagc);
            proxy.SepetHepsiniSil(kopyasi(m_form.sbilgi));
            MesajGoster(QStringLiteral("Sepet Silindi !"), MessageInformation, kButtonsOk, ButtonOk);
        }
        SepetYukle();
    });
}

void TSepetSekmesi::boxkargoClick()
{
    korumali([this] {
        uyarikargo->clear();
        const int secili = boxkargo->itemIndex();
        if (secili < 0)
            return;
        KargoFirmalariAl(boxkargo->itemNumber(secili));
    });
}

void TSepetSekmesi::KargoFirmalariAl(qint32 kargoTuru)
{
    // Until the firms of the new type are in, none of the old type may stay choosable: an order
    // would go with a firm that does not carry the chosen type.
    kargo.close();
    kargocombo->clear();
    kargocombo->addItem(QStringLiteral(" "));
    if (!BaglantiAc(m_form.bagc, 1))
        return;
    KapanisGuvencesi kapat{m_form.bagc};
    TServerMethods1Client proxy(&m_form.bagc);
    TableReader *satirlar = proxy.KargolarVer(kargoTuru);
    MemTable yeni;
    if (satirlar)
        copyReaderToTable(*satirlar, yeni);
    kargo = std::move(yeni);
    const int adi = kargo.fieldIndex(u"ADI");
    for (int r = 0; adi >= 0 && r < kargo.rowCount(); ++r)
        kargocombo->addItem(kargo.asString(r, adi));
}

void TSepetSekmesi::kargocomboChange()
{
    QString uyari;
    const int adi = kargo.fieldIndex(u"ADI");
    const int uy = kargo.fieldIndex(u"UYARI");
    if (kargocombo->currentIndex() > 0 && adi >= 0 && uy >= 0) {
        const QString secilen = kargocombo->currentText();
        for (int r = 0; r < kargo.rowCount(); ++r) {
            if (kargo.asString(r, adi) == secilen) {
                uyari = kargo.asString(r, uy);
                break;
            }
        }
    }
    uyarikargo->setText(uyari);
}

void TSepetSekmesi::Button1Click()
{
    korumali([this] {
        const GonderEngeli engel = gonderEngeli(SeciliVarMi(sepet), teslimbox->itemIndex(), boxkargo->itemIndex(),
                                                kargocombo->currentIndex());
        if (engel != GonderEngeli::Yok) {
            MesajGoster(gonderEngeliMesaji(engel), MessageWarning, kButtonsOk, ButtonOk);
            if (engel == GonderEngeli::KargoYok)
                kargocombo->setFocus();
            return;
        }
        // The combo lists kargo's rows after its blank item, so the index names the firm even
        // when two firms share a name.
        const int firmaSatiri = kargocombo->currentIndex() - 1;
        const int sira = kargo.fieldIndex(u"SIRANO");
        const qint32 firma = sira >= 0 && firmaSatiri < kargo.rowCount() ? qint32(kargo.asInt(firmaSatiri, sira)) : 0;
        const int teslim = teslimbox->itemIndex();
        const int kargoTuru = boxkargo->itemIndex();

        SiparisOzeti ozet;
        ozet.kullanici = m_form.sbilgi.ADI();
        ozet.cari = m_form.sbilgi.CariAdi();
        ozet.teslim = teslimbox->itemText(teslim);
        ozet.kargoTuru = boxkargo->itemText(kargoTuru);
        ozet.tutar = geneltoplaml->text();
        ozet.kargoFirmasi = kargocombo->currentText();
        ozet.aciklama = aciklamagir->toPlainText();

        TONAYSIP onay(&m_form);
        onay.Label2->setText(siparisOzetiYazisi(ozet));
        if (onay.exec() != 1)
            return;
        if (SiparisGonder(teslimbox->itemNumber(teslim), boxkargo->itemNumber(kargoTuru), firma)) {
            MesajGoster(QStringLiteral("Siparişiniz Gönderildi !"), MessageInformation, kButtonsOk, ButtonOk);
            SepetYukle();
            aciklamagir->clear();
        } else {
            MesajGoster(QStringLiteral("Sipariş Göndermede Hata"), MessageError, kButtonsOk, ButtonOk);
        }
    });
}

bool TSepetSekmesi::SiparisGonder(qint32 teslim, qint32 kargoTuru, qint32 firma)
{
    std::unique_ptr<TSonucBilgisi> kopya = kopyasi(m_form.sbilgi);
    if (!BaglantiAc(m_form.bagc, 1))
        return false;
    KapanisGuvencesi kapat{m_form.bagc};
    TServerMethods1Client proxy(&m_form.bagc);
    return proxy.SiparisKaydet(std::move(kopya), m_form.sbilgi.CARINO(), teslim, kargoTuru, aciklamagir->toPlainText(),
                               m_form.sbilgi.Sirano(), firma);
}

void TSepetSekmesi::Button2Click()
{
    korumali([this] { cxGridDBTableView1->excelKaydet(); });
}

} // namespace vexor
