// memory: the tool's peak resident size (VmHWM) after connecting, reading the
// port record, opening the network window and ten information windows,
// against the minimal Qt program showing one empty QMainWindow of the main
// window's size; and whether windows that were closed are really freed,
// from the tool's heap and resident size after 20 and after all open/close
// cycles of a network and an information window.
//
// The simulated device runs in this driver's process, so the tool's figures
// hold the tool alone. The tool and the minimal program run alternately.
//
//   memory [--runs N] [--cycles N] [--tsv]

#include "benchsupport.h"
#include "processrun.h"

#include "devicesimulator.h"

#include <QCoreApplication>

namespace {

constexpr double TargetRatio = 1.5;
constexpr int WarmCycles = 20;
// Growth of the heap in use that still counts as noise: allocator
// bookkeeping and Qt's caches settling. One information window that is not
// freed holds far more than this.
constexpr double NoiseBytesPerCycle = 256;
constexpr int RunTimeoutMs = 120000;

struct Memory
{
    qint64 hwmKiB = 0, rssKiB = 0, heapBytes = 0;
    int windows = 0;
};

Memory parse(const Bench::ProcessRun &run, const QString &label)
{
    if (!run.finished)
        Bench::fail(run.failure);
    const Bench::PrintedLine *line = run.line(QStringLiteral("memory ") + label);
    if (!line)
        Bench::fail(QStringLiteral("no \"memory %1\" line from a helper program").arg(label));
    const QStringList words = line->text.split(QLatin1Char(' '));
    const int at = 1 + label.split(QLatin1Char(' '), Qt::SkipEmptyParts).size();
    return {words.value(at).toLongLong(), words.value(at + 1).toLongLong(), words.value(at + 2).toLongLong(),
            words.value(at + 3).toInt()};
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("memory"));
    const int runs = Bench::intArgument(QStringLiteral("runs"), 3);
    const int cycles = std::max(Bench::intArgument(QStringLiteral("cycles"), 200), WarmCycles + 1);

    devsim::DeviceSimulator::Options options;
    options.model = devsim::Model::Ethernet;
    options.usb = false;
    devsim::DeviceSimulator device(options);
    QString error;
    if (!device.start(&error))
        Bench::fail(QStringLiteral("the simulated device does not start: %1").arg(error));

    const Bench::ChildEnvironment child;
    const QString launcher = Bench::helperProgram(QStringLiteral("launcher"));
    const QString minimal = Bench::helperProgram(QStringLiteral("minimal"));

    QVector<double> toolPeak, floorPeak;
    Memory warm, last;
    for (int i = 0; i < runs; ++i) {
        // The open/close cycles run once; the other runs only repeat the peak.
        const QStringList arguments = {QStringLiteral("--memory"), QStringLiteral("--config-port"),
                                       QString::number(device.configPort()), QStringLiteral("--cycles"),
                                       QString::number(i == 0 ? cycles : 0)};
        const Bench::ProcessRun tool = Bench::runProcess(launcher, arguments, child, RunTimeoutMs);
        const Memory scenario = parse(tool, QStringLiteral("scenario"));
        toolPeak.append(scenario.hwmKiB);
        if (i == 0) {
            warm = parse(tool, QStringLiteral("cycles %1").arg(WarmCycles));
            last = parse(tool, QStringLiteral("cycles %1").arg(cycles));
        }

        const Bench::PrintedLine *shown = tool.line(QStringLiteral("main-shown"));
        const QStringList size = shown ? shown->text.split(QLatin1Char(' ')) : QStringList();
        const Bench::ProcessRun bare = Bench::runProcess(
            minimal,
            {QStringLiteral("--memory"), QStringLiteral("--width"), size.value(1), QStringLiteral("--height"),
             size.value(2)},
            child, RunTimeoutMs);
        if (!bare.finished)
            Bench::fail(bare.failure);
        const Bench::PrintedLine *line = bare.line(QStringLiteral("memory"));
        if (!line)
            Bench::fail(QStringLiteral("no memory line from the minimal program"));
        floorPeak.append(line->text.split(QLatin1Char(' ')).value(1).toDouble());
    }

    Bench::Table table;
    const double tool = Bench::median(toolPeak), floor = Bench::median(floorPeak);
    table.add({QStringLiteral("memory: peak RSS after connect, read, network window, 10 info windows"),
               Bench::formatKiB(tool), QStringLiteral("minimal Qt program: %1").arg(Bench::formatKiB(floor)),
               Bench::formatRatio(tool / floor), QStringLiteral("<= %1").arg(Bench::formatRatio(TargetRatio)),
               Bench::verdict(tool / floor <= TargetRatio)});

    const int measuredCycles = cycles - WarmCycles;
    const double heapGrowth = double(last.heapBytes - warm.heapBytes);
    const double perCycle = heapGrowth / measuredCycles;
    table.add({QStringLiteral("memory: heap in use, cycle %1 -> %2 (open/close network + info window)")
                   .arg(WarmCycles)
                   .arg(cycles),
               QStringLiteral("%1 B (%2 B/cycle)").arg(qint64(heapGrowth)).arg(perCycle, 0, 'f', 1),
               QStringLiteral("heap at cycle %1: %2").arg(WarmCycles).arg(Bench::formatKiB(warm.heapBytes / 1024.0)),
               Bench::formatPercent(heapGrowth / double(warm.heapBytes)),
               QStringLiteral("< %1 B/cycle").arg(NoiseBytesPerCycle, 0, 'f', 0),
               Bench::verdict(perCycle < NoiseBytesPerCycle)});
    table.add({QStringLiteral("memory: resident size, cycle %1 -> %2").arg(WarmCycles).arg(cycles),
               QStringLiteral("%1 KiB").arg(last.rssKiB - warm.rssKiB),
               QStringLiteral("RSS at cycle %1: %2").arg(WarmCycles).arg(Bench::formatKiB(warm.rssKiB)),
               Bench::formatPercent(double(last.rssKiB - warm.rssKiB) / double(warm.rssKiB)), QStringLiteral("-"),
               QStringLiteral("-")});
    table.add({QStringLiteral("memory: windows alive after %1 cycles").arg(cycles), QString::number(last.windows),
               QStringLiteral("-"), QStringLiteral("-"), QStringLiteral("0"), Bench::verdict(last.windows == 0)});
    table.print();
    return 0;
}
