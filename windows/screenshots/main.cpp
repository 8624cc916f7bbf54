// telvor-screenshots-windows OUT_DIR [--scaled]
//                          (the simulator's ports in TELVOR_E2E_CONFIG_PORT)
//
// The Windows build's look, for docs/screenshots: run by
// `scripts/screenshots --windows` under Wine on Xvfb with the real Windows
// platform plugin, in a Wine virtual desktop so that Wine draws the window
// frames as Windows does. Shows the start window, then the main window of
// the Ethernet model connected over TCP to the device simulator running on
// Linux, and takes each from the screen with its frame, as a Windows user
// sees it. With --scaled (run on a screen that scales, 150 %) only the
// connected main window, scrolled to the page's buttons, into
// windows-main-connected-150.png. Exit status 1 when a picture is missing.

#include "devicechoose.h"
#include "telvorconfigurator.h"

#include <QAbstractButton>
#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QScrollArea>
#include <QSettings>
#include <QTest>
#include <QTextStream>

namespace {

bool save(QWidget &window, const QString &path)
{
    QTest::qWait(1500); // let Wine draw the frame and the window settle
    const QRect frame = window.frameGeometry();
    const QPixmap picture = window.screen()->grabWindow(0, frame.x(), frame.y(), frame.width(), frame.height());
    const bool ok = !picture.isNull() && picture.save(path);
    QTextStream(stdout) << (ok ? "saved " : "could not save ") << path << '\n';
    return ok;
}

} // namespace

int main(int argc, char **argv)
{
    // As the tool starts (main.cpp), so that a screen that scales shows the
    // tool as its users see it.
    QCoreApplication::setAttribute(Qt::AA_EnableHighDpiScaling);
    QGuiApplication::setHighDpiScaleFactorRoundingPolicy(Qt::HighDpiScaleFactorRoundingPolicy::PassThrough);
    QApplication app(argc, argv);
    Q_INIT_RESOURCE(Icons);
    const QStringList args = app.arguments();
    const bool scaled = args.size() == 3 && args.at(2) == QLatin1String("--scaled");
    if (args.size() != 2 && !scaled) {
        QTextStream(stderr) << "usage: telvor-screenshots-windows OUT_DIR [--scaled]\n";
        return 2;
    }
    const QDir out(args.at(1));
    const int port = qEnvironmentVariableIntValue("TELVOR_E2E_CONFIG_PORT");
    QSettings(QStringLiteral("Telvor"), QStringLiteral("Configurator")).clear();
    bool ok = true;

    if (!scaled) {
        DeviceChoose chooser;
        chooser.show();
        ok = QTest::qWaitForWindowExposed(&chooser, 60000) && save(chooser, out.filePath("windows-start.png")) && ok;
    }

    TelvorConfigurator window(nullptr, 1);
    window.show();
    ok = QTest::qWaitForWindowExposed(&window, 60000) && ok;
    window.findChild<QLineEdit *>(QStringLiteral("lineEdit_ServerIp"))->setText(QStringLiteral("127.0.0.1"));
    window.findChild<QLineEdit *>(QStringLiteral("lineEdit_ServerPort"))->setText(QString::number(port));
    window.findChild<QAbstractButton *>(QStringLiteral("pushButton_TcpConnect"))->click();
    // Connected when the simulator's factory record (9600 baud) fills the page.
    auto *baud = window.findChild<QComboBox *>(QStringLiteral("comboBox_Baud_485"));
    if (port > 0 && QTest::qWaitFor([baud] { return baud->currentIndex() == 5; }, 60000)) {
        if (scaled) {
            // The page's buttons at the bottom of the scrolled contents.
            auto *area = window.findChild<QScrollArea *>();
            for (QPushButton *button : window.findChildren<QPushButton *>()) {
                if (area && button->text() == QLatin1String("Apply Configuration"))
                    area->ensureWidgetVisible(button);
            }
        }
        const char *name = scaled ? "windows-main-connected-150.png" : "windows-main-connected.png";
        ok = save(window, out.filePath(QLatin1String(name))) && ok;
    } else {
        QTextStream(stderr) << "the main window did not connect to the simulator on port " << port << '\n';
        ok = false;
    }
    return ok ? 0 : 1;
}
