#pragma once

// The device a driven window talks to, wherever it runs: the simulated device
// inside the test program (SimulatedDevice in tests/devicetest, Linux only,
// since its USB port is a pseudo-terminal), the simulator program started
// beside it (SimulatorProcess), or a simulator someone else started whose
// ports are known (KnownDevice; the Windows tests under Wine get the ports of
// the native simulator this way). The drivers only need its address.

#include <QProcess>
#include <QString>

#include <memory>

namespace Driver {

extern const QString Loopback; // "127.0.0.1"

// Where the device's four endpoints are reached. A port of 0 or an empty USB
// path: the endpoint is not served.
struct DeviceAddress
{
    QString host = QStringLiteral("127.0.0.1");
    quint16 configPort = 0;
    quint16 port232 = 0;
    quint16 port485 = 0;
    QString usbPath;

    bool hasTcpPorts() const { return configPort && port232 && port485; }
};

class DeviceUnderTest
{
public:
    virtual ~DeviceUnderTest();
    virtual DeviceAddress address() const = 0;
};

// A device whose address was handed over, for instance by the script that
// started the simulator.
class KnownDevice : public DeviceUnderTest
{
public:
    explicit KnownDevice(const DeviceAddress &address) : m_address(address) {}
    // The TCP ports from three environment variables; ends the program with
    // the variable's name when one holds no port.
    static KnownDevice fromEnvironment(const char *configPortVariable, const char *port232Variable,
                                       const char *port485Variable);
    DeviceAddress address() const override { return m_address; }

private:
    DeviceAddress m_address;
};

// The simulator program (devsim/devicesim) in a process of its own, on
// loopback, with both models. It announces its endpoints on its standard
// output, one line each: "config-service 127.0.0.1:PORT", "rs232 ...",
// "rs485 ...", "usb PATH".
class SimulatorProcess : public DeviceUnderTest
{
public:
    struct Options
    {
        quint16 configPort = 0, port232 = 0, port485 = 0; // 0: chosen by the system
        bool usb = true;
        // With USB: the pseudo-terminal is reached through a symbolic link
        // made there, which stays valid whatever the terminal's number.
        QString ptyLink;
        int restartMs = -1; // -1: the program's own
    };

    ~SimulatorProcess() override;
    // Starts the program and waits up to ten seconds for its endpoints. On
    // failure the reason is in *error and no process is left running.
    bool start(const QString &program, const Options &options, QString *error = nullptr);
    void stop();
    bool isRunning() const { return m_process.state() != QProcess::NotRunning; }
    DeviceAddress address() const override { return m_address; }

private:
    QProcess m_process;
    DeviceAddress m_address;
};

} // namespace Driver
