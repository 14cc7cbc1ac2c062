#include "server/baglantiu.h"
#include "server/mobilstokunit.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTest>

#include <cmath>
#include <limits>

using namespace Qt::StringLiterals;
using namespace vexor;

namespace {

QJsonObject parseObject(const std::string &json)
{
    QJsonParseError error;
    const QJsonDocument doc = QJsonDocument::fromJson(QByteArray::fromStdString(json), &error);
    if (error.error != QJsonParseError::NoError || !doc.isObject())
        qFatal("not a JSON object: %s", json.c_str());
    return doc.object();
}

QJsonValue parseValue(const QByteArray &json)
{
    QJsonParseError error;
    const QJsonDocument doc = QJsonDocument::fromJson("{\"v\":" + json + "}", &error);
    if (error.error != QJsonParseError::NoError)
        qFatal("test input is not JSON: %s", json.constData());
    return doc.object().value("v"_L1);
}

std::unique_ptr<Record> freshRecord(const QString &typeName)
{
    auto record = RecordRegistry::instance().create(typeName);
    if (!record)
        qFatal("type not registered: %s", qPrintable(typeName));
    return record;
}

// A value of the same kind that differs from `value` and from every other field's value.
QJsonValue otherValue(const QString &key, const QJsonValue &value, int index, int seed);

// The JSON form of `typeName` with every field (or only `onlyKey`) set to a non-default value.
// Nested records get the ids they will be written with, counting from `id`.
QJsonObject filledJson(const QString &typeName, int &id, int seed, const QString &onlyKey = {})
{
    QJsonObject object = parseObject(freshRecord(typeName)->toJson());
    object["id"_L1] = id++;
    QJsonObject fields = object.value("fields"_L1).toObject();
    int index = 0;
    for (const QString &key : fields.keys()) {
        ++index;
        if (!onlyKey.isEmpty() && key != onlyKey)
            continue;
        if (fields.value(key).isArray()) {
            // Two elements of the class the array holds.
            static const QHash<QString, QString> elementTypes = {
                {u"mobilstokunit.TAcilisEkranlariki"_s, u"mobilstokunit.TAcilisEkran"_s},
                {u"mobilstokunit.TAcilisEkranlar"_s, u"mobilstokunit.TAcilisEkran"_s},
                {u"mobilstokunit.TMobilStoklar"_s, u"mobilstokunit.TMobilStok"_s},
                {u"mobilstokunit.TMobilSepetler"_s, u"mobilstokunit.TMobilSepet"_s},
            };
            const QString elementType = elementTypes.value(typeName);
            if (elementType.isEmpty())
                qFatal("no element class known for %s", qPrintable(typeName));
            QJsonArray elements;
            elements.append(filledJson(elementType, id, seed + 100));
            elements.append(filledJson(elementType, id, seed + 200));
            fields[key] = elements;
        } else {
            fields[key] = otherValue(key, fields.value(key), index, seed);
        }
    }
    object["fields"_L1] = fields;
    return object;
}

QJsonValue otherValue(const QString &key, const QJsonValue &value, int index, int seed)
{
    switch (value.type()) {
    case QJsonValue::String:
        return u"%1 değer %2/%3"_s.arg(key).arg(seed).arg(index);
    case QJsonValue::Double:
        // Integral, so it fits int32 fields as well as doubles.
        return 1000 * seed + index * 7 + 1;
    case QJsonValue::Bool:
        return !value.toBool();
    default:
        break;
    }
    qFatal("unexpected field kind in %s", qPrintable(key));
    return {};
}

QJsonObject filledJson(const QString &typeName, int seed = 1)
{
    int id = 1;
    return filledJson(typeName, id, seed);
}

template<class T>
std::unique_ptr<T> filled(int seed)
{
    const QString typeName = QString::fromLatin1(T::kTypeName.data(), T::kTypeName.size());
    return unmarshalRecordAs<T>(filledJson(typeName, seed));
}

// A registered subclass, as a newer server might send in place of its base class.
class TTestEkran : public TAcilisEkran
{
public:
    static constexpr std::string_view kTypeName = "testunit.TTestEkran";
    QString typeName() const override { return u"testunit.TTestEkran"_s; }
    std::unique_ptr<Record> clone() const override { return std::make_unique<TTestEkran>(*this); }
};

} // namespace

class TestRecords : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();

    void freshRecordJson_data();
    void freshRecordJson();
    void roundTrip_data();
    void roundTrip();
    void nestedIds();
    void cloneIsDeep();
    void kopyala();
    void kopyalaSessionRecord();
    void numbersKeepTheirValue_data();
    void numbersKeepTheirValue();
    void textSurvives_data();
    void textSurvives();
    void acceptedInputs();
    void rejectedInputs_data();
    void rejectedInputs();
    void classIsChecked();
    void unwritableValues();
    void hexAkisaCevir_data();
    void hexAkisaCevir();
};

void TestRecords::initTestCase()
{
    RecordRegistry::instance().add<TTestEkran>();
}

void TestRecords::freshRecordJson_data()
{
    QTest::addColumn<QString>("type");
    QTest::addColumn<QByteArray>("expected");

    QTest::newRow("TSonucBilgisi") << u"baglantiu.TSonucBilgisi"_s << QByteArray(
        R"({"type":"baglantiu.TSonucBilgisi","id":1,"fields":{"FBILGISAYARID":"",)"
        R"("FSaticiMail":"","FSirano":0,"FCariAdi":"","FSIFRE":"","FSaticiNo":0,"FCARINO":0,)"
        R"("FAKTIF":0,"FKullanicimail":"","FADI":"","FSaticiTelefon":"","Fcarikod":"",)"
        R"("FVarmi":false,"FSaticiAdi":"","FBilgiSayarAdi":"","FDisip":"","FIcip":"",)"
        R"("FBilgisayarKullanici":"","FMusteriTipi":1,"FVersion":1}})");
    QTest::newRow("TSiparisDipAyrinti") << u"baglantiu.TSiparisDipAyrinti"_s << QByteArray(
        R"({"type":"baglantiu.TSiparisDipAyrinti","id":1,"fields":{"FSizinMesaj":"",)"
        R"("FDurumu":"","FVeren":"","FKargo":"","FBizimMesaj":"","FTeslimCinsi":"",)"
        R"("FKargoCinsi":"","FSaticiNotu":""}})");
    QTest::newRow("TTusSonuclari") << u"baglantiu.TTusSonuclari"_s << QByteArray(
        R"({"type":"baglantiu.TTusSonuclari","id":1,"fields":{"FAlindi":0,"FOnaylandi":0,)"
        R"("FParcaliHazirlandi":0,"FSevkEdildi":0,"FHazirlandi":0,"FGoruldu":0}})");
    QTest::newRow("TMobilCariBilgisi") << u"mobilstokunit.TMobilCariBilgisi"_s << QByteArray(
        R"({"type":"mobilstokunit.TMobilCariBilgisi","id":1,"fields":{"FBILGISAYARID":"",)"
        R"("FSEHIR":"","FFAX1":"","FSATICIMAIL":"","FSATICIADI":"","FCARIADI":"","FEMAIL":"",)"
        R"("FVERGIDAIRESI":"","FYETKILI":"","FAltGrup":"","FTEL2":"","FSIFRE":"","FGSM":"",)"
        R"("FTEL1":"","FADRES2":"","FTLBORC":0,"FTLALACAK":0,"FADRES1":"","FULKE":"",)"
        R"("FAnaGrup":"","FCARINO":0,"FTLBAKIYE":0,"FVERGINO":"","FMAIL":"","FOzelKod":"",)"
        R"("FKULLANICIADI":"","FSATICITELEFON":"","FCARIKOD":"","FFAX2":"","FILCE":""}})");
    QTest::newRow("TAcilisEkran") << u"mobilstokunit.TAcilisEkran"_s << QByteArray(
        R"({"type":"mobilstokunit.TAcilisEkran","id":1,"fields":{"FSiraNo":0,"FResim":"",)"
        R"("FBaslik":"","FArama":""}})");
    QTest::newRow("TAcilisEkranlariki") << u"mobilstokunit.TAcilisEkranlariki"_s << QByteArray(
        R"({"type":"mobilstokunit.TAcilisEkranlariki","id":1,"fields":{"FEkranlar":[]}})");
    QTest::newRow("TMobilStok") << u"mobilstokunit.TMobilStok"_s << QByteArray(
        R"({"type":"mobilstokunit.TMobilStok","id":1,"fields":{"FStokNo":0,"FResimVar":0,)"
        R"("FResim":"","FYeni":0,"FDepartman":"","FVerilenSiparis":0,"FAltGrup":"","FDurum":0,)"
        R"("FRenk":"","FBirim":"ADET","FKDV":18,"FAlinanSiparis":0,"FIsk2":0,"FAnaGrup":"",)"
        R"("FKod":"","FIsk3":0,"FListeFiyati":0,"FBeden":"","FNetFiyat":0,"FIsk1":0,)"
        R"("FKDVliFiyat":0,"FIsk4":0,"FOzelKod":"","FKampnayali":0,"FBarkod":"",)"
        R"("FIndirimOran":0,"FKalan":0,"FUreticiKod":"","FKampanyaliFiyat":0,"FOemNo":"",)"
        R"("FBarkodNo":0,"FPKod":"","FDpKod":"","FAdi":"","FFiyat":0}})");
    QTest::newRow("TMobilSepet") << u"mobilstokunit.TMobilSepet"_s << QByteArray(
        R"({"type":"mobilstokunit.TMobilSepet","id":1,"fields":{"FKARGOID":0,"FStokNo":0,)"
        R"("FTARIH":0,"FSIRANO":0,"FCARIADI":"","FVERILISTARIHI":0,"FDurum":0,"FMIKTAR":0,)"
        R"("FVERENIDNO":0,"FNETTUTAR":0,"FKDVLITUTAR":0,"FKDV":0,"FAKTAR":0,"FSAAT":"",)"
        R"("FVERGITUTARI":0,"FPKod":"","FMODEL":"","FINDIRIMTUTAR":0,"FSTOK_STOKNO":0,)"
        R"("FBIRIMFIYAT":0,"FSEC":0,"FOEM2":"","FOEM3":"","FAnaGrup":"","FMARKA":"",)"
        R"("FVEREN":"","FSTOKADI":"","FOEM1":"","FCARINO":0,"FVERENSIRANO":0,"FACIKLAMA":0,)"
        R"("FINDIRIMORANI2":0,"FOEM4":"","FKUR":"","FINDIRIMORANI3":0,"FSIPARISNO":0,)"
        R"("FIDNO":0,"FOzelKod":"","FDpKod":"","FKURTL":0,"FINDIRIMORANI1":0,"FDIGERADI":"",)"
        R"("FBarkod":"","FTUTAR":0,"FURETICIKODU":"","FKalan":0,"FFINISHKOD":"","FCARIKOD":"",)"
        R"("FNETBIRIMFIYAT":0,"FOemNo":"","FTESLIMID":0,"FResimVar":0,"FResim":""}})");
    QTest::newRow("TAcilisEkranlar") << u"mobilstokunit.TAcilisEkranlar"_s << QByteArray(
        R"({"type":"mobilstokunit.TAcilisEkranlar","id":1,"fields":{"FItems":[]}})");
    QTest::newRow("TMobilStoklar") << u"mobilstokunit.TMobilStoklar"_s << QByteArray(
        R"({"type":"mobilstokunit.TMobilStoklar","id":1,"fields":{"FItems":[]}})");
    QTest::newRow("TMobilSepetler") << u"mobilstokunit.TMobilSepetler"_s << QByteArray(
        R"({"type":"mobilstokunit.TMobilSepetler","id":1,"fields":{"FItems":[]}})");
}

void TestRecords::freshRecordJson()
{
    QFETCH(QString, type);
    QFETCH(QByteArray, expected);
    QCOMPARE(QByteArray::fromStdString(freshRecord(type)->toJson()), expected);
}

void TestRecords::roundTrip_data()
{
    QTest::addColumn<QString>("type");
    for (const char *name :
         {"baglantiu.TSonucBilgisi", "baglantiu.TSiparisDipAyrinti", "baglantiu.TTusSonuclari",
          "mobilstokunit.TMobilCariBilgisi", "mobilstokunit.TAcilisEkran",
          "mobilstokunit.TAcilisEkranlariki", "mobilstokunit.TMobilStok",
          "mobilstokunit.TMobilSepet", "mobilstokunit.TAcilisEkranlar",
          "mobilstokunit.TMobilStoklar", "mobilstokunit.TMobilSepetler"}) {
        QTest::newRow(name) << QString::fromLatin1(name);
    }
}

void TestRecords::roundTrip()
{
    QFETCH(QString, type);
    const auto fresh = freshRecord(type);
    const QJsonObject input = filledJson(type);

    // Every field lands in its own member and is written back under its own key.
    const auto record = unmarshalRecord(input);
    QVERIFY(record);
    QCOMPARE(record->typeName(), type);
    QCOMPARE(parseObject(record->toJson()), input);

    const auto again = unmarshalRecordJson(QByteArray::fromStdString(record->toJson()));
    QVERIFY(again->equals(*record));
    const auto copy = record->clone();
    QCOMPARE(copy->typeName(), type);
    QVERIFY(copy->equals(*record));
    QVERIFY(!record->equals(*fresh));

    // equals sees each field on its own, and each key reaches its field.
    const QStringList keys = input.value("fields"_L1).toObject().keys();
    for (const QString &key : keys) {
        int id = 1;
        const auto changed = unmarshalRecord(filledJson(type, id, 1, key));
        QVERIFY2(!changed->equals(*fresh), qPrintable(key));
        QVERIFY2(changed->clone()->equals(*changed), qPrintable(key));
    }
}

void TestRecords::nestedIds()
{
    TAcilisEkranlariki ekranlar;
    RecordList<TAcilisEkran> list;
    for (int i = 0; i < 2; ++i) {
        auto ekran = std::make_unique<TAcilisEkran>();
        ekran->setSiraNo(7 + i);
        ekran->setBaslik(i == 0 ? u"Kampanya"_s : u"Duyuru"_s);
        ekran->setResim(i == 0 ? u"FFD8"_s : QString());
        ekran->setArama(i == 0 ? u"FREN"_s : QString());
        list.push_back(std::move(ekran));
    }
    // The setter replaces the whole array.
    ekranlar.setEkranlar(RecordList<TAcilisEkran>(3));
    ekranlar.setEkranlar(std::move(list));
    QCOMPARE(ekranlar.Ekranlar().size(), size_t(2));

    QCOMPARE(QByteArray::fromStdString(ekranlar.toJson()),
             QByteArray(R"({"type":"mobilstokunit.TAcilisEkranlariki","id":1,"fields":{"FEkranlar":[)"
                        R"({"type":"mobilstokunit.TAcilisEkran","id":2,"fields":{"FSiraNo":7,)"
                        R"("FResim":"FFD8","FBaslik":"Kampanya","FArama":"FREN"}},)"
                        R"({"type":"mobilstokunit.TAcilisEkran","id":3,"fields":{"FSiraNo":8,)"
                        R"("FResim":"","FBaslik":"Duyuru","FArama":""}}]}})"));

    // The counter carries on from where the caller is and ends past the last id used.
    JsonWriter writer;
    int nextId = 5;
    ekranlar.marshal(writer, nextId);
    QCOMPARE(nextId, 8);
    const QJsonObject written = parseObject(writer.take());
    QCOMPARE(written.value("id"_L1).toInt(), 5);
    const QJsonArray elements = written.value("fields"_L1)["FEkranlar"_L1].toArray();
    QCOMPARE(elements.at(0)["id"_L1].toInt(), 6);
    QCOMPARE(elements.at(1)["id"_L1].toInt(), 7);

    const auto back = unmarshalRecordAs<TAcilisEkranlariki>(written);
    QVERIFY(back->equals(ekranlar));
    QCOMPARE(back->Ekranlar().at(1)->Baslik(), u"Duyuru"_s);
}

void TestRecords::cloneIsDeep()
{
    const auto original = filled<TMobilStoklar>(3);
    QCOMPARE(original->Items().size(), size_t(2));
    const auto copy = cloneRecord(*original);
    QVERIFY(copy->Items().at(0).get() != original->Items().at(0).get());
    const QString before = original->Items().at(0)->Adi();
    copy->Items().at(0)->setAdi(u"değişti"_s);
    QCOMPARE(original->Items().at(0)->Adi(), before);
    QVERIFY(!copy->equals(*original));

    // A registered subclass inside an array keeps its class through clone and marshal.
    TAcilisEkranlariki ekranlar;
    RecordList<TAcilisEkran> list;
    list.push_back(std::make_unique<TTestEkran>());
    ekranlar.setEkranlar(std::move(list));
    const auto cloned = cloneRecord(ekranlar);
    QVERIFY(dynamic_cast<const TTestEkran *>(cloned->Ekranlar().at(0).get()));
    const auto back = unmarshalRecordJson(QByteArray::fromStdString(cloned->toJson()));
    QVERIFY(back->equals(ekranlar));
}

template<class T>
static void checkKopyala(const QStringList &kept)
{
    // Filled over fresh and fresh over filled: every field comes from the source (empty
    // strings and zeros included) except the kept ones, which stay the target's.
    for (int direction = 0; direction < 2; ++direction) {
        auto target = direction == 0 ? filled<T>(4) : std::make_unique<T>();
        const auto source = direction == 0 ? std::make_unique<T>() : filled<T>(5);
        const QJsonObject targetBefore = parseObject(target->toJson())["fields"_L1].toObject();
        const QJsonObject sourceFields = parseObject(source->toJson())["fields"_L1].toObject();

        target->Kopyala(*source);

        const QJsonObject after = parseObject(target->toJson())["fields"_L1].toObject();
        for (const QString &key : sourceFields.keys()) {
            const QJsonValue expected = kept.contains(key) ? targetBefore.value(key)
                                                           : sourceFields.value(key);
            QVERIFY2(after.value(key) == expected,
                     qPrintable(QString::fromLatin1(T::kTypeName.data()) + u' ' + key));
        }
    }
}

void TestRecords::kopyala()
{
    checkKopyala<TSonucBilgisi>({});
    checkKopyala<TSiparisDipAyrinti>({});
    checkKopyala<TTusSonuclari>({});
    checkKopyala<TMobilCariBilgisi>({});
    checkKopyala<TMobilSepet>({});
    checkKopyala<TMobilStok>({u"FPKod"_s, u"FDpKod"_s});

    TMobilStok stok;
    stok.setPKod(u"P-1"_s);
    stok.setDpKod(u"D-1"_s);
    TMobilStok kaynak;
    kaynak.setPKod(u"P-2"_s);
    kaynak.setKod(u"K-2"_s);
    stok.Kopyala(kaynak);
    QCOMPARE(stok.PKod(), u"P-1"_s);
    QCOMPARE(stok.DpKod(), u"D-1"_s);
    QCOMPARE(stok.Kod(), u"K-2"_s);
}

void TestRecords::kopyalaSessionRecord()
{
    // The log-in result replaces everything; the customer choice then shows in every copy.
    TSonucBilgisi sbilgi;
    sbilgi.setBILGISAYARID(u"ABC-123"_s);
    sbilgi.setBilgiSayarAdi(u"MAGAZA-PC"_s);
    TSonucBilgisi sunucudan;
    sunucudan.setADI(u"bayi"_s);
    sunucudan.setMusteriTipi(3);
    sunucudan.setVarmi(true);
    sbilgi.Kopyala(sunucudan);
    QCOMPARE(sbilgi.BILGISAYARID(), QString());
    QCOMPARE(sbilgi.BilgiSayarAdi(), QString());
    QCOMPARE(sbilgi.ADI(), u"bayi"_s);
    QCOMPARE(sbilgi.MusteriTipi(), 3);
    QCOMPARE(sbilgi.Varmi(), true);

    sbilgi.setCARINO(42);
    sbilgi.setcarikod(u"120.01.042"_s);
    sbilgi.setCariAdi(u"Öztürk Oto Yedek Parça"_s);
    TSonucBilgisi kopya;
    kopya.Kopyala(sbilgi);
    QVERIFY(kopya.equals(sbilgi));
    QCOMPARE(kopya.CARINO(), 42);
    QCOMPARE(kopya.CariAdi(), u"Öztürk Oto Yedek Parça"_s);
    QCOMPARE(kopya.ADI(), u"bayi"_s);
}

void TestRecords::numbersKeepTheirValue_data()
{
    QTest::addColumn<double>("value");
    QTest::addColumn<QByteArray>("text");
    QTest::newRow("date with time") << 45291.75 << QByteArray("45291.75");
    QTest::newRow("tenth") << 0.1 << QByteArray("0.1");
    QTest::newRow("integral") << 18.0 << QByteArray("18");
    QTest::newRow("negative") << -1234.56 << QByteArray("-1234.56");
    QTest::newRow("small") << 1e-7 << QByteArray("1e-07");
    QTest::newRow("large") << 1e300 << QByteArray("1e+300");
    QTest::newRow("third") << 1.0 / 3 << QByteArray("0.3333333333333333");
}

void TestRecords::numbersKeepTheirValue()
{
    QFETCH(double, value);
    QFETCH(QByteArray, text);
    TMobilSepet sepet;
    sepet.setTARIH(value);
    sepet.setSIRANO(std::numeric_limits<qint32>::min());
    sepet.setSIPARISNO(std::numeric_limits<qint32>::max());
    const QByteArray json = QByteArray::fromStdString(sepet.toJson());
    QVERIFY2(json.contains(QByteArray("\"FTARIH\":" + text + ',')), json.constData());
    QVERIFY(json.contains("\"FSIRANO\":-2147483648,"));
    QVERIFY(json.contains("\"FSIPARISNO\":2147483647,"));

    const auto back = unmarshalRecordAs<TMobilSepet>(parseObject(json.toStdString()));
    QVERIFY(back->TARIH() == value); // exactly, not fuzzily
    QCOMPARE(back->SIRANO(), std::numeric_limits<qint32>::min());
    QCOMPARE(back->SIPARISNO(), std::numeric_limits<qint32>::max());
}

void TestRecords::textSurvives_data()
{
    QTest::addColumn<QString>("text");
    QTest::newRow("turkish") << u"İĞÜŞÖÇ ığüşöç Iı iİ"_s;
    QTest::newRow("doubled blanks") << u"  Öztürk  Oto  "_s;
    QTest::newRow("quotes and backslash") << u"a\"b\\c/d"_s;
    QTest::newRow("line breaks and tab") << u"1\r\n2\t3\n"_s;
    QTest::newRow("control characters") << QString(u"\x01\x08\x0c\x1f\x7f"_s);
    QTest::newRow("nul") << QString(QChar(0)) + u"x"_s;
    QTest::newRow("beyond bmp") << u"\U0001F697 araba"_s;
    QTest::newRow("line separator") << u"a\u2028b\u2029c"_s;
}

void TestRecords::textSurvives()
{
    QFETCH(QString, text);
    TSonucBilgisi bilgi;
    bilgi.setADI(text);
    bilgi.setSIFRE(text + text);
    const std::string json = bilgi.toJson();
    for (unsigned char c : json)
        QVERIFY2(c >= 0x20, "raw control character in JSON text");

    const auto back = unmarshalRecordAs<TSonucBilgisi>(parseObject(json));
    QCOMPARE(back->ADI(), text);
    QCOMPARE(back->SIFRE(), text + text);
    QVERIFY(back->equals(bilgi));
}

void TestRecords::acceptedInputs()
{
    QVERIFY(!unmarshalRecord(QJsonValue(QJsonValue::Null)));
    QVERIFY(!unmarshalRecordJson("null"));
    QVERIFY(!unmarshalRecordAs<TSonucBilgisi>(QJsonValue(QJsonValue::Null)));

    // Missing fields keep their defaults; an integral number in any spelling fits an int32.
    const auto stok = unmarshalRecordAs<TMobilStok>(parseValue(
        R"({"type":"mobilstokunit.TMobilStok","id":1,"fields":{"FKod":"X","FStokNo":5.0,"FDurum":-2147483648}})"));
    QCOMPARE(stok->Kod(), u"X"_s);
    QCOMPARE(stok->StokNo(), 5);
    QCOMPARE(stok->Durum(), std::numeric_limits<qint32>::min());
    QCOMPARE(stok->Birim(), u"ADET"_s);
    QVERIFY(stok->KDV() == 18);

    const auto bilgi = unmarshalRecordAs<TSonucBilgisi>(
        parseValue(R"({"type":"baglantiu.TSonucBilgisi","fields":{}})"));
    QCOMPARE(bilgi->MusteriTipi(), 1);
    QCOMPARE(bilgi->Version(), 1);

    const auto ekranlar = unmarshalRecordAs<TAcilisEkranlariki>(parseValue(
        R"({"type":"mobilstokunit.TAcilisEkranlariki","id":1,"fields":{"FEkranlar":[]}})"));
    QVERIFY(ekranlar->Ekranlar().empty());
}

void TestRecords::rejectedInputs_data()
{
    QTest::addColumn<QByteArray>("json");
    QTest::addColumn<QStringList>("mentions");

    const QByteArray bilgi = R"({"type":"baglantiu.TSonucBilgisi","id":1,"fields":)";
    const QByteArray stok = R"({"type":"mobilstokunit.TMobilStok","id":1,"fields":)";
    const QByteArray ekranlar = R"({"type":"mobilstokunit.TAcilisEkranlariki","id":1,"fields":{"FEkranlar":)";
    const QByteArray ekran = R"({"type":"mobilstokunit.TAcilisEkran","id":2,"fields":{}})";

    QTest::newRow("string instead of object") << QByteArray(R"("baglantiu.TSonucBilgisi")")
                                              << QStringList{u"record object"_s};
    QTest::newRow("array instead of object") << QByteArray("[]") << QStringList{u"record object"_s};
    QTest::newRow("missing type") << QByteArray(R"({"id":1,"fields":{}})")
                                  << QStringList{u"\"type\""_s};
    QTest::newRow("type not a string") << QByteArray(R"({"type":5,"id":1,"fields":{}})")
                                       << QStringList{u"\"type\""_s};
    QTest::newRow("unknown type") << QByteArray(R"({"type":"baglantiu.TYok","id":1,"fields":{}})")
                                  << QStringList{u"baglantiu.TYok"_s};
    QTest::newRow("type without unit") << QByteArray(R"({"type":"TSonucBilgisi","id":1,"fields":{}})")
                                       << QStringList{u"\"TSonucBilgisi\""_s};
    QTest::newRow("reference") << QByteArray(R"({"type":"baglantiu.TSonucBilgisi","ref":1})")
                               << QStringList{u"baglantiu.TSonucBilgisi"_s, u"\"ref\""_s};
    QTest::newRow("missing fields") << QByteArray(R"({"type":"baglantiu.TTusSonuclari","id":1})")
                                    << QStringList{u"baglantiu.TTusSonuclari"_s, u"\"fields\""_s};
    QTest::newRow("fields not an object") << bilgi + "[]}"
                                          << QStringList{u"baglantiu.TSonucBilgisi"_s, u"\"fields\""_s};
    QTest::newRow("fields null") << bilgi + "null}" << QStringList{u"\"fields\""_s};
    QTest::newRow("unexpected member")
        << QByteArray(R"({"type":"baglantiu.TSonucBilgisi","id":1,"fields":{},"Fields":{}})")
        << QStringList{u"\"Fields\""_s};
    QTest::newRow("id not a number")
        << QByteArray(R"({"type":"baglantiu.TSonucBilgisi","id":"1","fields":{}})")
        << QStringList{u"\"id\""_s};

    const auto field = [](const char *type, const char *key) {
        return QStringList{QString::fromLatin1(type), u"\"%1\""_s.arg(QLatin1String(key))};
    };
    QTest::newRow("int32 as string") << bilgi + R"({"FSirano":"12"}})"
                                     << field("baglantiu.TSonucBilgisi", "FSirano");
    QTest::newRow("int32 with fraction") << bilgi + R"({"FCARINO":1.5}})"
                                         << field("baglantiu.TSonucBilgisi", "FCARINO");
    QTest::newRow("int32 too large") << bilgi + R"({"FAKTIF":2147483648}})"
                                     << field("baglantiu.TSonucBilgisi", "FAKTIF");
    QTest::newRow("int32 too small") << bilgi + R"({"FAKTIF":-2147483649}})"
                                     << field("baglantiu.TSonucBilgisi", "FAKTIF");
    QTest::newRow("int32 far too large") << bilgi + R"({"FVersion":1e19}})"
                                         << field("baglantiu.TSonucBilgisi", "FVersion");
    QTest::newRow("int32 as boolean") << bilgi + R"({"FMusteriTipi":true}})"
                                      << field("baglantiu.TSonucBilgisi", "FMusteriTipi");
    QTest::newRow("string as number") << bilgi + R"({"FADI":5}})"
                                      << field("baglantiu.TSonucBilgisi", "FADI");
    QTest::newRow("string as null") << bilgi + R"({"FSIFRE":null}})"
                                    << field("baglantiu.TSonucBilgisi", "FSIFRE");
    QTest::newRow("boolean as number") << bilgi + R"({"FVarmi":1}})"
                                       << field("baglantiu.TSonucBilgisi", "FVarmi");
    QTest::newRow("boolean as string") << bilgi + R"({"FVarmi":"true"}})"
                                       << field("baglantiu.TSonucBilgisi", "FVarmi");
    QTest::newRow("double as string") << stok + R"({"FKDV":"18"}})"
                                      << field("mobilstokunit.TMobilStok", "FKDV");
    QTest::newRow("double as array") << stok + R"({"FFiyat":[1]}})"
                                     << field("mobilstokunit.TMobilStok", "FFiyat");
    QTest::newRow("misspelt key") << bilgi + R"({"FSifre":"x"}})"
                                  << field("baglantiu.TSonucBilgisi", "FSifre");
    QTest::newRow("key without F") << bilgi + R"({"Sirano":1}})"
                                   << field("baglantiu.TSonucBilgisi", "Sirano");
    QTest::newRow("key of another class") << stok + R"({"FSaticiMail":""}})"
                                          << field("mobilstokunit.TMobilStok", "FSaticiMail");

    QTest::newRow("array as object") << ekranlar + "{}}}"
                                     << field("mobilstokunit.TAcilisEkranlariki", "FEkranlar");
    QTest::newRow("array as null") << ekranlar + "null}}"
                                   << field("mobilstokunit.TAcilisEkranlariki", "FEkranlar");
    QTest::newRow("null element") << ekranlar + "[" + ekran + ",null]}}"
                                  << QStringList{u"\"FEkranlar\""_s, u"element 1"_s};
    QTest::newRow("element of another class")
        << ekranlar + R"([{"type":"baglantiu.TTusSonuclari","id":2,"fields":{}}]}})"
        << QStringList{u"\"FEkranlar\""_s, u"mobilstokunit.TAcilisEkran"_s,
                       u"baglantiu.TTusSonuclari"_s};
    QTest::newRow("element with a bad field")
        << ekranlar + "[" + ekran
               + R"(,{"type":"mobilstokunit.TAcilisEkran","id":3,"fields":{"FSiraNo":"1"}}]}})"
        << QStringList{u"\"FEkranlar\""_s, u"element 1"_s, u"mobilstokunit.TAcilisEkran"_s,
                       u"\"FSiraNo\""_s};
    QTest::newRow("element by reference")
        << ekranlar + "[" + ekran + R"(,{"type":"mobilstokunit.TAcilisEkran","ref":2}]}})"
        << QStringList{u"\"FEkranlar\""_s, u"\"ref\""_s};
    QTest::newRow("list element of another class")
        << QByteArray(R"({"type":"mobilstokunit.TMobilStoklar","id":1,"fields":{"FItems":[)"
                      R"({"type":"mobilstokunit.TMobilSepet","id":2,"fields":{}}]}})")
        << QStringList{u"\"FItems\""_s, u"mobilstokunit.TMobilStok"_s,
                       u"mobilstokunit.TMobilSepet"_s};
}

void TestRecords::rejectedInputs()
{
    QFETCH(QByteArray, json);
    QFETCH(QStringList, mentions);
    const QJsonValue value = parseValue(json);
    try {
        unmarshalRecord(value);
        QFAIL("accepted");
    } catch (const ProtocolError &e) {
        for (const QString &m : mentions)
            QVERIFY2(e.message().contains(m), qPrintable(e.message() + u" lacks "_s + m));
    }
}

void TestRecords::classIsChecked()
{
    const QJsonObject tus = parseObject(TTusSonuclari().toJson());
    try {
        unmarshalRecordAs<TSonucBilgisi>(tus);
        QFAIL("accepted a record of another class");
    } catch (const ProtocolError &e) {
        QVERIFY2(e.message().contains("baglantiu.TSonucBilgisi"_L1), qPrintable(e.message()));
        QVERIFY2(e.message().contains("baglantiu.TTusSonuclari"_L1), qPrintable(e.message()));
    }
    QVERIFY(unmarshalRecordAs<Record>(tus));

    // A registered subclass stands in for its base class.
    const QJsonValue sub = parseValue(
        R"({"type":"testunit.TTestEkran","id":1,"fields":{"FBaslik":"alt sınıf"}})");
    const auto ekran = unmarshalRecordAs<TAcilisEkran>(sub);
    QVERIFY(dynamic_cast<TTestEkran *>(ekran.get()));
    QCOMPARE(ekran->Baslik(), u"alt sınıf"_s);
    QVERIFY(!ekran->equals(TAcilisEkran()));

    QVERIFY_THROWS_EXCEPTION(InvalidOperation, RecordRegistry::instance().add<TTestEkran>());
    QVERIFY_THROWS_EXCEPTION(InvalidOperation, RecordRegistry::instance().add<TSonucBilgisi>());
}

void TestRecords::unwritableValues()
{
    // Values that JSON cannot carry fail with the field named, rather than as text that the
    // receiving side would refuse.
    TMobilStok stok;
    stok.setKDV(std::numeric_limits<double>::quiet_NaN());
    try {
        stok.toJson();
        QFAIL("NaN was written");
    } catch (const ProtocolError &e) {
        QVERIFY2(e.message().contains("\"FKDV\""_L1), qPrintable(e.message()));
    }

    TMobilStoklar stoklar;
    RecordList<TMobilStok> items;
    items.push_back(std::make_unique<TMobilStok>());
    items.back()->setFiyat(std::numeric_limits<double>::infinity());
    stoklar.setItems(std::move(items));
    try {
        stoklar.toJson();
        QFAIL("infinity was written");
    } catch (const ProtocolError &e) {
        QVERIFY2(e.message().contains("\"FItems\""_L1), qPrintable(e.message()));
        QVERIFY2(e.message().contains("\"FFiyat\""_L1), qPrintable(e.message()));
    }

    RecordList<TMobilStok> withHole;
    withHole.push_back(nullptr);
    stoklar.setItems(std::move(withHole));
    QVERIFY_THROWS_EXCEPTION(ProtocolError, stoklar.toJson());
}

void TestRecords::hexAkisaCevir_data()
{
    QTest::addColumn<QString>("hex");
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<bool>("valid");

    QTest::newRow("empty") << QString() << QByteArray() << true;
    QTest::newRow("lower case") << u"00ff7f"_s << QByteArray("\x00\xff\x7f", 3) << true;
    QTest::newRow("upper case") << u"00FF7F"_s << QByteArray("\x00\xff\x7f", 3) << true;
    QTest::newRow("mixed case") << u"aBcD"_s << QByteArray("\xab\xcd") << true;
    QTest::newRow("jpeg start") << u"FFD8FFE0"_s << QByteArray("\xff\xd8\xff\xe0") << true;
    QTest::newRow("odd length") << u"ABC"_s << QByteArray("\xab\x0c") << true;
    QTest::newRow("single digit") << u"F"_s << QByteArray("\x0f") << true;
    QTest::newRow("letter beyond f") << u"0G"_s << QByteArray() << false;
    QTest::newRow("blank") << u"00 ff"_s << QByteArray() << false;
    QTest::newRow("prefix") << u"0x1F"_s << QByteArray() << false;
    QTest::newRow("bad odd tail") << u"ABX"_s << QByteArray() << false;
    QTest::newRow("arabic-indic digits") << u"\u0663\u0663"_s << QByteArray() << false;
    QTest::newRow("full-width letters") << u"\uFF26\uFF26"_s << QByteArray() << false;
    QTest::newRow("dotless i") << u"1ı"_s << QByteArray() << false;
}

void TestRecords::hexAkisaCevir()
{
    QFETCH(QString, hex);
    QFETCH(QByteArray, bytes);
    QFETCH(bool, valid);
    if (valid)
        QCOMPARE(HexAkisaCevir(hex), bytes);
    else
        QVERIFY_THROWS_EXCEPTION(ProtocolError, HexAkisaCevir(hex));
}

QTEST_GUILESS_MAIN(TestRecords)
#include "tst_records.moc"
