// minimal: the floor for the tool's start-up and memory. A bare Qt Widgets
// program, built with the same compiler, flags and Qt as the tool, that shows
// one empty QMainWindow of a given size and reports, after its first paint,
//
//   shown W H CPU                           (CPU: CPU time so far in us)
//   memory HWM_KIB RSS_KIB HEAP_BYTES      (with --memory)
//
// then ends. With --dialogs N it first opens N bare QDialogs of the given
// size beside the window and waits until each has been painted: the floor
// of what N top-level windows of that size cost (their platform windows and
// backing stores), with nothing in them.
//
//   minimal --width W --height H [--memory]
//           [--dialogs N --dialog-width W --dialog-height H]

#include "benchsupport.h"

#include <QApplication>
#include <QDialog>
#include <QMainWindow>

#include <memory>
#include <vector>

#include <cstdio>

int main(int argc, char *argv[])
{
#if QT_VERSION < QT_VERSION_CHECK(6, 0, 0)
    QCoreApplication::setAttribute(Qt::AA_EnableHighDpiScaling);
#endif
    QApplication app(argc, argv);

    QMainWindow window;
    window.resize(Bench::intArgument(QStringLiteral("width"), 400),
                  Bench::intArgument(QStringLiteral("height"), 300));
    const auto report = [&window] {
        std::printf("shown %d %d %lld\n", window.width(), window.height(),
                    qint64(Bench::processCpuMicroseconds()));
        if (QCoreApplication::arguments().contains(QStringLiteral("--memory"))) {
            Bench::trimHeap();
            std::printf("memory %lld %lld %lld\n", Bench::statusKiB("VmHWM"), Bench::statusKiB("VmRSS"),
                        Bench::heapInUseBytes());
        }
        std::fflush(stdout);
        QCoreApplication::exit(0);
    };

    const int dialogCount = Bench::intArgument(QStringLiteral("dialogs"), 0);
    std::vector<std::unique_ptr<QDialog>> dialogs;
    int unpainted = dialogCount;
    auto *painted = new Bench::FirstPaint(&window);
    QObject::connect(painted, &Bench::FirstPaint::painted, &app, [&] {
        if (dialogCount == 0) {
            report();
            return;
        }
        for (int i = 0; i < dialogCount; ++i) {
            dialogs.push_back(std::make_unique<QDialog>());
            QDialog &dialog = *dialogs.back();
            dialog.resize(Bench::intArgument(QStringLiteral("dialog-width"), 400),
                          Bench::intArgument(QStringLiteral("dialog-height"), 300));
            auto *dialogPainted = new Bench::FirstPaint(&dialog);
            QObject::connect(dialogPainted, &Bench::FirstPaint::painted, &app, [&] {
                if (--unpainted == 0)
                    report();
            });
            dialog.show();
        }
    });
    window.show();
    return app.exec();
}
