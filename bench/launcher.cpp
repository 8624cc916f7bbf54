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
// down, for a heap profiler.

#include "benchsupport.h"

#include "devicechoose.h"
#include "devinfo.h"
#include "staticipconfig.h"
#include "telvorconfigurator.h"
#include "transparentconfig.h"

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QPixmapCache>
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

template <class T> T *child(QObject *parent, const char *name)
{
    T *object = parent->findChild<T *>(QLatin1String(name));
    if (!object)
        Bench::fail(QStringLiteral("no object %1").arg(QLatin1String(name)));
    return object;
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
    child<QAbstractButton>(&window, "pushButton_StaticIPConfig")->click();
    StaticIpConfig *network = nullptr;
    step(QStringLiteral("the network window filled"), [&] {
        const QList<StaticIpConfig *> open = windowsOf<StaticIpConfig>();
        network = open.size() == 1 ? open.first() : nullptr;
        return network && exposed(network) && !child<QLineEdit>(network, "lineEdit_IpAddr")->text().isEmpty();
    });
    return network;
}

void openInformationWindows(TelvorConfigurator &window, int count)
{
    QAction *getInfo = child<QAction>(&window, "actionGET_INFO");
    for (int i = 0; i < count; ++i)
        getInfo->trigger();
    step(QStringLiteral("%1 information windows filled").arg(count), [count] {
        const QList<DevInfo *> open = windowsOf<DevInfo>();
        if (open.size() != count)
            return false;
        for (DevInfo *info : open) {
            if (!exposed(info) || child<QLineEdit>(info, "lineEdit_SerialNum")->text().isEmpty())
                return false;
        }
        return true;
    });
}

void runMemoryScenario(TelvorConfigurator &window, quint16 port, int cycles)
{
    Bench::failOnModalBoxes();
    reportMemory(QStringLiteral("main-shown"));
    auto *page = window.findChild<TransparentConfig *>();
    if (!page || page->isEnabled())
        Bench::fail(QStringLiteral("memory scenario: the page should wait disabled for a connection"));

    child<QLineEdit>(&window, "lineEdit_ServerIp")->setText(QStringLiteral("127.0.0.1"));
    child<QLineEdit>(&window, "lineEdit_ServerPort")->setText(QString::number(port));
    child<QAbstractButton>(&window, "pushButton_TcpConnect")->click();
    // The page is enabled by the first answer, in the same call that applies it.
    step(QStringLiteral("connecting and reading the port record"), [page] { return page->isEnabled(); });
    Bench::settle(100);
    reportMemory(QStringLiteral("connected"));

    openNetworkWindow(window);
    Bench::settle(100);
    reportMemory(QStringLiteral("network-window"));
    openInformationWindows(window, 10);
    Bench::settle(300);
    reportMemory(QStringLiteral("scenario"));

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
    QCoreApplication::setAttribute(Qt::AA_EnableHighDpiScaling);
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
        child<QComboBox>(&chooser, "comboBox_ChooseDevice")->setCurrentIndex(1);
        child<QAbstractButton>(&chooser, "pushButton_Login")->click();
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
