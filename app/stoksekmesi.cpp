#include "stoksekmesi.h"

#include "kolonkurali.h"
#include "sepetsekmesi.h"
#include "stokgridi.h"
#include "tform1.h"

#include "common/async.h"
#include "common/errorreport.h"
#include "common/mesaj.h"
#include "dialogs/login/duzmesaj.h"
#include "dialogs/ordering/stokayarinti.h"
#include "dialogs/ordering/stokayarintiadmin.h"
#include "dialogs/ordering/tutarkutusu.h"
#include "platform/gifresim.h"
#include "platform/grid/gridview.h"
#include "platform/picturebox.h"
#include "server/baglantiac.h"
#include "server/errors.h"
#include "server/streamrule.h"
#include "proxim.h"

#include <QAction>
#include <QImage>
#include <QKeyEvent>
#include <QLabel>
#include <QLayout>
#include <QLineEdit>
#include <QMenu>
#include <QPixmap>
#include <QPointer>
#include <QTabWidget>
#include <QToolButton>

#include <cmath>
#include <optional>

namespace vexor {

using namespace Qt::StringLiterals;

namespace {

const QString kStokListesi = u"Stok Listesi"_s;

int alan(const MemTable &t, const QString &name)
{
    return t.fieldIndex(name);
}

double ondalik(const MemTable &t, int row, const QString &name)
{
    const int c = alan(t, name);
    return c < 0 ? 0.0 : t.asDouble(row, c);
}

// "as a whole number": the nearest one, as a float column read as an integer gives it.
qint32 tamSayi(const MemTable &t, int row, const QString &name)
{
    const int c = alan(t, name);
    return c < 0 ? 0 : qint32(std::llround(t.asDouble(row, c)));
}

QString yazi(const MemTable &t, int row, const QString &name)
{
    const int c = alan(t, name);
    return c < 0 ? QString() : t.asString(row, c);
}

} // namespace

// What the search's work part and its completion share. The worker writes only `sonuc` and
// `hata`; the completion moves the result into the tab on the UI thread.
struct TStokSekmesi::AramaBaglami
{
    QPointer<TStokSekmesi> sekme;
    std::unique_ptr<Connection> baglanti;
    TSonucBilgisi bilgi;
    QString kod;
    quint64 cariNesli = 0;
    MemTable sonuc;
    bool hata = false;
};

TStokSekmesi::TStokSekmesi(TForm1 &form)
    : QObject(&form)
    , m_form(form)
{
    gridiKur();

    // Every change of the box's text is folded; the validator the frame set only upper-cased.
    delete m_form.araedit->validator();
    m_form.araedit->setValidator(new AramaKutusuDogrulayici(m_form.araedit));
    m_form.araedit->installEventFilter(this);
    connect(m_form.SpeedButton2, &QToolButton::clicked, this, &TStokSekmesi::SpeedButton2Click);
    connect(m_form.SpeedButton1, &QToolButton::clicked, this, &TStokSekmesi::SpeedButton1Click);
    connect(&m_form, &TForm1::cariDegisti, this, &TStokSekmesi::cariDegisti);
}

TStokSekmesi::~TStokSekmesi() = default;

void TStokSekmesi::gridiKur()
{
    cxGrid1DBTableView1 = new GridView(stokKolonlari(), m_form.sstoklistesi);
    cxGrid1DBTableView1->setObjectName(u"cxGrid1DBTableView1"_s);
    cxGrid1DBTableView1->setRowHeight(kStokSatirYuksekligi);
    cxGrid1DBTableView1->setHeaderHeight(40);
    cxGrid1DBTableView1->setFooterVisible(true);
    cxGrid1DBTableView1->setTable(&stok);
    m_form.sstoklistesi->layout()->addWidget(cxGrid1DBTableView1);
    cxGrid1DBTableView1->setWidthRule([this](GridView &) { cxGrid1Resize(); });
    connect(cxGrid1DBTableView1, &GridView::rowDoubleClicked, this, [this] { cxGrid1DBTableView1DblClick(); });

    stokMenu = new QMenu(cxGrid1DBTableView1);
    stokMenu->setObjectName(u"stokMenu"_s);
    SepeteEkle = stokMenu->addAction(u"Sepete Ekle"_s);
    stokMenu->addSeparator();
    // Has no action of its own; the balances are in their tab.
    SiparisBakiyeleriniz = stokMenu->addAction(u"Sipariş Bakiyeleriniz"_s);
    stokMenu->addSeparator();
    SiparisleriGoster = stokMenu->addAction(u"Siparişleri Göster"_s);
    connect(SepeteEkle, &QAction::triggered, this, &TStokSekmesi::cxGrid1DBTableView1DblClick);
    connect(SiparisleriGoster, &QAction::triggered, this, [this] {
        const int row = cxGrid1DBTableView1->currentRow();
        if (row < 0 || !tumSiparisleriGoster)
            return;
        tumSiparisleriGoster(tamSayi(stok, row, u"STOK_STOKNO"_s));
    });
    connect(stokMenu, &QMenu::aboutToShow, this, [this] { SiparisleriGoster->setEnabled(bool(tumSiparisleriGoster)); });
    SiparisleriGoster->setEnabled(false);
    cxGrid1DBTableView1->setRowMenu(stokMenu);
}

bool TStokSekmesi::aramaSuruyor() const
{
    return !m_form.araedit->isEnabled();
}

bool TStokSekmesi::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_form.araedit && event->type() == QEvent::KeyPress)
        return araeditKeyPress(static_cast<QKeyEvent *>(event));
    return QObject::eventFilter(watched, event);
}

bool TStokSekmesi::araeditKeyPress(QKeyEvent *event)
{
    if (event->key() != Qt::Key_Return && event->key() != Qt::Key_Enter)
        return false;
    Ara();
    return true;
}

void TStokSekmesi::SpeedButton2Click()
{
    Ara();
}

void TStokSekmesi::Ara()
{
    if (aramaSuruyor())
        return;
    m_form.sPageControl1->setCurrentWidget(m_form.sstoklistesi);
    const QString kod = m_form.araedit->text();
    if (!aramaMetniYeterli(kod)) {
        MesajGoster(kAzHarfUyarisi, MessageWarning, kButtonsOk, ButtonOk);
        return;
    }
    tipKurallariniUygula();

    m_form.araedit->setEnabled(false);
    m_form.gifstokara->setVisible(true);
    cxGrid1DBTableView1->detach();
    cxGrid1DBTableView1->beginUpdate();
    cxGrid1DBTableView1->clearHeaderFilters();

    // The clone and the record copy are taken here, on the UI thread: the worker never reads
    // the window's own.
    auto b = std::make_shared<AramaBaglami>();
    b->sekme = this;
    b->baglanti = m_form.bagc.clone();
    b->bilgi.Kopyala(m_form.sbilgi);
    // Sent as the box holds it: folded capitals, blanks kept.
    b->kod = kod;
    b->cariNesli = m_cariNesli;
    m_arama = Async([b] {
        if (!BaglantiAc(*b->baglanti, 0)) {
            b->hata = true;
            return;
        }
        try {
            TServerMethods1Client proxy(b->baglanti.get());
            auto kopya = std::make_unique<TSonucBilgisi>();
            kopya->Kopyala(b->bilgi);
            b->sonuc = proxy.StokAraGetir(b->kod, std::move(kopya));
            FloatAlanBicimle(b->sonuc);
        } catch (...) {
            b->hata = true;
        }
        b->baglanti->close();
        b->baglanti.reset();
    });
    m_arama->Await([b] {
        if (TStokSekmesi *sekme = b->sekme)
            sekme->aramaBitti(*b);
    });
}

void TStokSekmesi::aramaBitti(AramaBaglami &b)
{
    m_arama.reset();
    // After a change of account the rows (and prices) are the old account's: they are
    // dropped, and the list stays as the change left it.
    const bool guncel = b.cariNesli == m_cariNesli;
    if (guncel) {
        if (b.hata) {
            stokuBosalt();
        } else {
            stok = std::move(b.sonuc);
            m_form.sekmeBasligiYaz(m_form.sstoklistesi, QString::number(stok.rowCount()) + u'=' + kStokListesi);
        }
    }
    m_form.araedit->setEnabled(true);
    cxGrid1DBTableView1->setTable(&stok);
    cxGrid1DBTableView1->endUpdate();
    m_form.araedit->selectAll();
    m_form.araedit->setFocus();
    m_form.gifstokara->setVisible(false);
    if (guncel && b.hata) {
        MesajGoster(kBaglantiKurulamiyor, MessageError, kButtonsOk, ButtonOk);
        m_form.sekmeBasligiYaz(m_form.sstoklistesi, kStokListesi);
    }
    emit aramaTamamlandi();
}

void TStokSekmesi::stokuBosalt()
{
    // Emptied, not closed: the columns stay, the rows go.
    if (!stok.isActive())
        return;
    std::vector<FieldDef> fields;
    fields.reserve(size_t(stok.fieldCount()));
    for (int c = 0; c < stok.fieldCount(); ++c)
        fields.push_back(stok.field(c));
    stok.setFields(std::move(fields));
}

void TStokSekmesi::SpeedButton1Click()
{
    if (aramaSuruyor())
        return;
    if (stok.isActive()) {
        stokuBosalt();
        cxGrid1DBTableView1->setTable(&stok);
        m_form.sekmeBasligiYaz(m_form.sstoklistesi, kStokListesi);
    }
    m_form.sPageControl1->setCurrentWidget(m_form.sstoklistesi);
    cxGrid1DBTableView1->clearHeaderFilters();
    m_form.araedit->clear();
    m_form.araedit->selectAll();
    m_form.araedit->setFocus();
}

void TStokSekmesi::cariDegisti()
{
    // The window writes "0=Stok Listesi" and focuses the box itself.
    ++m_cariNesli;
    stokuBosalt();
    // While a search runs the grid is detached; its completion attaches it again.
    if (!aramaSuruyor())
        cxGrid1DBTableView1->setTable(&stok);
}

void TStokSekmesi::tipKurallariniUygula()
{
    // The kind of user is known only after the log-in, which runs after this tab was built;
    // the rules do not change afterwards, so they are applied once, before the first use.
    const QList<KolonKurali> kurallar = m_form.tipKurallari().kolonlari(KuralGridi::Stok);
    if (kurallar == m_uygulananKurallar)
        return;
    m_uygulananKurallar = kurallar;
    m_gizliKalir.clear();
    for (const KolonKurali &k : kurallar) {
        if (!k.goster)
            m_gizliKalir << k.alan;
    }
    cxGrid1DBTableView1->setColumns(kolonKurallariniUygula(stokKolonlari(), kurallar));
}

void TStokSekmesi::cxGrid1Resize()
{
    if (aramaSuruyor())
        return;
    KolonGenislikAyarla();
}

void TStokSekmesi::KolonGenislikAyarla()
{
    tipKurallariniUygula();
    stokGenislikKuraliniUygula(*cxGrid1DBTableView1, m_form.width(), m_gizliKalir);
}

void TStokSekmesi::cxGrid1DBTableView1DblClick()
{
    const int row = cxGrid1DBTableView1->currentRow();
    if (row < 0 || cxGrid1DBTableView1->table() != &stok || row >= stok.rowCount())
        return;
    const qint32 stokno = tamSayi(stok, row, u"STOK_STOKNO"_s);

    // A stock already in the cart is changed on its line, never added a second time.
    TSepetSekmesi &sepetSekmesi = *m_form.sepetSekmesi;
    if (!sepetSekmesi.sepetAcik())
        sepetSekmesi.SepetYukle();
    const MemTable &sepet = sepetSekmesi.sepet;
    const int stoknoAlani = sepet.fieldIndex(u"STOKNO");
    const int siranoAlani = sepet.fieldIndex(u"SIRANO");
    if (stoknoAlani >= 0 && siranoAlani >= 0) {
        for (int r = 0; r < sepet.rowCount(); ++r) {
            if (sepet.asInt(r, stoknoAlani) == stokno) {
                sepetSekmesi.SepetSatirDegistir(qint32(sepet.asInt(r, siranoAlani)));
                return;
            }
        }
    }

    const int tip = m_form.sbilgi.MusteriTipi();
    if (tip == 1 || tip == 2)
        StokSepeteEkleTemsilci(row);
    else
        StokSepeteEkle(row);
}

namespace {

// The identity and price captions both stock dialogs get from a stock row.
void stokBilgileriniYaz(TStokAyarintiTemel &d, const MemTable &stok, int row)
{
    d.kdvoran = ondalik(stok, row, u"KDV"_s);
    d.barkod->setText(yazi(stok, row, u"BARKOD"_s));
    d.adi->setText(yazi(stok, row, u"ADI"_s));
    d.marka->setText(yazi(stok, row, u"MARKA"_s));
    d.finishkod->setText(yazi(stok, row, u"FINISHKOD"_s));
    d.model->setText(yazi(stok, row, u"MODEL"_s));
    d.birimfiyat->setValue(ondalik(stok, row, u"FIYAT"_s));
    const QString indirimYazisi = yazi(stok, row, u"INDIRIMYAZI"_s);
    if (tamSayi(stok, row, u"K"_s) > 0) {
        d.Label2->setText(u"Kampanyalı Fiyat:"_s);
        d.indirimoran->setText(u"Kampanyalı "_s + indirimYazisi);
    } else {
        d.indirimoran->setText(u"İndirim: %"_s + indirimYazisi);
    }
}

// Shows the dialog; the quantity when it was confirmed with one that reads as a number. Text
// that does not reaches the general error report, and nothing is added.
std::optional<double> onaylananMiktar(TStokAyarintiTemel &d)
{
    if (d.exec() != 1)
        return std::nullopt;
    try {
        return d.miktar();
    } catch (...) {
        reportUnhandledException(std::current_exception());
        return std::nullopt;
    }
}

} // namespace

void TStokSekmesi::StokSepeteEkle(int row)
{
    Tstokayarinti d(m_form.kurulumAyarlari().saticiWebKoku, &m_form);
    // The dialog fetches its picture itself from the stock number.
    d._stokno = tamSayi(stok, row, u"STOK_STOKNO"_s);
    stokBilgileriniYaz(d, stok, row);
    d.ind1 = ondalik(stok, row, u"IND1"_s);
    d.ind2 = ondalik(stok, row, u"IND2"_s);
    d.ind3 = ondalik(stok, row, u"IND3"_s);
    d.ind4 = ondalik(stok, row, u"IND4"_s);
    const std::optional<double> miktar = onaylananMiktar(d);
    if (!miktar)
        return;
    // Only the quantity comes from the dialog; the price and the rates are the row's.
    SepeteSatirEkle(stok, row, *miktar);
}

void TStokSekmesi::StokSepeteEkleTemsilci(int row)
{
    const qint32 stokno = tamSayi(stok, row, u"STOK_STOKNO"_s);
    TstokayarintiAdmin d(m_form.kurulumAyarlari().saticiWebKoku, stokno, &m_form);
    StokResmiAl(stokno, d.Image1);
    stokBilgileriniYaz(d, stok, row);
    d.birimfiyat->setReadOnly(false);
    TutarKutusu *oranKutulari[] = {d.edindirim1, d.edindirim2, d.edindirim3, d.edindirim4};
    const QString oranAlanlari[] = {u"IND1"_s, u"IND2"_s, u"IND3"_s, u"IND4"_s};
    for (int i = 0; i < 4; ++i) {
        oranKutulari[i]->setValue(ondalik(stok, row, oranAlanlari[i]));
        oranKutulari[i]->setReadOnly(false);
    }
    d.GridPanel2->setVisible(true);
    const std::optional<double> miktar = onaylananMiktar(d);
    if (!miktar)
        return;
    // A representative's line carries what was typed.
    sepeteEkle(stok, row, *miktar, d.birimfiyat->value(), d.oranlar());
}

void TStokSekmesi::SepeteSatirEkle(const MemTable &tablo, int row, double miktar)
{
    sepeteEkle(tablo, row, miktar, ondalik(tablo, row, u"FIYAT"_s),
               {ondalik(tablo, row, u"IND1"_s), ondalik(tablo, row, u"IND2"_s), ondalik(tablo, row, u"IND3"_s),
                ondalik(tablo, row, u"IND4"_s)});
}

void TStokSekmesi::sepeteEkle(const MemTable &tablo, int row, double miktar, double fiyat, const std::array<double, 4> &oranlar)
{
    if (!BaglantiAc(m_form.bagc, 1))
        return;
    qint32 sonuc = 0;
    try {
        TServerMethods1Client proxy(&m_form.bagc);
        auto kopya = std::make_unique<TSonucBilgisi>();
        kopya->Kopyala(m_form.sbilgi);
        sonuc = proxy.SepetEkle2(std::move(kopya), m_form.sbilgi.CARINO(), tamSayi(tablo, row, u"STOK_STOKNO"_s),
                                 yazi(tablo, row, u"BARKOD"_s), yazi(tablo, row, u"ADI"_s), miktar,
                                 double(tamSayi(tablo, row, u"KDV"_s)), fiyat, oranlar[0], m_form.sbilgi.Sirano(),
                                 tamSayi(tablo, row, u"K"_s), oranlar[1], oranlar[2], oranlar[3]);
    } catch (...) {
        // A failing call goes to the general error report, with nothing added.
        m_form.bagc.close();
        reportUnhandledException(std::current_exception());
        return;
    }
    m_form.bagc.close();
    if (sonuc == 1)
        m_form.sepetSekmesi->SepetYukle();
}

bool TStokSekmesi::StokResmiAl(qint32 stokno, PictureBox *resim)
{
    if (!BaglantiAc(m_form.bagc, 1))
        return false;
    QString hata;
    bool yuklendi = false;
    try {
        TServerMethods1Client proxy(&m_form.bagc);
        qint64 boy = 0;
        QIODevice *akis = proxy.ResimVer5(stokno, boy);
        if (const std::optional<QByteArray> bytes = readAnnouncedStream(akis, boy)) {
            QImage picture;
            if (!picture.loadFromData(*bytes, "JPEG"))
                throw VexorError(u"EJPEG"_s, u"Resim çözülemedi (JPEG değil ya da bozuk)"_s);
            if (resim)
                resim->setPicture(QPixmap::fromImage(picture));
            yuklendi = true;
        }
    } catch (const VexorError &e) {
        hata = e.className() + u": "_s + e.message();
    } catch (const std::exception &e) {
        hata = u"Exception: "_s + QString::fromUtf8(e.what());
    }
    m_form.bagc.close();
    if (!hata.isEmpty())
        DuzMesajGoster(hata, MessageError);
    return yuklendi;
}

} // namespace vexor
