// The bound on open information windows: see infowindows.h.
//
// reply handler -> open(): a window while fewer than MaxOpen are open,
// otherwise the record is dropped at the cost of a count and a trace; the
// window's closing signal -> creator -> release(), which makes room again.

#include "ui/infowindows.h"

#include "ui/windowplacement.h"

#include "devinfo.h"
#include "logging.h"
#include "statustimes.h"

#include <QRect>
#include <QScreen>

InfoWindows::InfoWindows(QObject *parent) : QObject(parent) {}

InfoWindows::~InfoWindows()
{
    qDeleteAll(m_windows);
}

DevInfo *InfoWindows::open(const QList<QByteArray> &record)
{
    if (m_windows.size() >= MaxOpen) {
        refuse();
        return nullptr;
    }
    // Top-level: the windows stay where the user put them, whatever the main
    // window does.
    auto *window = new DevInfo(record, nullptr);
    place(window);
    m_windows.append(window);
    window->show();
    return window;
}

void InfoWindows::release(DevInfo *window)
{
    if (!m_windows.removeOne(window))
        return;
    // Room again: the next refusal starts a new burst.
    m_burstReported = false;
    // The window signals from inside its own close handling.
    window->deleteLater();
}

// Cheap on purpose: a flood calls this for every record it sends.
void InfoWindows::refuse()
{
    qCDebug(lcPage) << "information record dropped:" << m_windows.size() << "information windows open";
    const bool newBurst =
        !m_burstReported || !m_lastRefusal.isValid() || m_lastRefusal.elapsed() >= STATUS_PROBLEM_MS;
    m_lastRefusal.start();
    if (!newBurst)
        return;
    m_burstReported = true;
    emit statusText(tr("Too many information windows: close one to see new device information"),
                    STATUS_PROBLEM_MS);
}

void InfoWindows::place(DevInfo *window) const
{
    // Over the page's window, each one cascaded from those already open.
    WindowPlacement::placeOver(window, qobject_cast<const QWidget *>(parent()));
}
