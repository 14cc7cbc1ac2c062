// The row-by-row grid of pictures (announcements): rows built on a worker and handed over,
// rows added one by one, pictures fitted into 405-pixel rows, pixel scrolling, no header.

#include "common/memtable.h"
#include "platform/grid/gridmodel.h"
#include "platform/grid/rowgrid.h"

#include <QBuffer>
#include <QHeaderView>
#include <QImage>
#include <QMenu>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTreeView>
#include <QtTest>

#include <thread>

using namespace vexor;
using namespace Qt::StringLiterals;

namespace {

GridColumns announcementColumns()
{
    return {
        {.field = u"duyuru"_s, .kind = CellKind::Picture, .width = 605},
        {.field = u"baslik"_s, .shown = false, .offered = false},
        {.field = u"arama"_s, .shown = false, .offered = false},
    };
}

QByteArray picture(QSize size, QColor colour, const char *format)
{
    QImage image(size, QImage::Format_RGB32);
    image.fill(colour);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, format);
    return bytes;
}

} // namespace

class TestGridRowGrid : public QObject
{
    Q_OBJECT

private slots:
    void rowsFromAWorker();
    void rowsOneByOne();
};

void TestGridRowGrid::rowsFromAWorker()
{
    RowGrid grid(announcementColumns());
    grid.setRowHeight(405);
    grid.resize(640, 900);
    grid.show();
    QVERIFY(QTest::qWaitForWindowExposed(&grid));
    QTreeView *tree = grid.treeView();
    QVERIFY(tree->header()->isHidden());
    QCOMPARE(tree->verticalScrollMode(), QAbstractItemView::ScrollPerPixel);
    QCOMPARE(grid.customisationEntries().size(), size_t(1));  // baslik and arama are never offered
    QVERIFY(!grid.isSortingEnabled());
    QVERIFY(!grid.isFooterVisible());

    // The rows are made off the UI thread and handed over while the grid is locked.
    grid.setEnabled(false);
    grid.beginUpdate();
    MemTable rows = grid.emptyRows();
    std::thread worker([&rows] {
        const struct { QSize size; QColor colour; const char *format; const char16_t *title; const char16_t *search; } entries[] = {
            {{600, 400}, Qt::red, "PNG", u"Kampanya", u"#KAMPANYA#"},
            {{1210, 400}, Qt::blue, "JPEG", u"Yeni ürünler", u"#YENİ#"},
            {{100, 50}, Qt::green, "BMP", u"Fren balatası", u"FREN"},
        };
        for (const auto &e : entries) {
            const int r = rows.appendRow();
            rows.setBytes(r, 0, picture(e.size, e.colour, e.format));
            rows.setString(r, 1, QStringView(e.title));
            rows.setString(r, 2, QStringView(e.search));
        }
    });
    worker.join();
    grid.setRows(std::move(rows));
    grid.endUpdate();
    grid.setEnabled(true);

    QCOMPARE(grid.rowCount(), 3);
    QCOMPARE(grid.value(1, u"arama").toString(), u"#YENİ#"_s);
    QCOMPARE(grid.columnWidth(u"duyuru"), 605);
    QCOMPARE(grid.model()->picture(0, 0).size(), QSize(600, 400));
    QCOMPARE(tree->visualRect(tree->model()->index(1, 0)).top(), 405);

    // A picture that fits is drawn whole and centred; a wide one is scaled down to the cell.
    const QImage shot = grid.grab().toImage();
    auto at = [&](int x, int y) { return QColor(shot.pixel(tree->viewport()->mapTo(&grid, QPoint(x, y)))); };
    QCOMPARE(at(302, 202), QColor(Qt::red));
    QCOMPARE(at(5, 202), QColor(Qt::red));
    const QColor wide = at(302, 405 + 202);  // a JPEG: nearly blue
    QVERIFY(wide.blue() > 200 && wide.red() < 60 && wide.green() < 60);
    QCOMPARE(at(302, 405 + 15), QColor(236, 247, 238));  // scaled to 597x197: the row shows above it

    // Scrolled by pixels, not by rows.
    tree->verticalScrollBar()->setValue(100);
    QCOMPARE(tree->visualRect(tree->model()->index(0, 0)).top(), -100);

    QSignalSpy chosen(&grid, &GridView::rowDoubleClicked);
    QTest::mouseDClick(tree->viewport(), Qt::LeftButton, {}, QPoint(300, 405 - 100 + 50));
    QCOMPARE(chosen.count(), 1);
    QCOMPARE(grid.value(chosen.first().first().toInt(), u"arama").toString(), u"#YENİ#"_s);
}

void TestGridRowGrid::rowsOneByOne()
{
    RowGrid grid(announcementColumns());
    const int first = grid.appendRow();
    grid.setValue(first, u"arama", u"#KAMPANYA#"_s);
    grid.setValue(first, u"duyuru", picture({20, 10}, Qt::red, "PNG"));
    const int second = grid.appendRow();
    grid.setValue(second, u"duyuru", QByteArray("not a picture"));
    QCOMPARE(grid.rowCount(), 2);
    QCOMPARE(grid.value(first, u"arama").toString(), u"#KAMPANYA#"_s);
    QCOMPARE(grid.model()->picture(first, 0).size(), QSize(20, 10));
    QVERIFY(grid.model()->picture(second, 0).isNull());
    QVERIFY(!grid.model()->index(second, 0).data(Qt::DecorationRole).isValid());
    QVERIFY(grid.value(second, u"arama").toString().isEmpty());

    // Replacing a picture shows the new one, not the one decoded before.
    grid.setValue(first, u"duyuru", picture({30, 30}, Qt::blue, "PNG"));
    QCOMPARE(grid.model()->picture(first, 0).size(), QSize(30, 30));

    grid.clearRows();
    QCOMPARE(grid.rowCount(), 0);
    QVERIFY(!grid.value(0, u"arama").isValid());
}

QTEST_MAIN(TestGridRowGrid)
#include "tst_grid_rowgrid.moc"
