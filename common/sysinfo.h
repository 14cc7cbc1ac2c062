#pragma once

#include <QHostAddress>
#include <QList>
#include <QString>

namespace vexor {

// Where the workstation facts are read from: the machine's own root, or a copy of the few
// files involved (tests use small trees of /sys, /run/udev and /proc).
struct SystemRoot
{
    QString path = QStringLiteral("/");

    QString file(const QString &relative) const;  // relative: without a leading "/"
};

// Serial number of the first physical disk, upper case, empty when there is none. Disks are
// the /sys/block entries in name order, without virtual devices (no "device" link), loop,
// ram, zram, dm-, md, sr and fd devices and removable media (a plugged-in stick must not
// change the machine's identity). Only the first disk counts. Its serial comes from
// device/serial (NVMe, MMC), else the block device's own serial (virtio), else the unit
// serial page device/vpd_pg80 (SCSI, SATA), else the udev database's ID_SERIAL_SHORT. The
// text keeps any blanks the device reports.
QString DiskSeriNoVer(const SystemRoot &root = {});

// Address of the first network adapter whose address is not all zero, as
// XX-XX-XX-XX-XX-XX; empty when there is none. Adapters backed by hardware (a "device" link
// under /sys/class/net/<name>) come first, each group in name order; "lo" never counts.
QString MacAdresiVer(const SystemRoot &root = {});

// The machine identity: the disk serial, else the adapter address, trimmed and with every
// blank removed. Never throws; empty when neither source gives anything.
QString BilgisayarIdVer(const SystemRoot &root = {});

// The computer's short network name: the kernel's host name up to its first dot, cut to 15
// characters as workstation names are. Empty on failure.
QString BilgisayarAdiVer(const SystemRoot &root = {});
QString shortComputerName(const QString &hostName);

// The effective user's account name; empty on failure and for names longer than 15
// characters, which do not fit the workstation field.
QString BilgisayarKullaniciVer();
QString workstationUserName(const QString &accountName);

// The workstation's IPv4 address as dotted text, for the session record. The host name is
// resolved; "127.0.0.1" when nothing better is found.
QString YerelIpVer();
// The choice YerelIpVer makes: the first resolved IPv4 address that is not loopback (Debian
// maps the host name to 127.0.1.1), else the first such address of the machine's interfaces,
// else the first resolved IPv4 address, else "127.0.0.1".
QString chooseLocalIPv4(const QList<QHostAddress> &resolved,
                        const QList<QHostAddress> &interfaceAddresses);

// The per-user settings folder (XDG config folder + "/vexor"), created when missing, without
// a trailing separator.
QString AyarKlasoruVer();

// The user's documents folder, without a trailing separator.
QString BelgelerKlasoruVer();

} // namespace vexor
