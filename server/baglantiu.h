#pragma once

#include "record.h"

namespace vexor {

// Field lists: X(type, property, default), in declaration order, which is also the order of
// the members of "fields" in the JSON form.

#define VEXOR_TSONUCBILGISI_FIELDS(X)                                                              \
    X(QString, BILGISAYARID, {})                                                                   \
    X(QString, SaticiMail, {})                                                                     \
    X(qint32, Sirano, 0)                                                                           \
    X(QString, CariAdi, {})                                                                        \
    X(QString, SIFRE, {})                                                                          \
    X(qint32, SaticiNo, 0)                                                                         \
    X(qint32, CARINO, 0)                                                                           \
    X(qint32, AKTIF, 0)                                                                            \
    X(QString, Kullanicimail, {})                                                                  \
    X(QString, ADI, {})                                                                            \
    X(QString, SaticiTelefon, {})                                                                  \
    X(QString, carikod, {})                                                                        \
    X(bool, Varmi, false)                                                                          \
    X(QString, SaticiAdi, {})                                                                      \
    X(QString, BilgiSayarAdi, {})                                                                  \
    X(QString, Disip, {})                                                                          \
    X(QString, Icip, {})                                                                           \
    X(QString, BilgisayarKullanici, {})                                                            \
    X(qint32, MusteriTipi, 1)                                                                      \
    X(qint32, Version, 1)

#define VEXOR_TSIPARISDIPAYRINTI_FIELDS(X)                                                         \
    X(QString, SizinMesaj, {})                                                                     \
    X(QString, Durumu, {})                                                                         \
    X(QString, Veren, {})                                                                          \
    X(QString, Kargo, {})                                                                          \
    X(QString, BizimMesaj, {})                                                                     \
    X(QString, TeslimCinsi, {})                                                                    \
    X(QString, KargoCinsi, {})                                                                     \
    X(QString, SaticiNotu, {})

#define VEXOR_TTUSSONUCLARI_FIELDS(X)                                                              \
    X(qint32, Alindi, 0)                                                                           \
    X(qint32, Onaylandi, 0)                                                                        \
    X(qint32, ParcaliHazirlandi, 0)                                                                \
    X(qint32, SevkEdildi, 0)                                                                       \
    X(qint32, Hazirlandi, 0)                                                                       \
    X(qint32, Goruldu, 0)

// The session record: the log-in result, held for the whole run and sent as a fresh copy with
// every remote call that acts for the user (the proxy frees what it sends).
class TSonucBilgisi : public RecordWithFields<TSonucBilgisi>
{
    VEXOR_RECORD_CLASS(TSonucBilgisi, "baglantiu.TSonucBilgisi")

public:
    // Copies all twenty fields, so empty strings of `source` overwrite the target's values.
    void Kopyala(const TSonucBilgisi &source) { copyFields(source); }

    VEXOR_TSONUCBILGISI_FIELDS(VEXOR_RECORD_ACCESSORS)

private:
    VEXOR_TSONUCBILGISI_FIELDS(VEXOR_RECORD_MEMBER)
};

// Footer details of one order.
class TSiparisDipAyrinti : public RecordWithFields<TSiparisDipAyrinti>
{
    VEXOR_RECORD_CLASS(TSiparisDipAyrinti, "baglantiu.TSiparisDipAyrinti")

public:
    void Kopyala(const TSiparisDipAyrinti &source) { copyFields(source); }

    VEXOR_TSIPARISDIPAYRINTI_FIELDS(VEXOR_RECORD_ACCESSORS)

private:
    VEXOR_TSIPARISDIPAYRINTI_FIELDS(VEXOR_RECORD_MEMBER)
};

// Order-status counters of the sales representative's buttons.
class TTusSonuclari : public RecordWithFields<TTusSonuclari>
{
    VEXOR_RECORD_CLASS(TTusSonuclari, "baglantiu.TTusSonuclari")

public:
    void Kopyala(const TTusSonuclari &source) { copyFields(source); }

    VEXOR_TTUSSONUCLARI_FIELDS(VEXOR_RECORD_ACCESSORS)

private:
    VEXOR_TTUSSONUCLARI_FIELDS(VEXOR_RECORD_MEMBER)
};

void registerBaglantiuRecords(RecordRegistry &registry);

} // namespace vexor
