// The grid widget as a person uses it: footers in step with filters, the header filter
// drop-down, typing to search, column customisation, the width rule, the look, sorting by a
// header click, grouping, update locking around a worker's fill, and "Excel Kaydet".

#include "common/formats.h"
#include "common/memtable.h"
#include "common/mesaj.h"
#include "platform/grid/gridmodel.h"
#include "platform/grid/gridparts.h"
#include "platform/grid/gridproxy.h"
#include "platform/grid/gridview.h"
#include "platform/grid/groupmodel.h"

#include <QAbstractItemModelTester>
#include <QApplication>
#include <QFileDialog>
#include <QHeaderView>
#include <QLineEdit>
#include <QListView>
#include <QMenu>
#include <QPushButton>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTimer>
#include <QTreeView>
#include <QtTest>

#include <thread>

using namespace vexor;
using namespace Qt::StringLiterals;

namespace {

constexpr auto kQtTest = QAbstractItemModelTester::FailureReportingMode::QtTest;

// Cart lines. STOKADI names are chosen for searching, MARKA for filtering, SATICIADI for
// grouping.
MemTable cart()
{
    MemTable t;
    t.setFields({{u"SEC"_s, FieldType::Int32, {}},
                 {u"VERILISTARIHI"_s, FieldType::Date, {}},
                 {u"BARKOD"_s, FieldType::String, {}},
                 {u"STOKADI"_s, FieldType::String, {}},
                 {u"MARKA"_s, FieldType::String, {}},
                 {u"MIKTAR"_s, FieldType::Double, {}},
                 {u"NETTUTAR"_s, FieldType::Double, {}},
                 {u"DURUM"_s, FieldType::Int32, {}},
                 {u"SATICIADI"_s, FieldType::String, {}},
                 {u"SIRANO"_s, FieldType::Int32, {}}});
    struct Line { int sec; const char16_t *barkod; const char16_t *ad; const char16_t *marka; double miktar; double net; int durum; const char16_t *satici; };
    const Line lines[] = {
        {1, u"8680001", u"FREN BALATASI ÖN", u"FORD", 2, 150.25, 1, u"Zeynep"},
        {0, u"8680002", u"DEBRİYAJ SETİ", u"RENAULT", 1, 1999.99, 0, u"Ahmet"},
        {1, u"8680003", u"FREN DİSKİ", u"FORD", 4, 800, 3, u"Zeynep"},
        {0, u"8680004", u"İTECEK YAĞI", u"FIAT", 10, 45.5, 1, u"Ahmet"},
        {1, u"8680005", u"ışık anahtarı", u"RENAULT", 3, 120, 2, u"Mehmet"},
        {0, u"8680006", u"FREN HORTUMU", u"", 6, 60, 5, u"Zeynep"},
        {1, u"8680007", u"AMORTİSÖR ARKA SAĞ UZUN AÇIKLAMALI ÜRÜN", u"FORD", 1, 2500, 4, u"Mehmet"},
        {0, u"8680008", u"ÇAMURLUK", u"FIAT", 2, 300, 1, u"Ahmet"},
    };
    int i = 0;
    for (const Line &l : lines) {
        const int r = t.appendRow();
        t.setInt(r, 0, l.sec);
        t.setDouble(r, 1, 45296 + i);
        t.setString(r, 2, QStringView(l.barkod));
        t.setString(r, 3, QStringView(l.ad));
        t.setString(r, 4, QStringView(l.marka));
        t.setDouble(r, 5, l.miktar);
        t.setDouble(r, 6, l.net);
        t.setInt(r, 7, l.durum);
        t.setString(r, 8, QStringView(l.satici));
        t.setInt(r, 9, 100 + i++);
    }
    FloatAlanBicimle(t);
    return t;
}

GridColumns cartColumns()
{
    return {
        {.field = u"SEC"_s, .caption = u"Seç"_s, .offered = false, .kind = CellKind::Check, .width = 74},
        {.field = u"VERILISTARIHI"_s, .caption = u"Sipariş Tarihi"_s, .footer = Summary::Count},
        {.field = u"SIRANO"_s, .shown = false, .offered = false},
        {.field = u"BARKOD"_s, .caption = u"Barkod"_s, .weight = 2, .footer = Summary::RowCount},
        {.field = u"STOKADI"_s, .caption = u"Stok Açıklama"_s, .weight = 3},
        {.field = u"MARKA"_s, .caption = u"Marka"_s, .weight = 2},
        {.field = u"MIKTAR"_s, .caption = u"Miktar"_s, .footer = Summary::Sum},
        {.field = u"NETTUTAR"_s, .caption = u"Net Tutar"_s, .footer = Summary::Sum},
        {.field = u"OEM1"_s, .caption = u"Oem1"_s, .weight = 2, .shown = false},
        {.field = u"SATICIADI"_s, .shown = false, .offered = false},
        {.field = u"DURUM"_s, .caption = u"Durum"_s, .kind = CellKind::Status},
    };
}

enum Col { SEC, TARIH, SIRANO, BARKOD, STOKADI, MARKA, MIKTAR, NETTUTAR, OEM1, SATICIADI, DURUM };

struct Fixture
{
    MemTable table = cart();
    GridView grid{cartColumns()};

    Fixture()
    {
        grid.resize(1000, 600);
        grid.setTable(&table);
        grid.show();
        grid.activateWindow();
        QVERIFY(QTest::qWaitForWindowExposed(&grid));
        grid.treeView()->setFocus();
    }
    QTreeView *tree() const { return grid.treeView(); }
    QHeaderView *header() const { return grid.treeView()->header(); }
    QStringList shown(int column) const
    {
        QStringList out;
        for (int r : grid.shownTableRows())
            out << grid.model()->displayText(r, column);
        return out;
    }
};

// Answers questions with a chosen button and remembers them.
class ScriptedPresenter final : public MessagePresenter
{
public:
    int present(const MessageRequest &request) override
    {
        asked << request.text;
        return answer;
    }
    int answer = ResultNo;
    QStringList asked;
};

// Types text as a keyboard would, Turkish letters included (QTest::keyClicks only knows Latin-1).
void typeText(QWidget *widget, const QString &text)
{
    for (QChar c : text)
        QTest::sendKeyEvent(QTest::Click, widget, Qt::Key_unknown, QString(c), Qt::NoModifier);
}

// Drives the next modal file dialog: checks its filter, then chooses `path` (or cancels).
void answerFileDialog(const QString &path, QStringList *filters)
{
    auto *timer = new QTimer;
    QObject::connect(timer, &QTimer::timeout, timer, [timer, path, filters] {
        auto *dialog = qobject_cast<QFileDialog *>(QApplication::activeModalWidget());
        if (!dialog)
            return;
        timer->stop();
        timer->deleteLater();
        *filters = dialog->nameFilters();
        if (path.isEmpty()) {
            dialog->reject();
            return;
        }
        // Typed as a user would: selectFile() leaves a focused name box alone.
        dialog->setDirectory(QFileInfo(path).absolutePath());
        auto *name = dialog->findChild<QLineEdit *>(u"fileNameEdit"_s);
        QVERIFY(name);
        name->setText(QFileInfo(path).fileName());
        static_cast<QDialog *>(dialog)->accept();  // QFileDialog::accept checks the name
    });
    timer->start(20);
}

} // namespace

class TestGridView : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { QLocale::setDefault(QLocale(QLocale::Turkish, QLocale::Turkey)); }

    void footerFollowsFilters_data();
    void footerFollowsFilters();
    void headerFilterDropDown();
    void typingSearches();
    void searchFallsBackToATextColumn();
    void customisation();
    void widthRule_data();
    void widthRule();
    void widthRuleWaitsForResizeWhileEnabledAndUnlocked();
    void look();
    void headerClickSorts();
    void groupsCollapsedWithFooters();
    void workerFillsWhileDetached();
    void refreshKeepsFocusAndFollowsValues();
    void doubleClickNamesRowAndField();
    void excelKaydet();
    void amountsShrinkBeforeTheyAreCut_data();
    void amountsShrinkBeforeTheyAreCut();
};

void TestGridView::footerFollowsFilters_data()
{
    QTest::addColumn<QString>("field");
    QTest::addColumn<QStringList>("values");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QStringList>("footer");  // row count, date count, MIKTAR, NETTUTAR

    QTest::newRow("no filter") << QString() << QStringList() << QString()
                               << QStringList{u"8"_s, u"8"_s, u"29,00"_s, u"5.975,74"_s};
    QTest::newRow("one brand") << u"MARKA"_s << QStringList{u"FORD"_s} << QString()
                               << QStringList{u"3"_s, u"3"_s, u"7,00"_s, u"3.450,25"_s};
    QTest::newRow("two brands") << u"MARKA"_s << QStringList{u"FIAT"_s, u"RENAULT"_s} << QString()
                                << QStringList{u"4"_s, u"4"_s, u"16,00"_s, u"2.465,49"_s};
    QTest::newRow("blank brand") << u"MARKA"_s << QStringList{QString()} << QString()
                                 << QStringList{u"1"_s, u"1"_s, u"6,00"_s, u"60,00"_s};
    QTest::newRow("text in the name") << u"STOKADI"_s << QStringList() << u"fren"_s
                                      << QStringList{u"3"_s, u"3"_s, u"12,00"_s, u"1.010,25"_s};
    QTest::newRow("nothing left") << u"STOKADI"_s << QStringList() << u"yok böyle"_s
                                  << QStringList{u"0"_s, u"0"_s, u"0,00"_s, u"0,00"_s};
}

void TestGridView::footerFollowsFilters()
{
    QFETCH(QString, field);
    QFETCH(QStringList, values);
    QFETCH(QString, text);
    QFETCH(QStringList, footer);
    Fixture f;
    QAbstractItemModelTester tester(f.grid.proxy(), kQtTest);
    QSignalSpy changed(&f.grid, &GridView::filtersChanged);
    if (!field.isEmpty()) {
        HeaderFilter filter;
        filter.text = text;
        for (const QString &v : values)
            filter.values.push_back(v.isEmpty() ? CellKey{} : CellKey{v.toStdString()});
        f.grid.setHeaderFilter(field, filter);
        QCOMPARE(changed.count(), 1);
    }
    const QStringList got = {f.grid.footerText(u"BARKOD"), f.grid.footerText(u"VERILISTARIHI"),
                             f.grid.footerText(u"MIKTAR"), f.grid.footerText(u"NETTUTAR")};
    QCOMPARE(got, footer);
    QCOMPARE(f.grid.rowCount(), footer[0].toInt());
    QVERIFY(f.grid.footerText(u"STOKADI").isEmpty());

    // Clearing the header filters brings every row and the full sums back.
    f.grid.clearHeaderFilters();
    QCOMPARE(f.grid.footerText(u"NETTUTAR"), u"5.975,74"_s);
}

void TestGridView::headerFilterDropDown()
{
    Fixture f;
    QHeaderView *header = f.header();
    const QPoint button(header->sectionViewportPosition(MARKA) + header->sectionSize(MARKA) - 9, header->height() / 2);
    QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, button);
    auto *popup = f.grid.findChild<QFrame *>(u"headerFilterPopup"_s);
    QVERIFY(popup);
    QVERIFY(popup->isVisible());
    // The button opens the list; it does not sort.
    QCOMPARE(f.grid.proxy()->sortColumn(), -1);

    auto *list = popup->findChild<QListView *>(u"values"_s);
    QAbstractItemModel *values = list->model();
    QStringList texts;
    for (int r = 0; r < values->rowCount(); ++r)
        texts << values->index(r, 0).data().toString();
    QCOMPARE(texts, (QStringList{u"(Boş)"_s, u"FIAT"_s, u"FORD"_s, u"RENAULT"_s}));

    // Ticking a value filters at once; a second tick widens the filter.
    list->setCurrentIndex(values->index(2, 0));
    QTest::keyClick(list, Qt::Key_Space);
    QCOMPARE(f.grid.rowCount(), 3);
    QCOMPARE(f.grid.footerText(u"MIKTAR"), u"7,00"_s);
    list->setCurrentIndex(values->index(0, 0));
    QTest::keyClick(list, Qt::Key_Space);
    QCOMPARE(f.grid.rowCount(), 4);
    popup->close();
    QTRY_VERIFY(!f.grid.findChild<QFrame *>(u"headerFilterPopup"_s));

    // Reopened, it shows what is ticked; a custom text replaces the ticks.
    f.grid.showHeaderFilter(MARKA);
    popup = f.grid.findChild<QFrame *>(u"headerFilterPopup"_s);
    list = popup->findChild<QListView *>(u"values"_s);
    QCOMPARE(list->model()->index(2, 0).data(Qt::CheckStateRole).toInt(), int(Qt::Checked));
    QCOMPARE(list->model()->index(1, 0).data(Qt::CheckStateRole).toInt(), int(Qt::Unchecked));
    auto *custom = popup->findChild<QLineEdit *>(u"customText"_s);
    custom->setText(u"ren"_s);
    QTest::keyClick(custom, Qt::Key_Return);
    QCOMPARE(f.shown(MARKA), (QStringList{u"RENAULT"_s, u"RENAULT"_s}));
    QTRY_VERIFY(!f.grid.findChild<QFrame *>(u"headerFilterPopup"_s));

    // "Temizle" takes the column's filter away.
    f.grid.showHeaderFilter(MARKA);
    popup = f.grid.findChild<QFrame *>(u"headerFilterPopup"_s);
    QCOMPARE(popup->findChild<QLineEdit *>(u"customText"_s)->text(), u"ren"_s);
    QTest::mouseClick(popup->findChild<QPushButton *>(u"clear"_s), Qt::LeftButton);
    QCOMPARE(f.grid.rowCount(), 8);
    QVERIFY(!f.grid.proxy()->hasFilters());
    QTRY_VERIFY(!f.grid.findChild<QFrame *>(u"headerFilterPopup"_s));

    // Icon, drawn and disabled filters have no button.
    f.grid.setHeaderFiltersEnabled(false);
    f.grid.showHeaderFilter(MARKA);
    QVERIFY(!f.grid.findChild<QFrame *>(u"headerFilterPopup"_s));
}

void TestGridView::typingSearches()
{
    Fixture f;
    f.grid.setCurrentField(u"STOKADI");
    QTreeView *tree = f.tree();

    typeText(tree, u"fren"_s);
    QCOMPARE(f.grid.currentRow(), 0);
    QCOMPARE(f.grid.searchText(), u"fren"_s);
    typeText(tree, u" d"_s);
    QCOMPARE(f.grid.currentRow(), 2);
    // A key that matches nothing is ignored.
    QTest::keyClick(tree, Qt::Key_X);
    QCOMPARE(f.grid.searchText(), u"fren d"_s);
    QCOMPARE(f.grid.currentRow(), 2);
    QTest::keyClick(tree, Qt::Key_Backspace);
    QTest::keyClick(tree, Qt::Key_Backspace);
    QCOMPARE(f.grid.searchText(), u"fren"_s);
    // Ctrl+Down and Ctrl+Up walk the matches, wrapping at the end.
    QTest::keyClick(tree, Qt::Key_Down, Qt::ControlModifier);
    QCOMPARE(f.grid.currentRow(), 5);
    QTest::keyClick(tree, Qt::Key_Down, Qt::ControlModifier);
    QCOMPARE(f.grid.currentRow(), 0);
    QTest::keyClick(tree, Qt::Key_Up, Qt::ControlModifier);
    QCOMPARE(f.grid.currentRow(), 5);
    // Moving by hand ends the search.
    QTest::keyClick(tree, Qt::Key_Up);
    QCOMPARE(f.grid.searchText(), QString());
    QCOMPARE(f.grid.currentRow(), 4);

    // Turkish letters match whatever their case: "i" finds "İ", "I" finds "ı".
    typeText(tree, u"ite"_s);
    QCOMPARE(f.grid.currentRow(), 3);
    QTest::keyClick(tree, Qt::Key_Escape);
    QCOMPARE(f.grid.searchText(), QString());
    typeText(tree, u"IŞ"_s);
    QCOMPARE(f.grid.currentRow(), 4);

    // The search follows the sorted order shown.
    QTest::keyClick(tree, Qt::Key_Escape);
    f.grid.sortByColumn(u"NETTUTAR", Qt::DescendingOrder);
    f.grid.setCurrentRow(6);  // the first row shown
    typeText(tree, u"fren"_s);
    QCOMPARE(f.grid.currentRow(), 2);  // 800 before 150.25 and 60
    QCOMPARE(f.grid.currentField(), u"STOKADI"_s);

    f.grid.setIncrementalSearchEnabled(false);
    QTest::keyClick(tree, Qt::Key_Escape);
    typeText(tree, u"ça"_s);
    QCOMPARE(f.grid.currentRow(), 2);
    QCOMPARE(f.grid.searchText(), QString());
}

void TestGridView::searchFallsBackToATextColumn()
{
    Fixture f;
    // The focused cell is the check box; typing goes to the first visible column of text (the
    // barcode), not to the date before it.
    f.grid.setCurrentField(u"SEC");
    typeText(f.tree(), u"8680004"_s);
    QCOMPARE(f.grid.currentRow(), 3);
    QCOMPARE(f.grid.currentField(), u"BARKOD"_s);
}

void TestGridView::customisation()
{
    Fixture f;
    f.grid.setWidthRule(GridView::weightsRule());
    std::unique_ptr<QMenu> menu(f.grid.createCustomisationMenu(nullptr));
    QStringList offered;
    for (QAction *a : menu->actions())
        offered << a->text() + (a->isChecked() ? u"+"_s : u"-"_s);
    // Seç, SIRANO and SATICIADI are fixed: never offered, shown or not.
    QCOMPARE(offered, (QStringList{u"Sipariş Tarihi+"_s, u"Barkod+"_s, u"Stok Açıklama+"_s, u"Marka+"_s,
                                   u"Miktar+"_s, u"Net Tutar+"_s, u"Oem1-"_s, u"Durum+"_s}));

    // Showing a column makes room for it: the rule runs again over the visible weights.
    const int before = f.grid.columnWidth(u"STOKADI");
    menu->actions().at(6)->trigger();
    QVERIFY(f.grid.isColumnShown(u"OEM1"));
    QVERIFY(!f.header()->isSectionHidden(OEM1));
    const int unit = (f.grid.width() - 30) / 14;  // 12 before, OEM1 weighs 2
    QCOMPARE(f.grid.columnWidth(u"STOKADI"), 3 * unit);
    QCOMPARE(f.grid.columnWidth(u"OEM1"), 2 * unit);
    QVERIFY(f.grid.columnWidth(u"STOKADI") < before);

    // Withdrawing a column from customisation (a user kind's rule) leaves it where it is.
    f.grid.setColumnOffered(u"DURUM", false);
    f.grid.setColumnShown(u"DURUM", false);
    std::unique_ptr<QMenu> again(f.grid.createCustomisationMenu(nullptr));
    for (QAction *a : again->actions())
        QVERIFY(a->text() != u"Durum"_s);
    QVERIFY(f.header()->isSectionHidden(DURUM));
}

void TestGridView::widthRule_data()
{
    QTest::addColumn<int>("screenWidth");
    QTest::addColumn<bool>("proportional");
    QTest::newRow("1152 wide screen: content") << 1152 << false;
    QTest::newRow("1153 wide screen: weights") << 1153 << true;
}

void TestGridView::widthRule()
{
    QFETCH(int, screenWidth);
    QFETCH(bool, proportional);
    Fixture f;
    f.grid.resize(1230, 600);
    f.grid.applyScreenWidthRule(screenWidth);
    // Visible weights: Seç 1, Sipariş Tarihi 1, Barkod 2, Stok Açıklama 3, Marka 2, Miktar 1,
    // Net Tutar 1, Durum 1 = 12; unit = (1230 - 30) / 12 = 100.
    const QList<int> widths = {f.grid.columnWidth(u"SEC"), f.grid.columnWidth(u"BARKOD"),
                               f.grid.columnWidth(u"STOKADI"), f.grid.columnWidth(u"MIKTAR")};
    if (proportional) {
        QCOMPARE(widths, (QList<int>{100, 200, 300, 100}));
        return;
    }
    // Fitted to content: the long name decides its column, the header text a narrow one.
    const QFontMetrics metrics(f.tree()->font());
    QVERIFY(widths[2] >= metrics.horizontalAdvance(u"AMORTİSÖR ARKA SAĞ UZUN AÇIKLAMALI ÜRÜN"_s));
    QVERIFY(widths[2] < metrics.horizontalAdvance(u"AMORTİSÖR ARKA SAĞ UZUN AÇIKLAMALI ÜRÜN"_s) + 40);
    QVERIFY(widths[1] < widths[2]);
    QVERIFY(widths[0] >= QFontMetrics(f.header()->font()).horizontalAdvance(u"Seç"_s));
}

void TestGridView::widthRuleWaitsForResizeWhileEnabledAndUnlocked()
{
    Fixture f;
    f.grid.setWidthRule(GridView::weightsRule());
    f.grid.resize(1230, 600);
    QCOMPARE(f.grid.columnWidth(u"STOKADI"), 300);

    // A disabled grid (a load in progress) keeps its widths.
    f.grid.setEnabled(false);
    f.grid.resize(630, 600);
    QCOMPARE(f.grid.columnWidth(u"STOKADI"), 300);
    f.grid.setEnabled(true);

    // Under the update lock the rule waits for the end of the update.
    f.grid.beginUpdate();
    f.grid.resize(1830, 600);
    QCOMPARE(f.grid.columnWidth(u"STOKADI"), 300);
    f.grid.endUpdate();
    QCOMPARE(f.grid.columnWidth(u"STOKADI"), 450);
}

void TestGridView::look()
{
    Fixture f;
    f.grid.setRowHeight(60);
    f.grid.setCurrentRow(2);
    QTreeView *tree = f.tree();
    QCOMPARE(f.grid.headerHeight(), 40);
    QCOMPARE(f.header()->height(), 40);
    const QRect row0 = tree->visualRect(tree->model()->index(0, STOKADI));
    const QRect row1 = tree->visualRect(tree->model()->index(1, STOKADI));
    QCOMPARE(row0.height(), 60);
    QCOMPARE(row1.top(), row0.top() + 60);

    auto colourAt = [&](const QImage &image, const QPoint &inViewport) {
        return QColor(image.pixel(tree->viewport()->mapTo(&f.grid, inViewport)));
    };
    QImage image = f.grid.grab().toImage();
    const QPoint blank(row0.right() - 3, 0);  // right end of the name cell, clear of its text
    QCOMPARE(colourAt(image, blank + QPoint(0, row0.top() + 5)), QColor(246, 247, 249));
    QCOMPARE(colourAt(image, blank + QPoint(0, row1.top() + 5)), QColor(236, 247, 238));
    QCOMPARE(colourAt(image, blank + QPoint(0, 2 * 60 + 5)), QColor(210, 240, 249));
    QCOMPARE(colourAt(image, QPoint(row0.right(), row0.top() + 5)), QColor(220, 224, 232));
    QCOMPARE(colourAt(image, QPoint(blank.x(), row0.bottom())), QColor(220, 224, 232));
    const QPoint headerPoint = f.header()->mapTo(&f.grid, QPoint(f.header()->sectionViewportPosition(STOKADI) + 3, 3));
    QCOMPARE(QColor(image.pixel(headerPoint)), QColor(91, 82, 75));
    QCOMPARE(QColor(image.pixel(1, f.grid.height() / 2)), QColor(66, 66, 66));

    // The previous-orders grid selects in the header colour with white text.
    GridColours colours;
    colours.selection = colours.header;
    colours.selectionText = Qt::white;
    f.grid.setColours(colours);
    f.grid.setRowHeight(100);
    image = f.grid.grab().toImage();
    QCOMPARE(tree->visualRect(tree->model()->index(1, STOKADI)).top(), row0.top() + 100);
    QCOMPARE(colourAt(image, blank + QPoint(0, 2 * 100 + 5)), QColor(91, 82, 75));
}

void TestGridView::headerClickSorts()
{
    Fixture f;
    QAbstractItemModelTester tester(f.grid.proxy(), kQtTest);
    QHeaderView *header = f.header();
    const QPoint miktar(header->sectionViewportPosition(MIKTAR) + 10, header->height() / 2);
    f.grid.setCurrentRow(3);

    QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, miktar);
    QCOMPARE(f.shown(MIKTAR), (QStringList{u"1,00"_s, u"1,00"_s, u"2,00"_s, u"2,00"_s, u"3,00"_s, u"4,00"_s, u"6,00"_s, u"10,00"_s}));
    QCOMPARE(f.grid.currentRow(), 3);  // focus stays on its row
    QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, miktar);
    QCOMPARE(f.shown(MIKTAR).first(), u"10,00"_s);
    QCOMPARE(f.grid.currentRow(), 3);

    // Switched off, headers do not sort and the table's order is back.
    f.grid.setSortingEnabled(false);
    QCOMPARE(f.grid.shownTableRows(), (std::vector<int>{0, 1, 2, 3, 4, 5, 6, 7}));
    QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, miktar);
    QCOMPARE(f.grid.shownTableRows(), (std::vector<int>{0, 1, 2, 3, 4, 5, 6, 7}));
}

void TestGridView::groupsCollapsedWithFooters()
{
    Fixture f;
    QAbstractItemModelTester tester(f.grid.groupModel(), kQtTest);
    f.grid.setGroupColumn(u"SATICIADI");
    f.grid.collapseAll();
    QCOMPARE(f.grid.groupColumn(), u"SATICIADI"_s);
    QCOMPARE(f.grid.groupCount(), 3);
    for (int g = 0; g < 3; ++g)
        QVERIFY(!f.grid.isGroupExpanded(g));

    // Collapsed, each group shows its header and its footer line.
    QTreeView *tree = f.tree();
    QAbstractItemModel *model = tree->model();
    QCOMPARE(tree->visualRect(model->index(1, MIKTAR)).top(), tree->visualRect(model->index(0, 0)).bottom() + 1);
    QCOMPARE(model->index(0, 0).data().toString(), u"SATICIADI: Ahmet"_s);
    QCOMPARE(model->index(1, NETTUTAR).data().toString(), u"2.345,49"_s);
    QCOMPARE(model->index(1, TARIH).data().toString(), u"3"_s);
    QCOMPARE(model->index(5, MIKTAR).data().toString(), u"12,00"_s);
    // The grid footer still sums every row.
    QCOMPARE(f.grid.footerText(u"MIKTAR"), u"29,00"_s);

    f.grid.setGroupExpanded(2, true);
    QVERIFY(f.grid.isGroupExpanded(2));
    // A sort keeps the open groups open.
    f.grid.sortByColumn(u"NETTUTAR", Qt::AscendingOrder);
    QVERIFY(f.grid.isGroupExpanded(2));
    QVERIFY(!f.grid.isGroupExpanded(0));
    QCOMPARE(model->index(0, STOKADI, model->index(4, 0)).data().toString(), u"FREN HORTUMU"_s);

    f.grid.expandAll();
    for (int g = 0; g < 3; ++g)
        QVERIFY(f.grid.isGroupExpanded(g));
    f.grid.setCurrentRow(6);
    QCOMPARE(f.grid.currentRow(), 6);
    QCOMPARE(f.grid.shownTableRows(), (std::vector<int>{3, 7, 1, 4, 6, 5, 0, 2}));

    f.grid.setGroupColumn(QString());
    QCOMPARE(f.grid.groupCount(), 0);
    QCOMPARE(f.tree()->model(), static_cast<QAbstractItemModel *>(f.grid.proxy()));
}

void TestGridView::workerFillsWhileDetached()
{
    Fixture f;
    QSignalSpy current(&f.grid, &GridView::currentRowChanged);
    f.grid.setCurrentRow(5);
    f.grid.setEnabled(false);
    f.grid.detach();
    f.grid.beginUpdate();
    QCOMPARE(f.grid.rowCount(), 0);

    // The table is the worker's while the grid is detached.
    std::thread worker([&] {
        MemTable fresh = cart();
        for (int i = 0; i < 200; ++i) {
            const int r = fresh.appendRow();
            fresh.setString(r, 3, u"EK SATIR");
            fresh.setDouble(r, 5, 1);
        }
        FloatAlanBicimle(fresh);
        f.table = std::move(fresh);
    });
    worker.join();

    f.grid.setTable(&f.table);
    QCOMPARE(f.grid.footerValue(u"MIKTAR").sum, 0.0);  // footer work waits for the end of the update
    f.grid.endUpdate();
    f.grid.setEnabled(true);
    QCOMPARE(f.grid.rowCount(), 208);
    QCOMPARE(f.grid.footerText(u"MIKTAR"), u"229,00"_s);
    QCOMPARE(f.grid.footerText(u"BARKOD"), u"208"_s);
    // A fresh table is shown from its first row.
    QCOMPARE(f.grid.currentRow(), 0);
    QCOMPARE(current.last().first().toInt(), 0);
}

void TestGridView::refreshKeepsFocusAndFollowsValues()
{
    Fixture f;
    f.grid.sortByColumn(u"MIKTAR", Qt::AscendingOrder);
    f.grid.setCurrentRow(4);
    // Marks and quantities written in place ("Hepsini Seç" and the like), then refreshed.
    for (int r = 0; r < f.table.rowCount(); ++r) {
        f.table.setInt(r, SEC, 1);
        f.table.setDouble(r, 5, 10 - r);
    }
    f.grid.refresh();
    QCOMPARE(f.grid.footerText(u"MIKTAR"), u"52,00"_s);
    QCOMPARE(f.grid.currentRow(), 4);
    // Sorted by the changed column, the rows took their new places.
    QCOMPARE(f.grid.shownTableRows(), (std::vector<int>{7, 6, 5, 4, 3, 2, 1, 0}));
    QCOMPARE(f.grid.model()->index(1, SEC).data(Qt::CheckStateRole).toInt(), int(Qt::Checked));

    // A hundred more rows: the grid shows them, still on the same focused row.
    MemTable &t = f.table;
    for (int i = 0; i < 100; ++i)
        t.setDouble(t.appendRow(), 5, 1);
    f.grid.sortByColumn(QString());
    f.grid.refresh();
    QCOMPARE(f.grid.rowCount(), 108);
    QCOMPARE(f.grid.currentRow(), 4);
    for (int r = 0; r < t.rowCount(); ++r)
        t.setDouble(r, 5, 2);
    f.grid.refresh();
    QCOMPARE(f.grid.footerText(u"MIKTAR"), u"216,00"_s);
    QCOMPARE(f.grid.currentRow(), 4);
}

void TestGridView::doubleClickNamesRowAndField()
{
    Fixture f;
    QSignalSpy clicked(&f.grid, &GridView::rowDoubleClicked);
    f.grid.sortByColumn(u"MIKTAR", Qt::DescendingOrder);
    QTreeView *tree = f.tree();
    const QRect cell = tree->visualRect(tree->model()->index(0, SEC));
    QTest::mouseDClick(tree->viewport(), Qt::LeftButton, {}, cell.center());
    QCOMPARE(clicked.count(), 1);
    QCOMPARE(clicked.first().at(0).toInt(), 3);  // ten of them: the largest quantity
    QCOMPARE(clicked.first().at(1).toString(), u"SEC"_s);

    const QRect name = tree->visualRect(tree->model()->index(1, STOKADI));
    QTest::mouseDClick(tree->viewport(), Qt::LeftButton, {}, name.center());
    QCOMPARE(clicked.last().at(0).toInt(), 5);
    QCOMPARE(clicked.last().at(1).toString(), u"STOKADI"_s);
}

void TestGridView::excelKaydet()
{
    Fixture f;
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    QStringList filters;

    // A chosen ".xls" is written as what the file is: an .xlsx workbook.
    answerFileDialog(dir.filePath(u"sepet.xls"_s), &filters);
    QVERIFY(f.grid.excelKaydet());
    QCOMPARE(filters, QStringList{u"Excel (*.xls*)"_s});
    QVERIFY(QFileInfo::exists(dir.filePath(u"sepet.xlsx"_s)));
    QVERIFY(!QFileInfo::exists(dir.filePath(u"sepet.xls"_s)));
    QFile written(dir.filePath(u"sepet.xlsx"_s));
    QVERIFY(written.open(QIODevice::ReadOnly));
    QCOMPARE(written.read(2), QByteArray("PK"));
    written.close();
    const QDateTime first = QFileInfo(written).lastModified();

    // Choosing "sepet.xls" again would overwrite sepet.xlsx, which the dialog never asked about.
    auto presenter = std::make_shared<ScriptedPresenter>();
    const auto previous = setMessagePresenter(presenter);
    answerFileDialog(dir.filePath(u"sepet.xls"_s), &filters);
    QVERIFY(!f.grid.excelKaydet());
    QCOMPARE(presenter->asked, QStringList{u"sepet.xlsx zaten var. Üzerine yazılsın mı?"_s});
    QCOMPARE(QFileInfo(written).lastModified(), first);
    setMessagePresenter(previous);

    // A name without an extension gets ".xlsx"; cancelling writes nothing.
    answerFileDialog(dir.filePath(u"rapor"_s), &filters);
    QVERIFY(f.grid.excelKaydet());
    QVERIFY(QFileInfo::exists(dir.filePath(u"rapor.xlsx"_s)));
    answerFileDialog(QString(), &filters);
    QVERIFY(!f.grid.excelKaydet());
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files).size(), 2);
}

void TestGridView::amountsShrinkBeforeTheyAreCut_data()
{
    QTest::addColumn<bool>("pixelSized");
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("spare");   // width beyond (or, negative, short of) the text at full size
    QTest::addColumn<bool>("same");   // drawn at the cell's own size
    QTest::addColumn<bool>("whole");  // fits without being cut

    QTest::newRow("fits") << true << u"11.357,29"_s << 4 << true << true;
    QTest::newRow("exactly") << true << u"11.357,29"_s << 0 << true << true;
    QTest::newRow("a digit short") << true << u"11.357,29"_s << -8 << false << true;
    QTest::newRow("points, a digit short") << false << u"1.234.567,89"_s << -8 << false << true;
    QTest::newRow("hopeless") << true << u"1.234.567.890.123,45"_s << -400 << false << false;
}

void TestGridView::amountsShrinkBeforeTheyAreCut()
{
    QFETCH(bool, pixelSized);
    QFETCH(QString, text);
    QFETCH(int, spare);
    QFETCH(bool, same);
    QFETCH(bool, whole);

    QFont font(u"DejaVu Sans"_s);
    if (pixelSized)
        font.setPixelSize(13);
    else
        font.setPointSizeF(10);
    font.setBold(true);
    const int width = qMax(1, QFontMetrics(font).horizontalAdvance(text) + spare);
    const QFont fitted = fittingFont(font, text, width);

    QCOMPARE(fitted == font, same);
    QCOMPARE(QFontMetrics(fitted).horizontalAdvance(text) <= width, whole);
    QVERIFY(fitted.bold());
    // Never below 60 % of the cell's size, however narrow the column.
    const qreal size = pixelSized ? fitted.pixelSize() : fitted.pointSizeF();
    const qreal base = pixelSized ? font.pixelSize() : font.pointSizeF();
    QVERIFY2(size >= base * 0.6 - 1, qPrintable(QString::number(size)));
    QVERIFY(size <= base);
}

QTEST_MAIN(TestGridView)
#include "tst_grid_view.moc"
