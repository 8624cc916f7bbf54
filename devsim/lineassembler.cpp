#include "lineassembler.h"

namespace devsim {

QList<QByteArray> LineAssembler::feed(const QByteArray &bytes)
{
    QList<QByteArray> lines;
    m_buffer += bytes;
    for (;;) {
        const int end = m_buffer.indexOf("\r\n", m_scanFrom);
        if (end < 0) {
            if (m_buffer.size() > m_maxLineBytes) {
                // Keep a trailing CR: its LF may be in the next read.
                m_buffer = m_buffer.endsWith('\r') ? QByteArrayLiteral("\r") : QByteArray();
                m_discarding = true;
            }
            m_scanFrom = qMax(0, m_buffer.size() - 1);
            break;
        }
        const QByteArray line = m_buffer.left(end + 2);
        m_buffer.remove(0, end + 2);
        m_scanFrom = 0;
        if (m_discarding) {
            m_discarding = false;
            ++m_droppedLines;
        } else {
            lines.append(line);
        }
    }
    return lines;
}

void LineAssembler::clear()
{
    m_buffer.clear();
    m_scanFrom = 0;
    m_discarding = false;
}

} // namespace devsim
