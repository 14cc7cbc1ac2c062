#pragma once

#include <QByteArray>

#include <optional>

class QIODevice;

namespace vexor {

// Takes a downloaded stream whose length the server announced beside it (`boy`, `size`):
// reads it from position 0 in blocks of at most 1024 bytes through one reused buffer until a
// read returns fewer than 1024 bytes, and accepts the bytes only when their count equals the
// announced one exactly. Anything else (count 0, a length off by one byte, a read error, no
// stream) yields nothing; the caller then silently has no picture or document.
std::optional<QByteArray> readAnnouncedStream(QIODevice *stream, qint64 announced);

} // namespace vexor
