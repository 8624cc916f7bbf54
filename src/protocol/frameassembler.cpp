// Reassembly of CR LF terminated frames: the plain splitter and the per-route
// assembler that adds the time limit for a partial frame.

#include "protocol/frameassembler.h"

#include "protocol/requestbuilder.h"

namespace Framing {

QList<Piece> split(State &state, const QByteArray &bytes, int maxFrameBytes)
{
    const QByteArray &lineEnd = RequestBuilder::lineEnd();
    QList<Piece> pieces;
    const QByteArray buffer = state.partial + bytes;
    // A CR kept at the end of the partial frame may pair with an LF now.
    int searchFrom = qMax(0, state.partial.size() - 1);
    int frameStart = 0;
    for (int end = buffer.indexOf(lineEnd, searchFrom); end >= 0; end = buffer.indexOf(lineEnd, searchFrom)) {
        if (state.skipping)
            state.skipping = false;
        else if (end - frameStart > maxFrameBytes)
            pieces.append({Piece::Dropped, QByteArray()});
        else
            pieces.append({Piece::Frame, buffer.mid(frameStart, end + lineEnd.size() - frameStart)});
        frameStart = end + lineEnd.size();
        searchFrom = frameStart;
    }

    QByteArray rest = buffer.mid(frameStart);
    const bool endsInCr = rest.endsWith('\r');
    if (!state.skipping && rest.size() - (endsInCr ? 1 : 0) > maxFrameBytes) {
        pieces.append({Piece::Dropped, QByteArray()});
        state.skipping = true;
    }
    // While skipping only a final CR matters: it may be the start of the
    // CR LF that ends the dropped frame.
    if (state.skipping)
        rest = endsInCr ? QByteArrayLiteral("\r") : QByteArray();
    state.partial = rest;
    return pieces;
}

} // namespace Framing

FrameAssembler::FrameAssembler(QObject *parent) : QObject(parent)
{
    m_timer.setSingleShot(true);
    // A coarse timer may fire up to 5 % early: the last byte gets its full
    // second.
    m_timer.setTimerType(Qt::PreciseTimer);
    connect(&m_timer, &QTimer::timeout, this, &FrameAssembler::expire);
}

QList<Framing::Piece> FrameAssembler::append(const QByteArray &bytes)
{
    if (bytes.isEmpty())
        return {};
    QList<Framing::Piece> pieces = Framing::split(m_state, bytes);
    if (m_state.partial.isEmpty() && !m_state.skipping)
        m_timer.stop();
    else
        m_timer.start(PartialTimeoutMs);
    return pieces;
}

void FrameAssembler::clear()
{
    m_timer.stop();
    m_state = Framing::State();
}

void FrameAssembler::expire()
{
    // The tail of a frame that was already reported as oversized is dropped
    // without a second report.
    const bool report = !m_state.skipping && !m_state.partial.isEmpty();
    m_state = Framing::State();
    if (report)
        emit partialFrameDropped();
}
