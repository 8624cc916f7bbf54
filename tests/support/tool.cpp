#include "tool.h"

#include "transparentconfig.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QLineEdit>
#include <QSpinBox>
#include <QStatusBar>
#include <QtTest>

namespace Driver {

namespace {

// The page shows the RS-485 baud rate of both records; the factory record's
// is 9600 (index 5) on both ports, the marked record's 1200 (index 2).
const int FactoryBaudIndex = 5;
const int MarkedBaudIndex = 2;

// What a route shows once up; USB shows "Connected " and the port's name.
const char *upTextOf(CommSettings::eRoute_t route)
{
    switch (route) {
    case CommSettings::USB:
        return nullptr;
    case CommSettings::TCP232:
        return "Tcp 232 Port Connected";
    case CommSettings::TCP485:
        return "Tcp 485 Port Connected";
    default:
        return "Tcp Connected";
    }
}

} // namespace

Tool::Tool(eDeviceModel_t model, int exposeTimeoutMs) : Tool(model, CommSettings::Max, exposeTimeoutMs) {}

Tool::Tool(CommSettings::eRoute_t route) : Tool(modelFor(route), route, 5000) {}

Tool::Tool(eDeviceModel_t model, CommSettings::eRoute_t route, int exposeTimeoutMs)
    : route(route), window(nullptr, model), panel(window), page(window)
{
    statusBar = window.findChild<QStatusBar *>();
    if (!statusBar)
        missingWidget(window, QStringLiteral("status bar"));
    connect(statusBar, &QStatusBar::messageChanged, this, [this](const QString &text) {
        if (!text.isEmpty())
            statusLog.append(text);
    });
    window.show();
    if (!QTest::qWaitForWindowExposed(&window, exposeTimeoutMs))
        qWarning("The main window was not exposed");
}

Tool::~Tool() = default;

eDeviceModel_t Tool::modelFor(CommSettings::eRoute_t route)
{
    return route == CommSettings::TCP232 || route == CommSettings::TCP485 ? eGsmModem : eEthernetModem;
}

QAction *Tool::action(Command command) const
{
    return commandAction(window, command);
}

void Tool::typeNumber(Setting setting, Port port, int value)
{
    Driver::typeNumber(page.spinBox(setting, port), value);
}

void Tool::trigger(Command command)
{
    action(command)->trigger();
}

QString Tool::status() const
{
    return statusBar->currentMessage();
}

bool Tool::waitForStatus(const QString &text, int timeoutMs) const
{
    QDeadlineTimer deadline(timeoutMs);
    while (!sawStatus(text) && !deadline.hasExpired())
        QTest::qWait(10);
    return sawStatus(text);
}

QStringList Tool::errorTexts() const
{
    return statusLog.filter(QStringLiteral("Error :"));
}

void Tool::connectEthernet(quint16 port)
{
    panel.connectEthernet(Loopback, port);
}

void Tool::connectDataPort(CommSettings::eRoute_t route, quint16 port)
{
    panel.connectDataPort(route, Loopback, port);
}

void Tool::connectRoute(CommSettings::eRoute_t route, quint16 port)
{
    panel.connectRoute(route, Loopback, port);
}

void Tool::connectTo(CommSettings::eRoute_t route, const DeviceUnderTest &device)
{
    const DeviceAddress address = device.address();
    switch (route) {
    case CommSettings::USB:
        panel.connectUsb(address.usbPath);
        break;
    case CommSettings::TCP232:
        panel.connectDataPort(route, address.host, address.port232);
        break;
    case CommSettings::TCP485:
        panel.connectDataPort(route, address.host, address.port485);
        break;
    default:
        panel.connectEthernet(address.host, address.configPort);
        break;
    }
}

void Tool::connectTo(const DeviceUnderTest &device)
{
    if (route == CommSettings::Max)
        missingWidget(window, QStringLiteral("route of its own"));
    connectTo(route, device);
}

void Tool::disconnect()
{
    panel.click(Panel::buttonOf(route));
}

bool Tool::waitForRecord(Record record, int timeoutMs) const
{
    // On the RS-232 data port the factory record shows first on its own port.
    const Port port = record == Record::Factory && route == CommSettings::TCP232 ? Port::Rs232 : Port::Rs485;
    return waitForBaud(port, record == Record::Factory ? FactoryBaudIndex : MarkedBaudIndex, timeoutMs);
}

bool Tool::waitForBaud(Port port, int index, int timeoutMs) const
{
    QComboBox *box = page.comboBox(Setting::Baud, port);
    return QTest::qWaitFor([box, index] { return box->currentIndex() == index; }, timeoutMs);
}

bool Tool::routeUp() const
{
    return action(Command::GetInfo)->isEnabled();
}

bool Tool::sawRouteUp() const
{
    const char *upText = upTextOf(route);
    for (const QString &text : statusLog) {
        if (upText ? text == QLatin1String(upText)
                   : text.startsWith(QLatin1String("Connected ")) &&
                         text != QLatin1String("Connected Succesfully"))
            return true;
    }
    return false;
}

bool Tool::commandsEnabled(bool restart, bool info, bool ping) const
{
    return action(Command::Restart)->isEnabled() == restart &&
           action(Command::GetInfo)->isEnabled() == info && action(Command::Ping)->isEnabled() == ping;
}

bool Tool::modelActionsEnabled() const
{
    const bool ethernet = action(Command::EthernetModel)->isEnabled();
    const bool gsm = action(Command::GsmModel)->isEnabled();
    if (ethernet != gsm)
        qWarning("The two model actions disagree");
    return ethernet && gsm;
}

bool Tool::isIdle() const
{
    return !pageEnabled() && commandsEnabled(false, false, false) && modelActionsEnabled();
}

bool Tool::pageEnabled() const
{
    return page.widget()->isEnabled();
}

} // namespace Driver
