#include "demodata.h"

#include "pictures.h"

#include "storage/database.h"
#include "storage/pricing.h"
#include "storage/schema.h"
#include "storage/search.h"

#include "common/formats.h"
#include "common/turkish.h"

#include <QHash>
#include <QSet>

#include <algorithm>
#include <cmath>
#include <map>

namespace vexor {

namespace {

// SplitMix64: small, fast and the same on every platform, unlike the standard distributions.
class Random
{
public:
    explicit Random(quint64 seed) : m_state(seed) {}

    quint64 next()
    {
        quint64 z = (m_state += 0x9E3779B97F4A7C15ULL);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ULL;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBULL;
        return z ^ (z >> 31);
    }
    // 0 <= n < bound
    int below(int bound) { return bound <= 1 ? 0 : int((next() >> 11) % quint64(bound)); }
    int between(int low, int high) { return low + below(high - low + 1); }
    double unit() { return double(next() >> 11) * 0x1.0p-53; }
    double between(double low, double high) { return low + unit() * (high - low); }
    bool chance(double p) { return unit() < p; }
    template<class T>
    const T &pick(const std::vector<T> &items) { return items[size_t(below(int(items.size())))]; }

private:
    quint64 m_state;
};

QString u8(const char *text)
{
    return QString::fromUtf8(text);
}

double round2(double v)
{
    return roundHalfAwayFromZero(v, 2);
}

// A local date and time as stored (isoDateTime), without going through QDateTime: that asks
// the C library for the time zone on every call, which adds up over a year of documents.
QString stamp(QDate day, int hour, int minute, int second = 0)
{
    return QString::asprintf("%04d-%02d-%02dT%02d:%02d:%02d", day.year(), day.month(), day.day(), hour, minute, second);
}

// ---------------------------------------------------------------------------------------------
// The catalogue: part types, makers, vehicles. All names are made up.

enum Dept { Otomobil, HafifTicari, AgirVasita, Aksesuar, MadeniYag };
const char *const kDepartments[] = {"OTOMOBİL", "HAFİF TİCARİ", "AĞIR VASITA", "AKSESUAR", "MADENİ YAĞ"};

enum Positions { PosNone, PosFrontRear, PosWheels, PosSides, PosLowUp, PosInOut, PosIntakeExhaust, PosMidRear };
const std::vector<std::vector<const char *>> kPositions = {
    {""},
    {"ÖN", "ARKA"},
    {"ÖN SAĞ", "ÖN SOL", "ARKA SAĞ", "ARKA SOL"},
    {"SAĞ", "SOL"},
    {"ALT", "ÜST"},
    {"İÇ", "DIŞ"},
    {"EMME", "EGZOZ"},
    {"ORTA", "ARKA"},
};
// The same positions in the English names (DIGERADI).
const std::vector<std::vector<const char *>> kPositionsEnglish = {
    {""},
    {"FRONT", "REAR"},
    {"FRONT RIGHT", "FRONT LEFT", "REAR RIGHT", "REAR LEFT"},
    {"RIGHT", "LEFT"},
    {"LOWER", "UPPER"},
    {"INNER", "OUTER"},
    {"INTAKE", "EXHAUST"},
    {"MIDDLE", "REAR"},
};

struct PartType
{
    const char *name;
    const char *english;
    const char *mainGroup;
    Positions positions;
    double minPrice;
    double maxPrice;
    int shape; // PartShape, or -1: no picture
    const char *unit;
    Dept dept;
    int weight; // how common the type is in the catalogue
    bool universal = false; // fits no particular vehicle
};

constexpr int S(PartShape s) { return int(s); }

const std::vector<PartType> kPartTypes = {
    {"FREN BALATASI", "BRAKE PAD SET", "FREN SİSTEMİ", PosFrontRear, 350, 2200, S(PartShape::Pad), "TAKIM", Otomobil, 9},
    {"FREN DİSKİ", "BRAKE DISC", "FREN SİSTEMİ", PosFrontRear, 600, 3500, S(PartShape::Disc), "ADET", Otomobil, 8},
    {"FREN KAMPANASI", "BRAKE DRUM", "FREN SİSTEMİ", PosNone, 700, 2800, S(PartShape::Disc), "ADET", Otomobil, 3},
    {"FREN PABUCU", "BRAKE SHOE SET", "FREN SİSTEMİ", PosNone, 400, 1500, S(PartShape::Pad), "TAKIM", Otomobil, 3},
    {"FREN KALİPERİ", "BRAKE CALIPER", "FREN SİSTEMİ", PosWheels, 1500, 6500, S(PartShape::Box), "ADET", Otomobil, 3},
    {"FREN HORTUMU", "BRAKE HOSE", "FREN SİSTEMİ", PosWheels, 120, 450, S(PartShape::Hose), "ADET", Otomobil, 4},
    {"FREN MERKEZİ", "BRAKE MASTER CYLINDER", "FREN SİSTEMİ", PosNone, 900, 3500, S(PartShape::Shock), "ADET", Otomobil, 2},
    {"ABS SENSÖRÜ", "ABS SENSOR", "FREN SİSTEMİ", PosWheels, 400, 1600, S(PartShape::Plug), "ADET", Otomobil, 4},
    {"EL FREN TELİ", "HANDBRAKE CABLE", "FREN SİSTEMİ", PosSides, 250, 900, S(PartShape::Hose), "ADET", Otomobil, 3},
    {"FREN BALATA İKAZ KABLOSU", "BRAKE WEAR SENSOR", "FREN SİSTEMİ", PosFrontRear, 80, 300, S(PartShape::Hose), "ADET", Otomobil, 3},
    {"AMORTİSÖR", "SHOCK ABSORBER", "SÜSPANSİYON", PosWheels, 900, 4500, S(PartShape::Shock), "ADET", Otomobil, 8},
    {"HELEZON YAY", "COIL SPRING", "SÜSPANSİYON", PosFrontRear, 500, 1800, S(PartShape::Spring), "ADET", Otomobil, 4},
    {"AMORTİSÖR TAKOZU", "STRUT MOUNT", "SÜSPANSİYON", PosFrontRear, 250, 900, S(PartShape::Bearing), "ADET", Otomobil, 5},
    {"AMORTİSÖR TOZ KÖRÜĞÜ", "SHOCK DUST BOOT", "SÜSPANSİYON", PosFrontRear, 80, 300, S(PartShape::Hose), "ADET", Otomobil, 3},
    {"SALINCAK", "CONTROL ARM", "SÜSPANSİYON", PosWheels, 800, 3200, S(PartShape::Box), "ADET", Otomobil, 6},
    {"SALINCAK BURCU", "CONTROL ARM BUSHING", "SÜSPANSİYON", PosFrontRear, 60, 300, S(PartShape::Bearing), "ADET", Otomobil, 4},
    {"ROTİL", "BALL JOINT", "SÜSPANSİYON", PosSides, 200, 900, S(PartShape::Plug), "ADET", Otomobil, 5},
    {"VİRAJ DEMİR LASTİĞİ", "STABILIZER BUSH", "SÜSPANSİYON", PosFrontRear, 50, 250, S(PartShape::Bearing), "ADET", Otomobil, 4},
    {"VİRAJ DEMİR ROTU", "STABILIZER LINK", "SÜSPANSİYON", PosWheels, 200, 800, S(PartShape::Shock), "ADET", Otomobil, 5},
    {"TEKER RULMANI", "WHEEL BEARING", "SÜSPANSİYON", PosFrontRear, 400, 1800, S(PartShape::Bearing), "ADET", Otomobil, 6},
    {"POYRA", "WHEEL HUB", "SÜSPANSİYON", PosFrontRear, 800, 3000, S(PartShape::Gear), "ADET", Otomobil, 3},
    {"ROT BAŞI", "TIE ROD END", "DİREKSİYON", PosSides, 150, 700, S(PartShape::Plug), "ADET", Otomobil, 6},
    {"ROT MİLİ", "TIE ROD", "DİREKSİYON", PosSides, 250, 900, S(PartShape::Shock), "ADET", Otomobil, 4},
    {"DİREKSİYON KUTUSU", "STEERING RACK", "DİREKSİYON", PosNone, 4500, 16000, S(PartShape::Box), "ADET", Otomobil, 2},
    {"HİDROLİK DİREKSİYON POMPASI", "POWER STEERING PUMP", "DİREKSİYON", PosNone, 2500, 9000, S(PartShape::Gear), "ADET", Otomobil, 2},
    {"DİREKSİYON KÖRÜĞÜ", "STEERING BOOT", "DİREKSİYON", PosNone, 90, 350, S(PartShape::Hose), "ADET", Otomobil, 3},
    {"TRİGER SETİ", "TIMING BELT KIT", "MOTOR", PosNone, 900, 4500, S(PartShape::Belt), "TAKIM", Otomobil, 6},
    {"TRİGER KAYIŞI", "TIMING BELT", "MOTOR", PosNone, 250, 1200, S(PartShape::Belt), "ADET", Otomobil, 5},
    {"TRİGER ZİNCİRİ SETİ", "TIMING CHAIN KIT", "MOTOR", PosNone, 1800, 7000, S(PartShape::Belt), "TAKIM", Otomobil, 3},
    {"V KAYIŞI", "V-RIBBED BELT", "MOTOR", PosNone, 120, 600, S(PartShape::Belt), "ADET", Otomobil, 5},
    {"GERGİ RULMANI", "TENSIONER PULLEY", "MOTOR", PosNone, 300, 1200, S(PartShape::Bearing), "ADET", Otomobil, 4},
    {"AVARE KASNAK", "IDLER PULLEY", "MOTOR", PosNone, 250, 900, S(PartShape::Gear), "ADET", Otomobil, 3},
    {"KRANK KASNAĞI", "CRANKSHAFT PULLEY", "MOTOR", PosNone, 700, 2500, S(PartShape::Gear), "ADET", Otomobil, 2},
    {"SİLİNDİR KAPAK CONTASI", "CYLINDER HEAD GASKET", "MOTOR", PosNone, 300, 1500, S(PartShape::Box), "ADET", Otomobil, 4},
    {"ÜST TAKIM CONTA", "HEAD GASKET SET", "MOTOR", PosNone, 800, 3000, S(PartShape::Box), "TAKIM", Otomobil, 3},
    {"KARTER CONTASI", "OIL PAN GASKET", "MOTOR", PosNone, 80, 400, S(PartShape::Box), "ADET", Otomobil, 3},
    {"SUPAP KAPAK CONTASI", "VALVE COVER GASKET", "MOTOR", PosNone, 100, 500, S(PartShape::Box), "ADET", Otomobil, 3},
    {"SUPAP", "VALVE", "MOTOR", PosIntakeExhaust, 80, 350, S(PartShape::Plug), "ADET", Otomobil, 3},
    {"PİSTON SEGMAN TAKIMI", "PISTON RING SET", "MOTOR", PosNone, 600, 2500, S(PartShape::Bearing), "TAKIM", Otomobil, 2},
    {"MOTOR KULAĞI", "ENGINE MOUNT", "MOTOR", PosSides, 400, 1800, S(PartShape::Box), "ADET", Otomobil, 5},
    {"KRANK KEÇESİ", "CRANKSHAFT SEAL", "MOTOR", PosFrontRear, 60, 300, S(PartShape::Bearing), "ADET", Otomobil, 3},
    {"YAĞ POMPASI", "OIL PUMP", "MOTOR", PosNone, 900, 3500, S(PartShape::Gear), "ADET", Otomobil, 2},
    {"TURBO", "TURBOCHARGER", "MOTOR", PosNone, 9000, 35000, S(PartShape::Gear), "ADET", Otomobil, 2},
    {"EGR VALFİ", "EGR VALVE", "MOTOR", PosNone, 1500, 6000, S(PartShape::Box), "ADET", Otomobil, 2},
    {"GAZ KELEBEĞİ", "THROTTLE BODY", "MOTOR", PosNone, 1800, 7000, S(PartShape::Gear), "ADET", Otomobil, 2},
    {"ENJEKTÖR", "INJECTOR", "YAKIT SİSTEMİ", PosNone, 1200, 6000, S(PartShape::Plug), "ADET", Otomobil, 3},
    {"BUJİ", "SPARK PLUG", "ATEŞLEME", PosNone, 60, 350, S(PartShape::Plug), "ADET", Otomobil, 6},
    {"ATEŞLEME BOBİNİ", "IGNITION COIL", "ATEŞLEME", PosNone, 500, 2200, S(PartShape::Box), "ADET", Otomobil, 4},
    {"BUJİ KABLOSU TAKIMI", "IGNITION CABLE SET", "ATEŞLEME", PosNone, 250, 900, S(PartShape::Hose), "TAKIM", Otomobil, 3},
    {"KIZDIRMA BUJİSİ", "GLOW PLUG", "ATEŞLEME", PosNone, 150, 600, S(PartShape::Plug), "ADET", Otomobil, 3},
    {"ALTERNATÖR", "ALTERNATOR", "ELEKTRİK", PosNone, 3500, 12000, S(PartShape::Gear), "ADET", Otomobil, 3},
    {"MARŞ MOTORU", "STARTER MOTOR", "ELEKTRİK", PosNone, 3000, 11000, S(PartShape::Gear), "ADET", Otomobil, 3},
    {"LAMBDA SONDASI", "LAMBDA SENSOR", "ELEKTRİK", PosNone, 800, 3500, S(PartShape::Plug), "ADET", Otomobil, 3},
    {"KRANK SENSÖRÜ", "CRANKSHAFT SENSOR", "ELEKTRİK", PosNone, 300, 1200, S(PartShape::Plug), "ADET", Otomobil, 3},
    {"HARARET MÜŞİRİ", "TEMPERATURE SENSOR", "ELEKTRİK", PosNone, 80, 350, S(PartShape::Plug), "ADET", Otomobil, 3},
    {"YAĞ MÜŞİRİ", "OIL PRESSURE SWITCH", "ELEKTRİK", PosNone, 70, 300, S(PartShape::Plug), "ADET", Otomobil, 3},
    {"AKÜ 12V 60AH", "BATTERY 60AH", "ELEKTRİK", PosNone, 1800, 4200, S(PartShape::Battery), "ADET", Otomobil, 2, true},
    {"AKÜ 12V 72AH", "BATTERY 72AH", "ELEKTRİK", PosNone, 2300, 5200, S(PartShape::Battery), "ADET", Otomobil, 2, true},
    {"KORNA", "HORN", "ELEKTRİK", PosNone, 150, 600, S(PartShape::Bulb), "ADET", Otomobil, 2, true},
    {"YAĞ FİLTRESİ", "OIL FILTER", "FİLTRE", PosNone, 70, 350, S(PartShape::Filter), "ADET", Otomobil, 8},
    {"HAVA FİLTRESİ", "AIR FILTER", "FİLTRE", PosNone, 90, 450, S(PartShape::Panel), "ADET", Otomobil, 8},
    {"POLEN FİLTRESİ", "CABIN FILTER", "FİLTRE", PosNone, 80, 400, S(PartShape::Panel), "ADET", Otomobil, 6},
    {"YAKIT FİLTRESİ", "FUEL FILTER", "FİLTRE", PosNone, 100, 600, S(PartShape::Filter), "ADET", Otomobil, 6},
    {"FİLTRE SETİ", "FILTER KIT", "FİLTRE", PosNone, 300, 1200, S(PartShape::Filter), "TAKIM", Otomobil, 3},
    {"RADYATÖR", "RADIATOR", "SOĞUTMA", PosNone, 1800, 7000, S(PartShape::Panel), "ADET", Otomobil, 4},
    {"DEVİRDAİM POMPASI", "WATER PUMP", "SOĞUTMA", PosNone, 500, 2500, S(PartShape::Gear), "ADET", Otomobil, 5},
    {"TERMOSTAT", "THERMOSTAT", "SOĞUTMA", PosNone, 150, 700, S(PartShape::Bulb), "ADET", Otomobil, 4},
    {"RADYATÖR HORTUMU", "RADIATOR HOSE", "SOĞUTMA", PosLowUp, 120, 500, S(PartShape::Hose), "ADET", Otomobil, 5},
    {"GENLEŞME KABI", "EXPANSION TANK", "SOĞUTMA", PosNone, 250, 900, S(PartShape::Box), "ADET", Otomobil, 3},
    {"FAN MOTORU", "RADIATOR FAN", "SOĞUTMA", PosNone, 1200, 4500, S(PartShape::Gear), "ADET", Otomobil, 3},
    {"KALORİFER RADYATÖRÜ", "HEATER CORE", "SOĞUTMA", PosNone, 900, 3000, S(PartShape::Panel), "ADET", Otomobil, 2},
    {"DEBRİYAJ SETİ", "CLUTCH KIT", "DEBRİYAJ", PosNone, 2500, 9000, S(PartShape::Disc), "TAKIM", Otomobil, 5},
    {"DEBRİYAJ RULMANI", "RELEASE BEARING", "DEBRİYAJ", PosNone, 400, 1500, S(PartShape::Bearing), "ADET", Otomobil, 3},
    {"DEBRİYAJ TELİ", "CLUTCH CABLE", "DEBRİYAJ", PosNone, 200, 700, S(PartShape::Hose), "ADET", Otomobil, 3},
    {"VOLANT", "FLYWHEEL", "DEBRİYAJ", PosNone, 4000, 15000, S(PartShape::Disc), "ADET", Otomobil, 2},
    {"AKS KAFASI", "CV JOINT", "ŞANZIMAN", PosInOut, 700, 2800, S(PartShape::Bearing), "ADET", Otomobil, 4},
    {"AKS KÖRÜĞÜ", "CV BOOT", "ŞANZIMAN", PosInOut, 90, 350, S(PartShape::Hose), "ADET", Otomobil, 4},
    {"ŞANZIMAN KULAĞI", "GEARBOX MOUNT", "ŞANZIMAN", PosNone, 350, 1500, S(PartShape::Box), "ADET", Otomobil, 3},
    {"VİTES TELİ", "GEAR CABLE", "ŞANZIMAN", PosNone, 300, 1200, S(PartShape::Hose), "ADET", Otomobil, 2},
    {"EGZOZ SUSTURUCU", "SILENCER", "EGZOZ", PosMidRear, 800, 3500, S(PartShape::Shock), "ADET", Otomobil, 3},
    {"KATALİTİK KONVERTÖR", "CATALYTIC CONVERTER", "EGZOZ", PosNone, 4000, 15000, S(PartShape::Box), "ADET", Otomobil, 2},
    {"EGZOZ MANİFOLD CONTASI", "EXHAUST MANIFOLD GASKET", "EGZOZ", PosNone, 60, 300, S(PartShape::Box), "ADET", Otomobil, 2},
    {"EGZOZ ASKI LASTİĞİ", "EXHAUST HANGER", "EGZOZ", PosNone, 30, 150, S(PartShape::Bearing), "ADET", Otomobil, 2},
    {"FAR", "HEADLAMP", "AYDINLATMA", PosSides, 1800, 9000, S(PartShape::Bulb), "ADET", Otomobil, 4},
    {"STOP LAMBASI", "TAIL LAMP", "AYDINLATMA", PosSides, 600, 2500, S(PartShape::Bulb), "ADET", Otomobil, 4},
    {"SİS FARI", "FOG LAMP", "AYDINLATMA", PosSides, 300, 1200, S(PartShape::Bulb), "ADET", Otomobil, 3},
    {"SİNYAL LAMBASI", "INDICATOR LAMP", "AYDINLATMA", PosSides, 120, 500, S(PartShape::Bulb), "ADET", Otomobil, 3},
    {"AMPUL H7 12V 55W", "BULB H7", "AYDINLATMA", PosNone, 40, 200, S(PartShape::Bulb), "ADET", Otomobil, 2, true},
    {"AMPUL H4 12V 60/55W", "BULB H4", "AYDINLATMA", PosNone, 40, 200, S(PartShape::Bulb), "ADET", Otomobil, 2, true},
    {"ÖN TAMPON", "FRONT BUMPER", "KAPORTA", PosNone, 1500, 6000, S(PartShape::Box), "ADET", Otomobil, 3},
    {"ÇAMURLUK", "FENDER", "KAPORTA", PosSides, 900, 3500, S(PartShape::Box), "ADET", Otomobil, 3},
    {"KAPUT", "BONNET", "KAPORTA", PosNone, 2500, 9000, S(PartShape::Box), "ADET", Otomobil, 2},
    {"PANJUR", "GRILLE", "KAPORTA", PosNone, 500, 2000, S(PartShape::Panel), "ADET", Otomobil, 3},
    {"DİKİZ AYNASI", "DOOR MIRROR", "KAPORTA", PosSides, 700, 3000, S(PartShape::Box), "ADET", Otomobil, 4},
    {"AYNA CAMI", "MIRROR GLASS", "KAPORTA", PosSides, 150, 600, S(PartShape::Box), "ADET", Otomobil, 3},
    {"KAPI KOLU", "DOOR HANDLE", "KAPORTA", PosWheels, 150, 600, S(PartShape::Box), "ADET", Otomobil, 3},
    {"CAM KRİKOSU", "WINDOW REGULATOR", "KAPORTA", PosWheels, 500, 1800, S(PartShape::Gear), "ADET", Otomobil, 3},
    {"SİLECEK SÜPÜRGESİ", "WIPER BLADE", "KAPORTA", PosFrontRear, 100, 450, S(PartShape::Wiper), "ADET", Otomobil, 4},
    {"SİLECEK MOTORU", "WIPER MOTOR", "KAPORTA", PosFrontRear, 900, 3500, S(PartShape::Gear), "ADET", Otomobil, 2},
    {"KLİMA KOMPRESÖRÜ", "AC COMPRESSOR", "KLİMA", PosNone, 6000, 20000, S(PartShape::Gear), "ADET", Otomobil, 2},
    {"KLİMA KONDENSERİ", "AC CONDENSER", "KLİMA", PosNone, 1800, 6000, S(PartShape::Panel), "ADET", Otomobil, 2},
    {"KLİMA KURUTUCUSU", "AC DRIER", "KLİMA", PosNone, 250, 900, S(PartShape::Filter), "ADET", Otomobil, 2},
    {"YAKIT POMPASI", "FUEL PUMP", "YAKIT SİSTEMİ", PosNone, 1200, 5000, S(PartShape::Shock), "ADET", Otomobil, 3},
    {"DEPO ŞAMANDIRASI", "FUEL LEVEL SENDER", "YAKIT SİSTEMİ", PosNone, 400, 1500, S(PartShape::Gear), "ADET", Otomobil, 2},
    {"YAKIT HORTUMU", "FUEL HOSE", "YAKIT SİSTEMİ", PosNone, 50, 250, S(PartShape::Hose), "ADET", Otomobil, 2},
    {"MOTOR YAĞI 5W-30 4 LT", "ENGINE OIL 5W30 4L", "MADENİ YAĞ", PosNone, 700, 1900, S(PartShape::Box), "ADET", MadeniYag, 2, true},
    {"MOTOR YAĞI 10W-40 4 LT", "ENGINE OIL 10W40 4L", "MADENİ YAĞ", PosNone, 550, 1500, S(PartShape::Box), "ADET", MadeniYag, 2, true},
    {"ŞANZIMAN YAĞI 75W-90 1 LT", "GEAR OIL 75W90 1L", "MADENİ YAĞ", PosNone, 250, 650, S(PartShape::Box), "ADET", MadeniYag, 1, true},
    {"ANTİFRİZ 3 LT", "ANTIFREEZE 3L", "MADENİ YAĞ", PosNone, 200, 550, S(PartShape::Box), "ADET", MadeniYag, 1, true},
    {"FREN HİDROLİĞİ DOT4 500 ML", "BRAKE FLUID DOT4", "MADENİ YAĞ", PosNone, 90, 260, S(PartShape::Box), "ADET", MadeniYag, 1, true},
    {"PASPAS TAKIMI", "FLOOR MAT SET", "AKSESUAR", PosNone, 300, 1200, -1, "TAKIM", Aksesuar, 2},
    {"ÇEKİ DEMİRİ", "TOW BAR", "AKSESUAR", PosNone, 2000, 6000, -1, "ADET", Aksesuar, 1},
    {"BAGAJ HAVUZU", "BOOT LINER", "AKSESUAR", PosNone, 300, 900, -1, "ADET", Aksesuar, 1},
    {"JANT KAPAĞI 15 İNÇ", "WHEEL COVER 15", "AKSESUAR", PosNone, 250, 800, -1, "TAKIM", Aksesuar, 1, true},
};

struct VehicleMake
{
    const char *name;
    std::vector<const char *> models;
    int oemStyle;
    Dept dept;
};

const std::vector<VehicleMake> kMakes = {
    {"TAVRA", {"MİRA", "SOLEN", "KARAT", "NOVEL"}, 0, Otomobil},
    {"DORVA", {"LİNA", "PELLA", "ORKA", "SAVA"}, 1, Otomobil},
    {"KESTRA", {"VİRA", "MONTE", "ZEN", "LUNA"}, 2, Otomobil},
    {"MERLON", {"SEVEN", "CARDO", "RİVA"}, 3, Otomobil},
    {"AVESTA", {"KORAL", "LEVA", "NOMA"}, 4, Otomobil},
    {"SELVİN", {"ARTA", "TİO", "SENA"}, 5, Otomobil},
    {"ORVİS", {"KARGO 35", "TRANS 50", "PANO"}, 6, HafifTicari},
    {"BORAN", {"T 1840", "T 2540", "M 1218"}, 6, AgirVasita},
};

const std::vector<const char *> kEngines = {"1.2", "1.3 D", "1.4", "1.4 16V", "1.5 D", "1.6", "1.6 16V", "1.6 D",
                                            "1.8", "2.0", "2.0 D", "2.2 D", "2.5 D"};
const std::vector<const char *> kHeavyEngines = {"6.7 D", "7.7 D", "10.8 D", "12.4 D"};

struct Brand
{
    const char *name;
    const char *prefix;
    const char *makerPrefix;
    double priceFactor;
    std::vector<const char *> groups; // main groups it makes; empty: all
};

const std::vector<Brand> kBrands = {
    {"KORVAN", "KRV", "KV", 1.15, {}},
    {"TEKSA", "TKS", "TX", 0.95, {}},
    {"DURMAX", "DRM", "DM", 1.05, {"FREN SİSTEMİ", "SÜSPANSİYON", "DİREKSİYON"}},
    {"FERNO", "FRN", "FN", 1.10, {"FREN SİSTEMİ"}},
    {"BOLTEK", "BLT", "BT", 0.90, {"MOTOR", "DEBRİYAJ", "ŞANZIMAN"}},
    {"MAVERA", "MVR", "MV", 1.00, {"SOĞUTMA", "KLİMA"}},
    {"ZENTRA", "ZNT", "ZT", 1.20, {"ELEKTRİK", "ATEŞLEME", "AYDINLATMA"}},
    {"OKTAN", "OKT", "OK", 0.85, {"FİLTRE", "MADENİ YAĞ", "YAKIT SİSTEMİ"}},
    {"RAVEL", "RVL", "RV", 0.95, {"SÜSPANSİYON", "DİREKSİYON"}},
    {"SİNTEK", "SNT", "SN", 1.00, {"ELEKTRİK", "ATEŞLEME"}},
    {"ELMASPAR", "ELP", "EP", 0.80, {}},
    {"DEMİRSAN", "DMS", "DS", 0.90, {"KAPORTA", "EGZOZ"}},
    {"ARMADA", "ARM", "AR", 1.25, {"MOTOR", "ŞANZIMAN"}},
    {"KARDELEN", "KRD", "KD", 0.88, {"AYDINLATMA", "KAPORTA", "AKSESUAR"}},
    {"AKSAN FREN", "AKF", "AF", 0.92, {"FREN SİSTEMİ"}},
    {"GÜÇLÜ DEBRİYAJ", "GDB", "GD", 1.00, {"DEBRİYAJ"}},
    {"BEYAZ FİLTRE", "BYF", "BF", 0.78, {"FİLTRE"}},
    {"LİMAN KAUÇUK", "LMK", "LK", 0.75, {"SÜSPANSİYON", "MOTOR", "EGZOZ"}},
    {"ERGE CONTA", "ERG", "EG", 0.82, {"MOTOR", "EGZOZ"}},
    {"KUZEY ELEKTRİK", "KZE", "KE", 0.98, {"ELEKTRİK", "AYDINLATMA"}},
    {"ASLAN RULMAN", "ASR", "AS", 1.05, {"SÜSPANSİYON", "MOTOR", "ŞANZIMAN"}},
    {"TUNA KLİMA", "TNK", "TK", 1.10, {"KLİMA", "SOĞUTMA"}},
    {"MEGA AKSESUAR", "MGA", "MA", 0.70, {"AKSESUAR"}},
    {"VEXOR", "VXR", "VX", 0.85, {}},
};

const std::vector<const char *> kNameWords = {
    "ASLAN", "KARTAL", "YILDIZ", "GÜNEŞ", "ÖZDEMİR", "AKSOY", "ÇELİK", "DOĞAN", "KAYA", "ŞAHİN", "ERDEM",
    "YÜKSEL", "TURAN", "AYDIN", "KORKMAZ", "BULUT", "TAŞKIN", "POLAT", "KILIÇ", "ÖZKAN", "ARSLAN", "KOÇ",
    "GÜLER", "ACAR", "ALTUN", "ERGİN", "SEVİNÇ", "TEKİN", "UYSAL", "DURMAZ", "KARA", "BAYRAK", "EVREN",
    "AKIN", "ÖZTÜRK", "SARI", "ÇAKIR", "TOPRAK", "GÜRSOY", "KURT", "YAVUZ", "ÜNAL", "ORHAN", "SÖNMEZ",
    "BİLGİN", "YALÇIN", "KAPLAN", "DEMİR", "ATEŞ", "CANER", "KESKİN", "TUNÇ", "UZUN", "OKTAY", "ERTEN",
    "GÖKÇE", "ŞİMŞEK", "YILMAZER", "BOZKURT", "AKTAŞ",
};
const std::vector<const char *> kFirmSuffixes = {
    "OTO YEDEK PARÇA LTD. ŞTİ.", "OTOMOTİV SAN. VE TİC. A.Ş.", "OTO ELEKTRİK", "OTO SERVİS VE YEDEK PARÇA",
    "YEDEK PARÇA TİC. LTD. ŞTİ.", "KARDEŞLER OTOMOTİV", "OTO SANAYİ TİC. LTD. ŞTİ.", "OTOMOTİV",
};
const std::vector<const char *> kFirstNames = {
    "AHMET", "MEHMET", "MUSTAFA", "ALİ", "HASAN", "HÜSEYİN", "İBRAHİM", "MURAT", "EMRE", "BURAK", "SERKAN",
    "VOLKAN", "OSMAN", "YUSUF", "ÖMER", "ZEYNEP", "AYŞE", "FATMA", "ELİF", "SELİN", "ESRA", "CEM", "KEMAL",
};

struct City
{
    const char *name;
    const char *areaCode;
    std::vector<const char *> districts;
};

const std::vector<City> kCities = {
    {"İSTANBUL", "212", {"İKİTELLİ", "BAYRAMPAŞA", "ÜMRANİYE", "KARTAL", "ESENYURT"}},
    {"ANKARA", "312", {"OSTİM", "SİTELER", "ŞAŞMAZ", "YENİMAHALLE"}},
    {"İZMİR", "232", {"BORNOVA", "KARŞIYAKA", "BUCA"}},
    {"BURSA", "224", {"NİLÜFER", "OSMANGAZİ"}},
    {"KONYA", "332", {"KARATAY", "SELÇUKLU"}},
    {"ADANA", "322", {"SEYHAN", "YÜREĞİR"}},
    {"GAZİANTEP", "342", {"ŞEHİTKAMİL", "ŞAHİNBEY"}},
    {"KAYSERİ", "352", {"MELİKGAZİ", "KOCASİNAN"}},
    {"ANTALYA", "242", {"KEPEZ", "MURATPAŞA"}},
    {"SAMSUN", "362", {"İLKADIM", "ATAKUM"}},
    {"TRABZON", "462", {"ORTAHİSAR"}},
    {"ESKİŞEHİR", "222", {"TEPEBAŞI", "ODUNPAZARI"}},
    {"DİYARBAKIR", "412", {"BAĞLAR", "KAYAPINAR"}},
    {"ERZURUM", "442", {"YAKUTİYE"}},
    {"MERSİN", "324", {"AKDENİZ", "TOROSLAR"}},
    {"DENİZLİ", "258", {"MERKEZEFENDİ", "PAMUKKALE"}},
};

// Letters and digits of a name in lower case ASCII, for demo mail addresses.
QString slug(const QString &text)
{
    QString out;
    for (const QChar c : foldTurkish(text)) {
        if (c.isLetterOrNumber() && c.unicode() < 128)
            out += c.toLower();
    }
    return out;
}

QString ean13(qint64 body12)
{
    const QString text = QStringLiteral("%1").arg(body12, 12, 10, QLatin1Char('0'));
    int sum = 0;
    for (int i = 0; i < 12; ++i)
        sum += (text[i].unicode() - u'0') * (i % 2 ? 3 : 1);
    return text + QChar(u'0' + (10 - sum % 10) % 10);
}

QString digits(Random &rng, int count)
{
    QString s;
    for (int i = 0; i < count; ++i)
        s += QChar(u'0' + rng.below(10));
    return s;
}

QString alnum(Random &rng, int count)
{
    static const char16_t chars[] = u"ABCDEFGHJKLMNPRSTUVWXYZ0123456789";
    QString s;
    for (int i = 0; i < count; ++i)
        s += QChar(chars[rng.below(33)]);
    return s;
}

// OEM numbers in the styles of the (made-up) vehicle makers.
QString oemNumber(Random &rng, int style)
{
    switch (style) {
    case 0: return digits(rng, 4) + QLatin1Char(' ') + digits(rng, 3) + QLatin1Char(' ') + digits(rng, 3);
    case 1: {
        QString s = digits(rng, 1) + alnum(rng, 1) + digits(rng, 1) + QLatin1Char(' ') + digits(rng, 3)
                  + QLatin1Char(' ') + digits(rng, 3);
        if (rng.chance(0.6))
            s += QLatin1Char(' ') + QChar(u'A' + rng.below(6));
        return s;
    }
    case 2: return digits(rng, 5) + QLatin1Char('-') + alnum(rng, 5);
    case 3: return digits(rng, 2) + QLatin1Char(' ') + digits(rng, 2) + QLatin1Char(' ') + digits(rng, 1)
                   + QLatin1Char(' ') + digits(rng, 3) + QLatin1Char(' ') + digits(rng, 3);
    case 4: return digits(rng, 2) + QLatin1Char(' ') + digits(rng, 3) + QLatin1Char(' ') + digits(rng, 3);
    case 5: return digits(rng, 2) + QLatin1Char(' ') + digits(rng, 3) + QLatin1Char(' ') + digits(rng, 3)
                   + QLatin1Char(' ') + digits(rng, 2);
    default: return QStringLiteral("A ") + digits(rng, 3) + QLatin1Char(' ') + digits(rng, 3) + QLatin1Char(' ')
                    + digits(rng, 2) + QLatin1Char(' ') + digits(rng, 2);
    }
}

// A price as shops write them: ending in ,50 or ,90 (whole numbers for large prices).
double shopPrice(double value)
{
    if (value >= 1000)
        return std::round(value / 10) * 10;
    const double whole = std::floor(value);
    return whole + (value - whole < 0.5 ? 0.50 : 0.90);
}

struct StockInfo
{
    double listPrice = 0;
    double campaignPrice = 0;
    bool campaign = false;
    int brand = 0; // index into kBrands (id - 1)
    double vat = 18;
};

struct AccountInfo
{
    int id = 0;
    int repId = 0;
    int userId = 0;
    int dueDays = 30;
    bool campaigns = true;
    double activity = 1;  // orders per week, roughly
    double payDiscipline = 1; // 1: pays on time; lower: pays late and in part
    AccountPricing pricing;
    QString name;
};

struct Counters
{
    int order = 0, orderLine = 0, invoice = 0, invoiceLine = 0, delivery = 0, collection = 0, collectionItem = 0,
        webPayment = 0, movement = 0, cartLine = 0;
};

// One dated change of an account's balance, before it is written to the statement.
struct Movement
{
    QString at; // stamp(): sorts as text
    QString kind;
    QString documentNo;
    double debit = 0;
    double credit = 0;
    QString description;
    QVariant dueDate;
    QVariant invoiceId;
    QVariant collectionId;
};

// The inserters of a year of business, shared by all accounts so that their statements are
// prepared once. Each sends its parents' rows before its own (foreign keys).
struct Writers
{
    explicit Writers(Database &db)
        : db(db)
    {
        lines.dependsOn(orders);
        invoices.dependsOn(lines);
        invoiceLines.dependsOn(invoices);
        deliveries.dependsOn(invoiceLines);
        collections.dependsOn(webPayments);
        items.dependsOn(collections);
        statement.dependsOn(deliveries);
        statement.dependsOn(items);
    }

    void flush()
    {
        statement.flush();
    }

    Database &db;
    BatchInsert orders{db, QStringLiteral(
        "INSERT INTO orders (id, account_id, user_id, rep_id, ordered_at, status_id, status_changed_at, delivery_kind_id, "
        "cargo_kind_id, cargo_firm_id, customer_note, staff_note, rep_note)"), 13};
    BatchInsert lines{db, QStringLiteral(
        "INSERT INTO order_lines (id, order_id, line_no, stock_id, quantity, delivered, cancelled, unit_price, first_price, "
        "vat_rate, ind1, ind2, ind3, ind4, campaign, note)"), 16};
    BatchInsert invoices{db, QStringLiteral(
        "INSERT INTO invoices (id, account_id, number, kind, issued_at, due_days, due_date, rep_id, dispatch_no, total, "
        "discount_total, net_total, vat_total, grand_total)"), 14};
    BatchInsert invoiceLines{db, QStringLiteral(
        "INSERT INTO invoice_lines (id, invoice_id, line_no, stock_id, order_line_id, quantity, unit_price, amount, ind1, "
        "ind2, ind3, ind4, discount_amount, net_unit_price, net_amount, vat_rate, vat_amount)"), 17};
    BatchInsert deliveries{db, QStringLiteral(
        "INSERT INTO deliveries (id, order_line_id, invoice_line_id, quantity, delivered_at)"), 5};

    BatchInsert webPayments{db, QStringLiteral(
        "INSERT INTO web_payments (id, account_id, paid_at, amount, installments, card_holder, card_number, bank, auth_code, "
        "reference, status)"), 11};
    BatchInsert collections{db, QStringLiteral(
        "INSERT INTO collections (id, account_id, kind, number, received_at, amount, description, web_payment_id)"), 8};
    BatchInsert items{db, QStringLiteral(
        "INSERT INTO collection_items (id, collection_id, method, due_date, amount, document_no, reference, description)"), 8};
    BatchInsert statement{db, QStringLiteral(
        "INSERT INTO account_movements (id, account_id, moved_at, kind, document_no, debit, credit, description, due_date, "
        "invoice_id, collection_id)"), 11};
};

class DemoBuilder
{
public:
    DemoBuilder(Database &db, const DemoOptions &options)
        : m_db(db), m_options(options), m_rng(options.seed), m_start(options.today.addDays(-365))
    {
    }

    DemoSummary run();

private:
    void settings();
    void referenceData();
    void pictures();
    void stocks();
    void accountsAndUsers();
    void business();
    void businessOf(AccountInfo &account, const std::vector<int> &preferred, struct Writers &w);
    void carts();
    void promotions();
    void requests();

    QString at(QDate day, int minHour, int maxHour)
    {
        const int hour = m_rng.between(minHour, maxHour - 1);
        const int minute = m_rng.below(60);
        return stamp(day, hour, minute, m_rng.below(60));
    }
    int addUser(const QString &name, const QString &password, const QString &fullName, int kind, QVariant accountId,
                QVariant repId, bool active, const QString &role, bool print);

    Database &m_db;
    DemoOptions m_options;
    Random m_rng;
    QDate m_start;
    DemoSummary m_summary;
    Counters m_n;

    std::vector<StockInfo> m_stocks; // index = stock id - 1
    std::vector<int> m_pictureIds;   // by shape * kPartVariants + variant
    std::vector<AccountInfo> m_accounts;
    std::vector<QString> m_repNames;
    std::vector<int> m_repUserIds;
    std::vector<std::vector<int>> m_firmsOfKind; // cargo firms by cargo kind id - 1
    int m_recentStatusTurn[2] = {0, 0};           // recent orders take their statuses in turn
    int m_userCount = 0;
};

void DemoBuilder::settings()
{
    writeSetting(m_db, kSettingNews,
                 u8("<b>VEXOR OTOMOTİV</b> B2B sistemine hoş geldiniz. Fren balata ve disklerinde %20 indirim! "
                    "Saat 16:00'ya kadar verilen siparişler aynı gün kargoda."));
    writeSetting(m_db, kSettingClientVersion, QStringLiteral("1"));
    writeSetting(m_db, kSettingMailTo, QStringLiteral("siparis@vexor.example"));
}

void DemoBuilder::referenceData()
{
    const std::vector<std::array<const char *, 4>> reps = {
        {"MERT AKSOY", "mert.aksoy@vexor.example", "0 (216) 480 10 21", "0 (532) 410 22 31"},
        {"SELİN KAYA", "selin.kaya@vexor.example", "0 (216) 480 10 22", "0 (533) 512 40 18"},
        {"BURAK YILDIZ", "burak.yildiz@vexor.example", "0 (216) 480 10 23", "0 (535) 671 09 44"},
    };
    for (size_t i = 0; i < reps.size(); ++i) {
        m_db.change(QStringLiteral("INSERT INTO representatives (id, code, name, email, phone, gsm) VALUES (?, ?, ?, ?, ?, ?)"),
                    {int(i + 1), QStringLiteral("T%1").arg(i + 1, 2, 10, QLatin1Char('0')), u8(reps[i][0]),
                     u8(reps[i][1]), u8(reps[i][2]), u8(reps[i][3])});
        m_repNames.push_back(u8(reps[i][0]));
    }
    for (size_t i = 0; i < kBrands.size(); ++i)
        m_db.change(QStringLiteral("INSERT INTO brands (id, name) VALUES (?, ?)"), {int(i + 1), u8(kBrands[i].name)});
    for (size_t i = 0; i < std::size(kDepartments); ++i)
        m_db.change(QStringLiteral("INSERT INTO departments (id, name) VALUES (?, ?)"), {int(i + 1), u8(kDepartments[i])});
    const std::vector<const char *> deliveries = {"Kargo ile", "Servisimizle teslim", "Depodan teslim alınacak", "Ambar ile"};
    for (size_t i = 0; i < deliveries.size(); ++i)
        m_db.change(QStringLiteral("INSERT INTO delivery_kinds (id, name, sort_order) VALUES (?, ?, ?)"),
                    {int(i + 1), u8(deliveries[i]), int(i + 1)});
    const std::vector<const char *> cargoKinds = {"Alıcı ödemeli", "Gönderici ödemeli", "Anlaşmalı kargo"};
    for (size_t i = 0; i < cargoKinds.size(); ++i)
        m_db.change(QStringLiteral("INSERT INTO cargo_kinds (id, name, sort_order) VALUES (?, ?, ?)"),
                    {int(i + 1), u8(cargoKinds[i]), int(i + 1)});
    struct Firm
    {
        const char *name;
        const char *warning;
        std::vector<int> kinds;
    };
    const std::vector<Firm> firms = {
        {"HIZLI KARGO", "", {1, 2, 3}},
        {"ANADOLU EKSPRES", "Cumartesi teslimat yapılmaz.", {1, 2}},
        {"YILDIRIM LOJİSTİK", "30 kg üzeri gönderiler ambar ile gönderilir.", {1, 2, 3}},
        {"MARMARA KURYE", "Yalnızca İstanbul içi teslimat.", {2, 3}},
        {"DOĞU KARGO", "", {1, 3}},
        {"EGE AMBARI", "Ambar teslim: alıcı şubeden teslim alır.", {1}},
        {"KARTAL NAKLİYAT", "Ağır ve hacimli parçalar için.", {1, 2}},
    };
    for (size_t i = 0; i < firms.size(); ++i) {
        const int id = int(i + 1);
        m_db.change(QStringLiteral("INSERT INTO cargo_firms (id, name, warning, phone) VALUES (?, ?, ?, ?)"),
                    {id, u8(firms[i].name), u8(firms[i].warning), QStringLiteral("0 (850) 300 %1 %2").arg(10 + id).arg(40 + id)});
        for (int kind : firms[i].kinds) {
            m_db.change(QStringLiteral("INSERT INTO cargo_firm_kinds (firm_id, kind_id) VALUES (?, ?)"), {id, kind});
            m_firmsOfKind.resize(std::max(m_firmsOfKind.size(), size_t(kind)));
            m_firmsOfKind[size_t(kind - 1)].push_back(id);
        }
    }
}

void DemoBuilder::pictures()
{
    for (int shape = 0; shape < kPartShapeCount; ++shape) {
        for (int variant = 0; variant < kPartVariants; ++variant) {
            const QImage image = partPicture(PartShape(shape), variant);
            const QByteArray jpeg = jpegBytes(image, 85);
            const QByteArray thumb = jpegBytes(image.scaled(120, 90, Qt::KeepAspectRatio, Qt::SmoothTransformation), 80);
            const qint64 id = m_db.insert(QStringLiteral("INSERT INTO pictures (jpeg, thumbnail, width, height) VALUES (?, ?, ?, ?)"),
                                          {jpeg, thumb, image.width(), image.height()});
            m_pictureIds.push_back(int(id));
        }
    }
}

void DemoBuilder::stocks()
{
    // Groups: main groups of the part types, one sub group per part type.
    QHash<QString, int> mainGroups;
    std::vector<int> subGroupOfType;
    int groupId = 0;
    for (const PartType &t : kPartTypes) {
        const QString main = u8(t.mainGroup);
        if (!mainGroups.contains(main)) {
            mainGroups.insert(main, ++groupId);
            m_db.change(QStringLiteral("INSERT INTO product_groups (id, parent_id, name) VALUES (?, NULL, ?)"), {groupId, main});
        }
        // Sub groups are named after the part without sizes ("AKÜ", "AMPUL", "MOTOR YAĞI").
        QString sub = u8(t.name);
        for (const char *cut : {" 12V", " 5W", " 10W", " 75W", " 3 LT", " DOT4", " H7", " H4", " 15 "}) {
            const int at = sub.indexOf(u8(cut));
            if (at > 0)
                sub.truncate(at);
        }
        const auto existing = m_db.scalar(QStringLiteral("SELECT id FROM product_groups WHERE parent_id = ? AND name = ?"),
                                          {mainGroups.value(main), sub});
        if (existing) {
            subGroupOfType.push_back(existing->toInt());
        } else {
            m_db.change(QStringLiteral("INSERT INTO product_groups (id, parent_id, name) VALUES (?, ?, ?)"),
                        {++groupId, mainGroups.value(main), sub});
            subGroupOfType.push_back(groupId);
        }
    }

    // Brands that make each part type.
    std::vector<std::vector<int>> brandsOfType;
    for (const PartType &t : kPartTypes) {
        std::vector<int> brands;
        for (size_t b = 0; b < kBrands.size(); ++b) {
            const auto &groups = kBrands[b].groups;
            if (groups.empty() || std::any_of(groups.begin(), groups.end(), [&](const char *g) { return qstrcmp(g, t.mainGroup) == 0; }))
                brands.push_back(int(b));
        }
        brandsOfType.push_back(brands);
    }
    int totalWeight = 0;
    for (const PartType &t : kPartTypes)
        totalWeight += t.weight;

    const QStringList specialCodes = {QString(), QString(), u8("EŞDEĞER"), u8("ORJİNAL"), u8("İTHAL"), u8("YERLİ ÜRETİM")};
    BatchInsert insert(m_db, QStringLiteral(
        "INSERT INTO stocks (id, code, barcode, barcode_no, maker_code, oem_no, oem1, oem2, oem3, oem4, name, other_name, "
        "sort_key, unit, brand_id, model, group_id, department_id, special_code, p_code, dp_code, colour, size, vat_rate, "
        "list_price, quantity, incoming, status, is_new, new_since, campaign, campaign_price, picture_id)"), 33, 100);
    m_stocks.resize(size_t(m_options.stocks));
    for (int i = 0; i < m_options.stocks; ++i) {
        const int id = i + 1;
        int roll = m_rng.below(totalWeight);
        size_t typeIndex = 0;
        while (roll >= kPartTypes[typeIndex].weight)
            roll -= kPartTypes[typeIndex++].weight;
        const PartType &type = kPartTypes[typeIndex];
        const int brandIndex = m_rng.pick(brandsOfType[typeIndex]);
        const Brand &brand = kBrands[size_t(brandIndex)];

        QString name = u8(type.name);
        QString otherName = u8(type.english);
        const auto &positions = kPositions[size_t(type.positions)];
        const int positionIndex = m_rng.below(int(positions.size()));
        if (*positions[size_t(positionIndex)]) {
            name += QLatin1Char(' ') + u8(positions[size_t(positionIndex)]);
            otherName += QLatin1Char(' ') + u8(kPositionsEnglish[size_t(type.positions)][size_t(positionIndex)]);
        }
        QString model;
        Dept dept = type.dept;
        int oemStyle = 0;
        if (!type.universal) {
            const VehicleMake &make = kMakes[size_t(m_rng.below(int(kMakes.size())))];
            oemStyle = make.oemStyle;
            if (make.dept != Otomobil && type.dept == Otomobil)
                dept = make.dept;
            const QString vehicle = u8(make.name) + QLatin1Char(' ') + u8(m_rng.pick(make.models));
            const QString engine = u8(make.dept == AgirVasita ? m_rng.pick(kHeavyEngines) : m_rng.pick(kEngines));
            const int from = m_rng.between(1998, 2020);
            const int to = from + m_rng.between(3, 9);
            model = vehicle + QLatin1Char(' ') + engine
                  + (to >= m_options.today.year() ? QStringLiteral(" (%1-)").arg(from) : QStringLiteral(" (%1-%2)").arg(from).arg(to));
            name += QLatin1Char(' ') + vehicle + QLatin1Char(' ') + engine;
        } else {
            model = QStringLiteral("UNİVERSAL");
        }

        const QString code = QStringLiteral("%1-%2").arg(QLatin1String(brand.prefix)).arg(10000 + id);
        const QString barcode = ean13(869000000000LL + 100000000LL + qint64(id) * 7 % 900000000LL);
        const QString makerCode = QLatin1String(brand.makerPrefix) + QLatin1Char(' ') + digits(m_rng, 4)
                                + QLatin1Char('.') + digits(m_rng, 2);
        const QString oemNo = type.universal ? QString() : oemNumber(m_rng, oemStyle);
        QString oems[4];
        if (!type.universal) {
            const int extra = m_rng.below(4);
            for (int k = 0; k < extra; ++k)
                oems[k] = oemNumber(m_rng, m_rng.below(7));
        }

        double price = m_rng.between(type.minPrice, type.maxPrice) * brand.priceFactor;
        price = shopPrice(price);
        const double vat = 18;
        int status = 1;
        double quantity = 0;
        double incoming = 0;
        const double r = m_rng.unit();
        if (r < 0.70) {
            quantity = m_rng.between(1, 250);
            status = quantity <= 5 && m_rng.chance(0.5) ? 2 : 1;
        } else if (r < 0.78) {
            status = 3;
            incoming = m_rng.between(5, 100);
        } else if (r < 0.84) {
            status = 4;
        } else if (r < 0.90) {
            status = 5;
            incoming = m_rng.between(1, 40);
        } else {
            status = 0;
        }
        if (status == 1 && m_rng.chance(0.1))
            incoming = m_rng.between(10, 200);

        const bool isNew = m_rng.chance(0.012);
        const QVariant newSince = isNew ? QVariant(isoDate(m_options.today.addDays(-m_rng.below(60)))) : QVariant();
        const bool campaign = price >= 50 && m_rng.chance(0.02);
        const double campaignPrice = campaign ? shopPrice(price * m_rng.between(0.70, 0.90)) : 0;
        const bool onCampaign = campaign && campaignPrice < price;
        QVariant picture;
        if (type.shape >= 0 && m_rng.chance(0.35))
            picture = m_pictureIds[size_t(type.shape * kPartVariants + brandIndex % kPartVariants)];

        insert.add({id, code, barcode, 100000 + id, makerCode, oemNo, oems[0], oems[1], oems[2], oems[3], name,
                    otherName, foldTurkish(name), u8(type.unit),
                    brandIndex + 1, model, subGroupOfType[typeIndex], int(dept) + 1,
                    specialCodes[m_rng.below(int(specialCodes.size()))],
                    QStringLiteral("%1-%2-%3").arg(QChar(u'A' + m_rng.below(8))).arg(m_rng.between(1, 40), 2, 10, QLatin1Char('0'))
                        .arg(m_rng.between(1, 12), 2, 10, QLatin1Char('0')),
                    QStringLiteral("TD-%1").arg(digits(m_rng, 6)), QString(), QString(), vat, price, quantity, incoming,
                    status, isNew ? 1 : 0, newSince, onCampaign ? 1 : 0, onCampaign ? campaignPrice : 0.0, picture});
        StockInfo &info = m_stocks[size_t(i)];
        info.listPrice = price;
        info.campaign = onCampaign;
        info.campaignPrice = onCampaign ? campaignPrice : 0;
        info.brand = brandIndex;
        info.vat = vat;
    }
    insert.flush();
    rebuildSearchIndex(m_db);
    m_summary.stocks = m_options.stocks;
}

int DemoBuilder::addUser(const QString &name, const QString &password, const QString &fullName, int kind,
                         QVariant accountId, QVariant repId, bool active, const QString &role, bool print)
{
    const int id = ++m_userCount;
    m_db.change(QStringLiteral("INSERT INTO users (id, name, password, full_name, email, kind, active, account_id, rep_id, created_at) "
                               "VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?)"),
                {id, name, password, fullName, QString(slug(name) + QStringLiteral("@example.com")), kind, active ? 1 : 0, accountId,
                 repId, stamp(m_start.addDays(-30), 9, 0)});
    // Every demo user gets a demo machine; a real workstation is added with `vexor-server enroll`.
    const QString machine = QStringLiteral("DEMO-%1").arg(name);
    m_db.change(QStringLiteral("INSERT INTO machines (machine_id, user_id, enrolled_at) VALUES (?, ?, ?)"),
                {machine, id, stamp(m_start.addDays(-30), 9, 0)});
    if (print)
        m_summary.users.push_back({name, password, kind, machine, role});
    return id;
}

void DemoBuilder::accountsAndUsers()
{
    // The representatives' own users first: two of kind 1, the third (sales manager) of kind 2.
    m_repUserIds.push_back(addUser(QStringLiteral("TEMSILCI1"), QStringLiteral("1234"), m_repNames[0], 1, QVariant(), 1, true,
                                   QStringLiteral("sales representative (kind 1)"), true));
    m_repUserIds.push_back(addUser(QStringLiteral("TEMSILCI2"), QStringLiteral("1234"), m_repNames[1], 1, QVariant(), 2, true,
                                   QStringLiteral("sales representative (kind 1)"), true));
    m_repUserIds.push_back(addUser(QStringLiteral("MUDUR"), QStringLiteral("1234"), m_repNames[2], 2, QVariant(), 3, true,
                                   QStringLiteral("sales manager, may change prices (kind 2)"), true));

    QSet<QString> usedNames;
    BatchInsert discounts(m_db, QStringLiteral("INSERT INTO account_discounts (account_id, brand_id, ind1, ind2, ind3, ind4)"), 6, 100);
    for (int i = 0; i < m_options.accounts; ++i) {
        AccountInfo a;
        a.id = i + 1;
        // The first three accounts go one to each representative, the rest are spread over them.
        a.repId = i < 3 ? (i % 3) + 1 : 1 + (m_rng.below(10) < 3 ? 0 : 1 + m_rng.below(2));
        QString name;
        do {
            name = u8(m_rng.pick(kNameWords)) + QLatin1Char(' ') + u8(m_rng.pick(kFirmSuffixes));
        } while (usedNames.contains(name));
        usedNames.insert(name);
        if (i == 0)
            name = u8("ASLAN OTO YEDEK PARÇA LTD. ŞTİ.");
        a.name = name;
        const City &city = kCities[size_t(m_rng.below(int(kCities.size())))];
        const QString district = u8(m_rng.pick(city.districts));
        const QString cityName = u8(city.name);
        const QString code = QStringLiteral("120.01.%1").arg(a.id, 4, 10, QLatin1Char('0'));
        const QString contact = u8(m_rng.pick(kFirstNames)) + QLatin1Char(' ') + u8(m_rng.pick(kNameWords));
        const QString phone = QStringLiteral("0 (%1) %2 %3 %4").arg(QLatin1String(city.areaCode)).arg(m_rng.between(200, 699))
                                  .arg(m_rng.between(10, 99)).arg(m_rng.between(10, 99));
        a.dueDays = m_rng.pick(std::vector<int>{30, 30, 45, 60, 60, 90});
        a.activity = m_rng.between(0.6, 2.5);
        a.payDiscipline = m_rng.chance(0.15) ? m_rng.between(0.4, 0.8) : m_rng.between(0.9, 1.0);
        const QString mainGroup = m_rng.pick(std::vector<QString>{u8("BAYİ"), u8("BAYİ"), u8("SERVİS"), u8("FİLO")});
        const QString subGroup = a.activity > 1.5 ? u8("A GRUBU") : a.activity > 0.8 ? u8("B GRUBU") : u8("C GRUBU");
        m_db.change(QStringLiteral(
            "INSERT INTO accounts (id, code, name, search_key, rep_id, contact, special_code, code1, code2, main_group, sub_group, "
            "address1, address2, district, city, phone1, phone2, gsm, fax1, email, tax_office, tax_number, due_days, "
            "due_check_days, due_check_months, credit_limit) "
            "VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)"),
            {a.id, code, name, foldTurkish(QString(code + QLatin1Char(' ') + name)), a.repId, contact,
             a.activity > 1.5 ? u8("ÖNCELİKLİ") : QString(), cityName.left(3), subGroup.left(1), mainGroup, subGroup,
             QString(u8(m_rng.pick(std::vector<const char *>{"SANAYİ SİTESİ", "OTO SANAYİ", "YEDEK PARÇACILAR ÇARŞISI", "ATATÜRK CAD."}))
                     + QStringLiteral(" %1. BLOK NO:%2").arg(m_rng.between(1, 20)).arg(m_rng.between(1, 120))),
             QString(district + QStringLiteral(" / ") + cityName), district, cityName, phone,
             m_rng.chance(0.5) ? QString() : QString(phone.left(phone.size() - 2) + QString::number(m_rng.between(10, 99))),
             QStringLiteral("0 (5%1) %2 %3 %4").arg(m_rng.between(30, 59)).arg(m_rng.between(100, 999)).arg(m_rng.between(10, 99))
                 .arg(m_rng.between(10, 99)),
             m_rng.chance(0.4) ? QString(phone.left(phone.size() - 2) + QStringLiteral("00")) : QString(),
             QString(slug(name.section(QLatin1Char(' '), 0, 1)) + QStringLiteral("@example.com")),
             QString(district + QStringLiteral(" V.D.")),
             digits(m_rng, 10), a.dueDays, m_rng.between(0, 15), m_rng.below(3), double(m_rng.between(5, 50) * 10000)});

        // Discounts: a general row for most accounts, a few brand rows for some.
        if (i < 3 || m_rng.chance(0.9)) {
            const double ind1 = i == 0 ? 10 : m_rng.pick(std::vector<double>{0, 5, 10, 10, 15, 15, 20, 25, 30});
            const double ind2 = i == 0 ? 5 : m_rng.pick(std::vector<double>{0, 0, 0, 5, 5, 10});
            const double ind3 = m_rng.pick(std::vector<double>{0, 0, 0, 0, 2, 2.5});
            const double ind4 = m_rng.pick(std::vector<double>{0, 0, 0, 0, 0, 1});
            discounts.add({a.id, QVariant(), ind1, ind2, i == 0 ? 0.0 : ind3, i == 0 ? 0.0 : ind4});
            a.pricing.general.rates = {ind1, ind2, i == 0 ? 0.0 : ind3, i == 0 ? 0.0 : ind4};
        }
        const int brandRows = i == 0 ? 2 : m_rng.below(4);
        QSet<int> brandsTaken;
        for (int k = 0; k < brandRows; ++k) {
            const int brand = i == 0 ? (k == 0 ? 4 : 24) : m_rng.between(1, int(kBrands.size()));
            if (brandsTaken.contains(brand))
                continue;
            brandsTaken.insert(brand);
            Discounts d;
            d.rates = {double(m_rng.pick(std::vector<int>{10, 15, 20, 25, 30, 35})), double(m_rng.pick(std::vector<int>{0, 5, 10})),
                       0, 0};
            if (i == 0)
                d.rates = k == 0 ? std::array<double, 4>{20, 10, 5, 0} : std::array<double, 4>{30, 0, 0, 0};
            discounts.add({a.id, brand, d.rates[0], d.rates[1], d.rates[2], d.rates[3]});
            a.pricing.byBrand[brand] = d;
        }
        a.pricing.accountId = a.id;
        m_accounts.push_back(a);
    }
    discounts.flush();

    // One dealer user per account; the first accounts carry the users the seed prints.
    for (size_t i = 0; i < m_accounts.size(); ++i) {
        AccountInfo &a = m_accounts[i];
        QString userName = QStringLiteral("B%1").arg(a.id, 4, 10, QLatin1Char('0'));
        QString password = alnum(m_rng, 6);
        int kind = m_rng.below(10) < 7 ? 3 : m_rng.below(3) < 2 ? 0 : 4;
        bool active = !m_rng.chance(0.03);
        bool print = false;
        QString role = QStringLiteral("dealer");
        switch (i) {
        case 0: userName = QStringLiteral("BAYI"); password = QStringLiteral("1234"); kind = 3; active = true; print = true;
            role = QStringLiteral("dealer (kind 3)"); break;
        case 1: userName = QStringLiteral("BAYI0"); password = QStringLiteral("1234"); kind = 0; active = true; print = true;
            role = QStringLiteral("dealer (kind 0)"); break;
        case 2: userName = QStringLiteral("BAYI4"); password = QStringLiteral("1234"); kind = 4; active = true; print = true;
            role = QStringLiteral("dealer without campaigns (kind 4)"); break;
        case 3: userName = QStringLiteral("PASIF"); password = QStringLiteral("1234"); kind = 3; active = false; print = true;
            role = QStringLiteral("inactive dealer: log-in refused"); break;
        default: break;
        }
        const QString fullName = u8(m_rng.pick(kFirstNames)) + QLatin1Char(' ') + a.name.section(QLatin1Char(' '), 0, 0);
        a.userId = addUser(userName, password, fullName, kind, a.id, QVariant(), active, role, print);
        // Dealers of kind 4 see no campaigns, so their account takes part in none.
        if (kind == 4) {
            a.campaigns = false;
            m_db.change(QStringLiteral("UPDATE accounts SET campaigns = 0 WHERE id = ?"), {a.id});
        }
        a.pricing.campaigns = a.campaigns;
    }
    m_summary.accounts = int(m_accounts.size());
}

void DemoBuilder::business()
{
    Writers w(m_db);
    const int stockCount = int(m_stocks.size());
    for (AccountInfo &a : m_accounts) {
        // Every account keeps buying from a set of its own: its vehicles, its brands.
        std::vector<int> preferred;
        const int count = std::min(stockCount, m_rng.between(60, 220));
        for (int k = 0; k < count; ++k)
            preferred.push_back(1 + m_rng.below(stockCount));
        businessOf(a, preferred, w);
    }
    w.flush();
}

void DemoBuilder::businessOf(AccountInfo &a, const std::vector<int> &preferred, Writers &w)
{
    const QDate today = m_options.today;
    std::vector<Movement> movements;

    // The balance carried over from the previous year.
    const double opening = m_rng.chance(0.8) ? round2(m_rng.between(0.0, 40000.0)) : 0;
    movements.push_back({stamp(m_start, 0, 0), kMovementOpening, QStringLiteral("DEVIR-%1").arg(m_start.year()),
                         opening, 0, u8("Önceki yıldan devir"), QVariant(), QVariant(), QVariant()});

    struct Due
    {
        QDate date;
        double amount;
    };
    std::vector<Due> dues; // invoices not yet paid, by due date
    if (opening > 0)
        dues.push_back({m_start.addDays(15), opening});

    BatchInsert &orders = w.orders;
    BatchInsert &lines = w.lines;
    BatchInsert &invoices = w.invoices;
    BatchInsert &invoiceLines = w.invoiceLines;
    BatchInsert &deliveries = w.deliveries;

    const std::vector<QString> customerNotes = {QString(), QString(), QString(), u8("Acil lütfen."),
                                                u8("Öğleden önce teslim edilirse sevinirim."), u8("Faturayı e-posta ile gönderiniz."),
                                                u8("Eksik parçaları ayrıca gönderin.")};
    const std::vector<QString> staffNotes = {QString(), QString(), u8("Stoktan karşılandı."), u8("Eksikler tedarik edilince gönderilecek."),
                                             u8("Kargo ücreti alıcıya aittir.")};

    // Orders: the account orders on random working days, more or less often.
    for (QDate day = m_start; day <= today; day = day.addDays(1)) {
        const int age = int(day.daysTo(today));
        // The first account, the one the demo dealer logs in with, has recent orders in every
        // status; the others order on random working days, more or less often.
        const bool forced = a.id == 1 && (age <= 2 || (age >= 5 && age <= 7));
        if (!forced && (day.dayOfWeek() == 7 || !m_rng.chance(a.activity / 6)))
            continue;
        const int orderId = ++m_n.order;
        const QString orderedAt = at(day, 8, 19);
        const bool byRep = m_rng.chance(0.15);
        const int userId = byRep ? m_repUserIds[size_t(a.repId - 1)] : a.userId;
        int status;
        if (age > 25)
            status = m_rng.chance(0.03) ? int(OrderStatus::Iptal) : int(OrderStatus::Tamamlandi);
        else if (age > 10)
            status = m_rng.chance(0.5) ? int(OrderStatus::SevkEdildi) : int(OrderStatus::Tamamlandi);
        else if (age > 3)
            status = int(OrderStatus::ParcaliHazirlandi) + m_recentStatusTurn[1]++ % 3;
        else
            status = int(OrderStatus::Alindi) + m_recentStatusTurn[0]++ % 3;
        const int cargoKind = m_rng.between(1, int(m_firmsOfKind.size()));
        const QVariant cargoFirm = m_rng.pick(m_firmsOfKind[size_t(cargoKind - 1)]);
        // What is shipped is delivered and invoiced; prepared orders still wait in the depot.
        const bool delivered = status == int(OrderStatus::SevkEdildi) || status == int(OrderStatus::Tamamlandi);
        // Shipped the next working days, invoiced on shipping (shipped orders are older than that).
        const QDate deliveryDay = std::min(today, day.addDays(m_rng.between(1, 3)));
        orders.add({orderId, a.id, userId, a.repId, orderedAt, status,
                    stamp(std::min(today, day.addDays(std::min(age, 3))), 17, 0),
                    m_rng.chance(0.8) ? 1 : m_rng.between(2, 4), cargoKind, cargoFirm, m_rng.pick(customerNotes),
                    m_rng.pick(staffNotes), byRep && m_rng.chance(0.5) ? u8("Temsilci ziyaretinde alındı.") : QString()});

        // Lines, and for delivered orders the invoice of what went out.
        const int lineCount = m_rng.between(1, 7);
        QSet<int> taken;
        std::vector<std::array<QVariant, 17>> invoiceRows;
        std::vector<std::vector<QVariant>> deliveryRows; // written after the invoice lines they name
        LineAmounts invoiceTotal;
        int invoiceId = 0;
        if (delivered)
            invoiceId = ++m_n.invoice;
        // Prices rise through the year: an order of a year ago paid about 25 % less.
        const double priceLevel = 1 - 0.25 * age / 365.0;
        for (int ln = 1; ln <= lineCount; ++ln) {
            const int stockId = m_rng.pick(preferred);
            if (taken.contains(stockId))
                continue;
            taken.insert(stockId);
            const StockInfo &s = m_stocks[size_t(stockId - 1)];
            const bool campaign = s.campaign && a.campaigns && age < 45;
            const StockPrice price = stockPrice(round2(s.listPrice * priceLevel), round2(s.campaignPrice * priceLevel), campaign,
                                                s.vat, a.pricing.forBrand(s.brand + 1));
            const double quantity = m_rng.chance(0.6) ? m_rng.between(1, 4) : m_rng.between(5, 30);
            double shipped = 0;
            double cancelled = 0;
            if (status == int(OrderStatus::Tamamlandi)) {
                shipped = m_rng.chance(0.06) ? std::floor(quantity / 2) : quantity;
                cancelled = quantity - shipped;
            } else if (status == int(OrderStatus::Iptal)) {
                cancelled = quantity;
            } else if (delivered) {
                shipped = m_rng.chance(0.5) ? quantity : std::floor(quantity * m_rng.between(0.0, 0.9));
            }
            const int lineId = ++m_n.orderLine;
            lines.add({lineId, orderId, ln, stockId, quantity, shipped, cancelled, price.price, price.price, s.vat,
                       price.discounts.rates[0], price.discounts.rates[1], price.discounts.rates[2], price.discounts.rates[3],
                       campaign ? 1 : 0, QString()});
            if (shipped > 0) {
                const LineAmounts amounts = lineAmounts(shipped, price.price, price.discounts, s.vat);
                const int invoiceLineId = ++m_n.invoiceLine;
                invoiceRows.push_back({invoiceLineId, invoiceId, int(invoiceRows.size() + 1), stockId, lineId, shipped,
                                       price.price, amounts.amount, price.discounts.rates[0], price.discounts.rates[1],
                                       price.discounts.rates[2], price.discounts.rates[3], amounts.discount,
                                       amounts.netUnitPrice, amounts.net, s.vat, amounts.vat});
                invoiceTotal.amount = round2(invoiceTotal.amount + amounts.amount);
                invoiceTotal.discount = round2(invoiceTotal.discount + amounts.discount);
                invoiceTotal.net = round2(invoiceTotal.net + amounts.net);
                invoiceTotal.vat = round2(invoiceTotal.vat + amounts.vat);
                deliveryRows.push_back({++m_n.delivery, lineId, invoiceLineId, shipped, stamp(deliveryDay, 16, 30)});
            }
        }
        m_summary.orderLines = m_n.orderLine;
        if (invoiceId == 0)
            continue;
        if (invoiceRows.empty()) {
            // Nothing went out after all: the number is given back.
            --m_n.invoice;
            continue;
        }
        const double grand = round2(invoiceTotal.net + invoiceTotal.vat);
        const QString number = QStringLiteral("VXF%1%2").arg(deliveryDay.year()).arg(invoiceId, 7, 10, QLatin1Char('0'));
        const QString issuedAt = stamp(deliveryDay, 17, m_rng.below(60));
        const QDate dueDate = deliveryDay.addDays(a.dueDays);
        invoices.add({invoiceId, a.id, number, kMovementInvoice, issuedAt, a.dueDays, isoDate(dueDate), a.repId,
                      QStringLiteral("VXI%1%2").arg(deliveryDay.year()).arg(invoiceId, 7, 10, QLatin1Char('0')),
                      invoiceTotal.amount, invoiceTotal.discount, invoiceTotal.net, invoiceTotal.vat, grand});
        for (const auto &row : invoiceRows)
            invoiceLines.add(std::vector<QVariant>(row.begin(), row.end()));
        for (const auto &row : deliveryRows)
            deliveries.add(row);
        movements.push_back({issuedAt, kMovementInvoice, number, grand, 0,
                             QStringLiteral("%1 nolu sipariş").arg(orderId), isoDate(dueDate), invoiceId, QVariant()});
        dues.push_back({dueDate, grand});

        // Now and then a part comes back: a return invoice for one line, credited.
        if (m_rng.chance(0.03)) {
            const auto &row = invoiceRows.front();
            const int returnId = ++m_n.invoice;
            const int stockId = row[3].toInt();
            const double unitPrice = row[6].toDouble();
            Discounts d;
            for (int k = 0; k < 4; ++k)
                d.rates[size_t(k)] = row[size_t(8 + k)].toDouble();
            const double vat = row[15].toDouble();
            const LineAmounts back = lineAmounts(1, unitPrice, d, vat);
            const QDate returnDay = std::min(today, deliveryDay.addDays(m_rng.between(2, 10)));
            const QString returnNo = QStringLiteral("VXR%1%2").arg(returnDay.year()).arg(returnId, 7, 10, QLatin1Char('0'));
            const QString returnAt = stamp(returnDay, 15, m_rng.below(60));
            invoices.add({returnId, a.id, returnNo, kMovementReturnInvoice, returnAt, 0, isoDate(returnDay), a.repId,
                          QString(), back.amount, back.discount, back.net, back.vat, back.total});
            invoiceLines.add({++m_n.invoiceLine, returnId, 1, stockId, QVariant(), 1.0, unitPrice, back.amount, d.rates[0],
                              d.rates[1], d.rates[2], d.rates[3], back.discount, back.netUnitPrice, back.net, vat, back.vat});
            movements.push_back({returnAt, kMovementReturnInvoice, returnNo, 0, back.total, u8("Hatalı parça iadesi"),
                                 QVariant(), returnId, QVariant()});
            dues.push_back({returnDay, -back.total});
        }
    }

    // Collections: on its own rhythm the account pays what has fallen due, in full or in part.
    BatchInsert &webPayments = w.webPayments;
    BatchInsert &collections = w.collections;
    BatchInsert &items = w.items;
    std::sort(dues.begin(), dues.end(), [](const Due &x, const Due &y) { return x.date < y.date; });
    const std::vector<QString> banks = {u8("BİRLİK BANK"), u8("DOĞU BANK"), u8("EGE FİNANS BANK")};
    double paidUpTo = 0; // what the account has paid of its dues so far
    double dueSoFar = 0;
    size_t nextDue = 0;
    const int rhythm = m_rng.between(7, 30);
    for (QDate day = m_start.addDays(m_rng.below(rhythm)); day <= today; day = day.addDays(rhythm + m_rng.between(-3, 3))) {
        while (nextDue < dues.size() && dues[nextDue].date <= day)
            dueSoFar += dues[nextDue++].amount;
        const double owed = round2(dueSoFar - paidUpTo);
        if (owed < 50)
            continue;
        const double amount = round2(owed * std::min(1.0, a.payDiscipline * m_rng.between(0.85, 1.05)));
        if (amount < 50)
            continue;
        paidUpTo += amount;
        const int collectionId = ++m_n.collection;
        const QString receivedAt = at(day, 9, 17);
        const QString method = m_rng.pick(std::vector<QString>{u8("Havale/EFT"), u8("Havale/EFT"), u8("Kredi Kartı"), u8("Nakit"),
                                                               u8("Çek"), u8("Senet")});
        const QString number = QStringLiteral("VXT%1%2").arg(day.year()).arg(collectionId, 7, 10, QLatin1Char('0'));
        QVariant webPayment;
        if (method == u8("Kredi Kartı")) {
            const int paymentId = ++m_n.webPayment;
            webPayment = paymentId;
            webPayments.add({paymentId, a.id, receivedAt, amount, m_rng.pick(std::vector<int>{1, 1, 3, 6}),
                             QString(u8(m_rng.pick(kFirstNames)) + QLatin1Char(' ') + a.name.section(QLatin1Char(' '), 0, 0)),
                             QStringLiteral("5%1 %2** **** %3").arg(digits(m_rng, 3), digits(m_rng, 2), digits(m_rng, 4)),
                             m_rng.pick(banks), digits(m_rng, 6), QStringLiteral("SP%1").arg(digits(m_rng, 10)), u8("Onaylandı")});
        }
        collections.add({collectionId, a.id, kMovementCollection, number, receivedAt, amount,
                         webPayment.isValid() ? u8("Sanal POS ödemesi") : QString(method + QStringLiteral(" tahsilatı")), webPayment});
        // Cheques and notes come in several pieces with their own due dates.
        const int pieces = (method == u8("Çek") || method == u8("Senet")) ? m_rng.between(1, 3) : 1;
        double left = amount;
        for (int k = 0; k < pieces; ++k) {
            const double part = k == pieces - 1 ? round2(left) : round2(amount / pieces);
            left = round2(left - part);
            const QDate itemDue = (method == u8("Çek") || method == u8("Senet")) ? day.addDays(30 * (k + 1)) : day;
            items.add({++m_n.collectionItem, collectionId, method, isoDate(itemDue), part,
                       method == u8("Çek") ? QStringLiteral("ÇEK-%1").arg(digits(m_rng, 7)) : number,
                       webPayment.isValid() ? QStringLiteral("SP-%1").arg(webPayment.toInt()) : QString(), QString()});
        }
        movements.push_back({receivedAt, kMovementCollection, number, 0, amount, method, QVariant(), QVariant(), collectionId});

        // Once in a while the distributor pays something back (an overpayment).
        if (m_rng.chance(0.02)) {
            const int paymentId = ++m_n.collection;
            const double back = round2(m_rng.between(100.0, 1500.0));
            const QDate payDay = std::min(today, day.addDays(2));
            const QString paidAt = stamp(payDay, 14, 0);
            const QString payNo = QStringLiteral("VXD%1%2").arg(payDay.year()).arg(paymentId, 7, 10, QLatin1Char('0'));
            collections.add({paymentId, a.id, kMovementPayment, payNo, paidAt, back, u8("Fazla ödeme iadesi"), QVariant()});
            items.add({++m_n.collectionItem, paymentId, u8("Havale/EFT"), isoDate(payDay), back, payNo, QString(), QString()});
            movements.push_back({paidAt, kMovementPayment, payNo, back, 0, u8("Fazla ödeme iadesi"), QVariant(), QVariant(), paymentId});
            paidUpTo -= back;
        }
    }

    // The statement: the same documents in the order they happened.
    std::stable_sort(movements.begin(), movements.end(), [](const Movement &x, const Movement &y) { return x.at < y.at; });
    BatchInsert &statement = w.statement;
    for (const Movement &m : movements) {
        if (m.debit == 0 && m.credit == 0)
            continue;
        statement.add({++m_n.movement, a.id, m.at, m.kind, m.documentNo, m.debit, m.credit, m.description,
                       m.dueDate, m.invoiceId, m.collectionId});
    }
}

void DemoBuilder::carts()
{
    BatchInsert cart(m_db, QStringLiteral(
        "INSERT INTO cart_lines (id, account_id, stock_id, user_id, quantity, unit_price, vat_rate, ind1, ind2, ind3, ind4, "
        "campaign, selected, added_at)"), 14, 100);
    for (size_t i = 0; i < m_accounts.size(); ++i) {
        const AccountInfo &a = m_accounts[i];
        if (i != 0 && !m_rng.chance(0.3))
            continue;
        const int count = i == 0 ? 4 : m_rng.between(1, 8);
        QSet<int> taken;
        for (int k = 0; k < count; ++k) {
            const int stockId = 1 + m_rng.below(int(m_stocks.size()));
            if (taken.contains(stockId))
                continue;
            taken.insert(stockId);
            const StockInfo &s = m_stocks[size_t(stockId - 1)];
            const StockPrice price = stockPrice(s.listPrice, s.campaignPrice, s.campaign && a.campaigns, s.vat,
                                                a.pricing.forBrand(s.brand + 1));
            cart.add({++m_n.cartLine, a.id, stockId, a.userId, double(m_rng.between(1, 10)), price.price, s.vat,
                      price.discounts.rates[0], price.discounts.rates[1], price.discounts.rates[2], price.discounts.rates[3],
                      price.campaign ? 1 : 0, m_rng.chance(0.6) ? 1 : 0,
                      at(m_options.today.addDays(-m_rng.below(5)), 8, 18)});
        }
    }
    cart.flush();
    m_summary.cartLines = m_n.cartLine;
}

void DemoBuilder::promotions()
{
    const QString now = isoDateTime(QDateTime(m_options.today, QTime(8, 0)));
    m_db.change(QStringLiteral("INSERT INTO banners (slot, content, file_name, updated_at) VALUES (?, ?, ?, ?)"),
                {1, headerBannerGif(), QStringLiteral("ust-banner.gif"), now});
    m_db.change(QStringLiteral("INSERT INTO banners (slot, content, file_name, updated_at) VALUES (?, ?, ?, ?)"),
                {2, stripBannerGif(), QStringLiteral("kampanya-serit.gif"), now});
    m_db.change(QStringLiteral("INSERT INTO banners (slot, content, file_name, updated_at) VALUES (?, ?, ?, ?)"),
                {3, bottomBannerBmp(), QStringLiteral("alt-bant.bmp"), now});

    struct Screen
    {
        const char *title;
        const char *picture;
        const char *search;
        PartShape shape;
        int variant;
        bool advertisement;
    };
    const std::vector<Screen> screens = {
        {"Kampanyalı ürünlerimizi inceleyin", "KAMPANYA %20", "#KAMPANYA#", PartShape::Disc, 0, true},
        {"Yeni gelen ürünler", "YENI URUNLER", "#YENİ#", PartShape::Gear, 1, true},
        {"Fren balatalarında yeni fiyatlar", "FREN BALATASI", "FREN BALATASI", PartShape::Pad, 2, false},
        {"Triger setlerinde geniş stok", "TRIGER SETI", "TRIGER SETI", PartShape::Belt, 0, false},
        {"Yaz bakımı: klima ve soğutma", "YAZ BAKIMI", "KLIMA", PartShape::Panel, 1, false},
        {"Bayram tatilinde sevkiyat yapılmayacaktır", "DUYURU", "", PartShape::Box, 2, false},
    };
    for (size_t i = 0; i < screens.size(); ++i) {
        const Screen &s = screens[i];
        m_db.change(QStringLiteral("INSERT INTO opening_screens (id, title, search, picture, sort_order, advertisement, created_at) "
                                   "VALUES (?, ?, ?, ?, ?, ?, ?)"),
                    {int(i + 1), u8(s.title), u8(s.search), jpegBytes(openingScreen(u8(s.picture), s.shape, s.variant), 80),
                     int(i + 1), s.advertisement ? 1 : 0, now});
    }

    // Documents: a price list of the campaign stocks and a notice, for every account.
    QString csv = u8("STOKKODU;BARKOD;ADI;MARKA;LISTEFIYATI;KAMPANYAFIYATI\n");
    QSqlQuery q = m_db.exec(QStringLiteral("SELECT s.code, s.barcode, s.name, b.name, s.list_price, s.campaign_price "
                                           "FROM stocks s JOIN brands b ON b.id = s.brand_id WHERE s.campaign = 1 ORDER BY s.sort_key, s.id"));
    while (q.next()) {
        csv += QStringLiteral("%1;%2;%3;%4;%5;%6\n").arg(q.value(0).toString(), q.value(1).toString(), q.value(2).toString(),
                                                           q.value(3).toString(), QString::number(q.value(4).toDouble(), 'f', 2),
                                                           QString::number(q.value(5).toDouble(), 'f', 2));
    }
    m_db.change(QStringLiteral("INSERT INTO documents (name, title, mime, content, created_at) VALUES (?, ?, ?, ?, ?)"),
                {QStringLiteral("kampanya-fiyat-listesi.csv"), u8("Kampanyalı ürün fiyat listesi"), QStringLiteral("text/csv"),
                 csv.toUtf8(), now});
    m_db.change(QStringLiteral("INSERT INTO documents (name, title, mime, content, created_at) VALUES (?, ?, ?, ?, ?)"),
                {QStringLiteral("sevkiyat-duyurusu.txt"), u8("Sevkiyat saatleri"), QStringLiteral("text/plain"),
                 u8("Saat 16:00'ya kadar verilen siparişler aynı gün kargoya verilir.\n"
                    "Cumartesi günleri sevkiyat 13:00'te kapanır.\n").toUtf8(), now});
}

void DemoBuilder::requests()
{
    const QDateTime base(m_options.today.addDays(-3), QTime(10, 15));
    const std::vector<std::array<const char *, 6>> requests = {
        {"WD-WX91A7723401", "YENİ ADIM OTO YEDEK PARÇA", "KEMAL TUNÇ", "KONYA", "KARATAY", "yeniadim@example.com"},
        {"S3YJNX0M604512", "DERYA OTOMOTİV", "ESRA ŞİMŞEK", "İZMİR", "BORNOVA", "deryaoto@example.com"},
        {"9C-B6-D0-11-2A-7F", "ÖZGÜN OTO ELEKTRİK", "CEM UZUN", "ANKARA", "OSTİM", "ozgun@example.com"},
    };
    for (size_t i = 0; i < requests.size(); ++i) {
        const auto &r = requests[i];
        m_db.change(QStringLiteral("INSERT INTO access_requests (created_at, machine_id, company, contact, phone, email, city, district, "
                                   "address, tax_office, tax_number, user_name, note) VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)"),
                    {isoDateTime(base.addSecs(qint64(i) * 5400)), u8(r[0]), u8(r[1]), u8(r[2]),
                     QStringLiteral("0 (5%1) 400 20 %2").arg(30 + int(i)).arg(10 + int(i)), u8(r[5]), u8(r[3]), u8(r[4]),
                     QString(u8(r[4]) + u8(" SANAYİ SİTESİ")), QString(u8(r[4]) + u8(" V.D.")), digits(m_rng, 10),
                     slug(u8(r[1]).section(QLatin1Char(' '), 0, 0)).toUpper(), u8("B2B sistemine erişim istiyoruz.")});
    }
    // Requests sent earlier through the client; the last one still waits in the outbox.
    const AccountInfo &a = m_accounts.front();
    const std::vector<std::array<QString, 3>> mails = {
        {u8("Şifre Değiştirme İsteği"), u8("Kullanıcı adı: BAYI\nYeni şifre isteniyor."), isoDateTime(base.addDays(-20))},
        {u8("Fatura sorusu"), u8("Geçen ayki faturada bir kalem eksik görünüyor, kontrol eder misiniz?"), isoDateTime(base.addDays(-6))},
        {u8("Sipariş hakkında"), u8("Son siparişimizdeki eksik parçalar ne zaman gönderilir?"), QString()},
    };
    for (const auto &m : mails) {
        m_db.change(QStringLiteral("INSERT INTO mail_outbox (created_at, machine_id, account_id, reply_to, recipient, subject, body, "
                                   "sent_at, attempts) VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?)"),
                    {m[2].isEmpty() ? isoDateTime(base) : m[2], QStringLiteral("DEMO-BAYI"), a.id,
                     QStringLiteral("aslanoto@example.com"), QStringLiteral("mert.aksoy@vexor.example"), m[0], m[1],
                     m[2].isEmpty() ? QVariant() : QVariant(m[2]), m[2].isEmpty() ? 0 : 1});
    }
}

DemoSummary DemoBuilder::run()
{
    if (m_options.stocks < 1 || m_options.accounts < 4)
        throw DatabaseError("the demo needs at least 1 stock and 4 accounts");
    const auto existing = m_db.scalar(QStringLiteral("SELECT COUNT(*) FROM stocks"));
    if (existing && existing->toInt() > 0)
        throw DatabaseError("the database holds stocks already; demo data goes into a new database");
    Transaction tx(m_db);
    settings();
    referenceData();
    pictures();
    stocks();
    accountsAndUsers();
    business();
    carts();
    promotions();
    requests();
    tx.commit();
    m_summary.orders = m_n.order;
    m_summary.orderLines = m_n.orderLine;
    m_summary.invoices = m_n.invoice;
    m_summary.collections = m_n.collection;
    m_summary.webPayments = m_n.webPayment;
    return m_summary;
}

} // namespace

DemoSummary seedDemoData(Database &db, const DemoOptions &options)
{
    return DemoBuilder(db, options).run();
}

} // namespace vexor
