// "Excel Kaydet" written and read back: the workbook is unzipped (unzip -p) and its sheet
// and styles are checked for captions, cell values and types, number formats, group rows
// with their outline, the footer and the row count.

#include "common/formats.h"
#include "common/memtable.h"
#include "platform/grid/gridview.h"

#include <QProcess>
#include <QTemporaryDir>
#include <QXmlStreamReader>
#include <QtTest>

#include <stdexcept>

using namespace vexor;
using namespace Qt::StringLiterals;

namespace {

struct Cell
{
    QString type;   // "n" (number), "b", "inlineStr", "s"
    QString value;  // number or boolean as written, text resolved
    QString format; // number format code of its style
};

// One worksheet as written: cells by reference ("B3") and the outline level of each row.
struct Sheet
{
    QMap<QString, Cell> cells;
    QMap<int, int> outline;
    int rows = 0;

    QString text(const QString &ref) const { return cells.value(ref).value; }
    QStringList row(int r, int columns) const
    {
        QStringList out;
        for (int c = 0; c < columns; ++c)
            out << cells.value(QChar(u'A' + c) + QString::number(r)).value;
        return out;
    }
};

QByteArray unzipPart(const QString &file, const QString &part)
{
    QProcess unzip;
    unzip.start(u"unzip"_s, {u"-p"_s, file, part});
    if (!unzip.waitForStarted() || !unzip.waitForFinished(30000) || unzip.exitCode() != 0)
        return QByteArray();
    return unzip.readAllStandardOutput();
}

// Excel's built-in number formats that libxlsxwriter writes by number instead of by code.
QString builtinFormat(int id)
{
    switch (id) {
    case 0: return u"General"_s;
    case 1: return u"0"_s;
    case 2: return u"0.00"_s;
    case 3: return u"#,##0"_s;
    case 4: return u"#,##0.00"_s;
    default: return u"builtin "_s + QString::number(id);
    }
}

// Number format code of each cell style (cellXfs in order).
QStringList styleFormats(const QByteArray &styles)
{
    QMap<int, QString> codes;
    QStringList formats;
    QXmlStreamReader xml(styles);
    bool inCellXfs = false;
    while (!xml.atEnd()) {
        xml.readNext();
        if (xml.isStartElement() && xml.name() == u"numFmt")
            codes[xml.attributes().value(QLatin1StringView("numFmtId")).toInt()] = xml.attributes().value(QLatin1StringView("formatCode")).toString();
        else if (xml.isStartElement() && xml.name() == u"cellXfs")
            inCellXfs = true;
        else if (xml.isEndElement() && xml.name() == u"cellXfs")
            inCellXfs = false;
        else if (inCellXfs && xml.isStartElement() && xml.name() == u"xf") {
            const int id = xml.attributes().value(QLatin1StringView("numFmtId")).toInt();
            formats << (codes.contains(id) ? codes[id] : builtinFormat(id));
        }
    }
    return formats;
}

Sheet readWorkbook(const QString &file)
{
    Sheet sheet;
    const QByteArray xmlSheet = unzipPart(file, u"xl/worksheets/sheet1.xml"_s);
    const QStringList formats = styleFormats(unzipPart(file, u"xl/styles.xml"_s));
    QStringList shared;
    QXmlStreamReader strings(unzipPart(file, u"xl/sharedStrings.xml"_s));
    while (!strings.atEnd()) {
        if (strings.readNext() == QXmlStreamReader::StartElement && strings.name() == u"t")
            shared << strings.readElementText();
    }

    QXmlStreamReader xml(xmlSheet);
    QString ref;
    Cell cell;
    while (!xml.atEnd()) {
        xml.readNext();
        if (xml.isStartElement() && xml.name() == u"row") {
            const int r = xml.attributes().value(QLatin1StringView("r")).toInt();
            sheet.rows = qMax(sheet.rows, r);
            sheet.outline[r] = xml.attributes().value(QLatin1StringView("outlineLevel")).toInt();
        } else if (xml.isStartElement() && xml.name() == u"c") {
            ref = xml.attributes().value(QLatin1StringView("r")).toString();
            cell = Cell();
            cell.type = xml.attributes().hasAttribute(QLatin1StringView("t")) ? xml.attributes().value(QLatin1StringView("t")).toString() : u"n"_s;
            const int style = xml.attributes().value(QLatin1StringView("s")).toInt();
            cell.format = style < formats.size() ? formats[style] : QString();
        } else if (xml.isStartElement() && (xml.name() == u"v" || xml.name() == u"t")) {
            cell.value = xml.readElementText();
            if (cell.type == u"s")
                cell.value = shared.value(cell.value.toInt());
        } else if (xml.isEndElement() && xml.name() == u"c") {
            sheet.cells[ref] = cell;
        }
    }
    return sheet;
}

MemTable lines()
{
    MemTable t;
    t.setFields({{u"SEC"_s, FieldType::Int32, {}},
                 {u"TARIH"_s, FieldType::Date, {}},
                 {u"STOKADI"_s, FieldType::String, {}},
                 {u"MIKTAR"_s, FieldType::Double, {}},
                 {u"NETTUTAR"_s, FieldType::Double, {}},
                 {u"DURUM"_s, FieldType::Int32, {}},
                 {u"SATICIADI"_s, FieldType::String, {}},
                 {u"GIZLI"_s, FieldType::String, {}}});
    struct Line { int sec; const char16_t *ad; double miktar; double net; int durum; const char16_t *satici; };
    const Line rows[] = {
        {1, u"FREN BALATASI", 2, 150.25, 1, u"Zeynep"},
        {0, u"DEBRİYAJ SETİ", 1, 1999.99, 0, u"Ahmet"},
        {1, u"ŞANZIMAN \"KULAĞI\" & <TAKOZ>", 4, 1234567.891, 3, u"Zeynep"},
        {0, u"ÇAMURLUK", 10, 0.5, 2, u"Ahmet"},
        {1, u"YAĞ FİLTRESİ", 3, -20, 9, u"Mehmet"},
    };
    int i = 0;
    for (const Line &l : rows) {
        const int r = t.appendRow();
        t.setInt(r, 0, l.sec);
        t.setDouble(r, 1, 45296 + i++);
        t.setString(r, 2, QStringView(l.ad));
        t.setDouble(r, 3, l.miktar);
        t.setDouble(r, 4, l.net);
        t.setInt(r, 5, l.durum);
        t.setString(r, 6, QStringView(l.satici));
        t.setString(r, 7, u"görünmez");
    }
    t.setNull(4, 1);
    FloatAlanBicimle(t);
    return t;
}

GridColumns lineColumns()
{
    return {
        {.field = u"SEC"_s, .caption = u"Seç"_s, .offered = false, .kind = CellKind::Check},
        {.field = u"TARIH"_s, .caption = u"Tarih"_s, .footer = Summary::Count},
        {.field = u"STOKADI"_s, .caption = u"Stok Açıklama"_s, .weight = 3, .footer = Summary::RowCount},
        {.field = u"MIKTAR"_s, .caption = u"Miktar"_s, .footer = Summary::Sum},
        {.field = u"NETTUTAR"_s, .caption = u"Net Tutar"_s, .footer = Summary::Sum},
        {.field = u"DURUM"_s, .caption = u"Durum"_s, .kind = CellKind::Status},
        {.field = u"BILGI"_s, .caption = u"Fiyat Bilgisi"_s, .kind = CellKind::Drawn, .wordWrap = true,
         .text = [](const MemTable &t, int row) -> QString {
             return u"Miktar: "_s + t.displayText(row, 3) + u"\r\nNet: "_s + t.displayText(row, 4);
         }},
        {.field = u"SATICIADI"_s, .shown = false},
    };
}

} // namespace

class TestGridExport : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void flatGridAsDisplayed();
    void groupsExpandedWithTheirFooters();
    void unwritableFileThrows();

private:
    QTemporaryDir m_dir;
};

void TestGridExport::initTestCase()
{
    QLocale::setDefault(QLocale(QLocale::Turkish, QLocale::Turkey));
    QVERIFY(m_dir.isValid());
    QProcess probe;
    probe.start(u"unzip"_s, {u"-v"_s});
    QVERIFY2(probe.waitForFinished(10000) && probe.exitCode() == 0, "unzip is needed (scripts/install-deps.sh installs it)");
}

void TestGridExport::flatGridAsDisplayed()
{
    const MemTable t = lines();
    GridView grid(lineColumns());
    grid.resize(1200, 500);
    grid.setTable(&t);
    grid.setColumnWidth(u"STOKADI", 280);
    grid.sortByColumn(u"NETTUTAR", Qt::DescendingOrder);
    HeaderFilter notMehmet;
    notMehmet.values = {CellKey{std::string("Ahmet")}, CellKey{std::string("Zeynep")}};
    grid.setHeaderFilter(u"SATICIADI", notMehmet);

    const QString file = m_dir.filePath(u"duz.xlsx"_s);
    grid.exportWorkbook(file);
    const Sheet sheet = readWorkbook(file);

    // Captions of the visible columns; hidden ones (SATICIADI) and undeclared fields (GIZLI) are
    // not written.
    QCOMPARE(sheet.row(1, 8), (QStringList{u"Seç"_s, u"Tarih"_s, u"Stok Açıklama"_s, u"Miktar"_s, u"Net Tutar"_s,
                                          u"Durum"_s, u"Fiyat Bilgisi"_s, QString()}));
    // Header, the four rows that pass the filter in the order shown, the footer.
    QCOMPARE(sheet.rows, 6);
    QCOMPARE(sheet.row(2, 7), (QStringList{u"1"_s, u"45298"_s, u"ŞANZIMAN \"KULAĞI\" & <TAKOZ>"_s, u"4"_s,
                                          u"1234567.891"_s, u"Yolda"_s, u"Miktar: 4,00\nNet: 1.234.567,89"_s}));
    QCOMPARE(sheet.row(3, 7), (QStringList{u"0"_s, u"45297"_s, u"DEBRİYAJ SETİ"_s, u"1"_s, u"1999.99"_s, u"Yok"_s,
                                          u"Miktar: 1,00\nNet: 1.999,99"_s}));
    QCOMPARE(sheet.text(u"C4"_s), u"FREN BALATASI"_s);
    QCOMPARE(sheet.text(u"C5"_s), u"ÇAMURLUK"_s);

    // Types and formats: check boxes as booleans, dates as dates, amounts in "#,##0.00".
    QCOMPARE(sheet.cells[u"A2"_s].type, u"b"_s);
    QCOMPARE(sheet.cells[u"A3"_s].value, u"0"_s);
    QCOMPARE(sheet.cells[u"B2"_s].type, u"n"_s);
    QCOMPARE(sheet.cells[u"B2"_s].format, u"d.mm.yyyy"_s);
    QCOMPARE(sheet.cells[u"D2"_s].format, u"#,##0.00"_s);
    QCOMPARE(sheet.cells[u"E4"_s].format, u"#,##0.00"_s);
    QVERIFY(sheet.cells[u"C2"_s].type == u"inlineStr"_s || sheet.cells[u"C2"_s].type == u"s"_s);

    // Footer: count of dates, row count, sums in their format.
    QCOMPARE(sheet.row(6, 5), (QStringList{QString(), u"4"_s, u"4"_s, u"17"_s, u"1236718.631"_s}));
    QCOMPARE(sheet.cells[u"E6"_s].format, u"#,##0.00"_s);
    for (int r = 1; r <= sheet.rows; ++r)
        QCOMPARE(sheet.outline.value(r), 0);
}

void TestGridExport::groupsExpandedWithTheirFooters()
{
    const MemTable t = lines();
    GridView grid(lineColumns());
    grid.setTable(&t);
    grid.setGroupColumn(u"SATICIADI");
    grid.collapseAll();
    grid.setGroupExpanded(1, true);

    const QString file = m_dir.filePath(u"gruplu.xlsx"_s);
    grid.exportWorkbook(file);
    const Sheet sheet = readWorkbook(file);

    // Every group opened: its header, its rows (outline level 1) and its footer; then the grid
    // footer: 1 + (1+2+1) + (1+1+1) + (1+2+1) + 1 = 13 rows.
    QCOMPARE(sheet.rows, 13);
    QCOMPARE(sheet.text(u"A2"_s), u"SATICIADI: Ahmet"_s);
    QCOMPARE(sheet.text(u"C3"_s), u"DEBRİYAJ SETİ"_s);
    QCOMPARE(sheet.text(u"C4"_s), u"ÇAMURLUK"_s);
    QCOMPARE(sheet.row(5, 5), (QStringList{QString(), u"2"_s, u"2"_s, u"11"_s, u"2000.49"_s}));
    QCOMPARE(sheet.text(u"A6"_s), u"SATICIADI: Mehmet"_s);
    QCOMPARE(sheet.row(8, 5), (QStringList{QString(), u"0"_s, u"1"_s, u"3"_s, u"-20"_s}));
    QCOMPARE(sheet.text(u"A9"_s), u"SATICIADI: Zeynep"_s);
    QCOMPARE(sheet.row(12, 5), (QStringList{QString(), u"2"_s, u"2"_s, u"6"_s, u"1234718.141"_s}));
    QCOMPARE(sheet.row(13, 5), (QStringList{QString(), u"4"_s, u"5"_s, u"20"_s, u"1236698.631"_s}));
    const QList<int> levels = {0, 0, 0, 1, 1, 0, 0, 1, 0, 0, 1, 1, 0, 0};
    for (int r = 1; r <= 13; ++r)
        QCOMPARE(sheet.outline.value(r), levels[r]);
    QCOMPARE(sheet.cells[u"E5"_s].format, u"#,##0.00"_s);
    // The view itself stays as the user left it.
    QVERIFY(!grid.isGroupExpanded(0));
    QVERIFY(grid.isGroupExpanded(1));
}

void TestGridExport::unwritableFileThrows()
{
    const MemTable t = lines();
    GridView grid(lineColumns());
    grid.setTable(&t);
    const QString file = m_dir.filePath(u"yok/klasor/rapor.xlsx"_s);
    try {
        grid.exportWorkbook(file);
        QFAIL("no exception");
    } catch (const std::runtime_error &e) {
        QVERIFY2(QString::fromUtf8(e.what()).contains(file), e.what());
        QVERIFY(QString::fromUtf8(e.what()).startsWith(u"Excel dosyası kaydedilemedi"_s));
    }
    QVERIFY(!QFileInfo::exists(file));
}

QTEST_MAIN(TestGridExport)
#include "tst_grid_export.moc"
