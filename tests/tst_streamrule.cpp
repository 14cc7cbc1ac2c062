#include "server/streamrule.h"

#include <QtTest>

using namespace vexor;
using namespace Qt::StringLiterals;

namespace {

// An in-memory stream that records every read the rule makes. It is unbuffered so that each
// read of the rule reaches readData once; it can hand out fewer bytes than asked (as a slow
// source would) and fail at a given read.
class CountingDevice : public QIODevice
{
public:
    explicit CountingDevice(QByteArray data, qint64 maxPerRead = -1, int failAtRead = -1)
        : m_data(std::move(data)), m_maxPerRead(maxPerRead), m_failAtRead(failAtRead)
    {
        open(QIODevice::ReadOnly | QIODevice::Unbuffered);
    }

    QList<qint64> results; // what each read returned

    qint64 size() const override { return m_data.size(); }

protected:
    qint64 readData(char *out, qint64 max) override
    {
        if (int(results.size()) == m_failAtRead) {
            results.append(-1);
            return -1;
        }
        qint64 n = qMin(max, m_data.size() - pos());
        if (m_maxPerRead >= 0)
            n = qMin(n, m_maxPerRead);
        memcpy(out, m_data.constData() + pos(), size_t(n));
        results.append(n);
        return n;
    }
    qint64 writeData(const char *, qint64) override { return -1; }

private:
    QByteArray m_data;
    qint64 m_maxPerRead;
    int m_failAtRead;
};

QByteArray pattern(qsizetype size)
{
    QByteArray bytes(size, Qt::Uninitialized);
    for (qsizetype i = 0; i < size; ++i)
        bytes[i] = char(i * 7 + i / 251);
    return bytes;
}

} // namespace

class TstStreamRule : public QObject
{
    Q_OBJECT

private slots:
    void download_data();
    void download();
    void startsAtPositionZero();
    void noStream();
};

void TstStreamRule::download_data()
{
    QTest::addColumn<int>("size");
    QTest::addColumn<qint64>("announced");
    QTest::addColumn<qint64>("maxPerRead"); // -1: as much as asked
    QTest::addColumn<int>("failAtRead");    // -1: never
    QTest::addColumn<bool>("accepted");
    QTest::addColumn<QList<qint64>>("reads");

    using L = QList<qint64>;
    QTest::newRow("announced 0 reads nothing") << 5000 << qint64(0) << qint64(-1) << -1 << false << L{};
    QTest::newRow("empty stream, announced 0") << 0 << qint64(0) << qint64(-1) << -1 << false << L{};
    QTest::newRow("negative count reads nothing") << 10 << qint64(-1) << qint64(-1) << -1 << false << L{};
    QTest::newRow("one short block") << 1000 << qint64(1000) << qint64(-1) << -1 << true << L{1000};
    QTest::newRow("one byte") << 1 << qint64(1) << qint64(-1) << -1 << true << L{1};
    QTest::newRow("exactly 1024 ends with a read of 0") << 1024 << qint64(1024) << qint64(-1) << -1 << true
                                                        << L{1024, 0};
    QTest::newRow("exact multiple") << 3072 << qint64(3072) << qint64(-1) << -1 << true << L{1024, 1024, 1024, 0};
    QTest::newRow("1025") << 1025 << qint64(1025) << qint64(-1) << -1 << true << L{1024, 1};
    QTest::newRow("one byte short") << 1023 << qint64(1024) << qint64(-1) << -1 << false << L{1023};
    QTest::newRow("one byte over") << 1025 << qint64(1024) << qint64(-1) << -1 << false << L{1024, 1};
    QTest::newRow("multiple, one short") << 2048 << qint64(2049) << qint64(-1) << -1 << false << L{1024, 1024, 0};
    QTest::newRow("multiple, one over") << 2048 << qint64(2047) << qint64(-1) << -1 << false << L{1024, 1024};
    QTest::newRow("far too long stops early") << 100000 << qint64(1000) << qint64(-1) << -1 << false << L{1024};
    QTest::newRow("announced but empty") << 0 << qint64(10) << qint64(-1) << -1 << false << L{0};
    // A short read ends the download even when more would follow; the length check drops it.
    QTest::newRow("short read mid-stream") << 3000 << qint64(3000) << qint64(500) << -1 << false << L{500};
    QTest::newRow("read error after all bytes") << 1024 << qint64(1024) << qint64(-1) << 1 << false << L{1024, -1};
}

void TstStreamRule::download()
{
    QFETCH(int, size);
    QFETCH(qint64, announced);
    QFETCH(qint64, maxPerRead);
    QFETCH(int, failAtRead);
    QFETCH(bool, accepted);
    QFETCH(QList<qint64>, reads);

    const QByteArray data = pattern(size);
    CountingDevice device(data, maxPerRead, failAtRead);
    const std::optional<QByteArray> result = readAnnouncedStream(&device, announced);
    QCOMPARE(result.has_value(), accepted);
    if (accepted)
        QCOMPARE(*result, data);
    QCOMPARE(device.results, reads);
}

void TstStreamRule::startsAtPositionZero()
{
    const QByteArray data = pattern(1500);
    CountingDevice device(data);
    device.read(700); // a stream handed over after someone looked at it
    device.results.clear();
    const std::optional<QByteArray> result = readAnnouncedStream(&device, 1500);
    QVERIFY(result);
    QCOMPARE(*result, data);
    QCOMPARE(device.results, (QList<qint64>{1024, 476}));
}

void TstStreamRule::noStream()
{
    QVERIFY(!readAnnouncedStream(nullptr, 10));
    QBuffer closed;
    QVERIFY(!readAnnouncedStream(&closed, 10));
}

QTEST_GUILESS_MAIN(TstStreamRule)
#include "tst_streamrule.moc"
