// connect_to_filled: wall time from a connect button of the panel to the
// configuration page filled from the device's first port record, against the
// simulated device on loopback in this process, over many connects; beside it
// the floor, a bare QTcpSocket that connects to the same simulated device,
// sends the same request and reads the whole reply, run alternately with the
// tool in the same run.
//
// ETHERNET route: the tool asks for the record as soon as it is connected.
// RS-232 data port: the tool waits its fixed first-read delay (500 ms) after
// the connect before it asks; that delay is measured on its own (from the
// device accepting the connection to the request arriving there) and taken
// out before the tool's share is compared with the floor.
//
// "Filled" is the moment the last field of the record lands on the page: the
// simulated device's information response is flipped before each connect, so
// the page's check box changes exactly when the fill reaches it.
//
//   connect_to_filled [--ethernet-runs N] [--dataport-runs N] [--tsv]

#include "benchsupport.h"

#include "benchdevice.h"
#include "devicemodel.h"
#include "page.h"
#include "panel.h"
#include "telvorconfigurator.h"
#include "tool.h"
#include "transparentconfig.h"

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QEventLoop>
#include <QLineEdit>
#include <QTcpSocket>
#include <QTimer>

namespace {

const QString Loopback = QStringLiteral("127.0.0.1");
const QByteArray ReadAllRequest = QByteArrayLiteral("AT+READALL\r\n");
constexpr double FirstReadDelayUs = 500e3;
constexpr double TargetShareUs = 5e3;
constexpr int StepTimeoutMs = 5000;

// Position of the information response in the port record.
constexpr int EthernetInfoResponse = 22;
constexpr int GsmInfoResponse = 29;

struct Route
{
    QString name;
    devsim::Endpoint endpoint;
    int infoResponseIndex;
    QAbstractButton *button;
};

struct Sample
{
    double totalUs = 0;
    double firstReadDelayUs = 0; // data port only
};

// The simulated device and the main window, the window driven through the
// drivers of tests/support.
class Rig
{
public:
    Rig(devsim::DeviceSimulator &device, TelvorConfigurator &window)
        : m_device(device), m_page(Driver::Page(window).widget()),
          m_infoResponse(Driver::Page(window).infoResponse())
    {
    }

    // One connect through the panel, up to the page filled; then the route is
    // closed again through the panel and the device has seen the close.
    Sample toolConnect(const Route &route)
    {
        if (!m_page)
            Bench::fail(QStringLiteral("the main window has no configuration page"));
        const bool wanted = !m_infoResponse->isChecked();
        m_device.setPortRecordValue(route.endpoint, route.infoResponseIndex,
                                    wanted ? QByteArrayLiteral("1") : QByteArrayLiteral("0"));
        if (!route.button->isEnabled())
            Bench::fail(QStringLiteral("%1: the connect button is disabled").arg(route.name));

        Bench::Clock::time_point accepted{}, requested{}, filled{};
        QEventLoop loop;
        QObject::connect(m_infoResponse, &QCheckBox::toggled, &loop, [&](bool on) {
            if (on == wanted) {
                filled = Bench::Clock::now();
                loop.quit();
            }
        });
        QObject::connect(&m_device, &devsim::DeviceSimulator::notice, &loop,
                         [&](devsim::Endpoint endpoint, const QString &text) {
                             if (endpoint == route.endpoint && accepted == Bench::Clock::time_point{} &&
                                 text.startsWith(QLatin1String("connection from")))
                                 accepted = Bench::Clock::now();
                         });
        QObject::connect(&m_device, &devsim::DeviceSimulator::requestReceived, &loop,
                         [&](devsim::Endpoint endpoint, const QByteArray &frame) {
                             if (endpoint == route.endpoint && requested == Bench::Clock::time_point{} &&
                                 frame == ReadAllRequest)
                                 requested = Bench::Clock::now();
                         });
        QTimer::singleShot(StepTimeoutMs, &loop, &QEventLoop::quit);

        const auto start = Bench::Clock::now();
        route.button->click();
        loop.exec();
        if (filled == Bench::Clock::time_point{})
            Bench::fail(QStringLiteral("%1: the page was not filled within %2 ms")
                            .arg(route.name)
                            .arg(StepTimeoutMs));

        Sample sample;
        sample.totalUs = Bench::microsecondsBetween(start, filled);
        if (accepted != Bench::Clock::time_point{} && requested != Bench::Clock::time_point{})
            sample.firstReadDelayUs = Bench::microsecondsBetween(accepted, requested);

        route.button->click();
        if (!Bench::waitUntil(
                [&] { return !m_page->isEnabled() && m_device.connectionCount(route.endpoint) == 0; },
                StepTimeoutMs))
            Bench::fail(QStringLiteral("%1: the route did not close").arg(route.name));
        return sample;
    }

    // The floor: connect, send the request, read the reply up to its CR LF.
    double bareRoundTrip(const Route &route, quint16 port)
    {
        QTcpSocket socket;
        QByteArray reply;
        Bench::Clock::time_point done{};
        QEventLoop loop;
        QObject::connect(&socket, &QTcpSocket::connected, &loop, [&] { socket.write(ReadAllRequest); });
        QObject::connect(&socket, &QTcpSocket::readyRead, &loop, [&] {
            reply += socket.readAll();
            if (reply.endsWith("\r\n")) {
                done = Bench::Clock::now();
                loop.quit();
            }
        });
        QTimer::singleShot(StepTimeoutMs, &loop, &QEventLoop::quit);

        const auto start = Bench::Clock::now();
        socket.connectToHost(Loopback, port);
        loop.exec();
        if (done == Bench::Clock::time_point{} || !reply.startsWith("+READALL="))
            Bench::fail(QStringLiteral("%1: the bare socket got no port record").arg(route.name));

        socket.disconnectFromHost();
        if (!Bench::waitUntil([&] { return m_device.connectionCount(route.endpoint) == 0; }, StepTimeoutMs))
            Bench::fail(QStringLiteral("%1: the bare connection did not close").arg(route.name));
        return Bench::microsecondsBetween(start, done);
    }

private:
    devsim::DeviceSimulator &m_device;
    TransparentConfig *m_page;
    QCheckBox *m_infoResponse;
};

struct Series
{
    QVector<double> total, firstReadDelay, withoutDelay, floor;
};

Series run(Rig &rig, const Route &route, quint16 port, int runs, bool dataPort)
{
    constexpr int Warmup = 2;
    Series series;
    for (int i = 0; i < Warmup + runs; ++i) {
        // Alternate which goes first, so that neither always follows the other.
        double floor = 0;
        Sample sample;
        if (i % 2) {
            floor = rig.bareRoundTrip(route, port);
            sample = rig.toolConnect(route);
        } else {
            sample = rig.toolConnect(route);
            floor = rig.bareRoundTrip(route, port);
        }
        if (i < Warmup)
            continue;
        series.total.append(sample.totalUs);
        series.floor.append(floor);
        if (dataPort) {
            series.firstReadDelay.append(sample.firstReadDelayUs);
            series.withoutDelay.append(sample.totalUs - sample.firstReadDelayUs);
        }
    }
    return series;
}

QString floorText(double us)
{
    return QStringLiteral("bare socket: %1").arg(Bench::formatMicroseconds(us));
}

void report(Bench::Table &table, const QString &name, const Series &s, bool dataPort)
{
    const QString prefix = QStringLiteral("connect_to_filled: %1 ").arg(name);
    const double floorMedian = Bench::median(s.floor);
    const double floorP95 = Bench::percentile(s.floor, 95);
    const QVector<double> &own = dataPort ? s.withoutDelay : s.total;
    const double ownMedian = Bench::median(own);
    const double ownP95 = Bench::percentile(own, 95);

    if (dataPort) {
        table.add({prefix + QStringLiteral("connect -> filled incl. first-read delay, median"),
                   QStringLiteral("%1 (p95 %2)")
                       .arg(Bench::formatMicroseconds(Bench::median(s.total)),
                            Bench::formatMicroseconds(Bench::percentile(s.total, 95))),
                   QStringLiteral("-"), QStringLiteral("-"), QStringLiteral("-"), QStringLiteral("-")});
        const double delay = Bench::median(s.firstReadDelay);
        table.add({prefix + QStringLiteral("first-read delay (accept -> request), median"),
                   QStringLiteral("%1 (p95 %2)")
                       .arg(Bench::formatMicroseconds(delay),
                            Bench::formatMicroseconds(Bench::percentile(s.firstReadDelay, 95))),
                   QStringLiteral("fixed delay: 500 ms"), Bench::formatRatio(delay / FirstReadDelayUs),
                   QStringLiteral("-"), QStringLiteral("-")});
    }
    const QString what =
        dataPort ? QStringLiteral("connect -> filled less the delay") : QStringLiteral("connect -> filled");
    table.add({prefix + what + QStringLiteral(", median"), Bench::formatMicroseconds(ownMedian),
               floorText(floorMedian), Bench::formatRatio(ownMedian / floorMedian), QStringLiteral("-"),
               QStringLiteral("-")});
    table.add({prefix + what + QStringLiteral(", p95"), Bench::formatMicroseconds(ownP95),
               floorText(floorP95), Bench::formatRatio(ownP95 / floorP95), QStringLiteral("-"),
               QStringLiteral("-")});
    const double share = ownMedian - floorMedian;
    table.add({prefix + QStringLiteral("tool's own share (median - floor)"), Bench::formatMicroseconds(share),
               floorText(floorMedian), QStringLiteral("-"),
               QStringLiteral("< %1").arg(Bench::formatMicroseconds(TargetShareUs)),
               Bench::verdict(share < TargetShareUs)});
}

} // namespace

int main(int argc, char *argv[])
{
#if QT_VERSION < QT_VERSION_CHECK(6, 0, 0)
    QCoreApplication::setAttribute(Qt::AA_EnableHighDpiScaling);
#endif
    QApplication app(argc, argv);
    Bench::prepareRun(QStringLiteral("connect_to_filled"));
    Q_INIT_RESOURCE(Icons);

    const int ethernetRuns = Bench::intArgument(QStringLiteral("ethernet-runs"), 100);
    const int dataPortRuns = Bench::intArgument(QStringLiteral("dataport-runs"), 25);

    const auto simulator = Bench::startDevice(devsim::Model::Both);
    devsim::DeviceSimulator &device = *simulator;

    TelvorConfigurator window(nullptr, eEthernetModem);
    Bench::showExposed(window, QStringLiteral("the main window"));
    Rig rig(device, window);

    Driver::Panel panel(window);
    panel.entry(Driver::Panel::EthernetAddress)->setText(Loopback);
    panel.entry(Driver::Panel::EthernetPort)->setText(QString::number(device.configPort()));
    const Route ethernet{QStringLiteral("ETHERNET"), devsim::Endpoint::ConfigService, EthernetInfoResponse,
                         panel.button(Driver::Panel::EthernetButton)};
    const Series ethernetSeries = run(rig, ethernet, device.configPort(), ethernetRuns, false);

    // The data ports belong to the GSM modem's panel.
    Driver::commandAction(window, Driver::Command::GsmModel)->trigger();
    panel.entry(Driver::Panel::DataAddress)->setText(Loopback);
    panel.entry(Driver::Panel::Port232)->setText(QString::number(device.port232()));
    const Route rs232{QStringLiteral("RS-232"), devsim::Endpoint::Rs232, GsmInfoResponse,
                      panel.button(Driver::Panel::Button232)};
    const Series rs232Series = run(rig, rs232, device.port232(), dataPortRuns, true);

    Bench::Table table;
    report(table, ethernet.name, ethernetSeries, false);
    report(table, rs232.name, rs232Series, true);
    table.print();
    return 0;
}
