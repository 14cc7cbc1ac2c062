#include "mobilstokunit.h"

using namespace Qt::StringLiterals;

namespace vexor {

VEXOR_DEFINE_FIELD_TABLE(TMobilCariBilgisi, VEXOR_TMOBILCARIBILGISI_FIELDS)
VEXOR_DEFINE_FIELD_TABLE(TAcilisEkran, VEXOR_TACILISEKRAN_FIELDS)
VEXOR_DEFINE_FIELD_TABLE(TAcilisEkranlariki, VEXOR_TACILISEKRANLARIKI_FIELDS)
VEXOR_DEFINE_FIELD_TABLE(TMobilStok, VEXOR_TMOBILSTOK_FIELDS)
VEXOR_DEFINE_FIELD_TABLE(TMobilSepet, VEXOR_TMOBILSEPET_FIELDS)
VEXOR_DEFINE_FIELD_TABLE(TAcilisEkranlar, VEXOR_TACILISEKRANLAR_FIELDS)
VEXOR_DEFINE_FIELD_TABLE(TMobilStoklar, VEXOR_TMOBILSTOKLAR_FIELDS)
VEXOR_DEFINE_FIELD_TABLE(TMobilSepetler, VEXOR_TMOBILSEPETLER_FIELDS)

void registerMobilstokunitRecords(RecordRegistry &registry)
{
    registry.add<TMobilCariBilgisi>();
    registry.add<TAcilisEkran>();
    registry.add<TAcilisEkranlariki>();
    registry.add<TMobilStok>();
    registry.add<TMobilSepet>();
    registry.add<TAcilisEkranlar>();
    registry.add<TMobilStoklar>();
    registry.add<TMobilSepetler>();
}

namespace {

// Only ASCII digits count: QChar::isDigit would also take Arabic-Indic and full-width digits.
int hexDigit(QChar c)
{
    const char16_t u = c.unicode();
    if (u >= u'0' && u <= u'9')
        return u - u'0';
    if (u >= u'a' && u <= u'f')
        return u - u'a' + 10;
    if (u >= u'A' && u <= u'F')
        return u - u'A' + 10;
    return -1;
}

} // namespace

QByteArray HexAkisaCevir(const QString &hex)
{
    QByteArray bytes;
    bytes.reserve((hex.size() + 1) / 2);
    int pending = -1; // high digit waiting for its partner
    for (qsizetype i = 0; i < hex.size(); ++i) {
        const int digit = hexDigit(hex.at(i));
        if (digit < 0) {
            throw ProtocolError(
                u"Picture text is not hexadecimal: character U+%1 at position %2"_s
                    .arg(QString::number(hex.at(i).unicode(), 16).toUpper().rightJustified(4, u'0'))
                    .arg(i));
        }
        if (pending < 0) {
            pending = digit;
        } else {
            bytes.append(char(pending << 4 | digit));
            pending = -1;
        }
    }
    if (pending >= 0)
        bytes.append(char(pending));
    return bytes;
}

} // namespace vexor
