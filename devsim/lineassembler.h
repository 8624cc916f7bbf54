#pragma once

// Reassembles request frames from a byte stream: whatever the sizes of the
// reads, each complete line up to and including CR LF comes out once, in
// order. A line that grows past the limit without CR LF is dropped up to its
// CR LF, so a peer cannot make the device hold unbounded input.

#include <QByteArray>
#include <QList>

namespace devsim {

class LineAssembler
{
public:
    explicit LineAssembler(int maxLineBytes = 64 * 1024) : m_maxLineBytes(maxLineBytes) {}

    QList<QByteArray> feed(const QByteArray &bytes);
    void clear();
    int droppedLines() const { return m_droppedLines; }

private:
    QByteArray m_buffer;
    int m_scanFrom = 0;
    bool m_discarding = false;
    int m_droppedLines = 0;
    int m_maxLineBytes;
};

} // namespace devsim
