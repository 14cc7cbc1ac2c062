#include "streamrule.h"

#include <QIODevice>

namespace vexor {

std::optional<QByteArray> readAnnouncedStream(QIODevice *stream, qint64 announced)
{
    // A negative count can never match, so it reads nothing either.
    if (!stream || announced <= 0 || !stream->isReadable())
        return std::nullopt;
    if (!stream->isSequential() && !stream->seek(0))
        return std::nullopt;

    constexpr qint64 kBlock = 1024;
    char block[kBlock];
    QByteArray bytes;
    if (!stream->isSequential())
        bytes.reserve(qMin(announced, stream->size()));
    for (;;) {
        const qint64 got = stream->read(block, kBlock);
        if (got < 0)
            return std::nullopt; // a broken stream is not a download, even at the right length
        if (got > 0)
            bytes.append(block, got);
        // More than announced is dropped whatever follows; stop instead of buffering the rest.
        if (bytes.size() > announced)
            return std::nullopt;
        if (got < kBlock)
            break;
    }
    if (bytes.size() != announced)
        return std::nullopt;
    return bytes;
}

} // namespace vexor
