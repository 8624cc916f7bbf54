#include "faultharness.h"

#include <QAbstractButton>
#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QSpinBox>
#include <QStatusBar>
#include <QtTest>

namespace Fault {

const QByteArray ReadAllRequest = QByteArrayLiteral("AT+READALL\r\n");

static const QString Loopback = QStringLiteral("127.0.0.1");
// Position of the RS-485 baud index in the port record, on both command sets.
static const int Baud485Position = 6;
static const int MarkerBaudIndex = 2;

Endpoint endpointOf(CommSettings::eRoute_t route)
{
    switch (route) {
    case CommSettings::USB:
        return Endpoint::Usb;
    case CommSettings::TCP232:
        return Endpoint::Rs232;
    case CommSettings::TCP485:
        return Endpoint::Rs485;
    default:
        return Endpoint::ConfigService;
    }
}

bool isDataPort(CommSettings::eRoute_t route)
{
    return route == CommSettings::TCP232 || route == CommSettings::TCP485;
}

QString receiveError(CommSettings::eRoute_t route, const QString &errorName)
{
    switch (route) {
    case CommSettings::USB:
        return QStringLiteral("SerialReceived Error : ") + errorName;
    case CommSettings::TCP232:
        return QStringLiteral("TCP232DataReceived Error :") + errorName;
    case CommSettings::TCP485:
        return QStringLiteral("TCP485DataReceived Error :") + errorName;
    default:
        return QStringLiteral("TCPDataReceived Error :") + errorName;
    }
}

std::unique_ptr<devsim::DeviceSimulator> startDevice(const devsim::Faults &faults)
{
    devsim::DeviceSimulator::Options options;
    options.model = devsim::Model::Both;
    options.usb = true;
    options.restartMs = 300;
    options.faults = faults;
    auto device = std::make_unique<devsim::DeviceSimulator>(options);
    QString error;
    if (!device->start(&error)) {
        qWarning("The simulated device does not start: %s", qPrintable(error));
        return nullptr;
    }
    for (Endpoint endpoint : {Endpoint::ConfigService, Endpoint::Rs232})
        device->setPortRecordValue(endpoint, Baud485Position, QByteArray::number(MarkerBaudIndex));
    return device;
}

Tool::Tool(CommSettings::eRoute_t route) : route(route), window(nullptr, isDataPort(route) ? 2 : 1)
{
    panel = window.findChild<CommSettings *>();
    page = window.findChild<TransparentConfig *>();
    statusBar = window.findChild<QStatusBar *>();
    if (!panel || !page || !statusBar)
        missing(QStringLiteral("panel, page or status bar"));
    connect(statusBar, &QStatusBar::messageChanged, this, [this](const QString &text) {
        if (!text.isEmpty())
            statusLog.append(text);
    });
    window.show();
    if (!QTest::qWaitForWindowExposed(&window))
        qWarning("The main window was not exposed");
}

Tool::~Tool() = default;

void Tool::missing(const QString &name)
{
    qFatal("The main window has no \"%s\"", qPrintable(name));
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

void Tool::trigger(const QString &actionName)
{
    find<QAction>(actionName)->trigger();
}

void Tool::connectTo(devsim::DeviceSimulator &device)
{
    switch (route) {
    case CommSettings::TCP:
        type(QStringLiteral("lineEdit_ServerIp"), Loopback);
        type(QStringLiteral("lineEdit_ServerPort"), QString::number(device.configPort()));
        click(QStringLiteral("pushButton_TcpConnect"));
        break;
    case CommSettings::USB:
        window.openSerialPort(device.usbPath());
        break;
    case CommSettings::TCP232:
        type(QStringLiteral("lineEdit_TcpServerIp"), Loopback);
        type(QStringLiteral("lineEdit_ServerPort232"), QString::number(device.port232()));
        click(QStringLiteral("pushButton_232Connect"));
        break;
    default:
        type(QStringLiteral("lineEdit_TcpServerIp"), Loopback);
        type(QStringLiteral("lineEdit_ServerPort485"), QString::number(device.port485()));
        click(QStringLiteral("pushButton_485Connect"));
        break;
    }
}

void Tool::disconnect()
{
    switch (route) {
    case CommSettings::TCP:
        click(QStringLiteral("pushButton_TcpConnect"));
        break;
    case CommSettings::USB:
        click(QStringLiteral("pushButton_UsbConnect"));
        break;
    case CommSettings::TCP232:
        click(QStringLiteral("pushButton_232Connect"));
        break;
    default:
        click(QStringLiteral("pushButton_485Connect"));
        break;
    }
}

bool Tool::waitForRecord(int timeoutMs) const
{
    auto *baud = find<QComboBox>(QStringLiteral("comboBox_Baud_485"));
    QDeadlineTimer deadline(timeoutMs);
    while (baud->currentIndex() != MarkerBaudIndex && !deadline.hasExpired())
        QTest::qWait(10);
    return baud->currentIndex() == MarkerBaudIndex;
}

bool Tool::routeUp() const
{
    return find<QAction>(QStringLiteral("actionGET_INFO"))->isEnabled();
}

bool Tool::sawRouteUp() const
{
    for (const QString &text : statusLog) {
        switch (route) {
        case CommSettings::TCP:
            if (text == QLatin1String("Tcp Connected"))
                return true;
            break;
        case CommSettings::USB:
            // "Connected " and the port's name.
            if (text.startsWith(QLatin1String("Connected ")) &&
                text != QLatin1String("Connected Succesfully"))
                return true;
            break;
        case CommSettings::TCP232:
            if (text == QLatin1String("Tcp 232 Port Connected"))
                return true;
            break;
        default:
            if (text == QLatin1String("Tcp 485 Port Connected"))
                return true;
            break;
        }
    }
    return false;
}

QString Tool::status() const
{
    return statusBar->currentMessage();
}

bool Tool::waitForStatus(const QString &text, int timeoutMs) const
{
    QDeadlineTimer deadline(timeoutMs);
    while (!statusLog.contains(text) && !deadline.hasExpired())
        QTest::qWait(10);
    return statusLog.contains(text);
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

QList<QByteArray> randomPieces(const QByteArray &bytes, int maxPiece, quint32 seed)
{
    QList<QByteArray> pieces;
    for (int at = 0; at < bytes.size();) {
        seed = seed * 1664525u + 1013904223u;
        const int length = 1 + int((seed >> 16) % quint32(maxPiece));
        pieces << bytes.mid(at, length);
        at += length;
    }
    return pieces;
}

} // namespace Fault
