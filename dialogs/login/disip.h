#pragma once

#include <QString>

#include <atomic>

namespace vexor {

// Time-outs of the public-address lookup.
struct DisIpZamanlari
{
    int baglanmaMs = 15000;   // to connect and send the request
    int okumaMs = 1500;       // without any byte of the answer
    int beklemeMs = 1000;     // between attempts
};

// The caller's public IPv4 address as the update host's "ip.php" tells it: GET the address
// and return the body, trimmed. A failing attempt (no connection, a time-out, an HTTP error
// status) is followed by a pause and another attempt, without limit. Blocking; meant for a
// worker thread (it runs its own event loop). `iptal` ends the lookup at once with an empty
// text: the window that asked is gone.
QString DisIpVer(const QString &adres, const std::atomic<bool> &iptal, const DisIpZamanlari &zaman = {});

} // namespace vexor
