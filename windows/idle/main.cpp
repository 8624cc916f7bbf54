// telvor-idle-windows SECONDS
//
// The Windows build waiting for the user: the main window of the Ethernet
// model, shown, with no route, for SECONDS seconds; then it ends with exit
// status 0. bench/wine-idle runs it under Wine and measures, from Linux, the
// CPU time and the wake-ups of its process over that time.

#include "telvorconfigurator.h"

#include <QApplication>
#include <QTextStream>
#include <QTimer>

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    Q_INIT_RESOURCE(Icons);
    bool ok = false;
    const int seconds = app.arguments().value(1).toInt(&ok);
    if (!ok || seconds <= 0) {
        QTextStream(stderr) << "usage: telvor-idle-windows SECONDS\n";
        return 2;
    }
    TelvorConfigurator window(nullptr, 1);
    window.show();
    QTimer::singleShot(seconds * 1000, &app, &QCoreApplication::quit);
    return app.exec();
}
