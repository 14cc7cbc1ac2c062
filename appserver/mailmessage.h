#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QString>

#include <optional>

namespace vexor::mail {

// The pieces of an Internet mail the relay writes. Plain functions, so every rule of the format
// can be checked on its own; nothing here talks to a network.

// An address the relay can hand to a mail server: "local@domain" in ASCII, the domain in its
// ASCII (punycode) form. Quoted local parts, address literals and local parts outside ASCII are
// not taken, nor anything with blanks or control characters (a line break in an address would
// be a new header or SMTP command). Empty when `text` is no such address.
std::optional<QByteArray> bareAddress(const QString &text);

// A sender as written in the settings: "address" or "Display Name <address>".
struct Mailbox
{
    QString name;       // may be empty
    QByteArray address; // as bareAddress gives it
};
std::optional<Mailbox> parseMailbox(const QString &text);

// Text for a header: line breaks and other control characters become blanks. Every value that
// goes into a header passes through here first.
QString headerText(const QString &text);

// An unstructured header value (a subject, a display name) as it follows "Name: ": printable
// ASCII stays as it is while the line stays short, anything else becomes UTF-8 encoded words
// folded onto continuation lines. `nameLength` is the length of "Name: " before it.
QByteArray encodeHeaderText(const QString &text, int nameLength);

// A mailbox for From/To/Reply-To: the address, with the display name quoted or encoded.
QByteArray formatMailbox(const Mailbox &mailbox);

// The body in quoted-printable: UTF-8, CRLF line ends, lines of at most 76 characters.
QByteArray quotedPrintable(const QString &text);

// "Sat, 14 Mar 2026 09:30:00 +0300": English names whatever the locale, the zone as an offset.
QByteArray mailDate(const QDateTime &dateTime);

// One row of the outbox as the relay reads it.
struct OutboxMail
{
    qint64 id = 0;
    QDateTime createdAt;
    QString machineId;
    QString recipient;
    QString replyTo;
    QString subject;
    QString body;
};

// What goes to the mail server: the envelope and the message itself.
struct Envelope
{
    QByteArray from;    // MAIL FROM address
    QByteArray to;      // RCPT TO address
    QByteArray message; // headers and body, CRLF line ends
    QString error;      // set (and nothing else) when the mail can never be sent as it is
};

// Builds the message of an outbox row sent by `sender`. Date is when the user sent the request;
// Message-ID is the same on every try, so a mail server that got it twice can tell. Reply-To is
// the row's reply address when it is one, and left out otherwise.
Envelope buildMessage(const OutboxMail &mail, const Mailbox &sender);

} // namespace vexor::mail
