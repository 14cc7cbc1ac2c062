#pragma once

#include <QLocale>
#include <QString>

namespace vexor {

// Display patterns of the number formatter. "," stands for the thousands separator and "."
// for the decimal separator of the user's locale.
inline const QString kTutarBicimi = QStringLiteral("#,###,##0.00");      // amounts, float columns
inline const QString kToplamBicimi = QStringLiteral("#,###,##00.00");    // grand totals: 5 -> 05,00
inline const QString kYuvarlamaBicimi = QStringLiteral("#,###,##.00");   // rounding: 0.5 -> ,50

// Rounds to `decimals` places, halves away from zero, on the value's decimal digits (the
// shortest decimal text of the double, so 2.675 rounds to 2.68 and 10.09 * 3 to 30.27).
double roundHalfAwayFromZero(double value, int decimals = 2);

// Formats with one of the three patterns above (any pattern of the form "#,##0.00" with
// grouping, a minimum count of integer digits and a count of decimals is accepted).
QString formatNumber(double value, const QString &pattern, const QLocale &locale = QLocale());

// Two-decimal rounding through the rounding pattern: format, drop group separators, parse back.
double Yuvarla(double value);

} // namespace vexor
