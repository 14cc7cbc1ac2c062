#include "ayarini.h"

#include "common/sysinfo.h"

#include <QFile>
#include <QStringList>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace vexor {

namespace {

const QString kBolum = QStringLiteral("kullanici");
const QString kIsim = QStringLiteral("isim");
const QString kSifre = QStringLiteral("sifre");
const QString kHatirla = QStringLiteral("hatırla");

QString sectionName(const QString &line)
{
    const QString t = line.trimmed();
    if (t.startsWith(u'[') && t.endsWith(u']'))
        return t.mid(1, t.size() - 2).trimmed();
    return QString();
}

bool isComment(const QString &line)
{
    const QString t = line.trimmed();
    return t.isEmpty() || t.startsWith(u';') || t.startsWith(u'#');
}

// Key of a "key=value" line; empty for anything else.
QString keyOf(const QString &line, QString *value = nullptr)
{
    if (isComment(line) || !sectionName(line).isEmpty())
        return QString();
    const qsizetype eq = line.indexOf(u'=');
    if (eq <= 0)
        return QString();
    if (value)
        *value = line.mid(eq + 1).trimmed();
    return line.left(eq).trimmed();
}

QStringList linesOf(QString text)
{
    if (text.startsWith(QChar(0xFEFF)))
        text.remove(0, 1);
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    QStringList lines = text.split(u'\n');
    if (!lines.isEmpty() && lines.last().isEmpty())
        lines.removeLast();
    return lines;
}

} // namespace

QString ayarDosyasiYolu()
{
    return AyarKlasoruVer() + QStringLiteral("/ayar.ini");
}

std::optional<KullaniciAyari> ayarDosyasiniOku(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    KullaniciAyari ayar;
    QString section;
    for (const QString &line : linesOf(QString::fromUtf8(file.readAll()))) {
        const QString name = sectionName(line);
        if (!name.isEmpty()) {
            section = name;
            continue;
        }
        if (section.compare(kBolum, Qt::CaseInsensitive) != 0)
            continue;
        QString value;
        const QString key = keyOf(line, &value);
        if (key.compare(kIsim, Qt::CaseInsensitive) == 0)
            ayar.isim = value;
        else if (key.compare(kSifre, Qt::CaseInsensitive) == 0)
            ayar.sifre = value;
        else if (key == kHatirla) {
            bool ok = false;
            const int n = value.toInt(&ok);
            ayar.hatirla = ok ? n != 0 : true;
        }
    }
    return ayar;
}

QString ayarMetniniGuncelle(const QString &existing, const KullaniciAyari &ayar)
{
    const QList<std::pair<QString, QString>> values = {
        {kIsim, ayar.isim},
        {kSifre, ayar.sifre},
        {kHatirla, ayar.hatirla ? QStringLiteral("1") : QStringLiteral("0")},
    };

    QStringList lines = linesOf(existing);
    // Find the section; drop our keys from it, remembering where it ends.
    qsizetype sectionStart = -1;
    qsizetype sectionEnd = lines.size();
    for (qsizetype i = 0; i < lines.size(); ++i) {
        const QString name = sectionName(lines[i]);
        if (name.isEmpty())
            continue;
        if (sectionStart >= 0) {
            sectionEnd = i;
            break;
        }
        if (name.compare(kBolum, Qt::CaseInsensitive) == 0)
            sectionStart = i;
    }
    QStringList ours;
    for (const auto &[key, value] : values)
        ours << key + u'=' + value;

    if (sectionStart < 0) {
        if (!lines.isEmpty() && !lines.last().trimmed().isEmpty())
            lines << QString();
        lines << u'[' + kBolum + u']';
        lines << ours;
    } else {
        QStringList kept;
        for (qsizetype i = sectionStart + 1; i < sectionEnd; ++i) {
            const QString key = keyOf(lines[i]);
            const bool isOurs = key.compare(kIsim, Qt::CaseInsensitive) == 0
                || key.compare(kSifre, Qt::CaseInsensitive) == 0 || key == kHatirla;
            if (!isOurs)
                kept << lines[i];
        }
        // Our keys come first, in their order; trailing blank lines stay before the next section.
        qsizetype trailingBlanks = 0;
        while (!kept.isEmpty() && kept.last().trimmed().isEmpty()) {
            kept.removeLast();
            ++trailingBlanks;
        }
        QStringList section = ours + kept;
        for (qsizetype i = 0; i < trailingBlanks; ++i)
            section << QString();
        lines = lines.mid(0, sectionStart + 1) + section + lines.mid(sectionEnd);
    }
    return lines.join(u'\n') + u'\n';
}

bool ayarDosyasinaYaz(const QString &path, const KullaniciAyari &ayar, QString *hata)
{
    auto fail = [&](const QString &why) {
        if (hata)
            *hata = why;
        return false;
    };

    QString existing;
    {
        QFile old(path);
        if (old.exists() && old.open(QIODevice::ReadOnly))
            existing = QString::fromUtf8(old.readAll());
    }
    const QByteArray bytes = ayarMetniniGuncelle(existing, ayar).toUtf8();

    // A new file created 0600 whatever the umask, written in full and then renamed over the
    // old one.
    const QByteArray target = QFile::encodeName(path);
    const QByteArray temporary = target + ".yeni";
    ::unlink(temporary.constData());
    const int fd = ::open(temporary.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, S_IRUSR | S_IWUSR);
    if (fd < 0)
        return fail(QString::fromLocal8Bit(std::strerror(errno)));
    qsizetype written = 0;
    while (written < bytes.size()) {
        const ssize_t n = ::write(fd, bytes.constData() + written, size_t(bytes.size() - written));
        if (n < 0) {
            if (errno == EINTR)
                continue;
            const QString why = QString::fromLocal8Bit(std::strerror(errno));
            ::close(fd);
            ::unlink(temporary.constData());
            return fail(why);
        }
        written += n;
    }
    const bool synced = ::fchmod(fd, S_IRUSR | S_IWUSR) == 0 && ::fsync(fd) == 0;
    const int syncError = errno;
    if (::close(fd) != 0 || !synced) {
        const QString why = QString::fromLocal8Bit(std::strerror(synced ? errno : syncError));
        ::unlink(temporary.constData());
        return fail(why);
    }
    if (::rename(temporary.constData(), target.constData()) != 0) {
        const QString why = QString::fromLocal8Bit(std::strerror(errno));
        ::unlink(temporary.constData());
        return fail(why);
    }
    return true;
}

} // namespace vexor
