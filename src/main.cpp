// Process entry. qMain holds the start-up: the application object, the
// device-model chooser and the event loop. main() only forwards to it, so the
// same start-up runs whether the platform enters through main() or, on Windows,
// through Qt's WinMain.

#include "devicechoose.h"
#include "screenfit.h"

#include <QApplication>

static void initResources()
{
    // The icons are compiled into the static library; without this call the
    // linker would drop them.
    Q_INIT_RESOURCE(Icons);
}

int qMain(int argc, char **argv)
{
    prepareScreenScaling();
    QApplication app(argc, argv);
    QGuiApplication::setDesktopFileName(QStringLiteral("com.telvor.Configurator"));
    initResources();

    DeviceChoose chooser(nullptr);
    chooser.show();
    return app.exec();
}

// On Windows the program has no main() of its own: the entry of the GUI
// subsystem is Qt's WinMain (the qtmain library), which calls qMain. With
// MinGW a main() here would be called by the C runtime directly instead.
#ifndef Q_OS_WIN
int main(int argc, char **argv)
{
    return qMain(argc, argv);
}
#endif
