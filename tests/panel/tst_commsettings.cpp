// The connection panel, driven as a technician drives it: typing into its
// entries, pressing its buttons, and receiving the main window's route reports.
// Expected widget states, texts and frames are typed out from the panel's
// contract; nothing is derived from the code under test.

#include "commsettings.h"
#include "panel.h"
#include "telvorconfigurator.h"
#include "testsupport.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QMetaMethod>
#include <QPushButton>
#include <QSettings>
#include <QSignalSpy>
#include <QtTest>

#include <map>
#include <memory>

Q_DECLARE_METATYPE(QSerialPortInfo)

using Driver::Panel;
using Driver::retype;

namespace {

// Widget groups of the panel's contract.
const Panel::Controls UsbControls{Panel::RefreshPortsButton, Panel::ComPorts, Panel::UsbButton,
                                  Panel::UsbHeader, Panel::ComPortLabel};
const Panel::Controls EthernetEntries{Panel::EthernetAddress, Panel::EthernetPort};
const Panel::Controls EthernetControls =
    EthernetEntries + Panel::Controls{Panel::EthernetButton, Panel::EthernetPortLabel,
                                      Panel::EthernetAddressLabel, Panel::EthernetHeader};
const Panel::Controls CurrentAddressControls{Panel::CurrentAddressButton, Panel::CurrentAddress};
const Panel::Controls TcpGroupControls{Panel::Port232Label, Panel::Port485Label, Panel::DataAddressLabel,
                                       Panel::Button232,    Panel::Button485,    Panel::Port232,
                                       Panel::Port485,      Panel::DataAddress};
const Panel::Controls AllControls =
    UsbControls + EthernetControls + CurrentAddressControls + TcpGroupControls +
    Panel::Controls{Panel::CurrentAddressLabel, Panel::DataHeader, Panel::Abort232, Panel::Abort485};
const Panel::Controls Headers{Panel::EthernetHeader, Panel::UsbHeader, Panel::DataHeader};
const Panel::Controls RouteButtons{Panel::EthernetButton, Panel::UsbButton, Panel::Button232,
                                   Panel::Button485};

QString iconSheet(const QString &icon)
{
    return QStringLiteral("QPushButton{background-color:transparent;border-image: url(:/Button/Icons/") +
           icon +
           QStringLiteral(
               ");border:none;background-repeat: none;}QPushButton:pressed{background-color:black;}");
}

QVariant storedValue(const QString &key)
{
    QSettings settings(QStringLiteral("Telvor"), QStringLiteral("Configurator"));
    return settings.value(QStringLiteral("Commsettings/") + key);
}

// Records every signal the panel emits, so a case can show that exactly the
// expected one (or none) came out.
class SignalLog
{
public:
    explicit SignalLog(CommSettings *panel)
    {
        const QMetaObject &meta = CommSettings::staticMetaObject;
        for (int i = meta.methodOffset(); i < meta.methodCount(); ++i) {
            const QMetaMethod method = meta.method(i);
            if (method.methodType() == QMetaMethod::Signal)
                m_spies[QString::fromLatin1(method.name())] = std::make_unique<QSignalSpy>(panel, method);
        }
    }

    QStringList emitted() const
    {
        QStringList names;
        for (const auto &spy : m_spies) {
            for (int i = 0; i < spy.second->count(); ++i)
                names << spy.first;
        }
        return names;
    }

    QVariantList arguments(const QString &name) const
    {
        const auto it = m_spies.find(name);
        return it == m_spies.end() || it->second->isEmpty() ? QVariantList() : it->second->first();
    }

private:
    std::map<QString, std::unique_ptr<QSignalSpy>> m_spies;
};

struct LookSnapshot
{
    QMap<QString, QString> headerSheets;
    QMap<QString, QString> buttonSheets;
    QMap<QString, QString> buttonTexts;
};

// Keyed by object name, so that a difference names the widget.
LookSnapshot snapshot(QWidget &panel)
{
    const Panel driver(panel);
    LookSnapshot look;
    for (const Panel::Control header : Headers)
        look.headerSheets[Panel::nameOf(header)] = driver.label(header)->styleSheet();
    for (const Panel::Control control : RouteButtons) {
        const auto *button = driver.button(control);
        look.buttonSheets[Panel::nameOf(control)] = button->styleSheet();
        look.buttonTexts[Panel::nameOf(control)] = button->text();
    }
    return look;
}

void setAllEnabled(QWidget &panel, bool enabled)
{
    const Panel driver(panel);
    for (const Panel::Control control : AllControls)
        driver.control(control)->setEnabled(enabled);
}

// Each listed widget is enabled or disabled as expected; every other control
// keeps the state it had before.
void checkEnabledStates(QWidget &panel, const Panel::Controls &enabled, const Panel::Controls &disabled,
                        bool before)
{
    const Panel driver(panel);
    for (const Panel::Control control : AllControls) {
        const bool expected = enabled.contains(control) ? true : disabled.contains(control) ? false : before;
        const QString name = Panel::nameOf(control);
        QWidget *widget = driver.control(control);
        QVERIFY2(widget->isEnabledTo(&panel) == expected,
                 qPrintable(QStringLiteral("%1 should be %2").arg(name, expected ? "enabled" : "disabled")));
    }
}

} // namespace

class TestCommSettings : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { qRegisterMetaType<QSerialPortInfo>(); }
    void init() { TestSupport::clearSettings(); }

    void savedEntriesSurviveRestart_data()
    {
        QTest::addColumn<Panel::Control>("entry");
        QTest::addColumn<QString>("key");
        QTest::addColumn<QString>("typed");
        QTest::newRow("ETHERNET address") << Panel::EthernetAddress << "Ip"
                                          << "10.1.2.3";
        QTest::newRow("ETHERNET port") << Panel::EthernetPort << "Port"
                                       << "1502";
        QTest::newRow("data-port address") << Panel::DataAddress << "IpTcp"
                                           << "127.0.0.1";
        QTest::newRow("RS-232 port") << Panel::Port232 << "Port232"
                                     << "4001";
        QTest::newRow("RS-485 port") << Panel::Port485 << "Port485"
                                     << "4002";
    }

    void savedEntriesSurviveRestart()
    {
        QFETCH(Panel::Control, entry);
        QFETCH(QString, key);
        QFETCH(QString, typed);
        const QMap<Panel::Control, QString> placeholders{{Panel::EthernetAddress, "192.168.0.20"},
                                                         {Panel::EthernetPort, "502"},
                                                         {Panel::DataAddress, ""},
                                                         {Panel::Port232, "501"},
                                                         {Panel::Port485, "500"}};
        {
            CommSettings first;
            Panel(first).retype(entry, typed);
        }
        QCOMPARE(storedValue(key), QVariant(typed));

        CommSettings second;
        for (auto it = placeholders.cbegin(); it != placeholders.cend(); ++it) {
            const QLineEdit *edit = Panel(second).entry(it.key());
            QCOMPARE(edit->placeholderText(), it.value());
            QCOMPARE(edit->text(), it.key() == entry ? typed : QString());
        }
        for (const QString &other : QStringList{"Ip", "Port", "IpTcp", "Port232", "Port485"}) {
            if (other != key)
                QVERIFY2(!storedValue(other).isValid(), qPrintable(other));
        }
    }

    void entryCheck_data()
    {
        QTest::addColumn<Panel::Control>("entry");
        QTest::addColumn<QString>("key");
        QTest::addColumn<QString>("saved");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<bool>("accepted");

        const QList<QPair<Panel::Control, QString>> ports{
            {Panel::EthernetPort, "Port"}, {Panel::Port232, "Port232"}, {Panel::Port485, "Port485"}};
        for (const auto &port : ports) {
            const auto row = [&](const QString &typed, bool accepted) {
                QTest::addRow("%s %s '%s'", qPrintable(port.second), accepted ? "saves" : "reverts",
                              qPrintable(typed))
                    << port.first << port.second << "777" << typed << accepted;
            };
            row("1", true);
            row("502", true);
            row("65534", true);
            row("65535", false);
            row("0", false);
            row("-5", false);
            row("abc", false);
            row("", false);
        }
        QTest::newRow("Port reverts to nothing when nothing was saved") << Panel::EthernetPort << "Port"
                                                                        << ""
                                                                        << "70000" << false;

        const QList<QPair<Panel::Control, QString>> addresses{{Panel::EthernetAddress, "Ip"},
                                                              {Panel::DataAddress, "IpTcp"}};
        for (const auto &address : addresses) {
            const auto row = [&](const QString &typed, bool accepted) {
                QTest::addRow("%s %s '%s'", qPrintable(address.second), accepted ? "saves" : "reverts",
                              qPrintable(typed))
                    << address.first << address.second << "127.0.0.1" << typed << accepted;
            };
            row("10.0.0.0", true);
            row("300.1.2.3", true);
            row("1.2.3.4.5", true);
            row("192.168.0", false);
            row("192.168.00.1", false);
            row("192.168..1", false);
            row("a.b.c.d", false);
        }
        QTest::newRow("IpTcp reverts to nothing when nothing was saved") << Panel::DataAddress << "IpTcp"
                                                                         << ""
                                                                         << "192.168.0" << false;
    }

    void entryCheck()
    {
        QFETCH(Panel::Control, entry);
        QFETCH(QString, key);
        QFETCH(QString, saved);
        QFETCH(QString, typed);
        QFETCH(bool, accepted);

        CommSettings panel;
        QLineEdit *edit = Panel(panel).entry(entry);
        if (!saved.isEmpty()) {
            retype(edit, saved);
            QCOMPARE(storedValue(key), QVariant(saved));
        }

        TestSupport::MessageBoxAnswerer boxes;
        retype(edit, typed);
        const QString expected = accepted ? typed : saved;
        QCOMPARE(edit->text(), expected);
        if (expected.isEmpty())
            QVERIFY(!storedValue(key).isValid());
        else
            QCOMPARE(storedValue(key), QVariant(expected));
        QTest::qWait(50);
        QVERIFY(boxes.seen().isEmpty());
    }

    void ethernetButtonWithEmptyStore()
    {
        CommSettings panel;
        SignalLog log(&panel);
        Panel(panel).click(Panel::EthernetButton);
        QCOMPARE(log.emitted(), QStringList{"ConnectTcp"});
        QCOMPARE(log.arguments("ConnectTcp"), (QVariantList{QString(), 0}));
    }

    void buttonRequests_data()
    {
        QTest::addColumn<QList<int>>("routesUp");
        QTest::addColumn<int>("model");
        QTest::addColumn<Panel::Control>("button");
        QTest::addColumn<QString>("expected");
        QTest::addColumn<QVariantList>("arguments");

        using R = CommSettings;
        const Panel::Control tcp = Panel::EthernetButton, usb = Panel::UsbButton;
        const Panel::Control rs232 = Panel::Button232, rs485 = Panel::Button485;
        const Panel::Control abort232 = Panel::Abort232, abort485 = Panel::Abort485;
        // The model call after the route reports makes a blocked button usable
        // again without touching the route flags.
        QTest::newRow("ETHERNET connects when idle")
            << QList<int>{} << 0 << tcp << "ConnectTcp" << QVariantList{"127.0.0.1", 5020};
        QTest::newRow("ETHERNET disconnects its route")
            << QList<int>{R::TCP} << 0 << tcp << "DisconnectTcp" << QVariantList{};
        QTest::newRow("ETHERNET blocked by USB") << QList<int>{R::USB} << 1 << tcp << "" << QVariantList{};
        QTest::newRow("USB disconnects its route")
            << QList<int>{R::USB} << 0 << usb << "DisconnectComPort" << QVariantList{};
        QTest::newRow("USB blocked by ETHERNET") << QList<int>{R::TCP} << 1 << usb << "" << QVariantList{};
        QTest::newRow("RS-232 connects when idle")
            << QList<int>{} << 2 << rs232 << "ConnectTcp232" << QVariantList{"127.0.0.1", 4001};
        QTest::newRow("RS-232 disconnects its route")
            << QList<int>{R::TCP232} << 0 << rs232 << "DisconnectTcp232" << QVariantList{};
        QTest::newRow("RS-232 blocked by RS-485")
            << QList<int>{R::TCP485} << 2 << rs232 << "" << QVariantList{};
        QTest::newRow("RS-232 blocked by ETHERNET")
            << QList<int>{R::TCP} << 2 << rs232 << "" << QVariantList{};
        QTest::newRow("RS-232 blocked by USB") << QList<int>{R::USB} << 2 << rs232 << "" << QVariantList{};
        QTest::newRow("RS-485 connects when idle")
            << QList<int>{} << 2 << rs485 << "ConnectTcp485" << QVariantList{"127.0.0.1", 4002};
        QTest::newRow("RS-485 disconnects its route")
            << QList<int>{R::TCP485} << 0 << rs485 << "DisconnectTcp485" << QVariantList{};
        QTest::newRow("RS-485 blocked by RS-232")
            << QList<int>{R::TCP232} << 2 << rs485 << "" << QVariantList{};
        QTest::newRow("RS-485 blocked by ETHERNET")
            << QList<int>{R::TCP} << 2 << rs485 << "" << QVariantList{};
        QTest::newRow("abort RS-232 when idle")
            << QList<int>{} << 0 << abort232 << "AbortTcp232" << QVariantList{};
        QTest::newRow("abort RS-232 over RS-485")
            << QList<int>{R::TCP485} << 0 << abort232 << "AbortTcp232" << QVariantList{};
        QTest::newRow("abort RS-232 on its own route")
            << QList<int>{R::TCP232} << 2 << abort232 << "AbortTcp232" << QVariantList{};
        QTest::newRow("abort RS-485 when idle")
            << QList<int>{} << 0 << abort485 << "AbortTcp485" << QVariantList{};
        QTest::newRow("abort RS-485 over RS-232")
            << QList<int>{R::TCP232} << 0 << abort485 << "AbortTcp485" << QVariantList{};
    }

    void buttonRequests()
    {
        QFETCH(QList<int>, routesUp);
        QFETCH(int, model);
        QFETCH(Panel::Control, button);
        QFETCH(QString, expected);
        QFETCH(QVariantList, arguments);

        CommSettings panel;
        panel.show();
        QVERIFY(QTest::qWaitForWindowExposed(&panel));
        Panel driver(panel);
        driver.retype(Panel::EthernetAddress, "127.0.0.1");
        driver.retype(Panel::EthernetPort, "5020");
        driver.retype(Panel::DataAddress, "127.0.0.1");
        driver.retype(Panel::Port232, "4001");
        driver.retype(Panel::Port485, "4002");
        for (int route : routesUp)
            panel.SetUiConnectionStatus(CommSettings::eRoute_t(route), true);
        panel.SetUiSelectedDeviceStatus(model);

        QAbstractButton *pressed = driver.button(button);
        QVERIFY2(pressed->isEnabledTo(&panel), "the case needs a usable button");
        SignalLog log(&panel);
        QTest::mouseClick(pressed, Qt::LeftButton);

        QCOMPARE(log.emitted(), expected.isEmpty() ? QStringList() : QStringList{expected});
        if (!expected.isEmpty())
            QCOMPARE(log.arguments(expected), arguments);
        // The data-port buttons lock until the main window reports a route.
        if (button == Panel::Button232 || button == Panel::Button485)
            QVERIFY(!pressed->isEnabledTo(&panel));
    }

    void readCurrentAddress()
    {
        CommSettings panel;
        QAbstractButton *read = Panel(panel).button(Panel::CurrentAddressButton);
        QVERIFY(!read->isEnabled());
        panel.SetUiConnectionStatus(CommSettings::TCP, true);
        QVERIFY(read->isEnabled());

        SignalLog log(&panel);
        QTest::mouseClick(read, Qt::LeftButton);
        QCOMPARE(log.emitted(), QStringList{"WriteData"});
        // "AT+CURRENT_IP" CR LF
        QCOMPARE(log.arguments("WriteData").value(0).toByteArray(),
                 QByteArray::fromHex("41542B43555252454E545F49500D0A"));

        panel.SetCurrentIp(QByteArray("192.168.1.40"));
        QCOMPARE(Panel(panel).text(Panel::CurrentAddress), QStringLiteral("192.168.1.40"));
    }

    // The button asks for the chosen port, by the name its source gave. The
    // names here are not the machine's ports, so the request's info is empty
    // and the chosen name is what the window opens; with no port listed the
    // request names none.
    void usbButtonOpensSelectedPort()
    {
        CommSettings panel;
        Panel driver(panel);
        Driver::FakePorts ports{{QStringLiteral("ttyACM0"), QStringLiteral("/dev/telvor-test-port")}};
        const QStringList names = ports.names;
        panel.SetPortSource(ports.source());
        driver.click(Panel::RefreshPortsButton);
        QCOMPARE(driver.comPorts()->count(), 2);

        for (int i = 0; i < names.size(); ++i) {
            driver.comPorts()->setCurrentIndex(i);
            SignalLog log(&panel);
            driver.click(Panel::UsbButton);
            QCOMPARE(log.emitted(), QStringList{"ConnectComPort"});
            QCOMPARE(panel.SelectedPortName(), names.at(i));
        }

        ports.names.clear();
        driver.click(Panel::RefreshPortsButton);
        SignalLog log(&panel);
        driver.click(Panel::UsbButton);
        QCOMPARE(log.emitted(), QStringList{"ConnectComPort"});
        QVERIFY(log.arguments("ConnectComPort").value(0).value<QSerialPortInfo>().portName().isEmpty());
        QVERIFY(panel.SelectedPortName().isEmpty());
    }

    void connectionLook_data()
    {
        QTest::addColumn<int>("route");
        QTest::addColumn<bool>("up");
        QTest::addColumn<Panel::Controls>("enabled");
        QTest::addColumn<Panel::Controls>("disabled");
        QTest::addColumn<QString>("header");
        QTest::addColumn<QString>("headerSheet");
        QTest::addColumn<QString>("button");
        QTest::addColumn<QString>("buttonSheet");
        QTest::addColumn<QString>("buttonText");

        const QString green = "background-color:green", red = "background-color:red";
        QTest::newRow("ETHERNET up") << int(CommSettings::TCP) << true << CurrentAddressControls
                                     << UsbControls + TcpGroupControls << Panel::nameOf(Panel::EthernetHeader)
                                     << green << Panel::nameOf(Panel::EthernetButton)
                                     << iconSheet("ethernet_disconnect.png") << "";
        QTest::newRow("ETHERNET down")
            << int(CommSettings::TCP) << false << UsbControls << CurrentAddressControls
            << Panel::nameOf(Panel::EthernetHeader) << red << Panel::nameOf(Panel::EthernetButton)
            << iconSheet("ethernet.png") << "";
        QTest::newRow("USB up") << int(CommSettings::USB) << true << CurrentAddressControls
                                << EthernetControls + TcpGroupControls << Panel::nameOf(Panel::UsbHeader)
                                << green << Panel::nameOf(Panel::UsbButton) << iconSheet("usb_disconnect.png")
                                << "";
        QTest::newRow("USB down") << int(CommSettings::USB) << false << EthernetControls
                                  << CurrentAddressControls << Panel::nameOf(Panel::UsbHeader) << red
                                  << Panel::nameOf(Panel::UsbButton) << iconSheet("usb_connect.png") << "";
        const Panel::Controls sharedUp{Panel::Port232Label, Panel::Port485Label, Panel::DataAddressLabel,
                                       Panel::DataAddress};
        const Panel::Controls sharedDown = EthernetEntries + UsbControls + CurrentAddressControls;
        QTest::newRow("RS-232 up") << int(CommSettings::TCP232) << true
                                   << sharedUp +
                                          Panel::Controls{Panel::Button232, Panel::Port232, Panel::Abort485}
                                   << sharedDown +
                                          Panel::Controls{Panel::Button485, Panel::Port485, Panel::Abort232}
                                   << Panel::nameOf(Panel::DataHeader) << green
                                   << Panel::nameOf(Panel::Button232) << ""
                                   << "Disconnect";
        QTest::newRow("RS-232 down") << int(CommSettings::TCP232) << false
                                     << TcpGroupControls + Panel::Controls{Panel::Abort232}
                                     << Panel::Controls{} << Panel::nameOf(Panel::DataHeader) << red
                                     << Panel::nameOf(Panel::Button232) << ""
                                     << "Connect";
        QTest::newRow("RS-485 up") << int(CommSettings::TCP485) << true
                                   << sharedUp +
                                          Panel::Controls{Panel::Button485, Panel::Port485, Panel::Abort232}
                                   << sharedDown +
                                          Panel::Controls{Panel::Button232, Panel::Port232, Panel::Abort485}
                                   << Panel::nameOf(Panel::DataHeader) << green
                                   << Panel::nameOf(Panel::Button485) << ""
                                   << "Disconnect";
        QTest::newRow("RS-485 down") << int(CommSettings::TCP485) << false
                                     << TcpGroupControls + Panel::Controls{Panel::Abort485}
                                     << Panel::Controls{} << Panel::nameOf(Panel::DataHeader) << red
                                     << Panel::nameOf(Panel::Button485) << ""
                                     << "Connect";
        QTest::newRow("no route changes nothing")
            << int(CommSettings::Max) << true << Panel::Controls{} << Panel::Controls{} << ""
            << ""
            << ""
            << ""
            << "";
    }

    void connectionLook()
    {
        QFETCH(int, route);
        QFETCH(bool, up);
        QFETCH(Panel::Controls, enabled);
        QFETCH(Panel::Controls, disabled);
        QFETCH(QString, header);
        QFETCH(QString, headerSheet);
        QFETCH(QString, button);
        QFETCH(QString, buttonSheet);
        QFETCH(QString, buttonText);

        // Run once from an all-enabled and once from an all-disabled panel, so
        // that widgets the row leaves alone show that they kept their state.
        for (const bool before : {true, false}) {
            CommSettings panel;
            if (route != CommSettings::Max)
                panel.SetUiConnectionStatus(CommSettings::eRoute_t(route), !up);
            setAllEnabled(panel, before);
            LookSnapshot expected = snapshot(panel);
            if (!header.isEmpty())
                expected.headerSheets[header] = headerSheet;
            if (!buttonSheet.isEmpty())
                expected.buttonSheets[button] = buttonSheet;
            if (!buttonText.isEmpty())
                expected.buttonTexts[button] = buttonText;

            panel.SetUiConnectionStatus(CommSettings::eRoute_t(route), up);

            checkEnabledStates(panel, enabled, disabled, before);
            const LookSnapshot after = snapshot(panel);
            QCOMPARE(after.headerSheets, expected.headerSheets);
            QCOMPARE(after.buttonSheets, expected.buttonSheets);
            QCOMPARE(after.buttonTexts, expected.buttonTexts);
        }
    }

    void deviceModelLook_data()
    {
        QTest::addColumn<int>("model");
        QTest::addColumn<Panel::Controls>("enabled");
        QTest::addColumn<Panel::Controls>("disabled");

        const Panel::Controls ethernetModel = UsbControls + CurrentAddressControls + EthernetControls +
                                              Panel::Controls{Panel::CurrentAddressLabel};
        const Panel::Controls gsmModel =
            TcpGroupControls + Panel::Controls{Panel::DataHeader, Panel::Abort232, Panel::Abort485};
        QTest::newRow("Ethernet modem") << 1 << ethernetModel << gsmModel;
        QTest::newRow("GSM modem") << 2 << gsmModel << ethernetModel;
        QTest::newRow("no model") << 0 << Panel::Controls{} << Panel::Controls{};
        QTest::newRow("unknown model") << 3 << Panel::Controls{} << Panel::Controls{};
    }

    void deviceModelLook()
    {
        QFETCH(int, model);
        QFETCH(Panel::Controls, enabled);
        QFETCH(Panel::Controls, disabled);

        for (const bool before : {true, false}) {
            CommSettings panel;
            panel.SetUiConnectionStatus(CommSettings::USB, true);
            setAllEnabled(panel, before);
            const LookSnapshot look = snapshot(panel);

            panel.SetUiSelectedDeviceStatus(model);

            checkEnabledStates(panel, enabled, disabled, before);
            const LookSnapshot after = snapshot(panel);
            QCOMPARE(after.headerSheets, look.headerSheets);
            QCOMPARE(after.buttonSheets, look.buttonSheets);
        }
    }

    void mainWindowShowsTheModelsGroups_data()
    {
        QTest::addColumn<int>("model");
        QTest::newRow("Ethernet modem") << 1;
        QTest::newRow("GSM modem") << 2;
    }

    void mainWindowShowsTheModelsGroups()
    {
        QFETCH(int, model);
        TelvorConfigurator window(nullptr, model);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        const Panel driver(window);
        QVERIFY(driver.widget()->isVisible());

        const Panel::Controls ethernetAndUsb{Panel::EthernetAddress, Panel::EthernetPort,
                                             Panel::EthernetButton,  Panel::UsbButton,
                                             Panel::ComPorts,        Panel::RefreshPortsButton};
        const Panel::Controls dataPorts{Panel::DataAddress, Panel::Port232,  Panel::Port485, Panel::Button232,
                                        Panel::Button485,   Panel::Abort232, Panel::Abort485};
        for (const Panel::Control control : ethernetAndUsb)
            QVERIFY2(driver.control(control)->isEnabled() == (model == 1),
                     qPrintable(Panel::nameOf(control)));
        for (const Panel::Control control : dataPorts)
            QVERIFY2(driver.control(control)->isEnabled() == (model == 2),
                     qPrintable(Panel::nameOf(control)));
    }
};

TELVOR_TEST_MAIN(TestCommSettings)
#include "tst_commsettings.moc"
