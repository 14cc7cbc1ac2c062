#include "common/sysinfo.h"

#include <QtTest>

using namespace vexor;
using namespace Qt::StringLiterals;

// A file tree: path relative to the root -> content; a path ending in "/" is a folder.
using Tree = QMap<QString, QByteArray>;

namespace {

void writeTree(const QString &root, const Tree &tree)
{
    for (auto it = tree.cbegin(); it != tree.cend(); ++it) {
        const QString path = root + u'/' + it.key();
        if (it.key().endsWith(u'/')) {
            QVERIFY(QDir().mkpath(path));
            continue;
        }
        QVERIFY(QDir().mkpath(QFileInfo(path).path()));
        QFile f(path);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(it.value());
    }
}

// A disk the way /sys shows it: a "device" link to the bus device and a major:minor number.
Tree disk(const QString &name, const QByteArray &deviceSerial = {}, const QString &dev = u"8:0"_s)
{
    Tree t;
    const QString dir = u"sys/block/"_s + name;
    t.insert(dir + u"/device/"_s, {});
    t.insert(dir + u"/dev"_s, dev.toLatin1() + '\n');
    t.insert(dir + u"/removable"_s, "0\n");
    if (!deviceSerial.isNull())
        t.insert(dir + u"/device/serial"_s, deviceSerial);
    return t;
}

Tree adapter(const QString &name, const QByteArray &address, bool physical = true)
{
    Tree t;
    const QString dir = u"sys/class/net/"_s + name;
    t.insert(dir + u"/address"_s, address + '\n');
    if (physical)
        t.insert(dir + u"/device/"_s, {});
    return t;
}

Tree operator+(Tree a, const Tree &b)
{
    a.insert(b);
    return a;
}

QByteArray vpdPage(const QByteArray &serial)
{
    QByteArray page("\x00\x80\x00", 3);
    page.append(char(serial.size()));
    return page + serial;
}

} // namespace

class TstSysinfo : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void machineIdentity_data();
    void machineIdentity();
    void computerName_data();
    void computerName();
    void userName_data();
    void userName();
    void localIPv4_data();
    void localIPv4();
    void localIpOfThisMachine();
    void settingsFolder();

private:
    QTemporaryDir m_home;
};

void TstSysinfo::initTestCase()
{
    QLocale::setDefault(QLocale(QLocale::Turkish, QLocale::Turkey));
    QVERIFY(m_home.isValid());
    qputenv("HOME", QFile::encodeName(m_home.path()));
    QStandardPaths::setTestModeEnabled(true);
}

void TstSysinfo::machineIdentity_data()
{
    QTest::addColumn<Tree>("tree");
    QTest::addColumn<QString>("diskSerial");
    QTest::addColumn<QString>("adapterAddress");
    QTest::addColumn<QString>("identity");

    const Tree eth0 = adapter(u"eth0"_s, "00:1a:2b:3c:4d:5e");

    QTest::newRow("blanks inside and around the serial")
        << disk(u"sda"_s, " WD-WX41A 1234\n") + eth0 << u" WD-WX41A 1234"_s
        << u"00-1A-2B-3C-4D-5E"_s << u"WD-WX41A1234"_s;
    QTest::newRow("serial upper-cased, padding dropped")
        << disk(u"nvme0n1"_s, "s4ewnx0r123456      \n") << u"S4EWNX0R123456      "_s << QString()
        << u"S4EWNX0R123456"_s;
    QTest::newRow("disks in name order")
        << disk(u"sdb"_s, "SECOND\n") + disk(u"nvme0n1"_s, "FIRST\n") + disk(u"sda"_s, "MIDDLE\n")
        << u"FIRST"_s << QString() << u"FIRST"_s;
    QTest::newRow("loop, ram, zram, dm, md, sr and fd are no disks")
        << disk(u"dm-0"_s, "DM\n") + disk(u"fd0"_s, "FD\n") + disk(u"loop0"_s, "LOOP\n")
               + disk(u"md127"_s, "MD\n") + disk(u"ram0"_s, "RAM\n") + disk(u"sr0"_s, "CDROM\n")
               + disk(u"zram0"_s, "ZRAM\n") + disk(u"vdb"_s, "REAL\n")
        << u"REAL"_s << QString() << u"REAL"_s;
    QTest::newRow("device without a device link is virtual")
        << Tree{{u"sys/block/nbd0/serial"_s, "VIRTUAL\n"}} + disk(u"sdc"_s, "PHYSICAL\n")
        << u"PHYSICAL"_s << QString() << u"PHYSICAL"_s;
    QTest::newRow("removable media do not count")
        << disk(u"sda"_s, "STICK\n") + Tree{{u"sys/block/sda/removable"_s, "1\n"}}
               + disk(u"sdb"_s, "FIXED\n")
        << u"FIXED"_s << QString() << u"FIXED"_s;
    QTest::newRow("virtio serial of the block device")
        << disk(u"vda"_s) + Tree{{u"sys/block/vda/serial"_s, "vol-0a1b2c"}}
        << u"VOL-0A1B2C"_s << QString() << u"VOL-0A1B2C"_s;
    QTest::newRow("unit serial page, header skipped")
        << disk(u"sda"_s) + Tree{{u"sys/block/sda/device/vpd_pg80"_s, vpdPage("  ZA1B2C3D")}}
        << u"  ZA1B2C3D"_s << QString() << u"ZA1B2C3D"_s;
    QTest::newRow("blank device serial falls through to the page")
        << disk(u"sda"_s, "    \n")
               + Tree{{u"sys/block/sda/device/vpd_pg80"_s, vpdPage("PAGESERIAL")}}
        << u"PAGESERIAL"_s << QString() << u"PAGESERIAL"_s;
    QTest::newRow("udev database by major:minor")
        << disk(u"sda"_s, {}, u"8:16"_s)
               + Tree{{u"run/udev/data/b8:0"_s, "E:ID_SERIAL_SHORT=WRONGDISK\n"},
                      {u"run/udev/data/b8:16"_s,
                       "S:disk/by-id/ata-X\nE:ID_SERIAL=Samsung_SSD_S3Z9\n"
                       "E:ID_SERIAL_SHORT=s3z9nb0k\nE:ID_TYPE=disk\n"}}
        << u"S3Z9NB0K"_s << QString() << u"S3Z9NB0K"_s;
    QTest::newRow("no serial: the first adapter")
        << disk(u"sda"_s) + eth0 << QString() << u"00-1A-2B-3C-4D-5E"_s << u"00-1A-2B-3C-4D-5E"_s;
    QTest::newRow("only the first disk decides")
        << disk(u"sda"_s) + disk(u"sdb"_s, "SECONDDISK\n") + eth0 << QString()
        << u"00-1A-2B-3C-4D-5E"_s << u"00-1A-2B-3C-4D-5E"_s;
    QTest::newRow("all-zero first adapter skipped")
        << adapter(u"eth0"_s, "00:00:00:00:00:00") + adapter(u"eth1"_s, "a4:bb:6d:01:02:0f")
        << QString() << u"A4-BB-6D-01-02-0F"_s << u"A4-BB-6D-01-02-0F"_s;
    QTest::newRow("hardware adapters before virtual ones, never lo")
        << adapter(u"br0"_s, "02:42:ac:11:00:02", false) + adapter(u"lo"_s, "00:00:00:00:00:01")
               + adapter(u"wlp2s0"_s, "7c:b2:7d:aa:bb:cc")
        << QString() << u"7C-B2-7D-AA-BB-CC"_s << u"7C-B2-7D-AA-BB-CC"_s;
    QTest::newRow("virtual adapter when there is no other")
        << adapter(u"veth1"_s, "0e:00:00:00:00:01", false) << QString()
        << u"0E-00-00-00-00-01"_s << u"0E-00-00-00-00-01"_s;
    QTest::newRow("addresses that are not six bytes skipped")
        << adapter(u"ib0"_s, "80:00:02:08:fe:80:00:00:00:00:00:00:00:02:c9:03:00:0a:0b:0c")
               + adapter(u"ib1"_s, "zz:00:00:00:00:01") + adapter(u"ib2"_s, "")
               + adapter(u"ib3"_s, "00:11:22:33:44:55")
        << QString() << u"00-11-22-33-44-55"_s << u"00-11-22-33-44-55"_s;
    QTest::newRow("only lo and zero adapters: nothing")
        << adapter(u"lo"_s, "00:00:00:00:00:00") + adapter(u"eth0"_s, "00:00:00:00:00:00")
        << QString() << QString() << QString();
    QTest::newRow("empty tree: nothing") << Tree{} << QString() << QString() << QString();
}

void TstSysinfo::machineIdentity()
{
    QFETCH(Tree, tree);
    QFETCH(QString, diskSerial);
    QFETCH(QString, adapterAddress);
    QFETCH(QString, identity);

    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    writeTree(dir.path(), tree);
    const SystemRoot root{dir.path()};

    QCOMPARE(DiskSeriNoVer(root), diskSerial);
    QCOMPARE(MacAdresiVer(root), adapterAddress);
    QCOMPARE(BilgisayarIdVer(root), identity);
}

void TstSysinfo::computerName_data()
{
    QTest::addColumn<Tree>("tree");
    QTest::addColumn<QString>("expected");

    QTest::newRow("short name") << Tree{{u"proc/sys/kernel/hostname"_s, "muhasebe-pc\n"}}
                                << u"muhasebe-pc"_s;
    QTest::newRow("domain dropped") << Tree{{u"proc/sys/kernel/hostname"_s, "pc12.corp.example\n"}}
                                    << u"pc12"_s;
    QTest::newRow("cut to 15 characters")
        << Tree{{u"proc/sys/kernel/hostname"_s, "workstation-accounting-01\n"}}
        << u"workstation-acc"_s;
    QTest::newRow("unreadable") << Tree{} << QString();
}

void TstSysinfo::computerName()
{
    QFETCH(Tree, tree);
    QFETCH(QString, expected);
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    writeTree(dir.path(), tree);
    QCOMPARE(BilgisayarAdiVer(SystemRoot{dir.path()}), expected);
}

void TstSysinfo::userName_data()
{
    QTest::addColumn<QString>("account");
    QTest::addColumn<QString>("expected");
    QTest::newRow("short") << u"ahmet"_s << u"ahmet"_s;
    QTest::newRow("15 characters fit") << u"abcdefghijklmno"_s << u"abcdefghijklmno"_s;
    QTest::newRow("16 characters do not") << u"abcdefghijklmnop"_s << QString();
    QTest::newRow("15 Turkish letters fit") << u"çğıöşüÇĞİÖŞÜçğı"_s << u"çğıöşüÇĞİÖŞÜçğı"_s;
}

void TstSysinfo::userName()
{
    QFETCH(QString, account);
    QFETCH(QString, expected);
    QCOMPARE(workstationUserName(account), expected);
}

void TstSysinfo::localIPv4_data()
{
    QTest::addColumn<QList<QHostAddress>>("resolved");
    QTest::addColumn<QList<QHostAddress>>("interfaces");
    QTest::addColumn<QString>("expected");

    const QHostAddress debianHost(u"127.0.1.1"_s);
    const QHostAddress lan(u"192.168.1.20"_s);
    const QHostAddress v6(u"fe80::1"_s);

    QTest::newRow("first resolved address")
        << QList{QHostAddress(u"10.0.0.5"_s), lan} << QList<QHostAddress>{} << u"10.0.0.5"_s;
    QTest::newRow("IPv6 and loopback passed over")
        << QList{v6, debianHost, lan} << QList<QHostAddress>{} << u"192.168.1.20"_s;
    QTest::newRow("host name mapped to loopback: interface address")
        << QList{debianHost} << QList{v6, QHostAddress(u"172.16.0.3"_s)} << u"172.16.0.3"_s;
    QTest::newRow("only loopback anywhere") << QList{debianHost} << QList<QHostAddress>{}
                                            << u"127.0.1.1"_s;
    QTest::newRow("nothing resolved") << QList<QHostAddress>{} << QList<QHostAddress>{}
                                      << u"127.0.0.1"_s;
}

void TstSysinfo::localIPv4()
{
    QFETCH(QList<QHostAddress>, resolved);
    QFETCH(QList<QHostAddress>, interfaces);
    QFETCH(QString, expected);
    QCOMPARE(chooseLocalIPv4(resolved, interfaces), expected);
}

void TstSysinfo::localIpOfThisMachine()
{
    const QHostAddress address(YerelIpVer());
    QCOMPARE(address.protocol(), QAbstractSocket::IPv4Protocol);
}

void TstSysinfo::settingsFolder()
{
    const QString base = QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation);
    QVERIFY(base.startsWith(m_home.path()));
    QVERIFY(!QFileInfo::exists(base + u"/vexor"_s));

    const QString folder = AyarKlasoruVer();
    QCOMPARE(folder, base + u"/vexor"_s);
    QVERIFY(QFileInfo(folder).isDir());
    // Asking again finds the folder that is there.
    QCOMPARE(AyarKlasoruVer(), folder);
}

QTEST_GUILESS_MAIN(TstSysinfo)
#include "tst_sysinfo.moc"
