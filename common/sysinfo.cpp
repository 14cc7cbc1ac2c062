#include "sysinfo.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHostInfo>
#include <QNetworkInterface>
#include <QStandardPaths>

#include <algorithm>

#include <pwd.h>
#include <unistd.h>

namespace vexor {

namespace {

QByteArray readFile(const QString &path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return QByteArray();
    return f.readAll();
}

// Attribute files end in a line feed; some serial sources pad with NULs.
QString attributeText(const QByteArray &bytes)
{
    QByteArray b = bytes;
    while (!b.isEmpty() && (b.endsWith('\n') || b.endsWith('\r') || b.endsWith('\0')))
        b.chop(1);
    b.replace('\0', "");
    return QString::fromLatin1(b);
}

QStringList sortedEntries(const QString &dir)
{
    QStringList names = QDir(dir).entryList(QDir::Dirs | QDir::NoDotAndDotDot | QDir::System,
                                            QDir::NoSort);
    std::sort(names.begin(), names.end());
    return names;
}

bool isPhysicalDisk(const SystemRoot &root, const QString &name)
{
    static const char *const skipped[] = {"loop", "ram", "zram", "dm-", "md", "sr", "fd"};
    for (const char *prefix : skipped) {
        if (name.startsWith(QLatin1String(prefix)))
            return false;
    }
    const QString dir = root.file(QStringLiteral("sys/block/") + name);
    if (!QFileInfo::exists(dir + QStringLiteral("/device")))
        return false;
    return attributeText(readFile(dir + QStringLiteral("/removable"))).trimmed()
           != QStringLiteral("1");
}

// Unit serial number page: peripheral byte, page code, two length bytes, then the serial.
QString serialFromVpdPage(const QByteArray &page)
{
    if (page.size() <= 4)
        return QString();
    const int length = (quint8(page[2]) << 8) | quint8(page[3]);
    return attributeText(page.mid(4, std::min<qsizetype>(length, page.size() - 4)));
}

QString serialFromUdev(const SystemRoot &root, const QString &diskDir)
{
    const QString majorMinor = attributeText(readFile(diskDir + QStringLiteral("/dev"))).trimmed();
    if (majorMinor.isEmpty())
        return QString();
    const QByteArray data = readFile(root.file(QStringLiteral("run/udev/data/b") + majorMinor));
    static const QByteArray key = QByteArrayLiteral("E:ID_SERIAL_SHORT=");
    for (const QByteArray &line : data.split('\n')) {
        if (line.startsWith(key))
            return attributeText(line.mid(key.size()));
    }
    return QString();
}

QString diskSerial(const SystemRoot &root, const QString &name)
{
    const QString dir = root.file(QStringLiteral("sys/block/") + name);
    QString serial = attributeText(readFile(dir + QStringLiteral("/device/serial")));
    if (serial.trimmed().isEmpty())
        serial = attributeText(readFile(dir + QStringLiteral("/serial")));
    if (serial.trimmed().isEmpty())
        serial = serialFromVpdPage(readFile(dir + QStringLiteral("/device/vpd_pg80")));
    if (serial.trimmed().isEmpty())
        serial = serialFromUdev(root, dir);
    return serial.trimmed().isEmpty() ? QString() : serial;
}

// "aa:bb:cc:dd:ee:ff" -> "AA-BB-CC-DD-EE-FF"; empty for anything that is not six bytes.
QString formatAdapterAddress(const QString &address)
{
    const QStringList parts = address.trimmed().split(u':');
    if (parts.size() != 6)
        return QString();
    QStringList bytes;
    for (const QString &part : parts) {
        bool ok = false;
        const uint value = part.toUInt(&ok, 16);
        if (!ok || part.size() > 2 || value > 0xff)
            return QString();
        bytes.append(QStringLiteral("%1").arg(value, 2, 16, QLatin1Char('0')).toUpper());
    }
    return bytes.join(u'-');
}

} // namespace

QString SystemRoot::file(const QString &relative) const
{
    return QDir::cleanPath(path + u'/' + relative);
}

QString DiskSeriNoVer(const SystemRoot &root)
{
    for (const QString &name : sortedEntries(root.file(QStringLiteral("sys/block")))) {
        if (isPhysicalDisk(root, name))
            return diskSerial(root, name).toUpper();
    }
    return QString();
}

QString MacAdresiVer(const SystemRoot &root)
{
    const QString netDir = root.file(QStringLiteral("sys/class/net"));
    QStringList physical, other;
    for (const QString &name : sortedEntries(netDir)) {
        if (name == QStringLiteral("lo"))
            continue;
        if (QFileInfo::exists(netDir + u'/' + name + QStringLiteral("/device")))
            physical.append(name);
        else
            other.append(name);
    }
    static const QString allZero = QStringLiteral("00-00-00-00-00-00");
    for (const QString &name : physical + other) {
        const QString address = formatAdapterAddress(
            attributeText(readFile(netDir + u'/' + name + QStringLiteral("/address"))));
        if (!address.isEmpty() && address != allZero)
            return address;
    }
    return QString();
}

QString BilgisayarIdVer(const SystemRoot &root)
{
    QString id;
    try {
        id = DiskSeriNoVer(root).trimmed();
    } catch (...) {
        id.clear();
    }
    if (id.isEmpty()) {
        try {
            id = MacAdresiVer(root).trimmed();
        } catch (...) {
            id.clear();
        }
    }
    id.remove(u' ');
    return id;
}

QString shortComputerName(const QString &hostName)
{
    return hostName.trimmed().section(u'.', 0, 0).left(15);
}

QString BilgisayarAdiVer(const SystemRoot &root)
{
    // The same name gethostname() gives, read where a test tree can provide it.
    return shortComputerName(
        attributeText(readFile(root.file(QStringLiteral("proc/sys/kernel/hostname")))));
}

QString workstationUserName(const QString &accountName)
{
    return accountName.size() > 15 ? QString() : accountName;
}

QString BilgisayarKullaniciVer()
{
    long size = sysconf(_SC_GETPW_R_SIZE_MAX);
    QByteArray buffer(size > 0 ? size : 16384, Qt::Uninitialized);
    passwd entry{};
    passwd *found = nullptr;
    if (getpwuid_r(geteuid(), &entry, buffer.data(), size_t(buffer.size()), &found) != 0
        || !found || !found->pw_name)
        return QString();
    return workstationUserName(QString::fromLocal8Bit(found->pw_name));
}

QString chooseLocalIPv4(const QList<QHostAddress> &resolved,
                        const QList<QHostAddress> &interfaceAddresses)
{
    const auto isIPv4 = [](const QHostAddress &a) {
        return a.protocol() == QAbstractSocket::IPv4Protocol;
    };
    const auto usable = [&](const QHostAddress &a) { return isIPv4(a) && !a.isLoopback(); };
    for (const QList<QHostAddress> *list : {&resolved, &interfaceAddresses}) {
        const auto it = std::find_if(list->begin(), list->end(), usable);
        if (it != list->end())
            return it->toString();
    }
    const auto it = std::find_if(resolved.begin(), resolved.end(), isIPv4);
    return it != resolved.end() ? it->toString() : QStringLiteral("127.0.0.1");
}

QString YerelIpVer()
{
    const QHostInfo info = QHostInfo::fromName(QHostInfo::localHostName());
    QList<QHostAddress> resolved;
    if (info.error() == QHostInfo::NoError)
        resolved = info.addresses();
    QList<QHostAddress> interfaceAddresses;
    bool resolvedUsable = std::any_of(resolved.begin(), resolved.end(), [](const QHostAddress &a) {
        return a.protocol() == QAbstractSocket::IPv4Protocol && !a.isLoopback();
    });
    if (!resolvedUsable) {
        for (const QNetworkInterface &iface : QNetworkInterface::allInterfaces()) {
            const auto flags = iface.flags();
            if (!(flags & QNetworkInterface::IsUp) || !(flags & QNetworkInterface::IsRunning)
                || (flags & QNetworkInterface::IsLoopBack))
                continue;
            for (const QNetworkAddressEntry &entry : iface.addressEntries())
                interfaceAddresses.append(entry.ip());
        }
    }
    return chooseLocalIPv4(resolved, interfaceAddresses);
}

QString AyarKlasoruVer()
{
    const QString base = QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation);
    const QString folder = base + QStringLiteral("/vexor");
    // Without a base there is no sensible place to create anything.
    if (!base.isEmpty())
        QDir().mkpath(folder);
    return folder;
}

QString BelgelerKlasoruVer()
{
    QString folder = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    while (folder.size() > 1 && folder.endsWith(u'/'))
        folder.chop(1);
    return folder;
}

} // namespace vexor
