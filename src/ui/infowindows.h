#pragma once

// The open information windows of one configuration page.
//
// Every information reply opens a window of its own, but a device that sends
// them without end (stuck in a loop, or anything else answering on its port)
// must not be able to fill the technician's screen and memory with them: at
// most MaxOpen windows are open at once. A record that arrives while that
// many are open opens nothing; it is traced, and the user is told once per
// burst of such records. Closing a window makes room again.
//
// New windows open over the page's window, cascaded from those already open
// (WindowPlacement), so that none hides another exactly.

#include <QByteArray>
#include <QElapsedTimer>
#include <QList>
#include <QObject>
#include <QString>

class DevInfo;

class InfoWindows : public QObject
{
    Q_OBJECT

public:
    static constexpr int MaxOpen = 10;

    explicit InfoWindows(QObject *parent = nullptr);
    // Open windows are top-level and have no other owner: they go with this.
    ~InfoWindows() override;

    // Opens a window for the record, or, while MaxOpen windows are open,
    // drops it and returns nullptr. The window is shown; its creator
    // connects its closing signal and hands the window back to release().
    DevInfo *open(const QList<QByteArray> &record);
    // Forgets a window that is closing and deletes it once its close
    // handling has returned.
    void release(DevInfo *window);

    int openCount() const { return int(m_windows.size()); }

signals:
    void statusText(const QString &text, int timeoutMs);

private:
    void refuse();
    void place(DevInfo *window) const;

    QList<DevInfo *> m_windows;
    // Records refused less than a status display time apart form one burst.
    QElapsedTimer m_lastRefusal;
    bool m_burstReported = false;
};
