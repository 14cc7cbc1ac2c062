// The grid's item models: the table model with its two values per cell, the filter and sort
// proxy and the grouping model, each under QAbstractItemModelTester while it resets,
// filters, sorts and groups.

#include "common/formats.h"
#include "common/memtable.h"
#include "platform/grid/gridmodel.h"
#include "platform/grid/gridproxy.h"
#include "platform/grid/groupmodel.h"

#include <QAbstractItemModelTester>
#include <QIcon>
#include <QSignalSpy>
#include <QtTest>

using namespace vexor;
using namespace Qt::StringLiterals;

namespace {

constexpr auto kQtTest = QAbstractItemModelTester::FailureReportingMode::QtTest;

// Order lines of three representatives. Columns: IDNO, SATICIADI, CARIADI, TUTAR, DURUM,
// Y, SEC, RESIM, TARIH and NOTLAR (which no column declares).
MemTable orders()
{
    MemTable t;
    t.setFields({{u"IDNO"_s, FieldType::Int32, {}},
                 {u"SATICIADI"_s, FieldType::String, {}},
                 {u"CARIADI"_s, FieldType::String, {}},
                 {u"TUTAR"_s, FieldType::Double, {}},
                 {u"DURUM"_s, FieldType::Int32, {}},
                 {u"Y"_s, FieldType::Int32, {}},
                 {u"SEC"_s, FieldType::Int32, {}},
                 {u"RESIM"_s, FieldType::Int32, {}},
                 {u"TARIH"_s, FieldType::Date, {}},
                 {u"NOTLAR"_s, FieldType::String, {}}});
    struct Row { int id; const char16_t *satici; const char16_t *cari; double tutar; int durum; int y; int sec; int resim; };
    const Row rows[] = {
        {101, u"Zeynep", u"Özkan Oto", 1250.5, 1, 1, 1, 1},
        {102, u"Ahmet", u"Çelik Yedek Parça", 300, 0, 0, 0, 0},
        {103, u"Zeynep", u"Akın Motor", 99.9, 3, 2, 0, 1},
        {104, u"Mehmet", u"Işık Otomotiv", 4000, 5, 0, 1, 0},
        {105, u"Ahmet", u"Bora Ticaret", 10, 9, 1, 1, 0},
    };
    for (const Row &r : rows) {
        const int i = t.appendRow();
        t.setInt(i, 0, r.id);
        t.setString(i, 1, QStringView(r.satici));
        t.setString(i, 2, QStringView(r.cari));
        t.setDouble(i, 3, r.tutar);
        t.setInt(i, 4, r.durum);
        t.setInt(i, 5, r.y);
        t.setInt(i, 6, r.sec);
        t.setInt(i, 7, r.resim);
        t.setDouble(i, 8, 45296 + i);
        t.setString(i, 9, u"not");
    }
    FloatAlanBicimle(t);
    return t;
}

GridColumns orderColumns()
{
    return {
        {.field = u"SEC"_s, .caption = u"Seç"_s, .offered = false, .kind = CellKind::Check},
        {.field = u"IDNO"_s, .caption = u"Sipariş No"_s, .footer = Summary::Count},
        {.field = u"SATICIADI"_s, .shown = false},
        {.field = u"CARIADI"_s, .caption = u"Cari Adı"_s, .weight = 3},
        {.field = u"TUTAR"_s, .caption = u"Tutar"_s, .footer = Summary::Sum},
        {.field = u"DURUM"_s, .caption = u"Durum"_s, .kind = CellKind::Status},
        {.field = u"Y"_s, .caption = u"Yeni"_s, .kind = CellKind::YesNo},
        {.field = u"RESIM"_s, .caption = u"Resim"_s, .kind = CellKind::PictureFlag},
        {.field = u"OEM9"_s, .caption = u"Oem9"_s},
        {.field = u"BILGI"_s, .caption = u"Bilgi"_s, .kind = CellKind::Drawn,
         .text = [](const MemTable &t, int row) -> QString { return u"Tutar: "_s + t.displayText(row, 3); }},
        {.field = u"D"_s, .caption = kBlankCaption, .alignment = Qt::AlignHCenter},
        {.field = u"TARIH"_s, .caption = u"Tarih"_s},
    };
}

// Model columns of the declaration above.
enum Col { SEC, IDNO, SATICIADI, CARIADI, TUTAR, DURUM, Y, RESIM, OEM9, BILGI, D, TARIH, NOTLAR };

QStringList cariOf(const QAbstractItemModel &m, const QModelIndex &parent = QModelIndex())
{
    QStringList out;
    for (int r = 0; r < m.rowCount(parent); ++r)
        out << m.index(r, CARIADI, parent).data().toString();
    return out;
}

} // namespace

class TestGridModels : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { QLocale::setDefault(QLocale(QLocale::Turkish, QLocale::Turkey)); }

    void twoValuesPerCell();
    void iconAndCheckCells_data();
    void iconAndCheckCells();
    void attachDetachAndRefresh();

    void sortKeepsSelectedRows();
    void sortSwitchedOff();
    void filtersAndTheirValues();

    void groupsWithFooters();
    void groupsFollowFiltersAndSorting();
};

void TestGridModels::twoValuesPerCell()
{
    const MemTable t = orders();
    GridModel model;
    QAbstractItemModelTester tester(&model, kQtTest);
    model.setColumns(orderColumns());
    model.setTable(&t);

    QCOMPARE(model.rowCount(), 5);
    QCOMPARE(model.columnCount(), 13);  // 12 declared and NOTLAR
    QCOMPARE(model.index(0, TUTAR).data().toString(), u"1.250,50"_s);
    QCOMPARE(model.index(0, TUTAR).data(RawValueRole), QVariant(1250.5));
    QCOMPARE(model.index(3, IDNO).data(RawValueRole), QVariant(104));
    QCOMPARE(model.index(2, TARIH).data(RawValueRole).toDate(), QDate(2024, 1, 7));
    QCOMPARE(model.index(4, TUTAR).data(TableRowRole), QVariant(4));
    QCOMPARE(model.index(0, BILGI).data().toString(), u"Tutar: 1.250,50"_s);
    QVERIFY(!model.index(0, BILGI).data(RawValueRole).isValid());
    QVERIFY(model.index(0, OEM9).data().toString().isEmpty());
    QCOMPARE(model.fieldOf(OEM9), -1);

    QCOMPARE(model.headerData(CARIADI, Qt::Horizontal).toString(), u"Cari Adı"_s);
    QCOMPARE(model.headerData(SATICIADI, Qt::Horizontal).toString(), u"SATICIADI"_s);
    QCOMPARE(model.headerData(D, Qt::Horizontal).toString(), QString());
    QCOMPARE(model.headerData(NOTLAR, Qt::Horizontal).toString(), u"NOTLAR"_s);
    QVERIFY(!model.column(NOTLAR).shown);
    QVERIFY(!model.column(NOTLAR).offered);

    QCOMPARE(model.alignment(TUTAR), Qt::AlignRight | Qt::AlignVCenter);
    QCOMPARE(model.alignment(CARIADI), Qt::AlignLeft | Qt::AlignVCenter);
    QCOMPARE(model.alignment(DURUM), Qt::AlignHCenter | Qt::AlignVCenter);
    QCOMPARE(model.alignment(D), Qt::AlignHCenter | Qt::AlignVCenter);
    QCOMPARE(model.numberFormat(TUTAR), kTutarBicimi);

    // Read-only: nothing is editable, not even the check box.
    QVERIFY(!(model.flags(model.index(0, SEC)) & (Qt::ItemIsEditable | Qt::ItemIsUserCheckable)));
    QVERIFY(!model.setData(model.index(0, SEC), Qt::Unchecked, Qt::CheckStateRole));
}

void TestGridModels::iconAndCheckCells_data()
{
    QTest::addColumn<int>("row");
    QTest::addColumn<int>("column");
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("icon");

    QTest::newRow("status 1") << 0 << int(DURUM) << u"Var"_s << true;
    QTest::newRow("status 0 has an icon too") << 1 << int(DURUM) << u"Yok"_s << true;
    QTest::newRow("status 5") << 3 << int(DURUM) << u"Tedarik Sürecinde"_s << true;
    QTest::newRow("unknown status") << 4 << int(DURUM) << QString() << false;
    QTest::newRow("null status") << 5 << int(DURUM) << QString() << false;
    QTest::newRow("yes") << 0 << int(Y) << u"Evet"_s << true;
    QTest::newRow("yes above 1") << 2 << int(Y) << u"Evet"_s << true;
    QTest::newRow("no") << 1 << int(Y) << u"Hayır"_s << true;
    QTest::newRow("blank shows no") << 5 << int(Y) << u"Hayır"_s << true;
    QTest::newRow("picture") << 0 << int(RESIM) << u"Var"_s << true;
    QTest::newRow("no picture") << 1 << int(RESIM) << QString() << false;
    QTest::newRow("checked") << 0 << int(SEC) << u"Evet"_s << false;
    QTest::newRow("unchecked") << 1 << int(SEC) << u"Hayır"_s << false;
}

void TestGridModels::iconAndCheckCells()
{
    QFETCH(int, row);
    QFETCH(int, column);
    QFETCH(QString, text);
    QFETCH(bool, icon);
    MemTable t = orders();
    const int blank = t.appendRow();
    for (int c = 0; c < t.fieldCount(); ++c)
        t.setNull(blank, c);
    GridModel model;
    model.setColumns(orderColumns());
    model.setTable(&t);

    const QModelIndex index = model.index(row, column);
    QCOMPARE(model.cellText(row, column), text);
    QCOMPARE(index.data(Qt::DecorationRole).isValid(), icon);
    QVERIFY(index.data(Qt::DisplayRole).toString().isEmpty());
    if (column == SEC)
        QCOMPARE(index.data(Qt::CheckStateRole).toInt(), int(text == u"Evet"_s ? Qt::Checked : Qt::Unchecked));
    else
        QVERIFY(!index.data(Qt::CheckStateRole).isValid());
}

void TestGridModels::attachDetachAndRefresh()
{
    MemTable t = orders();
    GridModel model;
    GridProxy proxy;
    proxy.setSourceModel(&model);
    QAbstractItemModelTester modelTester(&model, kQtTest);
    QAbstractItemModelTester proxyTester(&proxy, kQtTest);
    model.setColumns(orderColumns());
    model.setTable(&t);
    QCOMPARE(proxy.rowCount(), 5);

    // Detached while a worker refills the table: the model reads nothing.
    QSignalSpy resets(&model, &QAbstractItemModel::modelReset);
    model.setTable(nullptr);
    QCOMPARE(model.rowCount(), 0);
    QCOMPARE(model.columnCount(), 12);
    QCOMPARE(proxy.rowCount(), 0);
    t.setFields({{u"IDNO"_s, FieldType::Int32, {}}, {u"EK1"_s, FieldType::String, {}}, {u"EK2"_s, FieldType::String, {}}});
    t.setInt(t.appendRow(), 0, 7);
    model.setTable(&t);
    QCOMPARE(resets.count(), 2);
    QCOMPARE(model.columnCount(), 14);
    QCOMPARE(proxy.rowCount(), 1);
    QCOMPARE(model.index(0, IDNO).data().toString(), u"7"_s);
    QCOMPARE(model.fieldOf(CARIADI), -1);

    // Cells changed in place: repainted, not reset.
    QSignalSpy changed(&model, &QAbstractItemModel::dataChanged);
    t.setInt(0, 0, 8);
    model.refresh();
    QCOMPARE(changed.count(), 1);
    QCOMPARE(resets.count(), 2);
    QCOMPARE(proxy.index(0, IDNO).data().toString(), u"8"_s);

    // Rows came: reset.
    t.setInt(t.appendRow(), 0, 9);
    model.refresh();
    QCOMPARE(resets.count(), 3);
    QCOMPARE(proxy.rowCount(), 2);

    // Many changed rows reach the views as one layout change, not a repaint of every cell.
    for (int i = 0; i < 100; ++i)
        t.setInt(t.appendRow(), 0, i);
    model.refresh();
    QSignalSpy proxyChanged(&proxy, &QAbstractItemModel::dataChanged);
    QSignalSpy proxyLayout(&proxy, &QAbstractItemModel::layoutChanged);
    for (int r = 0; r < t.rowCount(); ++r)
        t.setInt(r, 0, 1000 + r);
    model.refresh();
    QCOMPARE(proxyChanged.count(), 0);
    QCOMPARE(proxyLayout.count(), 1);
    QCOMPARE(proxy.index(101, IDNO).data().toString(), u"1101"_s);

    // A closed table shows nothing until it is opened again.
    t.close();
    model.refresh();
    QCOMPARE(model.rowCount(), 0);
    t = orders();
    model.refresh();
    QCOMPARE(model.rowCount(), 5);
}

void TestGridModels::sortKeepsSelectedRows()
{
    const MemTable t = orders();
    GridModel model;
    GridProxy proxy;
    proxy.setSourceModel(&model);
    QAbstractItemModelTester tester(&proxy, kQtTest);
    model.setColumns(orderColumns());
    model.setTable(&t);

    QItemSelectionModel selection(&proxy);
    selection.setCurrentIndex(proxy.index(3, CARIADI), QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    const QPersistentModelIndex held = proxy.index(3, TUTAR);
    QSignalSpy resets(&proxy, &QAbstractItemModel::modelReset);

    proxy.sort(CARIADI, Qt::AscendingOrder);
    QCOMPARE(cariOf(proxy), (QStringList{u"Akın Motor"_s, u"Bora Ticaret"_s, u"Çelik Yedek Parça"_s, u"Işık Otomotiv"_s, u"Özkan Oto"_s}));
    QCOMPARE(resets.count(), 0);
    // The row that was selected is still selected and still current, wherever it went.
    QCOMPARE(held.data(TableRowRole).toInt(), 3);
    QCOMPARE(selection.currentIndex().data(TableRowRole).toInt(), 3);
    QCOMPARE(selection.selectedRows().size(), 1);
    QCOMPARE(selection.selectedRows().first().data(TableRowRole).toInt(), 3);

    proxy.sort(TUTAR, Qt::DescendingOrder);
    QCOMPARE(proxy.index(0, TUTAR).data().toString(), u"4.000,00"_s);
    QCOMPARE(proxy.index(4, TUTAR).data().toString(), u"10,00"_s);
    QCOMPARE(held.row(), 0);

    // A drawn column has no value to sort by.
    proxy.sort(BILGI, Qt::AscendingOrder);
    QCOMPARE(proxy.sortColumn(), int(TUTAR));
    proxy.sort(-1);
    QCOMPARE(proxy.tableRows(), (std::vector<int>{0, 1, 2, 3, 4}));
}

void TestGridModels::sortSwitchedOff()
{
    const MemTable t = orders();
    GridModel model;
    GridProxy proxy;
    proxy.setSourceModel(&model);
    QAbstractItemModelTester tester(&proxy, kQtTest);
    model.setColumns(orderColumns());
    model.setTable(&t);
    proxy.sort(TUTAR, Qt::AscendingOrder);
    QCOMPARE(proxy.tableRows(), (std::vector<int>{4, 2, 1, 0, 3}));

    // A statement keeps the server's order: switching sorting off restores it for good.
    proxy.setSortingEnabled(false);
    QCOMPARE(proxy.tableRows(), (std::vector<int>{0, 1, 2, 3, 4}));
    proxy.sort(CARIADI, Qt::DescendingOrder);
    QCOMPARE(proxy.sortColumn(), -1);
    QCOMPARE(proxy.tableRows(), (std::vector<int>{0, 1, 2, 3, 4}));
}

void TestGridModels::filtersAndTheirValues()
{
    MemTable t = orders();
    GridModel model;
    GridProxy proxy;
    proxy.setSourceModel(&model);
    QAbstractItemModelTester tester(&proxy, kQtTest);
    model.setColumns(orderColumns());
    model.setTable(&t);
    proxy.sort(TUTAR, Qt::AscendingOrder);
    QSignalSpy changed(&proxy, &GridProxy::filtersChanged);

    HeaderFilter ahmet;
    ahmet.values = {CellKey{std::string("Ahmet")}};
    proxy.setFilter(SATICIADI, ahmet);
    QCOMPARE(changed.count(), 1);
    // Filtered rows keep the sort order.
    QCOMPARE(proxy.tableRows(), (std::vector<int>{4, 1}));
    QCOMPARE(proxy.proxyRow(0), -1);
    QCOMPARE(proxy.proxyRow(1), 1);
    QVERIFY(!proxy.mapFromSource(model.index(0, 0)).isValid());
    QCOMPARE(proxy.mapToSource(proxy.index(0, TUTAR)), model.index(4, TUTAR));

    // The status list offers what the other filters leave: Ahmet's two statuses.
    QStringList statuses;
    for (const FilterValue &v : proxy.filterValues(DURUM))
        statuses << v.text;
    QCOMPARE(statuses, (QStringList{u"Yok"_s, QString()}));
    // Its own list still offers every representative.
    QCOMPARE(proxy.filterValues(SATICIADI).size(), size_t(3));

    HeaderFilter text;
    text.text = u"ticaret"_s;
    proxy.setFilter(CARIADI, text);
    QCOMPARE(proxy.tableRows(), (std::vector<int>{4}));

    // Filters survive a reload of the same shape.
    t = orders();
    model.setTable(&t);
    QCOMPARE(proxy.tableRows(), (std::vector<int>{4}));
    QVERIFY(proxy.isFiltered(CARIADI));

    proxy.setFilter(CARIADI, HeaderFilter());
    QCOMPARE(proxy.tableRows(), (std::vector<int>{4, 1}));
    proxy.clearFilters();
    QCOMPARE(proxy.rowCount(), 5);
    QVERIFY(!proxy.hasFilters());
    // A drawn column has no values to filter by.
    proxy.setFilter(BILGI, text);
    QVERIFY(!proxy.hasFilters());
}

void TestGridModels::groupsWithFooters()
{
    const MemTable t = orders();
    GridModel model;
    GridProxy proxy;
    GroupModel groups;
    proxy.setSourceModel(&model);
    groups.setSourceModel(&proxy);
    QAbstractItemModelTester tester(&groups, kQtTest);
    model.setColumns(orderColumns());
    model.setTable(&t);
    QCOMPARE(groups.rowCount(), 0);  // not grouped yet

    groups.setGroupColumn(SATICIADI);
    QCOMPARE(groups.groupCount(), 3);
    QCOMPARE(groups.rowCount(), 6);  // a header and a footer per group
    QCOMPARE(groups.index(0, 0).data().toString(), u"SATICIADI: Ahmet"_s);
    QCOMPARE(groups.index(2, 0).data().toString(), u"SATICIADI: Mehmet"_s);
    QCOMPARE(groups.index(4, 0).data().toString(), u"SATICIADI: Zeynep"_s);
    QCOMPARE(groups.index(0, 0).data(RowKindRole).toInt(), int(GridRowKind::GroupHeader));
    QCOMPARE(groups.index(1, TUTAR).data(RowKindRole).toInt(), int(GridRowKind::GroupFooter));

    // Footers are top-level rows: they show while the group is collapsed.
    QCOMPARE(groups.rowCount(groups.index(1, 0)), 0);
    QCOMPARE(groups.index(1, TUTAR).data().toString(), u"310,00"_s);
    QCOMPARE(groups.index(1, IDNO).data().toString(), u"2"_s);
    QCOMPARE(groups.index(5, TUTAR).data().toString(), u"1.350,40"_s);
    QVERIFY(groups.index(1, CARIADI).data().toString().isEmpty());

    const QModelIndex zeynep = groups.index(4, 0);
    QCOMPARE(cariOf(groups, zeynep), (QStringList{u"Özkan Oto"_s, u"Akın Motor"_s}));
    QCOMPARE(groups.index(1, TUTAR, zeynep).data(RawValueRole), QVariant(99.9));
    const QModelIndex found = groups.indexOfTableRow(3, TUTAR);
    QCOMPARE(found.data(TableRowRole).toInt(), 3);
    QCOMPARE(found.parent(), groups.index(2, 0));
    QCOMPARE(groups.groupOf(found), 1);
}

void TestGridModels::groupsFollowFiltersAndSorting()
{
    const MemTable t = orders();
    GridModel model;
    GridProxy proxy;
    GroupModel groups;
    proxy.setSourceModel(&model);
    groups.setSourceModel(&proxy);
    QAbstractItemModelTester proxyTester(&proxy, kQtTest);
    QAbstractItemModelTester groupTester(&groups, kQtTest);
    model.setColumns(orderColumns());
    model.setTable(&t);
    groups.setGroupColumn(SATICIADI);

    // Sorting orders the rows within each group; the groups stay in ascending order.
    groups.sort(TUTAR, Qt::AscendingOrder);
    QCOMPARE(cariOf(groups, groups.index(4, 0)), (QStringList{u"Akın Motor"_s, u"Özkan Oto"_s}));
    QCOMPARE(cariOf(groups, groups.index(0, 0)), (QStringList{u"Bora Ticaret"_s, u"Çelik Yedek Parça"_s}));
    groups.sort(TUTAR, Qt::DescendingOrder);
    QCOMPARE(groups.index(0, 0).data().toString(), u"SATICIADI: Ahmet"_s);
    QCOMPARE(cariOf(groups, groups.index(0, 0)), (QStringList{u"Çelik Yedek Parça"_s, u"Bora Ticaret"_s}));

    // A filter leaves out rows, and groups that lose all their rows.
    HeaderFilter big;
    big.values = {CellKey{300.0}, CellKey{4000.0}, CellKey{1250.5}};
    proxy.setFilter(TUTAR, big);
    QCOMPARE(groups.groupCount(), 3);
    QCOMPARE(groups.index(1, TUTAR).data().toString(), u"300,00"_s);
    HeaderFilter notMehmet;
    notMehmet.values = {CellKey{std::string("Ahmet")}, CellKey{std::string("Zeynep")}};
    proxy.setFilter(SATICIADI, notMehmet);
    QCOMPARE(groups.groupCount(), 2);
    QCOMPARE(groups.index(3, IDNO).data().toString(), u"1"_s);

    model.setTable(nullptr);
    QCOMPARE(groups.rowCount(), 0);
}

QTEST_MAIN(TestGridModels)
#include "tst_grid_models.moc"
