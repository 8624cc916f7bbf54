#include "deviceundertest.h"

#include <QElapsedTimer>
#include <QRegularExpression>

namespace Driver {

const QString Loopback = QStringLiteral("127.0.0.1");

DeviceUnderTest::~DeviceUnderTest() = default;

static quint16 portFromEnvironment(const char *name)
{
    bool ok = false;
    const int port = qEnvironmentVariableIntValue(name, &ok);
    if (!ok || port <= 0 || port > 65535)
        qFatal("%s names no TCP port (the script that starts the simulator sets it)", name);
    return quint16(port);
}

KnownDevice KnownDevice::fromEnvironment(const char *configPortVariable, const char *port232Variable,
                                         const char *port485Variable)
{
    DeviceAddress address;
    address.configPort = portFromEnvironment(configPortVariable);
    address.port232 = portFromEnvironment(port232Variable);
    address.port485 = portFromEnvironment(port485Variable);
    return KnownDevice(address);
}

SimulatorProcess::~SimulatorProcess()
{
    stop();
}

bool SimulatorProcess::start(const QString &program, const Options &options, QString *error)
{
    stop();
    m_address = DeviceAddress();
    m_address.host.clear();
    QStringList arguments = {QStringLiteral("--model"),       QStringLiteral("both"),
                             QStringLiteral("--host"),        Loopback,
                             QStringLiteral("--config-port"), QString::number(options.configPort),
                             QStringLiteral("--port232"),     QString::number(options.port232),
                             QStringLiteral("--port485"),     QString::number(options.port485)};
    if (!options.usb)
        arguments << QStringLiteral("--no-usb");
    else if (!options.ptyLink.isEmpty())
        arguments << QStringLiteral("--pty-link") << options.ptyLink;
    if (options.restartMs >= 0)
        arguments << QStringLiteral("--restart-ms") << QString::number(options.restartMs);
    m_process.setProgram(program);
    m_process.setArguments(arguments);
    m_process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    m_process.start();
    if (!m_process.waitForStarted(5000)) {
        if (error)
            *error = QStringLiteral("cannot start %1: %2").arg(program, m_process.errorString());
        return false;
    }
    static const QRegularExpression tcpLine(QStringLiteral("^(config-service|rs232|rs485) ([^ ]+):(\\d+)$"));
    static const QRegularExpression usbLine(QStringLiteral("^usb (\\S+)$"));
    const auto complete = [&] {
        return m_address.hasTcpPorts() && (!options.usb || !m_address.usbPath.isEmpty());
    };
    QElapsedTimer clock;
    clock.start();
    while (!complete() && clock.elapsed() < 10000) {
        if (!m_process.canReadLine() && !m_process.waitForReadyRead(500)) {
            if (m_process.state() != QProcess::Running)
                break;
            continue;
        }
        while (m_process.canReadLine()) {
            const QString line = QString::fromUtf8(m_process.readLine()).trimmed();
            const QRegularExpressionMatch tcp = tcpLine.match(line);
            if (tcp.hasMatch()) {
                m_address.host = tcp.captured(2);
                const quint16 port = quint16(tcp.captured(3).toUInt());
                if (tcp.captured(1) == QLatin1String("config-service"))
                    m_address.configPort = port;
                else if (tcp.captured(1) == QLatin1String("rs232"))
                    m_address.port232 = port;
                else
                    m_address.port485 = port;
            }
            const QRegularExpressionMatch usb = usbLine.match(line);
            if (usb.hasMatch())
                m_address.usbPath = usb.captured(1);
        }
    }
    if (!complete()) {
        if (error)
            *error = QStringLiteral("the simulator did not announce its endpoints");
        stop();
        m_address = DeviceAddress();
        return false;
    }
    if (options.usb && !options.ptyLink.isEmpty())
        m_address.usbPath = options.ptyLink;
    // Later output is the simulator's traffic log, which no driver reads.
    QObject::connect(&m_process, &QProcess::readyReadStandardOutput, &m_process,
                     [this] { m_process.readAllStandardOutput(); });
    return true;
}

void SimulatorProcess::stop()
{
    if (m_process.state() == QProcess::NotRunning)
        return;
    m_process.terminate();
    if (!m_process.waitForFinished(5000)) {
        m_process.kill();
        m_process.waitForFinished(2000);
    }
}

} // namespace Driver
