// minimal: the floor for the tool's start-up and memory. A bare Qt Widgets
// program, built with the same compiler, flags and Qt as the tool, that shows
// one empty QMainWindow of a given size and reports, after its first paint,
//
//   shown W H CPU                           (CPU: CPU time so far in us)
//   memory HWM_KIB RSS_KIB HEAP_BYTES      (with --memory)
//
// then ends.
//
//   minimal --width W --height H [--memory]

#include "benchsupport.h"

#include <QApplication>
#include <QMainWindow>

#include <cstdio>

int main(int argc, char *argv[])
{
    QCoreApplication::setAttribute(Qt::AA_EnableHighDpiScaling);
    QApplication app(argc, argv);

    QMainWindow window;
    window.resize(Bench::intArgument(QStringLiteral("width"), 400),
                  Bench::intArgument(QStringLiteral("height"), 300));
    auto *painted = new Bench::FirstPaint(&window);
    QObject::connect(painted, &Bench::FirstPaint::painted, &app, [&window] {
        std::printf("shown %d %d %lld\n", window.width(), window.height(),
                    qint64(Bench::processCpuMicroseconds()));
        if (QCoreApplication::arguments().contains(QStringLiteral("--memory"))) {
            Bench::trimHeap();
            std::printf("memory %lld %lld %lld\n", Bench::statusKiB("VmHWM"), Bench::statusKiB("VmRSS"),
                        Bench::heapInUseBytes());
        }
        std::fflush(stdout);
        QCoreApplication::exit(0);
    });
    window.show();
    return app.exec();
}
