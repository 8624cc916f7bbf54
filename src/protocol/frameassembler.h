#pragma once

// Reassembles the byte stream of one route into CR LF terminated frames.
//
// Sockets and serial ports report data in pieces that have nothing to do with
// the device's replies: one reply may arrive over several read notifications,
// and several replies may arrive in one. Each route feeds what it reads into
// its own FrameAssembler and hands every complete frame to the reply handler
// on its own, in order.
//
// The splitting itself is the plain function Framing::split, which keeps its
// state in a Framing::State the caller owns; FrameAssembler adds the time
// limit for a partial frame.

#include <QByteArray>
#include <QList>
#include <QObject>
#include <QTimer>

namespace Framing {

// A frame longer than this (CR LF not counted) is dropped: no reply of the
// device comes near it, so it can only be noise or a stream out of step.
constexpr int MaxFrameBytes = 4096;

struct State
{
    QByteArray partial;    // bytes of a frame whose CR LF has not come yet
    bool skipping = false; // an oversized frame was dropped; wait for its CR LF
};

struct Piece
{
    enum Kind
    {
        Frame,
        Dropped
    };
    Kind kind = Frame;
    QByteArray bytes; // a complete frame, CR LF included; empty for Dropped
};

// Appends `bytes` to the state and returns, in order, every frame that is now
// complete, plus one Dropped piece where a frame exceeded `maxFrameBytes`. The
// rest of an oversized frame, up to its CR LF, is discarded silently.
QList<Piece> split(State &state, const QByteArray &bytes, int maxFrameBytes = MaxFrameBytes);

} // namespace Framing

class FrameAssembler : public QObject
{
    Q_OBJECT

public:
    // A partial frame whose next byte does not come within this time is dropped.
    static constexpr int PartialTimeoutMs = 1000;

    explicit FrameAssembler(QObject *parent = nullptr);

    QList<Framing::Piece> append(const QByteArray &bytes);
    // Forgets any partial frame, without reporting it.
    void clear();
    bool hasPartial() const { return !m_state.partial.isEmpty(); }

signals:
    // A partial frame waited longer than PartialTimeoutMs and was dropped.
    void partialFrameDropped();

private:
    // The receive-path fuzz target fires the partial-frame timer at once.
    friend struct ReceivePathProbe;

    void expire();

    Framing::State m_state;
    QTimer m_timer;
};
