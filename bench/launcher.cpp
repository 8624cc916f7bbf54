// launcher: the tool's start-up exactly as qMain does it (high-DPI scaling,
// the application object, the icon resources, the start window shown), for
// the startup and memory drivers. The tool itself has no options, so this
// bench-only program stands in for it and reports what the drivers time:
//
//   chooser-shown W H CPU   after the start window's first paint
//   main-shown W H CPU      after "Devam Et" (Ethernet Modem chosen) has
//                           opened the main window and it has been painted
//
// W and H are the window's size, CPU the process's CPU time so far in us.
//
// Without options it then ends. With --memory --config-port P it goes on
// against the simulated device on loopback port P, as a user would: connect
// over ETHERNET (the port record is read on connect), open the network
// window, ask ten times for the device information; then it prints its
// memory, closes those windows and opens and closes a network window and an
// information window --cycles times (default 200), printing its memory after
// cycle 20 and after the last. Its memory is also printed on the way: with
// the main window shown, once connected, with the network window open.
//
//   memory main-shown|connected|network-window HWM_KIB RSS_KIB HEAP_BYTES WINDOWS
//   memory scenario HWM_KIB RSS_KIB HEAP_BYTES WINDOWS
//   memory cycles N HWM_KIB RSS_KIB HEAP_BYTES WINDOWS
//
// WINDOWS counts the network and information windows still alive. Qt's
// pixmap cache is off during the cycles unless --keep-pixmap-cache is given;
// --exit-at-once ends the process after the cycles without tearing anything
// down, for a heap profiler. With the ten information windows open it also
// prints their size, for the floor of bare dialogs:
//
//   information-window W H
//
// With --idle SECONDS [--config-port P] it leaves the main window alone
// instead (after connecting over ETHERNET to the simulated device when a
// port is given), lets it settle for a second and then measures SECONDS of
// doing nothing:
//
//   idle CPU_US WAKEUPS SECONDS EVENTS
//
// CPU_US is the CPU time all threads used in that time, WAKEUPS how often the
// process went to sleep of its own accord (each time it slept, something
// woke it), EVENTS the events its objects received meanwhile by type and
// receiving class ("Timer:QTimer=12,SockAct:QSocketNotifier=3"), which says
// what woke it.

#include "benchsupport.h"

#include "chooser.h"
#include "devicechoose.h"
#include "devinfo.h"
#include "infowindow.h"
#include "mainwindow.h"
#include "networkwindow.h"
#include "page.h"
#include "panel.h"
#include "staticipconfig.h"
#include "telvorconfigurator.h"
#include "transparentconfig.h"

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QMap>
#include <QMetaEnum>
#include <QPixmapCache>
#include <QTimer>
#include <QWindow>

#include <cstdio>
#include <cstdlib>

namespace {

constexpr int StepTimeoutMs = 5000;
constexpr int WarmCycles = 20;

void say(const QString &line)
{
    std::printf("%s\n", qPrintable(line));
    std::fflush(stdout);
}

template <class T> QList<T *> windowsOf()
{
    QList<T *> found;
    for (QWidget *widget : QApplication::allWidgets()) {
        if (auto *window = qobject_cast<T *>(widget))
            found.append(window);
    }
    return found;
}

bool exposed(QWidget *window)
{
    return window->isVisible() && window->windowHandle() && window->windowHandle()->isExposed();
}

void step(const QString &what, const std::function<bool()> &done)
{
    if (!Bench::waitUntil(done, StepTimeoutMs))
        Bench::fail(
            QStringLiteral("memory scenario: %1 did not happen within %2 ms").arg(what).arg(StepTimeoutMs));
}

void reportMemory(const QString &label)
{
    Bench::trimHeap();
    const int windows = windowsOf<DevInfo>().size() + windowsOf<StaticIpConfig>().size();
    say(QStringLiteral("memory %1 %2 %3 %4 %5")
            .arg(label)
            .arg(Bench::statusKiB("VmHWM"))
            .arg(Bench::statusKiB("VmRSS"))
            .arg(Bench::heapInUseBytes())
            .arg(windows));
}

// Closes the windows as the user does; each asks its creator to delete it
// once its close handling has returned.
void closeWindows()
{
    for (DevInfo *info : windowsOf<DevInfo>())
        info->close();
    for (StaticIpConfig *network : windowsOf<StaticIpConfig>())
        network->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    step(QStringLiteral("deleting the closed windows"),
         [] { return windowsOf<DevInfo>().isEmpty() && windowsOf<StaticIpConfig>().isEmpty(); });
}

StaticIpConfig *openNetworkWindow(TelvorConfigurator &window)
{
    Driver::Page(window).openNetworkWindow();
    StaticIpConfig *network = nullptr;
    step(QStringLiteral("the network window filled"), [&] {
        const QList<StaticIpConfig *> open = windowsOf<StaticIpConfig>();
        network = open.size() == 1 ? open.first() : nullptr;
        return network && exposed(network) &&
               !Driver::NetworkWindow(*network).text(Driver::NetworkWindow::Address).isEmpty();
    });
    return network;
}

void openInformationWindows(TelvorConfigurator &window, int count)
{
    QAction *getInfo = Driver::commandAction(window, Driver::Command::GetInfo);
    for (int i = 0; i < count; ++i)
        getInfo->trigger();
    step(QStringLiteral("%1 information windows filled").arg(count), [count] {
        const QList<DevInfo *> open = windowsOf<DevInfo>();
        if (open.size() != count)
            return false;
        for (DevInfo *info : open) {
            if (!exposed(info) || Driver::InfoWindow(*info).entry(0)->text().isEmpty())
                return false;
        }
        return true;
    });
}

// Counts the events objects receive, by type and receiving class.
class EventCount : public QObject
{
public:
    EventCount() { qApp->installEventFilter(this); }
    ~EventCount() override { qApp->removeEventFilter(this); }

    QString summary() const
    {
        QStringList parts;
        for (auto it = m_counts.cbegin(); it != m_counts.cend(); ++it)
            parts << QStringLiteral("%1=%2").arg(it.key()).arg(it.value());
        return parts.isEmpty() ? QStringLiteral("none") : parts.join(QLatin1Char(','));
    }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        const char *type = QMetaEnum::fromType<QEvent::Type>().valueToKey(event->type());
        ++m_counts[QStringLiteral("%1:%2").arg(type ? QLatin1String(type) : QLatin1String("?"),
                                               QLatin1String(watched->metaObject()->className()))];
        return false;
    }

private:
    QMap<QString, int> m_counts;
};

void connectEthernet(TelvorConfigurator &window, TransparentConfig *page, quint16 port)
{
    const Driver::Panel panel(window);
    panel.entry(Driver::Panel::EthernetAddress)->setText(QStringLiteral("127.0.0.1"));
    panel.entry(Driver::Panel::EthernetPort)->setText(QString::number(port));
    panel.button(Driver::Panel::EthernetButton)->click();
    // The page is enabled by the first answer, in the same call that applies it.
    step(QStringLiteral("connecting and reading the port record"), [page] { return page->isEnabled(); });
}

void runIdle(TelvorConfigurator &window, int seconds, int port)
{
    Bench::failOnModalBoxesWithoutPolling();
    auto *page = window.findChild<TransparentConfig *>();
    if (!page)
        Bench::fail(QStringLiteral("idle: no configuration page"));
    if (port > 0)
        connectEthernet(window, page, quint16(port));
    Bench::settle(1000);

    auto *events = new EventCount;
    const double cpu0 = Bench::processCpuMicroseconds();
    const qint64 sleeps0 = Bench::voluntaryContextSwitches();
    QTimer::singleShot(seconds * 1000, qApp, [=] {
        const double cpu = Bench::processCpuMicroseconds() - cpu0;
        const qint64 sleeps = Bench::voluntaryContextSwitches() - sleeps0;
        const QString counted = events->summary();
        delete events;
        // A route that went down meanwhile would make the figure one of no
        // route.
        if (port > 0 && !page->isEnabled())
            Bench::fail(QStringLiteral("idle: the route went down while the tool was idle"));
        say(QStringLiteral("idle %1 %2 %3 %4").arg(qint64(cpu)).arg(sleeps).arg(seconds).arg(counted));
        QCoreApplication::exit(0);
    });
}

void runMemoryScenario(TelvorConfigurator &window, quint16 port, int cycles)
{
    Bench::failOnModalBoxes();
    reportMemory(QStringLiteral("main-shown"));
    auto *page = window.findChild<TransparentConfig *>();
    if (!page || page->isEnabled())
        Bench::fail(QStringLiteral("memory scenario: the page should wait disabled for a connection"));

    connectEthernet(window, page, port);
    Bench::settle(100);
    reportMemory(QStringLiteral("connected"));

    openNetworkWindow(window);
    Bench::settle(100);
    reportMemory(QStringLiteral("network-window"));
    openInformationWindows(window, 10);
    Bench::settle(300);
    reportMemory(QStringLiteral("scenario"));
    const DevInfo *info = windowsOf<DevInfo>().value(0);
    say(QStringLiteral("information-window %1 %2").arg(info->width()).arg(info->height()));

    closeWindows();
    // Qt keeps a pixmap of every icon it has drawn in its pixmap cache, up to
    // a fixed limit (10 MiB), long after the icon is gone, and every new
    // window brings new icons (its buttons, the style sheet of the DHCP box).
    // That cache is switched off for the cycles, so that their figures show
    // what the windows themselves leave behind.
    if (!QCoreApplication::arguments().contains(QStringLiteral("--keep-pixmap-cache")))
        QPixmapCache::setCacheLimit(0);
    for (int cycle = 1; cycle <= cycles; ++cycle) {
        openNetworkWindow(window);
        openInformationWindows(window, 1);
        closeWindows();
        if (cycle == WarmCycles || cycle == cycles)
            reportMemory(QStringLiteral("cycles %1").arg(cycle));
    }
    // For a heap profiler: end without tearing anything down, so that what is
    // still allocated shows as left at exit.
    if (QCoreApplication::arguments().contains(QStringLiteral("--exit-at-once")))
        std::_Exit(0);
    QCoreApplication::exit(0);
}

} // namespace

int main(int argc, char *argv[])
{
    // As qMain: nothing of the benchmark runs before the start window is shown
    // but the two event filters that notice the first paints.
#if QT_VERSION < QT_VERSION_CHECK(6, 0, 0)
    QCoreApplication::setAttribute(Qt::AA_EnableHighDpiScaling);
#endif
    QApplication app(argc, argv);
    Q_INIT_RESOURCE(Icons);

    DeviceChoose chooser(nullptr);
    auto *chooserPainted = new Bench::FirstPaint(&chooser);
    QObject::connect(chooserPainted, &Bench::FirstPaint::painted, &app, [&chooser] {
        say(QStringLiteral("chooser-shown %1 %2 %3")
                .arg(chooser.width())
                .arg(chooser.height())
                .arg(qint64(Bench::processCpuMicroseconds())));

        // "Devam Et" with the Ethernet Modem chosen.
        Driver::Chooser start(chooser);
        start.chooseModel(1);
        start.pressContinue();
        const QList<TelvorConfigurator *> windows = windowsOf<TelvorConfigurator>();
        if (windows.size() != 1 || !windows.first()->isVisible())
            Bench::fail(QStringLiteral("\"Devam Et\" did not show one main window"));
        TelvorConfigurator *window = windows.first();

        auto *mainPainted = new Bench::FirstPaint(window);
        QObject::connect(mainPainted, &Bench::FirstPaint::painted, window, [window] {
            say(QStringLiteral("main-shown %1 %2 %3")
                    .arg(window->width())
                    .arg(window->height())
                    .arg(qint64(Bench::processCpuMicroseconds())));
            const int idleSeconds = Bench::intArgument(QStringLiteral("idle"), 0);
            if (idleSeconds > 0) {
                Bench::silenceDebugLog();
                runIdle(*window, idleSeconds, Bench::intArgument(QStringLiteral("config-port"), 0));
                return;
            }
            if (!QCoreApplication::arguments().contains(QStringLiteral("--memory"))) {
                QCoreApplication::exit(0);
                return;
            }
            Bench::silenceDebugLog();
            const int port = Bench::intArgument(QStringLiteral("config-port"), 0);
            if (port <= 0 || port > 65535)
                Bench::fail(QStringLiteral("--memory needs --config-port"));
            runMemoryScenario(*window, quint16(port), Bench::intArgument(QStringLiteral("cycles"), 200));
        });
    });
    chooser.show();
    return app.exec();
}
