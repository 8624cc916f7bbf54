#include "tool.h"
#include "devicetest.h"

#include <QAbstractButton>
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QSpinBox>
#include <QStatusBar>
#include <QtTest>

namespace DeviceTest {

namespace {

// The page shows the RS-485 baud rate of both records; the factory record's
// is 9600 (index 5) on both ports, the marked record's 1200 (index 2).
const int FactoryBaudIndex = 5;
const int MarkedBaudIndex = 2;

struct RouteControls
{
    const char *connectButton;
    const char *upText; // USB: "Connected " and the port's name
};

RouteControls controlsOf(CommSettings::eRoute_t route)
{
    switch (route) {
    case CommSettings::USB:
        return {"pushButton_UsbConnect", nullptr};
    case CommSettings::TCP232:
        return {"pushButton_232Connect", "Tcp 232 Port Connected"};
    case CommSettings::TCP485:
        return {"pushButton_485Connect", "Tcp 485 Port Connected"};
    default:
        return {"pushButton_TcpConnect", "Tcp Connected"};
    }
}

} // namespace

Tool::Tool(eDeviceModel_t model) : Tool(model, CommSettings::Max) {}

Tool::Tool(CommSettings::eRoute_t route) : Tool(modelFor(route), route) {}

Tool::Tool(eDeviceModel_t model, CommSettings::eRoute_t route) : route(route), window(nullptr, model)
{
    panel = window.findChild<CommSettings *>();
    page = window.findChild<TransparentConfig *>();
    statusBar = window.findChild<QStatusBar *>();
    if (!panel || !page || !statusBar)
        fail(QStringLiteral("panel, page or status bar"));
    connect(statusBar, &QStatusBar::messageChanged, this, [this](const QString &text) {
        if (!text.isEmpty())
            statusLog.append(text);
    });
    window.show();
    if (!QTest::qWaitForWindowExposed(&window))
        qWarning("The main window was not exposed");
}

Tool::~Tool() = default;

void Tool::fail(const QString &name)
{
    qFatal("The main window has no \"%s\"", qPrintable(name));
}

int Tool::comboIndex(const QString &comboBoxName) const
{
    return find<QComboBox>(comboBoxName)->currentIndex();
}

void Tool::click(const QString &buttonName)
{
    QTest::mouseClick(find<QAbstractButton>(buttonName), Qt::LeftButton);
}

void Tool::type(const QString &lineEditName, const QString &text)
{
    auto *edit = find<QLineEdit>(lineEditName);
    edit->setFocus();
    edit->selectAll();
    QTest::keyClick(edit, Qt::Key_Backspace);
    QTest::keyClicks(edit, text);
    QTest::keyClick(edit, Qt::Key_Return);
}

void Tool::typeNumber(const QString &spinBoxName, int value)
{
    auto *box = find<QSpinBox>(spinBoxName);
    box->setFocus();
    box->selectAll();
    QTest::keyClicks(box, QString::number(value));
    QTest::keyClick(box, Qt::Key_Return);
}

void Tool::choose(const QString &comboBoxName, int index)
{
    find<QComboBox>(comboBoxName)->setCurrentIndex(index);
}

void Tool::trigger(const QString &actionName)
{
    action(actionName)->trigger();
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
    type(QStringLiteral("lineEdit_ServerIp"), Loopback);
    type(QStringLiteral("lineEdit_ServerPort"), QString::number(port));
    click(QStringLiteral("pushButton_TcpConnect"));
}

void Tool::connectDataPort(CommSettings::eRoute_t route, quint16 port)
{
    type(QStringLiteral("lineEdit_TcpServerIp"), Loopback);
    if (route == CommSettings::TCP232) {
        type(QStringLiteral("lineEdit_ServerPort232"), QString::number(port));
        click(QStringLiteral("pushButton_232Connect"));
    } else {
        type(QStringLiteral("lineEdit_ServerPort485"), QString::number(port));
        click(QStringLiteral("pushButton_485Connect"));
    }
}

void Tool::connectRoute(CommSettings::eRoute_t route, quint16 port)
{
    if (route == CommSettings::TCP)
        connectEthernet(port);
    else
        connectDataPort(route, port);
}

void Tool::connectTo(CommSettings::eRoute_t route, devsim::DeviceSimulator &device)
{
    switch (route) {
    case CommSettings::USB:
        window.openSerialPort(device.usbPath());
        break;
    case CommSettings::TCP232:
        connectDataPort(route, device.port232());
        break;
    case CommSettings::TCP485:
        connectDataPort(route, device.port485());
        break;
    default:
        connectEthernet(device.configPort());
        break;
    }
}

void Tool::connectTo(devsim::DeviceSimulator &device)
{
    if (route == CommSettings::Max)
        fail(QStringLiteral("route of its own"));
    connectTo(route, device);
}

void Tool::disconnect()
{
    click(QLatin1String(controlsOf(route).connectButton));
}

bool Tool::waitForRecord(Record record, int timeoutMs) const
{
    // On the RS-232 data port the factory record shows first on its own port.
    const QString box = record == Record::Factory && route == CommSettings::TCP232
                            ? QStringLiteral("comboBox_Baud_232")
                            : QStringLiteral("comboBox_Baud_485");
    const int index = record == Record::Factory ? FactoryBaudIndex : MarkedBaudIndex;
    return QTest::qWaitFor([&] { return comboIndex(box) == index; }, timeoutMs);
}

bool Tool::routeUp() const
{
    return action(QStringLiteral("actionGET_INFO"))->isEnabled();
}

bool Tool::sawRouteUp() const
{
    const char *upText = controlsOf(route).upText;
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
    return action(QStringLiteral("actionRESTART_DEVICE"))->isEnabled() == restart &&
           action(QStringLiteral("actionGET_INFO"))->isEnabled() == info &&
           action(QStringLiteral("actionPING"))->isEnabled() == ping;
}

bool Tool::modelActionsEnabled() const
{
    const bool ethernet = action(QStringLiteral("actionEthernet_Modem"))->isEnabled();
    const bool gsm = action(QStringLiteral("actionGSM_Modem"))->isEnabled();
    if (ethernet != gsm)
        qWarning("The two model actions disagree");
    return ethernet && gsm;
}

bool Tool::isIdle() const
{
    return !page->isEnabled() && commandsEnabled(false, false, false) && modelActionsEnabled();
}

QStringList Tool::pageState() const
{
    QStringList state;
    for (const QComboBox *box : page->findChildren<QComboBox *>())
        state << box->objectName() + QLatin1Char('=') + QString::number(box->currentIndex());
    for (const QSpinBox *box : page->findChildren<QSpinBox *>())
        state << QStringLiteral("%1=%2%3").arg(box->objectName()).arg(box->value()).arg(box->suffix());
    for (const QLineEdit *edit : page->findChildren<QLineEdit *>()) {
        if (!edit->objectName().isEmpty())
            state << edit->objectName() + QLatin1Char('=') + edit->text();
    }
    for (const QCheckBox *box : page->findChildren<QCheckBox *>())
        state << box->objectName() + QLatin1Char('=') + QString::number(box->checkState());
    return state;
}

} // namespace DeviceTest
