#pragma once

#include <QString>

#include <optional>

namespace vexor {

// What the log-in window remembers between runs.
struct KullaniciAyari
{
    QString isim;
    QString sifre;
    bool hatirla = true;

    bool operator==(const KullaniciAyari &) const = default;
};

// "ayar.ini" in the settings folder.
QString ayarDosyasiYolu();

// Reads section "kullanici": "isim" and "sifre" (empty when missing) and "hatırla" (1 or 0;
// true when missing or not a number). Nothing when the file does not exist or cannot be read.
// UTF-8, with or without a byte-order mark.
std::optional<KullaniciAyari> ayarDosyasiniOku(const QString &path);

// Writes "isim", "sifre" and "hatırla", in this order, into section "kullanici"; other sections
// and keys already in the file stay as they were. The file holds a password: it is written
// to a new file readable by its owner only (0600), which then replaces the old one, so it is
// never readable by others, not even for a moment. False with the reason when that fails.
bool ayarDosyasinaYaz(const QString &path, const KullaniciAyari &ayar, QString *hata = nullptr);

// The INI text with the three keys set; `existing` is the file's text so far (may be empty).
// Kept apart from the file handling so the rule can be checked on its own.
QString ayarMetniniGuncelle(const QString &existing, const KullaniciAyari &ayar);

} // namespace vexor
