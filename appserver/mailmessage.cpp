#include "mailmessage.h"

#include <QCryptographicHash>
#include <QStringList>
#include <QUrl>

namespace vexor::mail {

namespace {

bool isAsciiLetterOrDigit(char16_t c)
{
    return (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z') || (c >= u'0' && c <= u'9');
}

// The characters of a dot-atom local part besides letters, digits and the dot.
bool isAtomSymbol(char16_t c)
{
    return QStringView(u"!#$%&'*+-/=?^_`{|}~").contains(QChar(c));
}

bool isPrintableAscii(const QString &text)
{
    for (const QChar c : text) {
        if (c.unicode() < 0x20 || c.unicode() > 0x7e)
            return false;
    }
    return true;
}

QByteArray twoDigits(int n)
{
    return QByteArray::number(n).rightJustified(2, '0');
}

} // namespace

std::optional<QByteArray> bareAddress(const QString &text)
{
    const QString t = text.trimmed();
    if (t.isEmpty() || t.size() > 254)
        return std::nullopt;
    const qsizetype at = t.indexOf(QLatin1Char('@'));
    if (at <= 0 || at != t.lastIndexOf(QLatin1Char('@')) || at == t.size() - 1)
        return std::nullopt;
    const QString local = t.left(at);
    const QString domain = t.mid(at + 1);
    if (local.size() > 64 || local.startsWith(QLatin1Char('.')) || local.endsWith(QLatin1Char('.'))
        || local.contains(QStringLiteral("..")))
        return std::nullopt;
    for (const QChar c : local) {
        if (!isAsciiLetterOrDigit(c.unicode()) && !isAtomSymbol(c.unicode()) && c != QLatin1Char('.'))
            return std::nullopt;
    }
    // toAce accepts more than a host name may hold; the labels are checked on its result.
    for (const QChar c : domain) {
        if (c.isSpace() || c.category() == QChar::Other_Control || c.category() == QChar::Other_Format)
            return std::nullopt;
    }
    const QByteArray ace = QUrl::toAce(domain);
    if (ace.isEmpty() || ace.size() > 253)
        return std::nullopt;
    const QList<QByteArray> labels = ace.split('.');
    if (labels.size() < 2)
        return std::nullopt;
    for (const QByteArray &label : labels) {
        if (label.isEmpty() || label.size() > 63 || label.startsWith('-') || label.endsWith('-'))
            return std::nullopt;
        for (const char c : label) {
            if (!isAsciiLetterOrDigit(char16_t(uchar(c))) && c != '-')
                return std::nullopt;
        }
    }
    return local.toLatin1() + '@' + ace;
}

std::optional<Mailbox> parseMailbox(const QString &text)
{
    const QString t = text.trimmed();
    Mailbox box;
    QString address = t;
    if (t.endsWith(QLatin1Char('>'))) {
        const qsizetype open = t.lastIndexOf(QLatin1Char('<'));
        if (open < 0)
            return std::nullopt;
        address = t.mid(open + 1, t.size() - open - 2);
        QString name = t.left(open).trimmed();
        if (name.size() >= 2 && name.startsWith(QLatin1Char('"')) && name.endsWith(QLatin1Char('"'))) {
            name = name.mid(1, name.size() - 2);
            name.replace(QStringLiteral("\\\""), QStringLiteral("\"")).replace(QStringLiteral("\\\\"), QStringLiteral("\\"));
        }
        box.name = headerText(name).trimmed();
    }
    const auto bare = bareAddress(address);
    if (!bare)
        return std::nullopt;
    box.address = *bare;
    return box;
}

QString headerText(const QString &text)
{
    QString line = text;
    for (QChar &c : line) {
        if (c.category() == QChar::Other_Control || c == QChar::LineSeparator || c == QChar::ParagraphSeparator
            || c == QChar(0x85))
            c = QLatin1Char(' ');
    }
    return line;
}

QByteArray encodeHeaderText(const QString &text, int nameLength)
{
    const QString clean = headerText(text);
    if (nameLength + clean.size() <= 78 && isPrintableAscii(clean) && !clean.contains(QStringLiteral("=?")))
        return clean.toLatin1();
    // Encoded words of at most 39 bytes of text (52 in base64, 64 with their frame), cut between
    // characters, each on its own line after the first.
    constexpr qsizetype kWordBytes = 39;
    QByteArray out;
    QByteArray chunk;
    const auto flush = [&] {
        if (chunk.isEmpty())
            return;
        if (!out.isEmpty())
            out += "\r\n ";
        out += "=?UTF-8?B?" + chunk.toBase64() + "?=";
        chunk.clear();
    };
    for (qsizetype i = 0; i < clean.size(); ++i) {
        const qsizetype length = clean.at(i).isHighSurrogate() && i + 1 < clean.size() ? 2 : 1;
        const QByteArray bytes = clean.mid(i, length).toUtf8();
        i += length - 1;
        if (chunk.size() + bytes.size() > kWordBytes)
            flush();
        chunk += bytes;
    }
    flush();
    return out;
}

QByteArray formatMailbox(const Mailbox &mailbox)
{
    const QString name = headerText(mailbox.name).trimmed();
    if (name.isEmpty())
        return mailbox.address;
    if (isPrintableAscii(name) && !name.contains(QStringLiteral("=?"))) {
        QByteArray quoted = name.toLatin1();
        quoted.replace('\\', "\\\\").replace('"', "\\\"");
        return '"' + quoted + "\" <" + mailbox.address + '>';
    }
    return encodeHeaderText(name, 78) + " <" + mailbox.address + '>';
}

QByteArray quotedPrintable(const QString &text)
{
    QString normalized = text;
    normalized.replace(QStringLiteral("\r\n"), QStringLiteral("\n")).replace(QLatin1Char('\r'), QLatin1Char('\n'));
    QStringList lines = normalized.split(QLatin1Char('\n'));
    if (lines.size() > 1 && lines.last().isEmpty())
        lines.removeLast();
    static const char hex[] = "0123456789ABCDEF";
    QByteArray out;
    for (qsizetype i = 0; i < lines.size(); ++i) {
        const QByteArray bytes = lines.at(i).toUtf8();
        int column = 0;
        for (qsizetype j = 0; j < bytes.size(); ++j) {
            const auto c = uchar(bytes.at(j));
            const bool last = j == bytes.size() - 1;
            QByteArray token;
            // Blanks at the end of a line would be lost on the way, so they are encoded there.
            if ((c >= 33 && c <= 126 && c != '=') || ((c == ' ' || c == '\t') && !last))
                token = QByteArray(1, char(c));
            else
                token = QByteArray("=") + hex[c >> 4] + hex[c & 15];
            if (column + token.size() > 75) { // a soft break: "=" ends the line at 76
                out += "=\r\n";
                column = 0;
            }
            out += token;
            column += int(token.size());
        }
        out += "\r\n";
    }
    return out;
}

QByteArray mailDate(const QDateTime &dateTime)
{
    static const char *const days[] = {"Mon", "Tue", "Wed", "Thu", "Fri", "Sat", "Sun"};
    static const char *const months[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun", "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
    const QDate d = dateTime.date();
    const QTime t = dateTime.time();
    const int offset = dateTime.offsetFromUtc() / 60;
    const int size = offset < 0 ? -offset : offset;
    return QByteArray(days[d.dayOfWeek() - 1]) + ", " + QByteArray::number(d.day()) + ' ' + months[d.month() - 1] + ' '
        + QByteArray::number(d.year()) + ' ' + twoDigits(t.hour()) + ':' + twoDigits(t.minute()) + ':' + twoDigits(t.second())
        + ' ' + (offset < 0 ? '-' : '+') + twoDigits(size / 60) + twoDigits(size % 60);
}

Envelope buildMessage(const OutboxMail &mail, const Mailbox &sender)
{
    Envelope e;
    const auto to = bareAddress(mail.recipient);
    if (!to) {
        e.error = QStringLiteral("the recipient '%1' is not an address the relay can send to")
                      .arg(headerText(mail.recipient).left(120));
        return e;
    }
    e.from = sender.address;
    e.to = *to;
    const QDateTime created = mail.createdAt.isValid() ? mail.createdAt : QDateTime::currentDateTime();
    const QByteArray domain = sender.address.mid(sender.address.indexOf('@') + 1);
    const QByteArray fingerprint = QCryptographicHash::hash(
        QString(QString::number(mail.id) + QLatin1Char('\n') + created.toString(Qt::ISODate) + QLatin1Char('\n') + mail.machineId
                + QLatin1Char('\n') + mail.recipient).toUtf8(),
        QCryptographicHash::Sha1).toHex().left(12);

    QByteArray m;
    m += "Date: " + mailDate(created) + "\r\n";
    m += "From: " + formatMailbox(sender) + "\r\n";
    m += "To: " + *to + "\r\n";
    if (const auto replyTo = bareAddress(mail.replyTo))
        m += "Reply-To: " + *replyTo + "\r\n";
    m += "Message-ID: <" + created.toString(QStringLiteral("yyyyMMddHHmmss")).toLatin1() + '.' + QByteArray::number(mail.id) + '.'
        + fingerprint + '@' + domain + ">\r\n";
    m += "Subject: " + encodeHeaderText(mail.subject, 9) + "\r\n";
    m += "MIME-Version: 1.0\r\n";
    m += "Content-Type: text/plain; charset=UTF-8\r\n";
    m += "Content-Transfer-Encoding: quoted-printable\r\n";
    m += "\r\n";
    m += quotedPrintable(mail.body);
    e.message = m;
    return e;
}

} // namespace vexor::mail
