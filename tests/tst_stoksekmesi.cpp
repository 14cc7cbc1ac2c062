// The "Stok Listesi" tab driven offscreen in the real main window against a real vexor-server
// (demo database, remote methods and web endpoints in this process). The server is the
// program's own, with a thin layer in front of three methods that notes what the client sent
// and can hold a search until the test lets it go.
#include "demoserver.h"
#include "dispatch.h"
#include "guidriver.h"
#include "turkcetus.h"

#include "app/sepetsekmesi.h"
#include "app/stokgridi.h"
#include "app/stoksekmesi.h"
#include "app/tform1.h"
#include "common/errorreport.h"
#include "common/sysinfo.h"
#include "dialogs/ordering/stokayarinti.h"
#include "dialogs/ordering/stokayarintiadmin.h"
#include "platform/gifresim.h"
#include "platform/grid/gridview.h"
#include "platform/picturebox.h"
#include "server/baglantiac.h"
#include "storage/search.h"

#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMutex>
#include <QPushButton>
#include <QSemaphore>
#include <QSignalSpy>
#include <QSpinBox>
#include <QTabWidget>
#include <QTcpServer>
#include <QToolButton>
#include <QTreeView>
#include <QtTest>

#include <atomic>

using namespace vexor;
using namespace vexor::test;
using namespace Qt::StringLiterals;

namespace {

constexpr int kWaitMs = 60000;

// What SepetEkle2 was called with.
struct Ekleme
{
    qint32 carino = 0, stokno = 0, verenid = 0, k = 0;
    QString barkod, stokadi;
    double miktar = 0, kdv = 0, fiyat = 0;
    std::array<double, 4> oranlar{};
};

// The server's own methods; StokAraGetir, SepetEkle2 and SepetGuncelle2 note their arguments
// first. A search can be held (`tut`) until `birak()`, or made to fail (`aramaHatasi`).
class KayitliSunucu final : public TServerMethods1
{
public:
    using TServerMethods1::TServerMethods1;

    EncodedTable StokAraGetir(const QString &kod, std::unique_ptr<TSonucBilgisi> bilgi) override
    {
        {
            QMutexLocker lock(&m_mutex);
            m_aramalar << kod;
        }
        if (tut) {
            ++bekleyen;
            m_kapi.acquire();
            --bekleyen;
        }
        if (aramaHatasi)
            throw CallError(u"EVexorTestError"_s, u"arama başarısız"_s);
        return TServerMethods1::StokAraGetir(kod, std::move(bilgi));
    }

    qint32 SepetEkle2(std::unique_ptr<TSonucBilgisi> bilgim, qint32 carino, qint32 stokno, const QString &barkod,
                      const QString &stokadi, double miktar, double kdv, double fiyat, double ind1, qint32 verenid, qint32 k,
                      double ind2, double ind3, double ind4) override
    {
        {
            QMutexLocker lock(&m_mutex);
            m_eklemeler.append({carino, stokno, verenid, k, barkod, stokadi, miktar, kdv, fiyat, {ind1, ind2, ind3, ind4}});
        }
        return TServerMethods1::SepetEkle2(std::move(bilgim), carino, stokno, barkod, stokadi, miktar, kdv, fiyat, ind1,
                                           verenid, k, ind2, ind3, ind4);
    }

    qint32 SepetGuncelle2(std::unique_ptr<TSonucBilgisi> bilgim, qint32 carino, qint32 stokno, const QString &barkod,
                          const QString &stokadi, double miktar, double kdv, double fiyat, double ind1, qint32 verenid,
                          qint32 _sepetsirano, double ind2, double ind3, double ind4) override
    {
        ++guncellemeler;
        return TServerMethods1::SepetGuncelle2(std::move(bilgim), carino, stokno, barkod, stokadi, miktar, kdv, fiyat, ind1,
                                               verenid, _sepetsirano, ind2, ind3, ind4);
    }

    QStringList aramalar()
    {
        QMutexLocker lock(&m_mutex);
        return m_aramalar;
    }
    QList<Ekleme> eklemeler()
    {
        QMutexLocker lock(&m_mutex);
        return m_eklemeler;
    }
    void sifirla()
    {
        QMutexLocker lock(&m_mutex);
        m_aramalar.clear();
        m_eklemeler.clear();
        guncellemeler = 0;
        tut = false;
        aramaHatasi = false;
    }
    void birak() { m_kapi.release(); }

    std::atomic<bool> tut{false};
    std::atomic<bool> aramaHatasi{false};
    std::atomic<int> bekleyen{0};
    std::atomic<int> guncellemeler{0};

private:
    QMutex m_mutex;
    QStringList m_aramalar;
    QList<Ekleme> m_eklemeler;
    QSemaphore m_kapi;
};

// Rows of the grid's table by their stock numbers, in the order of the table.
QList<qint32> stokNumaralari(const MemTable &t)
{
    QList<qint32> n;
    const int c = t.fieldIndex(u"STOK_STOKNO");
    for (int r = 0; c >= 0 && r < t.rowCount(); ++r)
        n << qint32(t.asInt(r, c));
    return n;
}

double deger(const MemTable &t, int row, const QString &field)
{
    return t.asDouble(row, t.fieldIndex(field));
}

QString metin(const MemTable &t, int row, const QString &field)
{
    return t.asString(row, t.fieldIndex(field));
}

} // namespace

class TstStokSekmesi : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase();
    void init();
    void cleanup();

    void search_data();
    void search();
    void tooShort_data();
    void tooShort();
    void nothingStartsTwice();
    void failure_data();
    void failure();
    void clearButton();
    void accountChangeDuringSearch();
    void userKindColumns_data();
    void userKindColumns();
    void widthRuleOnTheWindow_data();
    void widthRuleOnTheWindow();
    void contextMenu();
    void dealerAdd_data();
    void dealerAdd();
    void dealerCancels();
    void representativeAdd();
    void alreadyInCart();
    void picture_data();
    void picture();

private:
    // A logged-in main window of the user, shown at the given size.
    std::unique_ptr<TForm1> girisYap(const DemoServer::User &user, int width = 1350);
    // Types `text` into the search box and starts the search with Enter or "Ara"; waits for
    // the completion unless told not to.
    void ara(TForm1 &form, const QString &text, bool enter = true, bool wait = true);
    // The row of `stok` whose stock is `stokno`, focused and double-clicked.
    void cift(TForm1 &form, qint32 stokno);
    // A stock's code, by the condition given (SQL over stocks).
    QString stokKodu(const QString &where);
    qint32 stokNo(const QString &code);
    void sepetiBosalt(int account);

    DemoServer m_server;
    std::shared_ptr<KayitliSunucu> m_sunucu;
    std::shared_ptr<RecordingPresenter> m_presenter;
    QStringList m_reports;
    std::optional<DemoServer::User> m_dealer;
    std::optional<DemoServer::User> m_rep;
};

void TstStokSekmesi::initTestCase()
{
    QStandardPaths::setTestModeEnabled(true);
    QLocale::setDefault(QLocale(QLocale::Turkish, QLocale::Turkey));
    QVERIFY2(!BilgisayarIdVer().isEmpty(), "this machine has no identity to enroll");
    m_sunucu = m_server.startWith<KayitliSunucu>();

    m_dealer = m_server.user(3);
    m_rep = m_server.user(1);
    QVERIFY(m_dealer && m_rep);
    QVERIFY(m_rep->accountId > 0);
}

void TstStokSekmesi::cleanupTestCase()
{
    m_sunucu->tut = false;
    while (m_sunucu->bekleyen > 0)
        m_sunucu->birak();
    m_server.stop();
}

void TstStokSekmesi::init()
{
    m_presenter = std::make_shared<RecordingPresenter>();
    setMessagePresenter(m_presenter);
    m_reports.clear();
    setUnhandledExceptionHandler([this](const QString &text) { m_reports << text; });
    m_sunucu->sifirla();
}

void TstStokSekmesi::cleanup()
{
    m_sunucu->tut = false;
    while (m_sunucu->bekleyen > 0) {
        m_sunucu->birak();
        QTest::qWait(20);
    }
    QVERIFY2(m_reports.isEmpty(), qPrintable(m_reports.join(u'\n')));
    setUnhandledExceptionHandler({});
    setMessagePresenter(nullptr);
}

std::unique_ptr<TForm1> TstStokSekmesi::girisYap(const DemoServer::User &user, int width)
{
    m_server.enroll(user.name);
    auto form = std::make_unique<TForm1>(m_server.ayarlar());
    const int account = user.accountId;
    form->cariSecimi = [account](QWidget *, Connection &, TSonucBilgisi &bilgim) {
        bilgim.setCARINO(account);
        bilgim.setCariAdi(u"SEÇİLEN CARİ"_s);
        return 1;
    };
    QSignalSpy started(form.get(), &TForm1::acilisBitti);
    auto driver = whenShown<Tgirisform>([&](Tgirisform *g) {
        g->adi->setText(user.name);
        g->sifre->setText(user.password);
        g->Button1->click();
    });
    if (!form->FormCreate())
        return nullptr;
    if (started.isEmpty() && !started.wait(kWaitMs))
        return nullptr;
    form->resize(width, 800);
    form->show();
    if (!QTest::qWaitForWindowExposed(form.get()))
        return nullptr;
    // The start-up sequence may have said something (banners, counts); that is not ours.
    m_presenter->requests.clear();
    return form;
}

void TstStokSekmesi::ara(TForm1 &form, const QString &text, bool enter, bool wait)
{
    QSignalSpy done(form.stokSekmesi, &TStokSekmesi::aramaTamamlandi);
    form.araedit->clear();
    harfleriBas(form.araedit, text);
    if (enter)
        QTest::keyClick(form.araedit, Qt::Key_Return);
    else
        form.SpeedButton2->click();
    if (wait)
        QVERIFY(done.count() > 0 || done.wait(kWaitMs));
}

void TstStokSekmesi::cift(TForm1 &form, qint32 stokno)
{
    GridView *grid = form.stokSekmesi->cxGrid1DBTableView1;
    const int row = stokNumaralari(form.stokSekmesi->stok).indexOf(stokno);
    QVERIFY(row >= 0);
    QVERIFY(grid->setCurrentRow(row));
    QTreeView *tree = grid->treeView();
    const QRect rect = tree->visualRect(tree->currentIndex());
    QVERIFY(rect.isValid());
    QTest::mouseDClick(tree->viewport(), Qt::LeftButton, {}, rect.center());
}

QString TstStokSekmesi::stokKodu(const QString &where)
{
    const std::optional<QVariant> code =
        m_server.db->scalar(u"SELECT code FROM stocks WHERE active = 1 AND "_s + where + u" ORDER BY id LIMIT 1"_s);
    return code ? code->toString() : QString();
}

qint32 TstStokSekmesi::stokNo(const QString &code)
{
    return m_server.db->scalar(u"SELECT id FROM stocks WHERE code = ?"_s, {code}).value_or(0).toInt();
}

void TstStokSekmesi::sepetiBosalt(int account)
{
    m_server.db->change(u"DELETE FROM cart_lines WHERE account_id = ?"_s, {account});
}

void TstStokSekmesi::search_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("sent");
    QTest::addColumn<bool>("enter");
    QTest::addColumn<bool>("rows");
    QTest::newRow("lower case, Enter") << u"fren"_s << u"FREN"_s << true << true;
    QTest::newRow("three lower-case letters, Ara") << u"fre"_s << u"FRE"_s << false << true;
    QTest::newRow("Turkish letters") << u"balatası ön"_s << u"BALATASI ON"_s << true << true;
    QTest::newRow("blanks kept") << u"  yağ  "_s << u"  YAG  "_s << true << true;
    QTest::newRow("nothing found") << u"zzqxw"_s << u"ZZQXW"_s << true << false;
}

void TstStokSekmesi::search()
{
    QFETCH(QString, typed);
    QFETCH(QString, sent);
    QFETCH(bool, enter);
    QFETCH(bool, rows);
    std::unique_ptr<TForm1> form = girisYap(*m_dealer);
    QVERIFY(form);
    form->sPageControl1->setCurrentWidget(form->sonceki);
    TStokSekmesi &s = *form->stokSekmesi;

    ara(*form, typed, enter);
    // The box shows what was sent: folded capitals.
    QCOMPARE(form->araedit->text(), sent);
    QCOMPARE(m_sunucu->aramalar(), QStringList{sent});
    QVERIFY2(m_presenter->requests.isEmpty(), qPrintable(m_presenter->texts().join(u'\n')));

    // The grid shows the server's rows in the server's order, the caption their number.
    const std::vector<int> expected = findStocks(*m_server.db, sent);
    QCOMPARE(expected.empty(), !rows);
    QCOMPARE(stokNumaralari(s.stok), QList<qint32>(expected.begin(), expected.end()));
    QCOMPARE(form->sekmeBasligi(form->sstoklistesi), QString::number(expected.size()) + u"=Stok Listesi"_s);
    QCOMPARE(form->sPageControl1->currentWidget(), form->sstoklistesi);
    QVERIFY(s.stok.isActive());
    QCOMPARE(s.cxGrid1DBTableView1->table(), &s.stok);
    QCOMPARE(s.cxGrid1DBTableView1->rowCount(), int(expected.size()));
    QCOMPARE(s.cxGrid1DBTableView1->footerText(u"ADI"), QString::number(expected.size()));
    QCOMPARE(s.stok.field(s.stok.fieldIndex(u"NETFIYAT")).displayFormat, u"#,###,##0.00"_s);

    // Idle again: box enabled, its text selected and focused, busy indicator gone.
    QVERIFY(form->araedit->isEnabled());
    QCOMPARE(form->araedit->selectedText(), sent);
    QCOMPARE(QApplication::focusWidget(), form->araedit);
    QVERIFY(form->gifstokara->isHidden());
    QVERIFY(!s.aramaSuruyor());
}

void TstStokSekmesi::tooShort_data()
{
    QTest::addColumn<QString>("typed");
    QTest::newRow("two letters inside blanks") << u"   ab   "_s;
    QTest::newRow("two Turkish letters") << u"şü"_s;
    QTest::newRow("blanks only") << u"     "_s;
    QTest::newRow("empty") << QString();
}

void TstStokSekmesi::tooShort()
{
    QFETCH(QString, typed);
    std::unique_ptr<TForm1> form = girisYap(*m_dealer);
    QVERIFY(form);
    ara(*form, u"fren"_s);
    const QList<qint32> before = stokNumaralari(form->stokSekmesi->stok);
    QVERIFY(!before.isEmpty());
    form->sPageControl1->setCurrentWidget(form->ssepet);
    m_sunucu->sifirla();

    ara(*form, typed, true, false);
    QCOMPARE(m_presenter->texts(), QStringList{kAzHarfUyarisi});
    QCOMPARE(m_presenter->requests.first().kind, int(MessageWarning));
    // Nothing was asked and nothing else changed; the stock tab came to the front.
    QTest::qWait(100);
    QVERIFY(m_sunucu->aramalar().isEmpty());
    QCOMPARE(stokNumaralari(form->stokSekmesi->stok), before);
    QCOMPARE(form->sekmeBasligi(form->sstoklistesi), QString::number(before.size()) + u"=Stok Listesi"_s);
    QCOMPARE(form->sPageControl1->currentWidget(), form->sstoklistesi);
    QVERIFY(form->araedit->isEnabled());
    QVERIFY(form->gifstokara->isHidden());
}

void TstStokSekmesi::nothingStartsTwice()
{
    std::unique_ptr<TForm1> form = girisYap(*m_dealer);
    QVERIFY(form);
    TStokSekmesi &s = *form->stokSekmesi;
    ara(*form, u"fren"_s);
    const int found = s.stok.rowCount();
    QVERIFY(found > 0);

    m_sunucu->tut = true;
    QSignalSpy done(&s, &TStokSekmesi::aramaTamamlandi);
    ara(*form, u"disk"_s, true, false);
    QTRY_COMPARE_WITH_TIMEOUT(int(m_sunucu->bekleyen), 1, kWaitMs);

    // Searching: the box is disabled, the busy indicator shows, the grid is detached.
    QVERIFY(s.aramaSuruyor());
    QVERIFY(!form->araedit->isEnabled());
    QVERIFY(form->gifstokara->isVisible());
    QCOMPARE(s.cxGrid1DBTableView1->table(), nullptr);

    // Enter, "Ara", "Temizle" and a resize do nothing now.
    s.Ara();
    form->SpeedButton2->click();
    form->SpeedButton1->click();
    s.SpeedButton1Click();
    form->resize(1100, 800);
    QTest::qWait(200);
    QCOMPARE(m_sunucu->aramalar(), (QStringList{u"FREN"_s, u"DISK"_s}));
    QCOMPARE(form->araedit->text(), u"DISK"_s);
    QVERIFY(m_presenter->requests.isEmpty());
    QCOMPARE(done.count(), 0);
    QVERIFY(!s.cxGrid1DBTableView1->isColumnShown(kFiyatBilgisiAlani));

    m_sunucu->tut = false;
    m_sunucu->birak();
    QVERIFY(done.wait(kWaitMs));
    QCOMPARE(done.count(), 1);
    const std::vector<int> expected = findStocks(*m_server.db, u"DISK");
    QCOMPARE(stokNumaralari(s.stok), QList<qint32>(expected.begin(), expected.end()));
    QCOMPARE(form->sekmeBasligi(form->sstoklistesi), QString::number(expected.size()) + u"=Stok Listesi"_s);
    QVERIFY(form->araedit->isEnabled());
    QVERIFY(form->gifstokara->isHidden());
    // The resize that came while searching is caught up once the grid is back.
    QVERIFY(s.cxGrid1DBTableView1->isColumnShown(kFiyatBilgisiAlani));
    QVERIFY(!s.cxGrid1DBTableView1->isColumnShown(u"KDVDAHIL"));
}

void TstStokSekmesi::failure_data()
{
    QTest::addColumn<bool>("serverDown");
    QTest::newRow("server down") << true;
    QTest::newRow("call fails") << false;
}

void TstStokSekmesi::failure()
{
    QFETCH(bool, serverDown);
    std::unique_ptr<TForm1> form = girisYap(*m_dealer);
    QVERIFY(form);
    TStokSekmesi &s = *form->stokSekmesi;
    ara(*form, u"fren"_s);
    QVERIFY(s.stok.rowCount() > 0);

    const int port = form->bagc.Port;
    if (serverDown)
        form->bagc.Port = closedLoopbackPort();
    else
        m_sunucu->aramaHatasi = true;
    ara(*form, u"disk"_s);
    QCOMPARE(m_presenter->texts(), QStringList{kBaglantiKurulamiyor});
    QCOMPARE(m_presenter->requests.first().kind, int(MessageError));
    QVERIFY(s.stok.isActive());
    QCOMPARE(s.stok.rowCount(), 0);
    QCOMPARE(s.cxGrid1DBTableView1->rowCount(), 0);
    QCOMPARE(form->sekmeBasligi(form->sstoklistesi), u"Stok Listesi"_s);
    QVERIFY(form->araedit->isEnabled());
    QVERIFY(form->gifstokara->isHidden());

    // The box works again once the server answers.
    form->bagc.Port = port;
    m_sunucu->aramaHatasi = false;
    m_presenter->requests.clear();
    ara(*form, u"disk"_s);
    QVERIFY(m_presenter->requests.isEmpty());
    QCOMPARE(s.stok.rowCount(), int(findStocks(*m_server.db, u"DISK").size()));
    QVERIFY(s.stok.rowCount() > 0);
    QCOMPARE(form->sekmeBasligi(form->sstoklistesi), QString::number(s.stok.rowCount()) + u"=Stok Listesi"_s);
}

void TstStokSekmesi::clearButton()
{
    std::unique_ptr<TForm1> form = girisYap(*m_dealer);
    QVERIFY(form);
    TStokSekmesi &s = *form->stokSekmesi;
    ara(*form, u"fren"_s);
    QVERIFY(s.stok.rowCount() > 1);
    const std::vector<FilterValue> brands = s.cxGrid1DBTableView1->headerFilterValues(u"MARKA");
    QVERIFY(brands.size() > 1);
    HeaderFilter filter;
    filter.values = {brands.front().key};
    s.cxGrid1DBTableView1->setHeaderFilter(u"MARKA", filter);
    QVERIFY(s.cxGrid1DBTableView1->rowCount() < s.stok.rowCount());
    form->sPageControl1->setCurrentWidget(form->ssepet);

    form->SpeedButton1->click();
    QVERIFY(s.stok.isActive());
    QCOMPARE(s.stok.rowCount(), 0);
    QCOMPARE(s.cxGrid1DBTableView1->rowCount(), 0);
    QCOMPARE(form->sekmeBasligi(form->sstoklistesi), u"Stok Listesi"_s);
    QCOMPARE(form->sPageControl1->currentWidget(), form->sstoklistesi);
    QVERIFY(form->araedit->text().isEmpty());
    QCOMPARE(QApplication::focusWidget(), form->araedit);
    QVERIFY(!s.cxGrid1DBTableView1->headerFilter(u"MARKA").isActive());
    QCOMPARE(m_sunucu->aramalar().size(), 1);
}

void TstStokSekmesi::accountChangeDuringSearch()
{
    // A representative changes the account while a search of the old one runs: its rows, with
    // the old account's prices, must not appear.
    std::unique_ptr<TForm1> form = girisYap(*m_rep);
    QVERIFY(form);
    TStokSekmesi &s = *form->stokSekmesi;
    ara(*form, u"fren"_s);
    QVERIFY(s.stok.rowCount() > 0);

    m_sunucu->tut = true;
    QSignalSpy done(&s, &TStokSekmesi::aramaTamamlandi);
    ara(*form, u"disk"_s, true, false);
    QTRY_COMPARE_WITH_TIMEOUT(int(m_sunucu->bekleyen), 1, kWaitMs);
    form->CariDegistir();
    QCOMPARE(s.stok.rowCount(), 0);
    QCOMPARE(form->sekmeBasligi(form->sstoklistesi), u"0=Stok Listesi"_s);

    m_sunucu->tut = false;
    m_sunucu->birak();
    QVERIFY(done.wait(kWaitMs));
    QCOMPARE(s.stok.rowCount(), 0);
    QCOMPARE(s.cxGrid1DBTableView1->rowCount(), 0);
    QCOMPARE(s.cxGrid1DBTableView1->table(), &s.stok);
    QCOMPARE(form->sekmeBasligi(form->sstoklistesi), u"0=Stok Listesi"_s);
    QVERIFY(form->araedit->isEnabled());
    QVERIFY(m_presenter->requests.isEmpty());

    // Without a search running the change empties the list at once.
    ara(*form, u"disk"_s);
    QVERIFY(s.stok.rowCount() > 0);
    form->CariDegistir();
    QCOMPARE(s.stok.rowCount(), 0);
    QCOMPARE(s.cxGrid1DBTableView1->rowCount(), 0);
}

void TstStokSekmesi::userKindColumns_data()
{
    QTest::addColumn<int>("kind");
    QTest::addColumn<bool>("orders");
    QTest::addColumn<bool>("campaign");
    QTest::newRow("representative") << 1 << true << true;
    QTest::newRow("representative who changes prices") << 2 << true << true;
    QTest::newRow("dealer") << 3 << false << true;
    QTest::newRow("dealer without campaigns") << 4 << false << false;
}

void TstStokSekmesi::userKindColumns()
{
    QFETCH(int, kind);
    QFETCH(bool, orders);
    QFETCH(bool, campaign);
    const std::optional<DemoServer::User> user = m_server.user(kind);
    QVERIFY(user);
    std::unique_ptr<TForm1> form = girisYap(*user, 1400);
    QVERIFY(form);
    GridView *grid = form->stokSekmesi->cxGrid1DBTableView1;
    ara(*form, u"fren"_s);
    // A wide window shows the price columns, the campaign price only for those who get it;
    // also after the window was narrow once.
    form->resize(1000, 800);
    QTRY_VERIFY(grid->isColumnShown(kFiyatBilgisiAlani));
    form->resize(1400, 800);
    QTRY_VERIFY(!grid->isColumnShown(kFiyatBilgisiAlani));
    for (const char16_t *f : {u"KALAN", u"ALINANSIPARIS", u"VERILENSIPARIS"})
        QVERIFY2(grid->isColumnShown(f) == orders, qPrintable(QString::fromUtf16(f)));
    QCOMPARE(grid->isColumnShown(u"KAMPFIYAT"), campaign);
    QCOMPARE(grid->isColumnShown(u"K"), campaign);
    QVERIFY(grid->isColumnShown(u"KDVDAHIL"));
    QStringList offered;
    for (const CustomisationEntry &e : grid->customisationEntries())
        offered << grid->columns()[size_t(e.column)].field;
    QCOMPARE(offered.contains(u"KALAN"_s), orders);
    QCOMPARE(offered.contains(u"KAMPFIYAT"_s), campaign);
    QVERIFY(!offered.contains(u"STOK_STOKNO"_s));
}

void TstStokSekmesi::widthRuleOnTheWindow_data()
{
    QTest::addColumn<int>("width");
    QTest::addColumn<bool>("narrow");
    QTest::newRow("1152 is narrow") << 1152 << true;
    QTest::newRow("1153 is wide") << 1153 << false;
    QTest::newRow("1024") << 1024 << true;
}

void TstStokSekmesi::widthRuleOnTheWindow()
{
    QFETCH(int, width);
    QFETCH(bool, narrow);
    std::unique_ptr<TForm1> form = girisYap(*m_dealer, 1300);
    QVERIFY(form);
    GridView *grid = form->stokSekmesi->cxGrid1DBTableView1;
    ara(*form, u"fren"_s);
    form->resize(width, 800);
    QTRY_COMPARE(form->width(), width);
    QTRY_COMPARE(grid->isColumnShown(kFiyatBilgisiAlani), narrow);
    QCOMPARE(grid->isColumnShown(u"KDVDAHIL"), !narrow);
    QCOMPARE(grid->isColumnShown(u"NETFIYAT"), !narrow);
    QCOMPARE(grid->rowHeight(), narrow ? 100 : 60);
    // The unit of the visible weights fills the grid.
    const int unit = grid->columnWidth(u"DURUM");
    QVERIFY(unit > 0);
    QCOMPARE(grid->columnWidth(u"ADI"), 3 * unit);
    QCOMPARE(grid->columnWidth(kFiyatBilgisiAlani), narrow ? 150 : 0);
    QVERIFY(unit * (narrow ? 19 : 26) <= grid->width() - 30);
    QVERIFY((unit + 1) * (narrow ? 19 : 26) > grid->width() - 30);
}

void TstStokSekmesi::contextMenu()
{
    std::unique_ptr<TForm1> form = girisYap(*m_dealer);
    QVERIFY(form);
    TStokSekmesi &s = *form->stokSekmesi;
    QStringList items;
    for (QAction *a : s.stokMenu->actions())
        items << (a->isSeparator() ? u"-"_s : a->text());
    QCOMPARE(items, (QStringList{u"Sepete Ekle"_s, u"-"_s, u"Sipariş Bakiyeleriniz"_s, u"-"_s, u"Siparişleri Göster"_s}));

    ara(*form, u"fren"_s);
    QVERIFY(s.stok.rowCount() > 2);
    // Without the all-orders window the item is offered disabled and does nothing.
    emit s.stokMenu->aboutToShow();
    QVERIFY(!s.SiparisleriGoster->isEnabled());
    QList<qint32> shown;
    s.tumSiparisleriGoster = [&](qint32 stokno) { shown << stokno; };
    emit s.stokMenu->aboutToShow();
    QVERIFY(s.SiparisleriGoster->isEnabled());
    QVERIFY(s.cxGrid1DBTableView1->setCurrentRow(2));
    s.SiparisleriGoster->trigger();
    QCOMPARE(shown, QList<qint32>{stokNumaralari(s.stok).at(2)});
    s.SiparisBakiyeleriniz->trigger();
    QCOMPARE(shown.size(), 1);
    QVERIFY(m_presenter->requests.isEmpty());
}

void TstStokSekmesi::dealerAdd_data()
{
    QTest::addColumn<bool>("campaignStock");
    QTest::addColumn<bool>("byMenu");
    QTest::newRow("stock, double click") << false << false;
    QTest::newRow("campaign stock, double click") << true << false;
    QTest::newRow("stock, Sepete Ekle") << false << true;
}

void TstStokSekmesi::dealerAdd()
{
    QFETCH(bool, campaignStock);
    QFETCH(bool, byMenu);
    std::unique_ptr<TForm1> form = girisYap(*m_dealer);
    QVERIFY(form);
    const int account = form->sbilgi.CARINO();
    sepetiBosalt(account);
    // Rates for the account, so that the row carries some, and campaigns for it.
    m_server.db->change(u"DELETE FROM account_discounts WHERE account_id = ?"_s, {account});
    m_server.db->change(u"INSERT INTO account_discounts (account_id, brand_id, ind1, ind2, ind3, ind4) VALUES (?, NULL, 10, 5, 0, 2.5)"_s,
                        {account});
    m_server.db->change(u"UPDATE accounts SET campaigns = 1 WHERE id = ?"_s, {account});
    const QString code = stokKodu(campaignStock ? u"campaign = 1"_s : u"campaign = 0 AND list_price > 0"_s);
    QVERIFY(!code.isEmpty());
    const qint32 stokno = stokNo(code);

    TStokSekmesi &s = *form->stokSekmesi;
    ara(*form, code);
    const int row = stokNumaralari(s.stok).indexOf(stokno);
    QVERIFY(row >= 0);
    const MemTable &t = s.stok;
    QCOMPARE(qint64(deger(t, row, u"K"_s)), qint64(campaignStock ? 1 : 0));
    const std::array<double, 4> rowRates = {deger(t, row, u"IND1"_s), deger(t, row, u"IND2"_s), deger(t, row, u"IND3"_s),
                                            deger(t, row, u"IND4"_s)};
    if (!campaignStock)
        QCOMPARE(rowRates, (std::array<double, 4>{10, 5, 0, 2.5}));

    bool seen = false;
    auto driver = whenShown<Tstokayarinti>([&](Tstokayarinti *d) {
        seen = true;
        QCOMPARE(d->windowTitle(), u"Sepete Ekle"_s);
        QCOMPARE(d->_stokno, stokno);
        QCOMPARE(d->barkod->text(), metin(t, row, u"BARKOD"_s));
        QCOMPARE(d->adi->text(), metin(t, row, u"ADI"_s));
        QCOMPARE(d->finishkod->text(), code);
        QCOMPARE(d->marka->text(), metin(t, row, u"MARKA"_s));
        QCOMPARE(d->model->text(), metin(t, row, u"MODEL"_s));
        QCOMPARE(d->kdvoran, deger(t, row, u"KDV"_s));
        QCOMPARE(d->birimfiyat->value(), deger(t, row, u"FIYAT"_s));
        QVERIFY(d->birimfiyat->isReadOnly());
        QCOMPARE((std::array<double, 4>{d->ind1, d->ind2, d->ind3, d->ind4}), rowRates);
        const QString discount = metin(t, row, u"INDIRIMYAZI"_s);
        if (campaignStock) {
            QCOMPARE(d->Label2->text(), u"Kampanyalı Fiyat:"_s);
            QCOMPARE(d->indirimoran->text(), u"Kampanyalı "_s + discount);
        } else {
            QCOMPARE(d->indirimoran->text(), u"İndirim: %"_s + discount);
        }
        // Whatever the dialog comes to show, the line takes the row's price and rates.
        d->birimfiyat->setValue(1.5);
        d->ind1 = 50;
        d->ind4 = 0;
        d->adet->selectAll();
        QTest::keyClicks(d->adet, u"3"_s);
        QTest::keyClick(d->adet, Qt::Key_Return);
    });
    QSignalSpy reloaded(form->sepetSekmesi, &TSepetSekmesi::sepetYuklendi);
    if (byMenu) {
        QVERIFY(s.cxGrid1DBTableView1->setCurrentRow(row));
        s.SepeteEkle->trigger();
    } else {
        cift(*form, stokno);
    }
    QVERIFY(seen);

    const QList<Ekleme> sent = m_sunucu->eklemeler();
    QCOMPARE(sent.size(), 1);
    const Ekleme &e = sent.first();
    QCOMPARE(e.carino, account);
    QCOMPARE(e.stokno, stokno);
    QCOMPARE(e.verenid, form->sbilgi.Sirano());
    QCOMPARE(e.barkod, metin(t, row, u"BARKOD"_s));
    QCOMPARE(e.stokadi, metin(t, row, u"ADI"_s));
    QCOMPARE(e.miktar, 3.0);
    QCOMPARE(e.kdv, double(qRound(deger(t, row, u"KDV"_s))));
    QCOMPARE(e.fiyat, deger(t, row, u"FIYAT"_s));
    QCOMPARE(e.oranlar, rowRates);
    QCOMPARE(e.k, campaignStock ? 1 : 0);

    // The server holds the line and the cart tab shows it.
    QSqlQuery q = m_server.db->exec(u"SELECT quantity FROM cart_lines WHERE account_id = ? AND stock_id = ?"_s, {account, stokno});
    QVERIFY(q.next());
    QCOMPARE(q.value(0).toDouble(), 3.0);
    QVERIFY(reloaded.count() >= 1);
    const MemTable &sepet = form->sepetSekmesi->sepet;
    QCOMPARE(sepet.rowCount(), 1);
    QCOMPARE(qint32(sepet.asInt(0, sepet.fieldIndex(u"STOKNO"))), stokno);
    QVERIFY(m_presenter->requests.isEmpty());
}

void TstStokSekmesi::dealerCancels()
{
    // "Vazgeç" adds nothing.
    std::unique_ptr<TForm1> form = girisYap(*m_dealer);
    QVERIFY(form);
    sepetiBosalt(form->sbilgi.CARINO());
    const QString code = stokKodu(u"campaign = 0"_s);
    ara(*form, code);
    bool seen = false;
    auto cancel = whenShown<Tstokayarinti>([&](Tstokayarinti *d) {
        seen = true;
        d->ParcaliTus2->click();
    });
    cift(*form, stokNo(code));
    QVERIFY(seen);
    QVERIFY(m_sunucu->eklemeler().isEmpty());
    QVERIFY(!m_server.db->scalar(u"SELECT id FROM cart_lines WHERE account_id = ?"_s, {form->sbilgi.CARINO()}));
    QVERIFY(m_presenter->requests.isEmpty());
}

void TstStokSekmesi::representativeAdd()
{
    std::unique_ptr<TForm1> form = girisYap(*m_rep);
    QVERIFY(form);
    const int account = form->sbilgi.CARINO();
    QCOMPARE(account, m_rep->accountId);
    sepetiBosalt(account);
    const QString code = stokKodu(u"campaign = 0 AND list_price > 0"_s);
    const qint32 stokno = stokNo(code);
    TStokSekmesi &s = *form->stokSekmesi;
    ara(*form, code);
    const int row = stokNumaralari(s.stok).indexOf(stokno);
    QVERIFY(row >= 0);

    bool seen = false;
    auto driver = whenShown<TstokayarintiAdmin>([&](TstokayarintiAdmin *d) {
        seen = true;
        QCOMPARE(d->stokNo(), stokno);
        QCOMPARE(d->birimfiyat->value(), deger(s.stok, row, u"FIYAT"_s));
        QCOMPARE(d->edindirim1->value(), deger(s.stok, row, u"IND1"_s));
        QVERIFY(!d->birimfiyat->isReadOnly());
        QVERIFY(d->GridPanel2->isVisible());
        QCOMPARE(d->indirimoran->text(), u"İndirim: %"_s + metin(s.stok, row, u"INDIRIMYAZI"_s));
        const std::pair<TutarKutusu *, QString> typed[] = {
            {d->birimfiyat, u"12,5"_s}, {d->edindirim1, u"7"_s}, {d->edindirim2, u"3,5"_s},
            {d->edindirim3, u"0"_s},    {d->edindirim4, u"1"_s}};
        for (const auto &[box, text] : typed) {
            QVERIFY(!box->isReadOnly());
            box->setFocus();
            box->selectAll();
            QTest::keyClicks(box, text);
        }
        d->adet->setFocus();
        d->adet->selectAll();
        QTest::keyClicks(d->adet, u"2"_s);
        QTest::keyClick(d->adet, Qt::Key_Return);
    });
    cift(*form, stokno);
    QVERIFY(seen);

    const QList<Ekleme> sent = m_sunucu->eklemeler();
    QCOMPARE(sent.size(), 1);
    QCOMPARE(sent.first().fiyat, 12.5);
    QCOMPARE(sent.first().oranlar, (std::array<double, 4>{7, 3.5, 0, 1}));
    QCOMPARE(sent.first().miktar, 2.0);
    QCOMPARE(sent.first().carino, account);
    QCOMPARE(sent.first().verenid, form->sbilgi.Sirano());
    // The server keeps a representative's price and rates.
    QSqlQuery q = m_server.db->exec(
        u"SELECT quantity, unit_price, ind1, ind2, ind3, ind4 FROM cart_lines WHERE account_id = ? AND stock_id = ?"_s,
        {account, stokno});
    QVERIFY(q.next());
    QCOMPARE(q.value(0).toDouble(), 2.0);
    QCOMPARE(q.value(1).toDouble(), 12.5);
    QCOMPARE(q.value(2).toDouble(), 7.0);
    QCOMPARE(q.value(3).toDouble(), 3.5);
    QCOMPARE(q.value(4).toDouble(), 0.0);
    QCOMPARE(q.value(5).toDouble(), 1.0);
    QCOMPARE(form->sepetSekmesi->sepet.rowCount(), 1);
}

void TstStokSekmesi::alreadyInCart()
{
    std::unique_ptr<TForm1> form = girisYap(*m_dealer);
    QVERIFY(form);
    const int account = form->sbilgi.CARINO();
    sepetiBosalt(account);
    const QString code = stokKodu(u"campaign = 0"_s);
    const qint32 stokno = stokNo(code);
    // The line is there on the server; the cart tab has never been loaded.
    m_server.db->change(u"INSERT INTO cart_lines (account_id, stock_id, user_id, quantity, unit_price, vat_rate, added_at) "
                        u"VALUES (?, ?, ?, 5, 10, 20, '2024-01-01T10:00:00')"_s,
                        {account, stokno, form->sbilgi.Sirano()});
    QVERIFY(!form->sepetSekmesi->sepetAcik());
    ara(*form, code);

    int shownQuantity = 0;
    auto driver = whenShown<Tstokayarinti>([&](Tstokayarinti *d) {
        shownQuantity = d->adet->value();
        d->adet->selectAll();
        QTest::keyClicks(d->adet, u"7"_s);
        d->ParcaliTus1->click();
    });
    cift(*form, stokno);
    // The line's change: its quantity in the dialog, SepetGuncelle2, still one line.
    QCOMPARE(shownQuantity, 5);
    QVERIFY(m_sunucu->eklemeler().isEmpty());
    QCOMPARE(int(m_sunucu->guncellemeler), 1);
    QSqlQuery q = m_server.db->exec(u"SELECT quantity FROM cart_lines WHERE account_id = ?"_s, {account});
    QVERIFY(q.next());
    QCOMPARE(q.value(0).toDouble(), 7.0);
    QVERIFY(!q.next());
}

void TstStokSekmesi::picture_data()
{
    QTest::addColumn<QString>("which");
    QTest::addColumn<bool>("replaced");
    QTest::addColumn<QString>("message");
    QTest::newRow("stock with a picture") << u"picture"_s << true << QString();
    QTest::newRow("stock without a picture") << u"none"_s << false << QString();
    QTest::newRow("bytes that are no JPEG") << u"broken"_s << false << u"EJPEG: "_s;
    QTest::newRow("server down") << u"down"_s << false << kBaglantiKurulamiyor;
}

void TstStokSekmesi::picture()
{
    QFETCH(QString, which);
    QFETCH(bool, replaced);
    QFETCH(QString, message);
    std::unique_ptr<TForm1> form = girisYap(*m_dealer);
    QVERIFY(form);
    qint32 stokno = 0;
    if (which == u"none") {
        stokno = m_server.db->scalar(u"SELECT id FROM stocks WHERE picture_id IS NULL LIMIT 1"_s).value_or(0).toInt();
    } else {
        stokno = m_server.db->scalar(u"SELECT id FROM stocks WHERE picture_id IS NOT NULL LIMIT 1"_s).value_or(0).toInt();
    }
    QVERIFY(stokno > 0);
    std::optional<QVariant> picture;
    if (which == u"broken") {
        // A picture of its own for the stock, with bytes that no decoder takes.
        picture = m_server.db->scalar(u"SELECT picture_id FROM stocks WHERE id = ?"_s, {stokno});
        m_server.db->change(u"INSERT INTO pictures (jpeg, thumbnail, width, height) SELECT ?, thumbnail, width, height "
                            u"FROM pictures WHERE id = ?"_s,
                            {QByteArray(5000, 'x'), *picture});
        const QVariant id = m_server.db->scalar(u"SELECT MAX(id) FROM pictures"_s).value();
        m_server.db->change(u"UPDATE stocks SET picture_id = ? WHERE id = ?"_s, {id, stokno});
    }
    const int port = form->bagc.Port;
    if (which == u"down")
        form->bagc.Port = closedLoopbackPort();

    PictureBox box;
    QPixmap placeholder(4, 3);
    placeholder.fill(Qt::red);
    box.setPicture(placeholder);
    const bool result = form->stokSekmesi->StokResmiAl(stokno, &box);
    form->bagc.Port = port;
    if (picture)
        m_server.db->change(u"UPDATE stocks SET picture_id = ? WHERE id = ?"_s, {*picture, stokno});

    QCOMPARE(result, replaced);
    QCOMPARE(box.pictureSize() != QSize(4, 3), replaced);
    if (replaced)
        QVERIFY(box.pictureSize().width() > 100);
    if (message.isEmpty()) {
        QVERIFY2(m_presenter->requests.isEmpty(), qPrintable(m_presenter->texts().join(u'\n')));
    } else {
        QCOMPARE(m_presenter->requests.size(), 1);
        QVERIFY2(m_presenter->requests.first().text.startsWith(message), qPrintable(m_presenter->requests.first().text));
    }
    // The shared connection is closed afterwards, whatever happened.
    QVERIFY(!form->bagc.isOpen());
}

QTEST_MAIN(TstStokSekmesi)
#include "tst_stoksekmesi.moc"
