// telvor-screenshots --devicesim PATH --out DIR [--small-screen]
//
// Renders the tool's windows in their main states into PNG files, for the
// README and the technician's guide. It starts the device simulator on
// loopback (both models, on the ports that scripts/run uses when they are
// free), then drives the real windows the way a technician would: picks the
// model on the start window, types the simulator's endpoints into the
// connection panel, presses the connect buttons, opens the network window and
// asks for the information record; then it starts again with the GSM model.
// Each picture is taken with QWidget::grab() once the window shows the state
// it is meant to show.
//
// The program runs with a settings home of its own, so it never reads or
// writes the user's saved connection entries. A step that does not reach its
// state in time is reported and its picture skipped; the exit status is 1 when
// any picture is missing.

#include "chooser.h"
#include "devicechoose.h"
#include "deviceundertest.h"
#include "devinfo.h"
#include "networkwindow.h"
#include "page.h"
#include "panel.h"
#include "staticipconfig.h"
#include "telvorconfigurator.h"
#include "tool.h"
#include "transparentconfig.h"

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QMessageBox>
#include <QProcess>
#include <QPushButton>
#include <QRegularExpression>
#include <QScrollArea>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QTest>
#include <QTextStream>
#include <QTimer>

#include <functional>

namespace {

QTextStream &errs()
{
    static QTextStream stream(stderr);
    return stream;
}

class Shooter : public QObject
{
public:
    Shooter(const QString &outDir, const Driver::DeviceAddress &endpoints)
        : m_outDir(outDir), m_endpoints(endpoints)
    {
        // Modal boxes run their own event loop; this timer keeps running in it,
        // takes the picture of the box that a step asked for and answers every
        // box, so that no step can hang on one.
        m_boxTimer.setInterval(50);
        connect(&m_boxTimer, &QTimer::timeout, this, &Shooter::answerBoxes);
        m_boxTimer.start();
    }

    // smallScreen: only the main window on a laptop screen that cannot hold
    // its form, connected and scrolled to the page's buttons.
    int run(bool smallScreen)
    {
        if (smallScreen) {
            shootGsm(QStringLiteral("main-small-screen"));
        } else {
            shootStartAndEthernet();
            shootGsm();
        }
        for (QWidget *w : QApplication::topLevelWidgets())
            w->close();
        QApplication::processEvents();

        errs() << "screenshots: wrote " << m_written.size() << " pictures to " << m_outDir << '\n';
        if (!m_missing.isEmpty()) {
            errs() << "screenshots: missing: " << m_missing.join(QStringLiteral(", ")) << '\n';
            return 1;
        }
        return 0;
    }

private:
    template <typename T> static T *topLevel() { return Driver::visibleWindow<T>(); }

    // Waits, processing events, until the condition holds. On time-out the
    // step is reported and every picture named in `skipped` counts as missing.
    bool waitFor(const char *what, const std::function<bool()> &condition, int timeoutMs,
                 const QStringList &skipped)
    {
        if (QTest::qWaitFor(condition, timeoutMs))
            return true;
        errs() << "screenshots: " << what << " did not happen within " << timeoutMs / 1000 << " s\n";
        m_missing += skipped;
        return false;
    }

    void save(QWidget *widget, const QString &name)
    {
        // Let pending layout and paint events settle before rendering.
        QTest::qWait(200);
        const QString path = QDir(m_outDir).filePath(name + QStringLiteral(".png"));
        if (widget->grab().save(path)) {
            m_written += name;
            errs() << "screenshots: " << path << '\n';
        } else {
            m_missing += name;
            errs() << "screenshots: cannot write " << path << '\n';
        }
    }

    void answerBoxes()
    {
        auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
        if (m_answering || !box || !box->isVisible())
            return;
        // Taking the picture waits for painting, and this timer fires again
        // meanwhile: one box is handled once.
        m_answering = true;
        if (!m_boxPicture.isEmpty()) {
            save(box, m_boxPicture);
            m_boxPicture.clear();
            ++m_boxesShot;
        } else {
            errs() << "screenshots: answered a box nobody asked for: \"" << box->windowTitle() << "\" "
                   << box->text() << '\n';
        }
        QAbstractButton *button = box->defaultButton();
        if (!button)
            button = box->escapeButton();
        if (!button && !box->buttons().isEmpty())
            button = box->buttons().constFirst();
        if (button)
            button->click();
        else
            box->reject();
        m_answering = false;
    }

    TelvorConfigurator *mainWindow() { return topLevel<TelvorConfigurator>(); }

    bool pageEnabled()
    {
        TelvorConfigurator *window = mainWindow();
        return window && Driver::Page(*window).widget()->isEnabled();
    }

    void shootStartAndEthernet()
    {
        const QStringList ethernetPictures{QStringLiteral("main-ethernet-disconnected"),
                                           QStringLiteral("main-ethernet-connected"),
                                           QStringLiteral("network-view-only"),
                                           QStringLiteral("devinfo"),
                                           QStringLiteral("warning"),
                                           QStringLiteral("network-editable")};

        auto *chooser = new DeviceChoose(nullptr);
        chooser->setAttribute(Qt::WA_DeleteOnClose);
        chooser->show();
        if (!waitFor(
                "the start window", [chooser] { return chooser->isVisible(); }, 5000,
                QStringList{QStringLiteral("start")} + ethernetPictures))
            return;
        Driver::Chooser start(*chooser);
        start.chooseModel(1);
        save(chooser, QStringLiteral("start"));

        start.pressContinue();
        if (!waitFor(
                "the main window", [this] { return mainWindow() != nullptr; }, 5000, ethernetPictures))
            return;
        TelvorConfigurator *window = mainWindow();
        Driver::Panel panel(*window);

        panel.type(Driver::Panel::EthernetAddress, m_endpoints.host);
        panel.type(Driver::Panel::EthernetPort, QString::number(m_endpoints.configPort));
        save(window, QStringLiteral("main-ethernet-disconnected"));

        QAbstractButton *connectButton = panel.button(Driver::Panel::EthernetButton);
        connectButton->click();
        if (!waitFor(
                "the ETHERNET connection", [this] { return pageEnabled(); }, 15000, ethernetPictures.mid(1)))
            return;
        // The first answer enables the page and fills it in one step. The
        // device's current address completes the panel.
        QLineEdit *currentIp = panel.entry(Driver::Panel::CurrentAddress);
        panel.button(Driver::Panel::CurrentAddressButton)->click();
        if (!QTest::qWaitFor([currentIp] { return !currentIp->text().isEmpty(); }, 3000))
            errs() << "screenshots: the current address did not arrive\n";
        save(window, QStringLiteral("main-ethernet-connected"));

        shootNetworkWindow(window, QStringLiteral("network-view-only"));
        shootInformationWindow(window);
        shootWarningBox(window);

        connectButton->click();
        waitFor("the ETHERNET disconnection", [this] { return !pageEnabled(); }, 10000, {});

        // The USB route shows the network window with editable entries.
        window->openSerialPort(m_endpoints.usbPath);
        if (waitFor("the USB connection", [this] { return pageEnabled(); }, 15000,
                    {QStringLiteral("network-editable")})) {
            QTest::qWait(500);
            shootNetworkWindow(window, QStringLiteral("network-editable"));
            QMetaObject::invokeMethod(window, "CloseComPort");
            waitFor("the USB disconnection", [this] { return !pageEnabled(); }, 10000, {});
        }
    }

    void shootNetworkWindow(TelvorConfigurator *window, const QString &name)
    {
        QAbstractButton *button = Driver::Page(*window).button(Driver::Setting::StaticIpButton);
        if (!button->isEnabled()) {
            errs() << "screenshots: the Static IP Settings button is not usable\n";
            m_missing += name;
            return;
        }
        button->click();
        StaticIpConfig *network = nullptr;
        if (!waitFor("the filled network window",
                     [&network] {
                         network = topLevel<StaticIpConfig>();
                         return network && !Driver::NetworkWindow(*network)
                                                .text(Driver::NetworkWindow::MacAddress)
                                                .isEmpty();
                     },
                     10000, {name}))
            return;
        save(network, name);
        network->close();
        QTest::qWait(100);
    }

    void shootInformationWindow(TelvorConfigurator *window)
    {
        QAction *getInfo = Driver::commandAction(*window, Driver::Command::GetInfo);
        if (!getInfo->isEnabled()) {
            errs() << "screenshots: GET INFO is not usable\n";
            m_missing += QStringLiteral("devinfo");
            return;
        }
        getInfo->trigger();
        if (!waitFor("the information window", [] { return topLevel<DevInfo>() != nullptr; }, 10000,
                     {QStringLiteral("devinfo")}))
            return;
        DevInfo *info = topLevel<DevInfo>();
        save(info, QStringLiteral("devinfo"));
        info->close();
        QTest::qWait(100);
    }

    // Switching a port's enable away from the device's value warns that the
    // port will be closed.
    void shootWarningBox(TelvorConfigurator *window)
    {
        QComboBox *enable = Driver::Page(*window).comboBox(Driver::Setting::Enable, Driver::Port::Rs485);
        if (!enable->isEnabled()) {
            m_missing += QStringLiteral("warning");
            return;
        }
        const int deviceValue = enable->currentIndex();
        const int shotsBefore = m_boxesShot;
        m_boxPicture = QStringLiteral("warning");
        enable->setCurrentIndex(deviceValue == 0 ? 1 : 0);
        if (m_boxesShot == shotsBefore) {
            errs() << "screenshots: changing the RS-485 enable showed no warning\n";
            m_boxPicture.clear();
            m_missing += QStringLiteral("warning");
        }
        enable->setCurrentIndex(deviceValue);
    }

    // With a scrolledPicture name, the connected window is scrolled to the
    // bottom and saved under that name instead of the two usual pictures.
    void shootGsm(const QString &scrolledPicture = QString())
    {
        const QStringList gsmPictures = scrolledPicture.isEmpty()
                                            ? QStringList{QStringLiteral("main-gsm-disconnected"),
                                                          QStringLiteral("main-gsm-connected")}
                                            : QStringList{QString(), scrolledPicture};
        // A technician with a GSM modem chooses it on the start window.
        if (TelvorConfigurator *ethernetWindow = mainWindow())
            ethernetWindow->close();
        auto *chooser = new DeviceChoose(nullptr);
        chooser->setAttribute(Qt::WA_DeleteOnClose);
        chooser->show();
        Driver::Chooser start(*chooser);
        start.chooseModel(2);
        start.pressContinue();
        if (!waitFor(
                "the main window of the GSM model", [this] { return mainWindow() != nullptr; }, 5000,
                gsmPictures))
            return;
        TelvorConfigurator *window = mainWindow();
        Driver::Panel panel(*window);
        panel.type(Driver::Panel::DataAddress, m_endpoints.host);
        panel.type(Driver::Panel::Port485, QString::number(m_endpoints.port485));
        panel.type(Driver::Panel::Port232, QString::number(m_endpoints.port232));
        if (!gsmPictures.at(0).isEmpty())
            save(window, gsmPictures.at(0));

        QAbstractButton *connect485 = panel.button(Driver::Panel::Button485);
        connect485->click();
        if (!waitFor("the RS-485 data-port connection", [this] { return pageEnabled(); }, 15000,
                     {gsmPictures.at(1)}))
            return;
        // The tool asks for the port record half a second after the connect;
        // the record of the GSM model carries the APN.
        QLineEdit *apn = Driver::Page(*window).apn();
        if (!QTest::qWaitFor([apn] { return !apn->text().isEmpty(); }, 3000))
            errs() << "screenshots: the RS-485 data port's record brought no APN\n";
        if (auto *area = window->findChild<QScrollArea *>(); area && !scrolledPicture.isEmpty())
            area->verticalScrollBar()->setValue(area->verticalScrollBar()->maximum());
        save(window, gsmPictures.at(1));
        connect485->click();
        waitFor("the RS-485 disconnection", [this] { return !pageEnabled(); }, 10000, {});
    }

    QString m_outDir;
    Driver::DeviceAddress m_endpoints;
    QTimer m_boxTimer;
    QString m_boxPicture;
    bool m_answering = false;
    int m_boxesShot = 0;
    QStringList m_written;
    QStringList m_missing;
};

} // namespace

int main(int argc, char **argv)
{
    // A settings home of its own: the panel saves every entry it is given.
    QTemporaryDir home;
    if (!home.isValid())
        return 1;
    qputenv("HOME", home.path().toUtf8());
    qputenv("XDG_CONFIG_HOME", (home.path() + QStringLiteral("/.config")).toUtf8());

#if QT_VERSION < QT_VERSION_CHECK(6, 0, 0)
    QCoreApplication::setAttribute(Qt::AA_EnableHighDpiScaling);
#endif
    QApplication app(argc, argv);
    Q_INIT_RESOURCE(Icons);

    QString simulatorProgram;
    QString outDir;
    QStringList args = app.arguments();
    const bool smallScreen = args.removeAll(QStringLiteral("--small-screen")) > 0;
    for (int i = 1; i + 1 < args.size(); i += 2) {
        if (args.at(i) == QLatin1String("--devicesim"))
            simulatorProgram = args.at(i + 1);
        else if (args.at(i) == QLatin1String("--out"))
            outDir = args.at(i + 1);
    }
    if (simulatorProgram.isEmpty() || outDir.isEmpty()) {
        errs() << "usage: telvor-screenshots --devicesim PATH --out DIR [--small-screen]\n";
        return 2;
    }
    if (!QDir().mkpath(outDir)) {
        errs() << "screenshots: cannot create " << outDir << '\n';
        return 1;
    }

    // The pictures show the ports that the README names for scripts/run; when
    // one of them is taken, the system chooses.
    Driver::SimulatorProcess simulator;
    Driver::SimulatorProcess::Options options;
    options.ptyLink = home.filePath(QStringLiteral("usb"));
    options.configPort = 15020;
    options.port232 = 15001;
    options.port485 = 15000;
    if (!simulator.start(simulatorProgram, options)) {
        errs() << "screenshots: the usual ports are taken, the system chooses others\n";
        options.configPort = options.port232 = options.port485 = 0;
        if (!simulator.start(simulatorProgram, options)) {
            errs() << "screenshots: the simulator did not announce its four endpoints\n";
            return 1;
        }
    }

    Shooter shooter(outDir, simulator.address());
    const int result = shooter.run(smallScreen);
    simulator.stop();
    return result;
}
