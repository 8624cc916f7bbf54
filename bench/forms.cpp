// forms: the second floor for the tool's start-up. It shows the tool's own
// forms, compiled again from the same .ui files with the same icon resources,
// in the same order the tool shows them, and none of the tool's logic: no
// device link, no serial-port listing, no field rules, no Qt Network or Qt
// SerialPort. What the tool takes beyond this program is its own work.
//
//   chooser-shown W H CPU   after the start window's form is first painted
//   main-shown W H CPU      after the main window's form (with the connection
//                           panel's and the configuration page's forms in
//                           its two layouts, as the tool places them) is
//                           first painted; the start window is closed first,
//                           as "Devam Et" does
//
// W and H are the window's size, CPU the process's CPU time so far in us.
// The lines match the launcher's, so the startup driver reads both alike.
// With --memory it then prints its memory as the minimal program does:
//
//   memory HWM_KIB RSS_KIB HEAP_BYTES
//
//   forms [--memory]

#include "benchsupport.h"
#include "screenfit.h"

#include "ui_commsettings.h"
#include "ui_devicechoose.h"
#include "ui_telvorconfigurator.h"
#include "ui_transparentconfig.h"

#include <QApplication>
#include <QIcon>
#include <QMainWindow>

#include <cstdio>

namespace {

void say(const QString &line)
{
    std::printf("%s\n", qPrintable(line));
    std::fflush(stdout);
}

QString shownLine(const char *word, const QWidget &window)
{
    return QStringLiteral("%1 %2 %3 %4")
        .arg(QLatin1String(word))
        .arg(window.width())
        .arg(window.height())
        .arg(qint64(Bench::processCpuMicroseconds()));
}

} // namespace

int main(int argc, char *argv[])
{
#if QT_VERSION < QT_VERSION_CHECK(6, 0, 0)
    QCoreApplication::setAttribute(Qt::AA_EnableHighDpiScaling);
#endif
    QApplication app(argc, argv);

    QMainWindow chooser;
    Ui::DeviceChoose chooserForm;
    chooserForm.setupUi(&chooser);

    QMainWindow main;
    Ui::TelvorConfigurator mainForm;
    QWidget page, panel;
    Ui::TransparentConfig pageForm;
    Ui::CommSettings panelForm;

    auto *chooserPainted = new Bench::FirstPaint(&chooser);
    QObject::connect(chooserPainted, &Bench::FirstPaint::painted, &app, [&] {
        say(shownLine("chooser-shown", chooser));

        // What "Devam Et" shows, built at the same moment the tool builds it.
        chooser.close();
        mainForm.setupUi(&main);
        new ScreenFitter(&main, mainForm.scrollArea);
        pageForm.setupUi(&page);
        panelForm.setupUi(&panel);
        mainForm.Layout->addWidget(&page);
        mainForm.SettingLayout->addWidget(&panel);
        // The model chosen is marked in the menu, as in the tool.
        mainForm.actionEthernet_Modem->setIcon(QIcon(QStringLiteral(":/Button/Icons/apply.png")));

        auto *mainPainted = new Bench::FirstPaint(&main);
        QObject::connect(mainPainted, &Bench::FirstPaint::painted, &app, [&main] {
            say(shownLine("main-shown", main));
            if (QCoreApplication::arguments().contains(QStringLiteral("--memory"))) {
                Bench::trimHeap();
                say(QStringLiteral("memory %1 %2 %3")
                        .arg(Bench::statusKiB("VmHWM"))
                        .arg(Bench::statusKiB("VmRSS"))
                        .arg(Bench::heapInUseBytes()));
            }
            QCoreApplication::exit(0);
        });
        main.show();
    });
    chooser.show();
    return app.exec();
}
