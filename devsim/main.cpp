// devicesim: runs one simulated gateway device on loopback until SIGINT or
// SIGTERM. It prints one line per endpoint it serves ("config-service
// 127.0.0.1:PORT", "rs232 ...", "rs485 ...", "usb /dev/pts/N"), then a log
// line for every request, reply and connection event.

#include "devicesimulator.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QDateTime>
#include <QSocketNotifier>
#include <QTextStream>

#include <csignal>
#include <sys/socket.h>
#include <unistd.h>

namespace {

int signalSockets[2] = {-1, -1};

void forwardSignal(int)
{
    const char byte = 1;
    [[maybe_unused]] const ssize_t written = ::write(signalSockets[0], &byte, 1);
}

// SIGINT and SIGTERM end the event loop through a socket pair, so the
// simulator shuts down from the event loop rather than inside a handler.
bool quitOnSignals(QCoreApplication &app)
{
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, signalSockets) != 0)
        return false;
    auto *notifier = new QSocketNotifier(signalSockets[1], QSocketNotifier::Read, &app);
    QObject::connect(notifier, &QSocketNotifier::activated, &app, [&app] {
        char byte;
        [[maybe_unused]] const ssize_t count = ::read(signalSockets[1], &byte, 1);
        app.quit();
    });
    struct sigaction action = {};
    action.sa_handler = forwardSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    return sigaction(SIGINT, &action, nullptr) == 0 && sigaction(SIGTERM, &action, nullptr) == 0;
}

void printLine(const QString &text)
{
    static QTextStream out(stdout);
    out << text << '\n';
    out.flush();
}

// Frames as a technician can read them: CR, LF and other control bytes
// escaped, very long frames cut short.
QString printable(const QByteArray &bytes)
{
    constexpr int Limit = 300;
    QString text;
    for (int i = 0; i < bytes.size() && i < Limit; ++i) {
        const uchar c = uchar(bytes.at(i));
        if (c == '\r')
            text += QStringLiteral("\\r");
        else if (c == '\n')
            text += QStringLiteral("\\n");
        else if (c == '\\')
            text += QStringLiteral("\\\\");
        else if (c >= 0x20 && c < 0x7f)
            text += QChar(c);
        else
            text += QStringLiteral("\\x%1").arg(c, 2, 16, QLatin1Char('0'));
    }
    if (bytes.size() > Limit)
        text += QStringLiteral("... (%1 bytes)").arg(bytes.size());
    return text;
}

void log(devsim::Endpoint endpoint, const char *direction, const QString &text)
{
    printLine(QStringLiteral("%1 %2 %3 %4")
                  .arg(QDateTime::currentDateTime().toString(QStringLiteral("yyyy-MM-dd hh:mm:ss.zzz")),
                       devsim::endpointName(endpoint), QLatin1String(direction), text));
}

struct OptionReader
{
    const QCommandLineParser &parser;
    QString error;

    int number(const QString &name, int min, int max, int fallback)
    {
        if (!parser.isSet(name))
            return fallback;
        bool ok = false;
        const int value = parser.value(name).toInt(&ok);
        if (!ok || value < min || value > max) {
            error = QStringLiteral("--%1 takes a number from %2 to %3").arg(name).arg(min).arg(max);
            return fallback;
        }
        return value;
    }
};

QString hostText(const QHostAddress &host)
{
    return host.protocol() == QAbstractSocket::IPv6Protocol ? QStringLiteral("[%1]").arg(host.toString())
                                                            : host.toString();
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("devicesim"));

    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral(
        "Simulated serial-to-network gateway device for the Telvor configurator, on loopback only.\n"
        "The configuration service and the USB port (a pseudo-terminal) speak the Ethernet command set,\n"
        "the RS-232 and RS-485 data ports the GSM command set. Ports 0 are chosen by the system;\n"
        "the endpoints served are printed at start, one per line."));
    parser.addHelpOption();
    const auto valueOption = [&parser](const QString &name, const QString &description, const QString &value,
                                       const QString &fallback = QString()) {
        parser.addOption(QCommandLineOption(name, description, value, fallback));
    };
    const auto switchOption = [&parser](const QString &name, const QString &description) {
        parser.addOption(QCommandLineOption(name, description));
    };
    valueOption(QStringLiteral("model"),
                QStringLiteral("ethernet (configuration service and USB), gsm (data ports) "
                               "or both (default)."),
                QStringLiteral("model"), QStringLiteral("both"));
    valueOption(QStringLiteral("host"), QStringLiteral("Loopback address to serve on (default 127.0.0.1)."),
                QStringLiteral("address"), QStringLiteral("127.0.0.1"));
    valueOption(QStringLiteral("config-port"), QStringLiteral("TCP port of the configuration service."),
                QStringLiteral("port"));
    valueOption(QStringLiteral("port232"), QStringLiteral("TCP port of the RS-232 data port."),
                QStringLiteral("port"));
    valueOption(QStringLiteral("port485"), QStringLiteral("TCP port of the RS-485 data port."),
                QStringLiteral("port"));
    valueOption(QStringLiteral("pty-link"),
                QStringLiteral("Make a symbolic link to the USB pseudo-terminal here."),
                QStringLiteral("path"));
    switchOption(QStringLiteral("no-usb"), QStringLiteral("Do not serve the USB port."));
    valueOption(QStringLiteral("state"),
                QStringLiteral("Load the device's settings from this JSON file and save "
                               "every change to it."),
                QStringLiteral("file"));
    valueOption(QStringLiteral("restart-ms"),
                QStringLiteral("How long a restart keeps the device away (default "
                               "3000)."),
                QStringLiteral("ms"));
    valueOption(QStringLiteral("reply-delay"), QStringLiteral("Fault: wait this long before each reply."),
                QStringLiteral("ms"));
    valueOption(QStringLiteral("chunk-size"),
                QStringLiteral("Fault: write replies in pieces of this many bytes."),
                QStringLiteral("bytes"));
    valueOption(QStringLiteral("chunk-gap"), QStringLiteral("Fault: pause between the pieces of a reply."),
                QStringLiteral("ms"));
    valueOption(QStringLiteral("coalesce"),
                QStringLiteral("Fault: hold replies and send this many together."), QStringLiteral("count"));
    switchOption(QStringLiteral("silent"), QStringLiteral("Fault: accept requests but never answer."));
    valueOption(QStringLiteral("silent-after"), QStringLiteral("Fault: answer only the first K requests."),
                QStringLiteral("K"));
    switchOption(QStringLiteral("close-mid-reply"),
                 QStringLiteral("Fault: send half of the first reply, then close the connection."));
    switchOption(QStringLiteral("garbage-reply"), QStringLiteral("Fault: answer with a garbage line."));
    valueOption(QStringLiteral("oversized-reply"),
                QStringLiteral("Fault: answer with this many bytes without CR LF."), QStringLiteral("bytes"));
    valueOption(QStringLiteral("record-delta"),
                QStringLiteral("Fault: send records with this many values more (or fewer, if negative); "
                               "write a negative value as --record-delta=-N."),
                QStringLiteral("N"));
    switchOption(QStringLiteral("out-of-range"),
                 QStringLiteral("Fault: port records carry out-of-range values."));
    switchOption(QStringLiteral("err-on-write"), QStringLiteral("Fault: refuse every write with +ERR."));
    switchOption(QStringLiteral("close-on-accept"),
                 QStringLiteral("Fault: data ports close every connection right after accepting it."));
    parser.process(app);

    devsim::DeviceSimulator::Options options;
    OptionReader read{parser, QString()};
    const QString model = parser.value(QStringLiteral("model"));
    if (model == QLatin1String("ethernet"))
        options.model = devsim::Model::Ethernet;
    else if (model == QLatin1String("gsm"))
        options.model = devsim::Model::Gsm;
    else if (model != QLatin1String("both"))
        read.error = QStringLiteral("--model is ethernet, gsm or both");
    const QString host = parser.value(QStringLiteral("host"));
    options.host =
        host == QLatin1String("localhost") ? QHostAddress(QHostAddress::LocalHost) : QHostAddress(host);
    if (options.host.isNull() || !options.host.isLoopback())
        read.error = QStringLiteral("refusing to serve on %1: only loopback addresses are allowed").arg(host);
    options.configPort = quint16(read.number(QStringLiteral("config-port"), 0, 65535, 0));
    options.port232 = quint16(read.number(QStringLiteral("port232"), 0, 65535, 0));
    options.port485 = quint16(read.number(QStringLiteral("port485"), 0, 65535, 0));
    options.usb = !parser.isSet(QStringLiteral("no-usb"));
    options.ptyLink = parser.value(QStringLiteral("pty-link"));
    options.stateFile = parser.value(QStringLiteral("state"));
    options.restartMs = read.number(QStringLiteral("restart-ms"), 0, 600000, options.restartMs);

    devsim::Faults &faults = options.faults;
    faults.replyDelayMs = read.number(QStringLiteral("reply-delay"), 0, 600000, 0);
    faults.chunkSize = read.number(QStringLiteral("chunk-size"), 0, 1 << 20, 0);
    faults.chunkGapMs = read.number(QStringLiteral("chunk-gap"), 0, 60000, 0);
    faults.coalesce = read.number(QStringLiteral("coalesce"), 0, 1000, 0);
    faults.silentAfter = parser.isSet(QStringLiteral("silent"))
                             ? 0
                             : read.number(QStringLiteral("silent-after"), 0, 1 << 30, -1);
    faults.closeMidReply = parser.isSet(QStringLiteral("close-mid-reply"));
    faults.garbageReply = parser.isSet(QStringLiteral("garbage-reply"));
    faults.oversizedReplyBytes = read.number(QStringLiteral("oversized-reply"), 0, 64 << 20, 0);
    faults.recordValueDelta = read.number(QStringLiteral("record-delta"), -100, 100, 0);
    faults.outOfRangeValues = parser.isSet(QStringLiteral("out-of-range"));
    faults.errOnWrite = parser.isSet(QStringLiteral("err-on-write"));
    faults.closeOnAccept = parser.isSet(QStringLiteral("close-on-accept"));
    QTextStream err(stderr);
    if (!read.error.isEmpty()) {
        err << "devicesim: " << read.error << '\n';
        return 2;
    }

    devsim::DeviceSimulator simulator(options);
    QObject::connect(
        &simulator, &devsim::DeviceSimulator::requestReceived, &app,
        [](devsim::Endpoint endpoint, const QByteArray &frame) { log(endpoint, "<-", printable(frame)); });
    QObject::connect(
        &simulator, &devsim::DeviceSimulator::replySent, &app,
        [](devsim::Endpoint endpoint, const QByteArray &frame) { log(endpoint, "->", printable(frame)); });
    QObject::connect(&simulator, &devsim::DeviceSimulator::notice, &app,
                     [](devsim::Endpoint endpoint, const QString &text) { log(endpoint, "--", text); });
    QString error;
    if (!quitOnSignals(app) || !simulator.start(&error)) {
        err << "devicesim: " << (error.isEmpty() ? QStringLiteral("cannot handle signals") : error) << '\n';
        return 1;
    }

    const QString address = hostText(options.host);
    if (simulator.configPort())
        printLine(QStringLiteral("config-service %1:%2").arg(address).arg(simulator.configPort()));
    if (simulator.port232())
        printLine(QStringLiteral("rs232 %1:%2").arg(address).arg(simulator.port232()));
    if (simulator.port485())
        printLine(QStringLiteral("rs485 %1:%2").arg(address).arg(simulator.port485()));
    if (!simulator.usbPath().isEmpty())
        printLine(QStringLiteral("usb %1").arg(simulator.usbPath()));

    const int result = app.exec();
    simulator.stop();
    return result;
}
