#pragma once

#include <QString>

#include <functional>

namespace vexor {

class Connection;

inline constexpr int kBaglantiDenemeSayisi = 11;
inline constexpr int kBaglantiBeklemeMs = 500;
inline const QString kBaglantiKurulamiyor = QStringLiteral("Bağlantı Kurulamıyor Lütfen Tekrar Deneyin ...!");

// How BaglantiAc waits between attempts. The default sleeps on a worker thread; on the UI
// thread it runs the event loop without user input, so windows keep painting.
using BaglantiBekleme = std::function<void(int milliseconds)>;
void varsayilanBekleme(int milliseconds);

// Opens the connection: at most 11 attempts, 500 ms apart (a wait follows every failed attempt,
// the last one too). After the last failure, with `mesaj` 1, "Bağlantı Kurulamıyor Lütfen Tekrar
// Deneyin ...!" is shown once as an error; with 0 nothing is shown. True when open.
bool BaglantiAc(Connection &connection, int mesaj);
bool BaglantiAc(Connection &connection, int mesaj, const BaglantiBekleme &bekle);

} // namespace vexor
