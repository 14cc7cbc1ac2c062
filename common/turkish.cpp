#include "turkish.h"

namespace vexor {

QChar foldTurkishLetter(QChar c)
{
    switch (c.unicode()) {
    case u'ğ': return QLatin1Char('g');
    case u'ü': return QLatin1Char('u');
    case u'ş': return QLatin1Char('s');
    case u'ö': return QLatin1Char('o');
    case u'ç': return QLatin1Char('c');
    case u'Ğ': return QLatin1Char('G');
    case u'Ü': return QLatin1Char('U');
    case u'Ş': return QLatin1Char('S');
    case u'İ': return QLatin1Char('I');
    case u'Ö': return QLatin1Char('O');
    case u'Ç': return QLatin1Char('C');
    case u'ı': return QLatin1Char('I');
    default: return c;
    }
}

QString foldTurkish(QStringView text)
{
    QString folded(text.size(), Qt::Uninitialized);
    QChar *out = folded.data();
    for (const QChar c : text)
        *out++ = foldTurkishLetter(c);
    // Folding first keeps i and ı apart: toUpper is locale-free, so i becomes I, never İ.
    return folded.toUpper();
}

} // namespace vexor
