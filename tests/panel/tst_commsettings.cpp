// The connection panel, driven as a technician drives it: typing into its
// entries, pressing its buttons, and receiving the main window's route reports.
// Expected widget states, texts and frames are typed out from the panel's
// contract; nothing is derived from the code under test.

#include "commsettings.h"
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

namespace {

// Widget groups of the panel's contract.
const QStringList UsbControls{"pushButton_RefreshCOM", "comboBox_COMPorts", "pushButton_UsbConnect",
                              "label_USB_Settings", "label_COMPort"};
const QStringList EthernetEntries{"lineEdit_ServerIp", "lineEdit_ServerPort"};
const QStringList EthernetControls =
    EthernetEntries +
    QStringList{"pushButton_TcpConnect", "label_ServerPort", "label_ServverIp", "label_TcpSettings"};
const QStringList CurrentAddressControls{"pushButton_GetIpAddr", "lineEdit_CurrentIpAddr"};
const QStringList TcpGroupControls{
    "label_ServerPort232",   "label_ServerPort485",    "label_TcpServerIp",      "pushButton_232Connect",
    "pushButton_485Connect", "lineEdit_ServerPort232", "lineEdit_ServerPort485", "lineEdit_TcpServerIp"};
const QStringList AllControls =
    UsbControls + EthernetControls + CurrentAddressControls + TcpGroupControls +
    QStringList{"label", "label_TCP2Settings", "pushButton_Abort232", "pushButton_Abort485"};
const QStringList Headers{"label_TcpSettings", "label_USB_Settings", "label_TCP2Settings"};
const QStringList RouteButtons{"pushButton_TcpConnect", "pushButton_UsbConnect", "pushButton_232Connect",
                               "pushButton_485Connect"};

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

// Replaces the entry's text by typing, then finishes the edit with Return.
void typeInto(QLineEdit *entry, const QString &text)
{
    QTest::keyClick(entry, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClick(entry, Qt::Key_Backspace);
    QTest::keyClicks(entry, text);
    QTest::keyClick(entry, Qt::Key_Return);
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

LookSnapshot snapshot(QWidget &panel)
{
    LookSnapshot look;
    for (const QString &name : Headers)
        look.headerSheets[name] = panel.findChild<QLabel *>(name)->styleSheet();
    for (const QString &name : RouteButtons) {
        const auto *button = panel.findChild<QPushButton *>(name);
        look.buttonSheets[name] = button->styleSheet();
        look.buttonTexts[name] = button->text();
    }
    return look;
}

void setAllEnabled(QWidget &panel, bool enabled)
{
    for (const QString &name : AllControls)
        panel.findChild<QWidget *>(name)->setEnabled(enabled);
}

// Each listed widget is enabled or disabled as expected; every other control
// keeps the state it had before.
void checkEnabledStates(QWidget &panel, const QStringList &enabled, const QStringList &disabled, bool before)
{
    for (const QString &name : AllControls) {
        const bool expected = enabled.contains(name) ? true : disabled.contains(name) ? false : before;
        QWidget *widget = panel.findChild<QWidget *>(name);
        QVERIFY2(widget, qPrintable(name));
        QVERIFY2(widget->isEnabledTo(&panel) == expected,
                 qPrintable(QStringLiteral("%1 should be %2").arg(name, expected ? "enabled" : "disabled")));
    }
}

} // namespace

class TestCommSettings : public QObject
{
    Q_OBJECT

private:
    template <typename T> static T *child(QWidget &panel, const QString &name)
    {
        T *widget = panel.findChild<T *>(name);
        if (!widget)
            qFatal("panel has no widget %s", qPrintable(name));
        return widget;
    }

private slots:
    void initTestCase() { qRegisterMetaType<QSerialPortInfo>(); }
    void init() { TestSupport::clearSettings(); }

    void savedEntriesSurviveRestart_data()
    {
        QTest::addColumn<QString>("entry");
        QTest::addColumn<QString>("key");
        QTest::addColumn<QString>("typed");
        QTest::newRow("ETHERNET address") << "lineEdit_ServerIp"
                                          << "Ip"
                                          << "10.1.2.3";
        QTest::newRow("ETHERNET port") << "lineEdit_ServerPort"
                                       << "Port"
                                       << "1502";
        QTest::newRow("data-port address") << "lineEdit_TcpServerIp"
                                           << "IpTcp"
                                           << "127.0.0.1";
        QTest::newRow("RS-232 port") << "lineEdit_ServerPort232"
                                     << "Port232"
                                     << "4001";
        QTest::newRow("RS-485 port") << "lineEdit_ServerPort485"
                                     << "Port485"
                                     << "4002";
    }

    void savedEntriesSurviveRestart()
    {
        QFETCH(QString, entry);
        QFETCH(QString, key);
        QFETCH(QString, typed);
        const QMap<QString, QString> placeholders{{"lineEdit_ServerIp", "192.168.0.20"},
                                                  {"lineEdit_ServerPort", "502"},
                                                  {"lineEdit_TcpServerIp", ""},
                                                  {"lineEdit_ServerPort232", "501"},
                                                  {"lineEdit_ServerPort485", "500"}};
        {
            CommSettings first;
            typeInto(child<QLineEdit>(first, entry), typed);
        }
        QCOMPARE(storedValue(key), QVariant(typed));

        CommSettings second;
        for (auto it = placeholders.cbegin(); it != placeholders.cend(); ++it) {
            const QLineEdit *edit = child<QLineEdit>(second, it.key());
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
        QTest::addColumn<QString>("entry");
        QTest::addColumn<QString>("key");
        QTest::addColumn<QString>("saved");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<bool>("accepted");

        const QList<QPair<QString, QString>> ports{{"lineEdit_ServerPort", "Port"},
                                                   {"lineEdit_ServerPort232", "Port232"},
                                                   {"lineEdit_ServerPort485", "Port485"}};
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
        QTest::newRow("Port reverts to nothing when nothing was saved") << "lineEdit_ServerPort"
                                                                        << "Port"
                                                                        << ""
                                                                        << "70000" << false;

        const QList<QPair<QString, QString>> addresses{{"lineEdit_ServerIp", "Ip"},
                                                       {"lineEdit_TcpServerIp", "IpTcp"}};
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
        QTest::newRow("IpTcp reverts to nothing when nothing was saved") << "lineEdit_TcpServerIp"
                                                                         << "IpTcp"
                                                                         << ""
                                                                         << "192.168.0" << false;
    }

    void entryCheck()
    {
        QFETCH(QString, entry);
        QFETCH(QString, key);
        QFETCH(QString, saved);
        QFETCH(QString, typed);
        QFETCH(bool, accepted);

        CommSettings panel;
        QLineEdit *edit = child<QLineEdit>(panel, entry);
        if (!saved.isEmpty()) {
            typeInto(edit, saved);
            QCOMPARE(storedValue(key), QVariant(saved));
        }

        TestSupport::MessageBoxAnswerer boxes;
        typeInto(edit, typed);
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
        QTest::mouseClick(child<QPushButton>(panel, "pushButton_TcpConnect"), Qt::LeftButton);
        QCOMPARE(log.emitted(), QStringList{"ConnectTcp"});
        QCOMPARE(log.arguments("ConnectTcp"), (QVariantList{QString(), 0}));
    }

    void buttonRequests_data()
    {
        QTest::addColumn<QList<int>>("routesUp");
        QTest::addColumn<int>("model");
        QTest::addColumn<QString>("button");
        QTest::addColumn<QString>("expected");
        QTest::addColumn<QVariantList>("arguments");

        using R = CommSettings;
        const QString tcp = "pushButton_TcpConnect", usb = "pushButton_UsbConnect";
        const QString rs232 = "pushButton_232Connect", rs485 = "pushButton_485Connect";
        const QString abort232 = "pushButton_Abort232", abort485 = "pushButton_Abort485";
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
        QFETCH(QString, button);
        QFETCH(QString, expected);
        QFETCH(QVariantList, arguments);

        CommSettings panel;
        panel.show();
        QVERIFY(QTest::qWaitForWindowExposed(&panel));
        typeInto(child<QLineEdit>(panel, "lineEdit_ServerIp"), "127.0.0.1");
        typeInto(child<QLineEdit>(panel, "lineEdit_ServerPort"), "5020");
        typeInto(child<QLineEdit>(panel, "lineEdit_TcpServerIp"), "127.0.0.1");
        typeInto(child<QLineEdit>(panel, "lineEdit_ServerPort232"), "4001");
        typeInto(child<QLineEdit>(panel, "lineEdit_ServerPort485"), "4002");
        for (int route : routesUp)
            panel.SetUiConnectionStatus(CommSettings::eRoute_t(route), true);
        panel.SetUiSelectedDeviceStatus(model);

        QPushButton *pressed = child<QPushButton>(panel, button);
        QVERIFY2(pressed->isEnabledTo(&panel), "the case needs a usable button");
        SignalLog log(&panel);
        QTest::mouseClick(pressed, Qt::LeftButton);

        QCOMPARE(log.emitted(), expected.isEmpty() ? QStringList() : QStringList{expected});
        if (!expected.isEmpty())
            QCOMPARE(log.arguments(expected), arguments);
        // The data-port buttons lock until the main window reports a route.
        if (button == "pushButton_232Connect" || button == "pushButton_485Connect")
            QVERIFY(!pressed->isEnabledTo(&panel));
    }

    void readCurrentAddress()
    {
        CommSettings panel;
        QPushButton *read = child<QPushButton>(panel, "pushButton_GetIpAddr");
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
        QCOMPARE(child<QLineEdit>(panel, "lineEdit_CurrentIpAddr")->text(), QStringLiteral("192.168.1.40"));
    }

    // The list shows the machine's serial ports as "name(description)"; the USB
    // button asks for the selected one by its name. Without any port the list
    // is empty and the request carries no port.
    void usbButtonOpensSelectedPort()
    {
        CommSettings panel;
        QComboBox *list = child<QComboBox>(panel, "comboBox_COMPorts");
        QPushButton *usb = child<QPushButton>(panel, "pushButton_UsbConnect");
        QTest::mouseClick(child<QPushButton>(panel, "pushButton_RefreshCOM"), Qt::LeftButton);

        const QList<QSerialPortInfo> machinePorts = QSerialPortInfo::availablePorts();
        QCOMPARE(list->count(), machinePorts.size());
        QCOMPARE(list->findText("COM20"), -1);

        if (machinePorts.isEmpty()) {
            SignalLog log(&panel);
            QTest::mouseClick(usb, Qt::LeftButton);
            QCOMPARE(log.emitted(), QStringList{"ConnectComPort"});
            QVERIFY(log.arguments("ConnectComPort").value(0).value<QSerialPortInfo>().portName().isEmpty());
            QSKIP("This machine has no serial port: a request for a listed port was not checked");
        }
        for (int i = 0; i < machinePorts.size(); ++i) {
            const QSerialPortInfo &port = machinePorts.at(i);
            QCOMPARE(list->itemText(i), port.portName() + "(" + port.description() + ")");
            list->setCurrentIndex(i);
            SignalLog log(&panel);
            QTest::mouseClick(usb, Qt::LeftButton);
            QCOMPARE(log.emitted(), QStringList{"ConnectComPort"});
            const auto requested = log.arguments("ConnectComPort").value(0).value<QSerialPortInfo>();
            QCOMPARE(requested.portName(), port.portName());
            QCOMPARE(requested.systemLocation(), port.systemLocation());
        }
    }

    void connectionLook_data()
    {
        QTest::addColumn<int>("route");
        QTest::addColumn<bool>("up");
        QTest::addColumn<QStringList>("enabled");
        QTest::addColumn<QStringList>("disabled");
        QTest::addColumn<QString>("header");
        QTest::addColumn<QString>("headerSheet");
        QTest::addColumn<QString>("button");
        QTest::addColumn<QString>("buttonSheet");
        QTest::addColumn<QString>("buttonText");

        const QString green = "background-color:green", red = "background-color:red";
        QTest::newRow("ETHERNET up") << int(CommSettings::TCP) << true << CurrentAddressControls
                                     << UsbControls + TcpGroupControls << "label_TcpSettings" << green
                                     << "pushButton_TcpConnect" << iconSheet("ethernet_disconnect.png") << "";
        QTest::newRow("ETHERNET down")
            << int(CommSettings::TCP) << false << UsbControls << CurrentAddressControls << "label_TcpSettings"
            << red << "pushButton_TcpConnect" << iconSheet("ethernet.png") << "";
        QTest::newRow("USB up") << int(CommSettings::USB) << true << CurrentAddressControls
                                << EthernetControls + TcpGroupControls << "label_USB_Settings" << green
                                << "pushButton_UsbConnect" << iconSheet("usb_disconnect.png") << "";
        QTest::newRow("USB down") << int(CommSettings::USB) << false << EthernetControls
                                  << CurrentAddressControls << "label_USB_Settings" << red
                                  << "pushButton_UsbConnect" << iconSheet("usb_connect.png") << "";
        const QStringList sharedUp{"label_ServerPort232", "label_ServerPort485", "label_TcpServerIp",
                                   "lineEdit_TcpServerIp"};
        const QStringList sharedDown = EthernetEntries + UsbControls + CurrentAddressControls;
        QTest::newRow("RS-232 up") << int(CommSettings::TCP232) << true
                                   << sharedUp + QStringList{"pushButton_232Connect",
                                                             "lineEdit_ServerPort232", "pushButton_Abort485"}
                                   << sharedDown + QStringList{"pushButton_485Connect",
                                                               "lineEdit_ServerPort485",
                                                               "pushButton_Abort232"}
                                   << "label_TCP2Settings" << green << "pushButton_232Connect"
                                   << ""
                                   << "Disconnect";
        QTest::newRow("RS-232 down") << int(CommSettings::TCP232) << false
                                     << TcpGroupControls + QStringList{"pushButton_Abort232"} << QStringList{}
                                     << "label_TCP2Settings" << red << "pushButton_232Connect"
                                     << ""
                                     << "Connect";
        QTest::newRow("RS-485 up") << int(CommSettings::TCP485) << true
                                   << sharedUp + QStringList{"pushButton_485Connect",
                                                             "lineEdit_ServerPort485", "pushButton_Abort232"}
                                   << sharedDown + QStringList{"pushButton_232Connect",
                                                               "lineEdit_ServerPort232",
                                                               "pushButton_Abort485"}
                                   << "label_TCP2Settings" << green << "pushButton_485Connect"
                                   << ""
                                   << "Disconnect";
        QTest::newRow("RS-485 down") << int(CommSettings::TCP485) << false
                                     << TcpGroupControls + QStringList{"pushButton_Abort485"} << QStringList{}
                                     << "label_TCP2Settings" << red << "pushButton_485Connect"
                                     << ""
                                     << "Connect";
        QTest::newRow("no route changes nothing")
            << int(CommSettings::Max) << true << QStringList{} << QStringList{} << ""
            << ""
            << ""
            << ""
            << "";
    }

    void connectionLook()
    {
        QFETCH(int, route);
        QFETCH(bool, up);
        QFETCH(QStringList, enabled);
        QFETCH(QStringList, disabled);
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
        QTest::addColumn<QStringList>("enabled");
        QTest::addColumn<QStringList>("disabled");

        const QStringList ethernetModel =
            UsbControls + CurrentAddressControls + EthernetControls + QStringList{"label"};
        const QStringList gsmModel =
            TcpGroupControls +
            QStringList{"label_TCP2Settings", "pushButton_Abort232", "pushButton_Abort485"};
        QTest::newRow("Ethernet modem") << 1 << ethernetModel << gsmModel;
        QTest::newRow("GSM modem") << 2 << gsmModel << ethernetModel;
        QTest::newRow("no model") << 0 << QStringList{} << QStringList{};
        QTest::newRow("unknown model") << 3 << QStringList{} << QStringList{};
    }

    void deviceModelLook()
    {
        QFETCH(int, model);
        QFETCH(QStringList, enabled);
        QFETCH(QStringList, disabled);

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
        CommSettings *panel = window.findChild<CommSettings *>();
        QVERIFY(panel);
        QVERIFY(panel->isVisible());

        const QStringList ethernetAndUsb{"lineEdit_ServerIp",     "lineEdit_ServerPort",
                                         "pushButton_TcpConnect", "pushButton_UsbConnect",
                                         "comboBox_COMPorts",     "pushButton_RefreshCOM"};
        const QStringList dataPorts{"lineEdit_TcpServerIp",   "lineEdit_ServerPort232",
                                    "lineEdit_ServerPort485", "pushButton_232Connect",
                                    "pushButton_485Connect",  "pushButton_Abort232",
                                    "pushButton_Abort485"};
        for (const QString &name : ethernetAndUsb)
            QVERIFY2(child<QWidget>(*panel, name)->isEnabled() == (model == 1), qPrintable(name));
        for (const QString &name : dataPorts)
            QVERIFY2(child<QWidget>(*panel, name)->isEnabled() == (model == 2), qPrintable(name));
    }
};

TELVOR_TEST_MAIN(TestCommSettings)
#include "tst_commsettings.moc"
