#pragma once

#include <QChar>
#include <QString>
#include <QStringView>

namespace vexor {

// The folding of the search box: the Turkish letters become plain Latin letters so that a
// search ignores them (ğ g, ü u, ş s, ö o, ç c, ı I and their capitals, İ I). Other characters
// are returned unchanged. The dotless ı becomes a capital I, as the box shows capitals anyway.
QChar foldTurkishLetter(QChar c);

// What the search box holds for a typed text: every letter folded as above, then the whole
// text in capitals. The server folds stock names and search texts with the same function,
// so both sides agree on what matches ("Fren balatası ön" and "FREN BALATASI ON" are equal).
QString foldTurkish(QStringView text);

} // namespace vexor
