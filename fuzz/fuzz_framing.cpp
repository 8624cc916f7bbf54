// Framing::split, the reassembly of CR LF frames, with any byte stream cut
// into any read notifications.
//
// Input: byte 0 chooses the frame limit (0: the real 4096 bytes; 1-255: that
// many, so that the oversized path is reached with short inputs). Then, up to
// a byte 0xFF, one byte per read notification giving its length (0 meaning
// 256); the rest is the stream, and whatever the lengths leave over is one
// last notification.
//
// Checked: whatever the cut, the pieces are the same as for the stream in
// one notification, and equal to splitting the stream at every CR LF by hand:
// every frame is one line with its CR LF and no CR LF inside; every line
// longer than the limit (CR LF not counted) gives one Dropped piece instead;
// what follows the last CR LF stays pending. The pending bytes never exceed
// the limit plus one, so memory stays bounded whatever the device sends.

#include "fuzzsupport.h"

#include "protocol/frameassembler.h"

#include <cstddef>
#include <cstdint>

namespace {

using Framing::Piece;

QByteArray describe(const QList<Piece> &pieces)
{
    QByteArray text;
    for (const Piece &piece : pieces)
        text +=
            piece.kind == Piece::Dropped ? QByteArray("<dropped> ") : piece.bytes.toPercentEncoding() + ' ';
    return text;
}

bool samePieces(const QList<Piece> &a, const QList<Piece> &b)
{
    if (a.size() != b.size())
        return false;
    for (int i = 0; i < a.size(); ++i) {
        if (a[i].kind != b[i].kind || a[i].bytes != b[i].bytes)
            return false;
    }
    return true;
}

// The frames of a stream, worked out line by line.
QList<Piece> referenceFrames(const QByteArray &stream, int limit, QByteArray *pending)
{
    QList<Piece> pieces;
    int start = 0;
    for (int end = stream.indexOf("\r\n"); end >= 0; end = stream.indexOf("\r\n", start)) {
        if (end - start > limit)
            pieces.append({Piece::Dropped, QByteArray()});
        else
            pieces.append({Piece::Frame, stream.mid(start, end + 2 - start)});
        start = end + 2;
    }
    *pending = stream.mid(start);
    // A pending line already over the limit is dropped without waiting for
    // its end (a final CR may still be the start of the CR LF).
    if (pending->size() - (pending->endsWith('\r') ? 1 : 0) > limit)
        pieces.append({Piece::Dropped, QByteArray()});
    return pieces;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    if (size < 1)
        return 0;
    const int limit = data[0] == 0 ? Framing::MaxFrameBytes : data[0];
    std::size_t at = 1;
    QList<int> lengths;
    for (; at < size && data[at] != 0xFF; ++at)
        lengths << (data[at] == 0 ? 256 : data[at]);
    if (at < size)
        ++at; // the 0xFF that ends the lengths
    const QByteArray stream(reinterpret_cast<const char *>(data) + at, int(size - at));

    QByteArray pending;
    const QList<Piece> expected = referenceFrames(stream, limit, &pending);

    Framing::State whole;
    const QList<Piece> atOnce = Framing::split(whole, stream, limit);
    FUZZ_CHECK(samePieces(atOnce, expected), describe(atOnce) + "instead of " + describe(expected));

    Framing::State state;
    QList<Piece> cut;
    int offset = 0;
    for (int length : lengths) {
        cut += Framing::split(state, stream.mid(offset, length), limit);
        offset += length;
        FUZZ_CHECK(state.partial.size() <= limit + 1, QByteArray::number(state.partial.size()));
    }
    cut += Framing::split(state, stream.mid(offset), limit);
    FUZZ_CHECK(state.partial.size() <= limit + 1, QByteArray::number(state.partial.size()));
    FUZZ_CHECK(samePieces(cut, expected), describe(cut) + "instead of " + describe(expected));

    // What is pending is the start of the next frame, unless that frame is
    // already too long to be one.
    const bool tooLong = pending.size() - (pending.endsWith('\r') ? 1 : 0) > limit;
    if (!tooLong) {
        FUZZ_CHECK(state.partial == pending && whole.partial == pending, state.partial.toPercentEncoding());
        FUZZ_CHECK(!state.skipping && !whole.skipping, "skipping without an oversized frame");
    } else {
        FUZZ_CHECK(state.skipping && whole.skipping, "an oversized pending frame is not being skipped");
    }
    return 0;
}
