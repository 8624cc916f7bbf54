// load: the tool flooded by its device, against the simulated device on
// loopback in this process.
//
// Information flood (configuration-service route): 2,000 information records
// sent in one write, as a device stuck in a loop would send them, followed by
// a port record whose arrival on the page says that every record before it
// was handled. Reported: the information windows open afterwards, the
// longest time the event loop was kept busy meanwhile, and the resident size
// after the flood against before it.
//
// Reply flood (RS-485 data port): 50,000 ping answers in one stream, counted
// as the page reports each one. Reported: replies handled per second against
// the rate at which a bare QTcpSocket reads the same bytes from the same
// simulated device, the longest stall, and the resident size after against
// before.
//
// The longest stall is the longest gap between two ticks of a 1 ms timer;
// its floor is the same gap measured while nothing arrives.
//
//   load [--info-records N] [--replies N] [--rounds N] [--tsv]

#include "benchsupport.h"

#include "benchdevice.h"
#include "devicemodel.h"
#include "devinfo.h"
#include "telvorconfigurator.h"
#include "transparentconfig.h"

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QEventLoop>
#include <QLineEdit>
#include <QTcpSocket>
#include <QTimer>

#include <algorithm>

namespace {

const QString Loopback = QStringLiteral("127.0.0.1");
const QByteArray InfoRecord =
    QByteArrayLiteral("+DEVINFO=SN-0042,00:1A:2B:3C:4D:5E,TRP-ETH,RS485,2,7,TB-01,1,3,12\r\n");
const QByteArray PingAnswer = QByteArrayLiteral("+PING\r\n");
const QString PingText = QStringLiteral("Ping -> OK");
constexpr int EthernetInfoResponse = 22; // position of the information response in the record
constexpr double TargetStallUs = 250e3;
constexpr double TargetInfoRssRatio = 1.3;
constexpr double TargetReplyRssRatio = 1.1;
// A serial line at 115200 baud brings at most about 1,650 such answers a
// second; the whole 50,000 in at most half a second is ample headroom.
constexpr double TargetRepliesPerSecond = 100000;
constexpr int FloodTimeoutMs = 120000;

template <class T> T *child(QObject *parent, const char *name)
{
    T *object = parent->findChild<T *>(QLatin1String(name));
    if (!object)
        Bench::fail(QStringLiteral("no object %1").arg(QLatin1String(name)));
    return object;
}

// The longest time the event loop went without serving a 1 ms timer.
class StallWatch : public QObject
{
public:
    StallWatch()
    {
        m_timer.setTimerType(Qt::PreciseTimer);
        m_timer.setInterval(1);
        connect(&m_timer, &QTimer::timeout, this, [this] { tick(); });
    }
    void start()
    {
        m_longestUs = 0;
        m_last = Bench::Clock::now();
        m_timer.start();
    }
    double stop()
    {
        tick();
        m_timer.stop();
        return m_longestUs;
    }

private:
    void tick()
    {
        const auto now = Bench::Clock::now();
        m_longestUs = std::max(m_longestUs, Bench::microsecondsBetween(m_last, now));
        m_last = now;
    }

    QTimer m_timer;
    Bench::Clock::time_point m_last;
    double m_longestUs = 0;
};

double residentKiB()
{
    Bench::trimHeap();
    return double(Bench::statusKiB("VmRSS"));
}

int openInfoWindows()
{
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    int open = 0;
    for (QWidget *widget : QApplication::topLevelWidgets())
        open += qobject_cast<DevInfo *>(widget) && widget->isVisible();
    return open;
}

void closeInfoWindows()
{
    for (QWidget *widget : QApplication::topLevelWidgets()) {
        if (qobject_cast<DevInfo *>(widget) && widget->isVisible())
            widget->close();
    }
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

double idleStall(StallWatch &watch, int ms)
{
    watch.start();
    Bench::settle(ms);
    return watch.stop();
}

QString stallTarget()
{
    return QStringLiteral("<= %1").arg(Bench::formatMicroseconds(TargetStallUs));
}

struct InfoFlood
{
    int windows = 0;
    double stallUs = 0, idleStallUs = 0, rssBeforeKiB = 0, rssAfterKiB = 0, handledUs = 0;
};

InfoFlood floodWithInformation(devsim::DeviceSimulator &device, TelvorConfigurator &window, int records)
{
    InfoFlood result;
    auto *infoResponse = child<QCheckBox>(&window, "checkBox_InfoResponse");
    StallWatch watch;
    Bench::settle(300);
    result.idleStallUs = idleStall(watch, 1000);
    result.rssBeforeKiB = residentKiB();

    // The port record after the flood flips the information response: when
    // the page shows it, every record before it has been handled.
    const bool wanted = !infoResponse->isChecked();
    QList<QByteArray> values = device.portRecord(devsim::Endpoint::ConfigService).split(',');
    values[EthernetInfoResponse] = wanted ? "1" : "0";
    const QByteArray sentinel = "+READALL=" + values.join(',') + "\r\n";

    watch.start();
    const auto start = Bench::Clock::now();
    device.sendRaw(devsim::Endpoint::ConfigService, InfoRecord.repeated(records) + sentinel);
    if (!Bench::waitUntil([&] { return infoResponse->isChecked() == wanted; }, FloodTimeoutMs))
        Bench::fail(QStringLiteral("information flood: the port record after it never reached the page"));
    result.handledUs = Bench::microsecondsBetween(start, Bench::Clock::now());
    // The windows opened paint once the flood has been read.
    Bench::settle(500);
    result.stallUs = watch.stop();
    result.windows = openInfoWindows();
    result.rssAfterKiB = residentKiB();
    closeInfoWindows();
    return result;
}

struct ReplyFlood
{
    double rate = 0, floorRate = 0, stallUs = 0, idleStallUs = 0, rssBeforeKiB = 0, rssAfterKiB = 0;
};

// The floor: a bare socket on the configuration service reads the same bytes.
double bareSocketRate(devsim::DeviceSimulator &device, const QByteArray &stream, int replies)
{
    QTcpSocket socket;
    socket.connectToHost(Loopback, device.configPort());
    if (!socket.waitForConnected(5000) ||
        !Bench::waitUntil([&] { return device.connectionCount(devsim::Endpoint::ConfigService) == 1; }))
        Bench::fail(QStringLiteral("reply flood: the bare socket did not connect"));
    qint64 read = 0;
    QEventLoop loop;
    QObject::connect(&socket, &QTcpSocket::readyRead, &loop, [&] {
        read += socket.readAll().size();
        if (read >= stream.size())
            loop.quit();
    });
    QTimer::singleShot(FloodTimeoutMs, &loop, &QEventLoop::quit);
    const auto start = Bench::Clock::now();
    device.sendRaw(devsim::Endpoint::ConfigService, stream);
    loop.exec();
    const double us = Bench::microsecondsBetween(start, Bench::Clock::now());
    if (read != stream.size())
        Bench::fail(QStringLiteral("reply flood: the bare socket read %1 of %2 bytes").arg(read).arg(stream.size()));
    socket.disconnectFromHost();
    Bench::waitUntil([&] { return device.connectionCount(devsim::Endpoint::ConfigService) == 0; });
    return replies / (us / 1e6);
}

ReplyFlood floodWithReplies(devsim::DeviceSimulator &device, TelvorConfigurator &window, int replies, int rounds)
{
    ReplyFlood result;
    auto *page = window.findChild<TransparentConfig *>();
    int handled = 0;
    QObject::connect(page, &TransparentConfig::WriteStatusBar, &window, [&](const QString &text, int) {
        if (text == PingText)
            ++handled;
    });
    const QByteArray stream = PingAnswer.repeated(replies);
    StallWatch watch;
    Bench::settle(300);
    result.idleStallUs = idleStall(watch, 1000);
    result.rssBeforeKiB = residentKiB();

    QVector<double> rates, floors;
    for (int round = 0; round < rounds; ++round) {
        handled = 0;
        watch.start();
        const auto start = Bench::Clock::now();
        device.sendRaw(devsim::Endpoint::Rs485, stream);
        if (!Bench::waitUntil([&] { return handled >= replies; }, FloodTimeoutMs))
            Bench::fail(QStringLiteral("reply flood: %1 of %2 answers handled").arg(handled).arg(replies));
        rates.append(replies / (Bench::microsecondsBetween(start, Bench::Clock::now()) / 1e6));
        Bench::settle(100);
        result.stallUs = std::max(result.stallUs, watch.stop());
        if (handled != replies)
            Bench::fail(QStringLiteral("reply flood: %1 answers handled, %2 sent").arg(handled).arg(replies));
        floors.append(bareSocketRate(device, stream, replies));
    }
    result.rssAfterKiB = residentKiB();
    result.rate = Bench::median(rates);
    result.floorRate = Bench::median(floors);
    return result;
}

void connectThrough(QAbstractButton *button, TransparentConfig *page, const QString &name)
{
    button->click();
    if (!Bench::waitUntil([&] { return page->isEnabled(); }, 10000))
        Bench::fail(QStringLiteral("%1: the route did not come up").arg(name));
}

} // namespace

int main(int argc, char *argv[])
{
#if QT_VERSION < QT_VERSION_CHECK(6, 0, 0)
    QCoreApplication::setAttribute(Qt::AA_EnableHighDpiScaling);
#endif
    QApplication app(argc, argv);
    Bench::prepareRun(QStringLiteral("load"));
    Q_INIT_RESOURCE(Icons);

    const int infoRecords = Bench::intArgument(QStringLiteral("info-records"), 2000);
    const int replies = Bench::intArgument(QStringLiteral("replies"), 50000);
    const int rounds = Bench::intArgument(QStringLiteral("rounds"), 3);

    const auto simulator = Bench::startDevice(devsim::Model::Both);
    devsim::DeviceSimulator &device = *simulator;

    TelvorConfigurator window(nullptr, eEthernetModem);
    Bench::showExposed(window, QStringLiteral("the main window"));
    auto *page = window.findChild<TransparentConfig *>();
    if (!page)
        Bench::fail(QStringLiteral("the main window has no configuration page"));

    child<QLineEdit>(&window, "lineEdit_ServerIp")->setText(Loopback);
    child<QLineEdit>(&window, "lineEdit_ServerPort")->setText(QString::number(device.configPort()));
    auto *ethernet = child<QAbstractButton>(&window, "pushButton_TcpConnect");
    connectThrough(ethernet, page, QStringLiteral("ETHERNET"));
    const InfoFlood info = floodWithInformation(device, window, infoRecords);
    ethernet->click();
    if (!Bench::waitUntil([&] {
            return !page->isEnabled() && device.connectionCount(devsim::Endpoint::ConfigService) == 0;
        }))
        Bench::fail(QStringLiteral("ETHERNET: the route did not close"));

    // The data ports belong to the GSM modem's panel. The tool asks for the
    // record 500 ms after the connect; the flood starts once it has it.
    child<QAction>(&window, "actionGSM_Modem")->trigger();
    child<QLineEdit>(&window, "lineEdit_TcpServerIp")->setText(Loopback);
    child<QLineEdit>(&window, "lineEdit_ServerPort485")->setText(QString::number(device.port485()));
    connectThrough(child<QAbstractButton>(&window, "pushButton_485Connect"), page, QStringLiteral("RS-485"));
    if (!Bench::waitUntil([&] { return !device.received(devsim::Endpoint::Rs485).isEmpty(); }))
        Bench::fail(QStringLiteral("RS-485: the tool never asked for the record"));
    const ReplyFlood flood = floodWithReplies(device, window, replies, rounds);

    const QString infoName = QStringLiteral("load: information flood (%1 records, ETHERNET)").arg(infoRecords);
    const QString replyName = QStringLiteral("load: reply flood (%1 ping answers, RS-485)").arg(replies);
    const QString none = QStringLiteral("-");
    Bench::Table table;
    table.add({infoName + QStringLiteral(", information windows open"), QString::number(info.windows), none,
               none, QStringLiteral("<= 10"), Bench::verdict(info.windows <= 10)});
    table.add({infoName + QStringLiteral(", all handled in"), Bench::formatMicroseconds(info.handledUs), none,
               none, none, none});
    table.add({infoName + QStringLiteral(", longest event-loop stall"), Bench::formatMicroseconds(info.stallUs),
               QStringLiteral("idle: %1").arg(Bench::formatMicroseconds(info.idleStallUs)),
               Bench::formatRatio(info.stallUs / info.idleStallUs), stallTarget(),
               Bench::verdict(info.stallUs <= TargetStallUs)});
    table.add({infoName + QStringLiteral(", resident size after"), Bench::formatKiB(info.rssAfterKiB),
               QStringLiteral("before: %1").arg(Bench::formatKiB(info.rssBeforeKiB)),
               Bench::formatRatio(info.rssAfterKiB / info.rssBeforeKiB),
               QStringLiteral("<= %1").arg(Bench::formatRatio(TargetInfoRssRatio)),
               Bench::verdict(info.rssAfterKiB <= TargetInfoRssRatio * info.rssBeforeKiB)});
    table.add({replyName + QStringLiteral(", replies handled per second, median of %1").arg(rounds),
               QStringLiteral("%1/s").arg(flood.rate, 0, 'f', 0),
               QStringLiteral("bare socket: %1/s").arg(flood.floorRate, 0, 'f', 0),
               Bench::formatPercent(flood.rate / flood.floorRate),
               QStringLiteral(">= %1/s").arg(TargetRepliesPerSecond, 0, 'f', 0),
               Bench::verdict(flood.rate >= TargetRepliesPerSecond)});
    table.add({replyName + QStringLiteral(", longest event-loop stall"), Bench::formatMicroseconds(flood.stallUs),
               QStringLiteral("idle: %1").arg(Bench::formatMicroseconds(flood.idleStallUs)),
               Bench::formatRatio(flood.stallUs / flood.idleStallUs), stallTarget(),
               Bench::verdict(flood.stallUs <= TargetStallUs)});
    table.add({replyName + QStringLiteral(", resident size after %1 floods").arg(rounds),
               Bench::formatKiB(flood.rssAfterKiB), QStringLiteral("before: %1").arg(Bench::formatKiB(flood.rssBeforeKiB)),
               Bench::formatRatio(flood.rssAfterKiB / flood.rssBeforeKiB),
               QStringLiteral("<= %1").arg(Bench::formatRatio(TargetReplyRssRatio)),
               Bench::verdict(flood.rssAfterKiB <= TargetReplyRssRatio * flood.rssBeforeKiB)});
    table.print();
    return 0;
}
