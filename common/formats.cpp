#include "formats.h"

#include <charconv>
#include <cmath>
#include <string>

namespace vexor {

namespace {

// A non-negative decimal number: digits with the decimal point after `pointPos` of them
// (pointPos may be <= 0 or beyond the digits, as in 0.005 or 12e5).
struct Decimal
{
    std::string digits;
    int pointPos = 0;
    bool negative = false;
};

// The value's decimal digits to 15 significant places, as a double carries them: rounding on
// these rounds the number the user means, not its binary approximation (2.675 is 2.67499999...
// in binary, and 2.5 * 33.33 comes out as 83.32499999999999 but is 83.325).
Decimal toDecimal(double value)
{
    Decimal d;
    char buf[64];
    const auto res = std::to_chars(buf, buf + sizeof buf, value, std::chars_format::scientific, 14);
    const std::string text(buf, res.ptr);
    size_t pos = 0;
    if (text[pos] == '-') {
        d.negative = true;
        ++pos;
    }
    const size_t e = text.find('e');
    for (size_t i = pos; i < e; ++i) {
        if (text[i] != '.')
            d.digits += text[i];
    }
    d.pointPos = std::stoi(text.substr(e + 1)) + 1;
    return d;
}

bool isZero(const Decimal &d)
{
    return d.digits.find_first_not_of('0') == std::string::npos;
}

// Rounds half away from zero to `decimals` places; afterwards there are no digits beyond them.
void roundDecimal(Decimal &d, int decimals)
{
    const long keep = long(d.pointPos) + decimals;
    if (keep >= long(d.digits.size()))
        return;
    if (keep < 0) {
        d.digits = "0";
        d.pointPos = 1;
        return;
    }
    const bool up = d.digits[size_t(keep)] >= '5';
    d.digits.resize(size_t(keep));
    if (up) {
        long i = keep - 1;
        while (i >= 0 && d.digits[size_t(i)] == '9') {
            d.digits[size_t(i)] = '0';
            --i;
        }
        if (i >= 0) {
            ++d.digits[size_t(i)];
        } else {
            d.digits.insert(d.digits.begin(), '1');
            ++d.pointPos;
        }
    }
    if (d.digits.empty()) {
        d.digits = "0";
        d.pointPos = 1;
    }
}

// Digit i of the number counted from the decimal point: i >= 0 are integer places (units =
// 0), i < 0 are decimal places.
char digitAt(const Decimal &d, int place)
{
    const long index = long(d.pointPos) - 1 - place;
    if (index < 0 || index >= long(d.digits.size()))
        return '0';
    return d.digits[size_t(index)];
}

struct Pattern
{
    bool grouping = false;
    int minIntegerDigits = 0;
    int minDecimals = 0;
    int maxDecimals = 0;
};

Pattern parsePattern(const QString &pattern)
{
    Pattern p;
    const qsizetype point = pattern.indexOf(u'.');
    const QStringView integerPart = QStringView(pattern).left(point < 0 ? pattern.size() : point);
    for (QChar c : integerPart) {
        if (c == u',')
            p.grouping = true;
        else if (c == u'0')
            ++p.minIntegerDigits;
    }
    if (point >= 0) {
        for (QChar c : QStringView(pattern).mid(point + 1)) {
            if (c == u'0') {
                ++p.minDecimals;
                ++p.maxDecimals;
            } else if (c == u'#') {
                ++p.maxDecimals;
            }
        }
    }
    return p;
}

} // namespace

double roundHalfAwayFromZero(double value, int decimals)
{
    if (!std::isfinite(value) || value == 0)
        return value;
    Decimal d = toDecimal(value);
    roundDecimal(d, decimals);
    if (isZero(d))
        return 0.0;
    const std::string text = (d.negative ? "-" : "") + d.digits + "e" + std::to_string(d.pointPos - long(d.digits.size()));
    double result = 0;
    std::from_chars(text.data(), text.data() + text.size(), result);
    return result;
}

QString formatNumber(double value, const QString &pattern, const QLocale &locale)
{
    if (!std::isfinite(value))
        return locale.toString(value);
    const Pattern p = parsePattern(pattern);
    Decimal d = toDecimal(value);
    roundDecimal(d, p.maxDecimals);

    const int integerDigits = std::max(d.pointPos, 0);
    QString integerText;
    for (int place = std::max(integerDigits, p.minIntegerDigits) - 1; place >= 0; --place) {
        const char c = digitAt(d, place);
        // Leading zeros only as far as the pattern asks for them.
        if (integerText.isEmpty() && c == '0' && place >= p.minIntegerDigits)
            continue;
        integerText += QLatin1Char(c);
        if (p.grouping && place > 0 && place % 3 == 0)
            integerText += locale.groupSeparator();
    }

    int decimals = p.maxDecimals;
    while (decimals > p.minDecimals && digitAt(d, -decimals) == '0')
        --decimals;
    QString text = integerText;
    if (decimals > 0) {
        text += locale.decimalPoint();
        for (int i = 1; i <= decimals; ++i)
            text += QLatin1Char(digitAt(d, -i));
    }
    // A value that shows as zero shows without a sign.
    if (d.negative && !isZero(d))
        text.prepend(locale.negativeSign());
    return text;
}

double Yuvarla(double value)
{
    if (!std::isfinite(value))
        return value;
    const QLocale locale;
    QString text = formatNumber(value, kYuvarlamaBicimi, locale);
    text.remove(locale.groupSeparator());
    bool ok = false;
    const double result = locale.toDouble(text, &ok);
    // The formatter's own text always parses back; the direct rounding is the same number.
    return ok ? result : roundHalfAwayFromZero(value, 2);
}

} // namespace vexor
