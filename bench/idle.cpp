// idle: what the tool costs while it waits for the user, with the main window
// shown and no route, and with the ETHERNET route up against the simulated
// device on loopback (in this driver's process, so the tool's figures hold
// the tool alone). The launcher measures itself over the given time (see
// launcher.cpp): CPU time of all its threads and how often it went to sleep
// and was woken again, with the events that woke it.
//
// Target: under 0.5 % of one core in either state. The wake-ups per second
// are reported beside it; every wake-up costs a laptop's processor a
// transition out of its idle state, whatever the work done.
//
//   idle [--seconds N] [--tsv]        default 60 s per state

#include "benchsupport.h"
#include "processrun.h"

#include "benchdevice.h"

#include <QCoreApplication>

namespace {

constexpr double TargetShareOfCore = 0.005;
// Connecting, reading the record and the settling second come on top.
constexpr int StartAllowanceMs = 30000;

struct Idle
{
    double cpuUs = 0;
    qint64 wakeups = 0;
    int seconds = 0;
    QString events;
};

Idle measure(const QString &launcher, const Bench::ChildEnvironment &child, int seconds, quint16 port)
{
    QStringList arguments{QStringLiteral("--idle"), QString::number(seconds)};
    if (port)
        arguments << QStringLiteral("--config-port") << QString::number(port);
    const Bench::ProcessRun run = Bench::runProcess(launcher, arguments, child, seconds * 1000 + StartAllowanceMs);
    if (!run.finished)
        Bench::fail(run.failure);
    const Bench::PrintedLine *line = run.line(QStringLiteral("idle"));
    if (!line)
        Bench::fail(QStringLiteral("the launcher printed no \"idle\" line"));
    const QStringList words = line->text.split(QLatin1Char(' '));
    return {words.value(1).toDouble(), words.value(2).toLongLong(), words.value(3).toInt(), words.value(4)};
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("idle"));
    const int seconds = std::max(1, Bench::intArgument(QStringLiteral("seconds"), 60));

    const auto simulator = Bench::startDevice(devsim::Model::Ethernet);
    devsim::DeviceSimulator &device = *simulator;

    const Bench::ChildEnvironment child;
    const QString launcher = Bench::helperProgram(QStringLiteral("launcher"));
    const Idle none = measure(launcher, child, seconds, 0);
    const Idle route = measure(launcher, child, seconds, device.configPort());

    Bench::Table table;
    const auto add = [&table](const QString &state, const Idle &idle) {
        const double share = idle.cpuUs / (idle.seconds * 1e6);
        table.add({QStringLiteral("idle: %1, CPU over %2 s").arg(state).arg(idle.seconds),
                   QStringLiteral("%1 (%2 %)")
                       .arg(Bench::formatMicroseconds(idle.cpuUs))
                       .arg(share * 100, 0, 'f', 3),
                   QStringLiteral("one core: %1 s").arg(idle.seconds), Bench::formatPercent(share),
                   QStringLiteral("< %1 %").arg(TargetShareOfCore * 100, 0, 'f', 1),
                   Bench::verdict(share < TargetShareOfCore)});
        table.add({QStringLiteral("idle: %1, wake-ups per second").arg(state),
                   QStringLiteral("%1/s (%2 in %3 s)")
                       .arg(double(idle.wakeups) / idle.seconds, 0, 'f', 1)
                       .arg(idle.wakeups)
                       .arg(idle.seconds),
                   QStringLiteral("-"), QStringLiteral("-"), QStringLiteral("-"), QStringLiteral("-")});
        // What woke it, for the reader of the log (not a table row).
        std::fprintf(stderr, "idle, %s: events %s\n", qPrintable(state), qPrintable(idle.events));
    };
    add(QStringLiteral("main window, no route"), none);
    add(QStringLiteral("main window, ETHERNET route up"), route);
    table.print();
    return 0;
}
