// memory: the tool's peak resident size (VmHWM) after connecting, reading the
// port record, opening the network window and ten information windows,
// against the minimal Qt program showing one empty QMainWindow of the main
// window's size; and whether windows that were closed are really freed.
//
// Peak: the launcher (--cycles 0) and the minimal program run alternately,
// --runs times each; medians are compared, for information: the tool's
// forms alone cost well over an empty window, so the main window is
// judged against the same-forms program instead, target within 1.1x. The
// peaks on the way (network window open, ten information windows) are
// reported beside it, and what one information window adds.
//
// Information windows: the minimal program also runs with ten bare dialogs
// of the information window's size open, which is what ten top-level
// windows of that size cost with nothing in them (their platform windows and
// backing stores). The tool's own part of its peak with ten information
// windows is that peak less what the ten bare dialogs cost; target: within
// 1.1x of the tool's peak before it opened them (network window open), that
// is ten information windows cost little beyond their backing stores.
//
// Freed: one launcher run opens and closes a network window and an
// information window --cycles times and reports the C heap in use after
// cycle 20 and after the last. Two things that hold memory without any
// window holding it are kept out of that run, so that a window left behind
// would stand out: the C library's per-thread cache of freed blocks (counted
// as in use by the allocator's statistics; switched off with
// GLIBC_TUNABLES=glibc.malloc.tcache_count=0) and Qt's pixmap cache (switched
// off by the launcher for the cycles). A second run keeps Qt's pixmap cache,
// to show what that cache takes meanwhile (bounded by its limit).
//
// The simulated device runs in this driver's process, so the launcher's
// figures hold the tool alone.
//
//   memory [--runs N] [--cycles N] [--tsv]

#include "benchsupport.h"
#include "processrun.h"

#include "benchdevice.h"

#include <QCoreApplication>

namespace {

constexpr double TargetAgainstForms = 1.1;
constexpr double TargetOwnPart = 1.1;
constexpr int WarmCycles = 20;
constexpr int InformationWindows = 10;
// Heap growth a cycle that still counts as noise. One information window left
// behind holds more than half a megabyte (mostly its backing store), one
// widget a few hundred bytes.
constexpr double NoiseBytesPerCycle = 64;
constexpr int RunTimeoutMs = 120000;
const QString NoThreadCache = QStringLiteral("glibc.malloc.tcache_count=0");

struct Memory
{
    qint64 hwmKiB = 0, rssKiB = 0, heapBytes = 0;
    int windows = 0;
};

void expectFinished(const Bench::ProcessRun &run)
{
    if (!run.finished)
        Bench::fail(run.failure);
}

// "memory LABEL... HWM RSS HEAP [WINDOWS]"
Memory parse(const Bench::ProcessRun &run, const QString &label)
{
    expectFinished(run);
    const QString prefix = label.isEmpty() ? QStringLiteral("memory") : QStringLiteral("memory ") + label;
    const Bench::PrintedLine *line = run.line(prefix);
    if (!line)
        Bench::fail(QStringLiteral("no \"%1\" line from a helper program").arg(prefix));
    const QStringList words = line->text.mid(prefix.size()).split(QLatin1Char(' '), Qt::SkipEmptyParts);
    return {words.value(0).toLongLong(), words.value(1).toLongLong(), words.value(2).toLongLong(),
            words.value(3).toInt()};
}

QStringList launcherArguments(quint16 port, int cycles)
{
    return {QStringLiteral("--memory"), QStringLiteral("--config-port"), QString::number(port),
            QStringLiteral("--cycles"), QString::number(cycles)};
}

struct CycleFigures
{
    Memory warm, last;
};

CycleFigures runCycles(const QString &launcher, Bench::ChildEnvironment &child, quint16 port, int cycles,
                       bool keepPixmapCache)
{
    child.insert(QStringLiteral("GLIBC_TUNABLES"), NoThreadCache);
    QStringList arguments = launcherArguments(port, cycles);
    if (keepPixmapCache)
        arguments << QStringLiteral("--keep-pixmap-cache");
    const Bench::ProcessRun run = Bench::runProcess(launcher, arguments, child, RunTimeoutMs);
    child.remove(QStringLiteral("GLIBC_TUNABLES"));
    return {parse(run, QStringLiteral("cycles %1").arg(WarmCycles)),
            parse(run, QStringLiteral("cycles %1").arg(cycles))};
}

QString minimalText(double kib)
{
    return QStringLiteral("minimal Qt program: %1").arg(Bench::formatKiB(kib));
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("memory"));
    const int runs = Bench::intArgument(QStringLiteral("runs"), 3);
    const int cycles = std::max(Bench::intArgument(QStringLiteral("cycles"), 200), WarmCycles + 1);

    const auto simulator = Bench::startDevice(devsim::Model::Ethernet);
    devsim::DeviceSimulator &device = *simulator;
    const quint16 port = device.configPort();

    Bench::ChildEnvironment child;
    const QString launcher = Bench::helperProgram(QStringLiteral("launcher"));
    const QString minimal = Bench::helperProgram(QStringLiteral("minimal"));

    const QString forms = Bench::helperProgram(QStringLiteral("forms"));
    QVector<double> mainShown, networkWindow, scenario, floorPeak, floorDialogsPeak, formsPeak;
    for (int i = 0; i < runs; ++i) {
        const Bench::ProcessRun tool =
            Bench::runProcess(launcher, launcherArguments(port, 0), child, RunTimeoutMs);
        mainShown.append(parse(tool, QStringLiteral("main-shown")).hwmKiB);
        networkWindow.append(parse(tool, QStringLiteral("network-window")).hwmKiB);
        const Memory peak = parse(tool, QStringLiteral("scenario"));
        if (peak.windows != 1 + InformationWindows)
            Bench::fail(QStringLiteral("the scenario had %1 windows open instead of %2")
                            .arg(peak.windows)
                            .arg(1 + InformationWindows));
        scenario.append(peak.hwmKiB);

        const QStringList size = tool.line(QStringLiteral("main-shown"))->text.split(QLatin1Char(' '));
        const Bench::ProcessRun bare =
            Bench::runProcess(minimal,
                              {QStringLiteral("--memory"), QStringLiteral("--width"), size.value(1),
                               QStringLiteral("--height"), size.value(2)},
                              child, RunTimeoutMs);
        floorPeak.append(parse(bare, QString()).hwmKiB);

        const QStringList dialog = tool.line(QStringLiteral("information-window"))
                                       ? tool.line(QStringLiteral("information-window"))->text.split(QLatin1Char(' '))
                                       : QStringList();
        if (dialog.size() != 3)
            Bench::fail(QStringLiteral("the launcher did not print the information window's size"));
        const Bench::ProcessRun dialogs =
            Bench::runProcess(minimal,
                              {QStringLiteral("--memory"), QStringLiteral("--width"), size.value(1),
                               QStringLiteral("--height"), size.value(2), QStringLiteral("--dialogs"),
                               QString::number(InformationWindows), QStringLiteral("--dialog-width"),
                               dialog.value(1), QStringLiteral("--dialog-height"), dialog.value(2)},
                              child, RunTimeoutMs);
        floorDialogsPeak.append(parse(dialogs, QString()).hwmKiB);

        formsPeak.append(parse(Bench::runProcess(forms, {QStringLiteral("--memory")}, child, RunTimeoutMs), QString())
                             .hwmKiB);
    }
    const CycleFigures freed = runCycles(launcher, child, port, cycles, false);
    const CycleFigures cached = runCycles(launcher, child, port, cycles, true);

    Bench::Table table;
    const double floor = Bench::median(floorPeak);
    const auto peakRow = [&](const QString &figure, double kib, double target) {
        table.add({QStringLiteral("memory: peak RSS, %1").arg(figure), Bench::formatKiB(kib), minimalText(floor),
                   Bench::formatRatio(kib / floor),
                   target > 0 ? QStringLiteral("<= %1").arg(Bench::formatRatio(target)) : QStringLiteral("-"),
                   target > 0 ? Bench::verdict(kib / floor <= target) : QStringLiteral("-")});
    };
    peakRow(QStringLiteral("main window shown"), Bench::median(mainShown), 0);
    // What the same forms cost without the tool's code: the part of the main
    // window's figure that its forms (widgets, icons, backing store) explain.
    peakRow(QStringLiteral("same-forms program, main window shown"), Bench::median(formsPeak), 0);
    table.add({QStringLiteral("memory: peak RSS, main window shown, against the same forms"),
               Bench::formatKiB(Bench::median(mainShown)),
               QStringLiteral("same-forms program: %1").arg(Bench::formatKiB(Bench::median(formsPeak))),
               Bench::formatRatio(Bench::median(mainShown) / Bench::median(formsPeak)),
               QStringLiteral("<= %1").arg(Bench::formatRatio(TargetAgainstForms)),
               Bench::verdict(Bench::median(mainShown) / Bench::median(formsPeak) <= TargetAgainstForms)});
    peakRow(QStringLiteral("connected, record read, network window open"), Bench::median(networkWindow), 0);
    peakRow(QStringLiteral("... and 10 information windows"), Bench::median(scenario), 0);
    const double perWindow = (Bench::median(scenario) - Bench::median(networkWindow)) / InformationWindows;
    table.add({QStringLiteral("memory: one information window adds"), Bench::formatKiB(perWindow),
               QStringLiteral("-"), QStringLiteral("-"), QStringLiteral("-"), QStringLiteral("-")});

    const double dialogsCost = Bench::median(floorDialogsPeak) - floor;
    table.add({QStringLiteral("memory: %1 bare dialogs of the information window's size cost").arg(InformationWindows),
               Bench::formatKiB(dialogsCost),
               QStringLiteral("minimal Qt program + %1 dialogs: %2").arg(InformationWindows).arg(Bench::formatKiB(Bench::median(floorDialogsPeak))),
               QStringLiteral("-"), QStringLiteral("-"), QStringLiteral("-")});
    const double ownPart = Bench::median(scenario) - dialogsCost;
    const double before = Bench::median(networkWindow);
    table.add({QStringLiteral("memory: peak with 10 information windows less 10 bare dialogs"),
               Bench::formatKiB(ownPart),
               QStringLiteral("tool before them: %1").arg(Bench::formatKiB(before)),
               Bench::formatRatio(ownPart / before), QStringLiteral("<= %1").arg(Bench::formatRatio(TargetOwnPart)),
               Bench::verdict(ownPart / before <= TargetOwnPart)});

    const int measured = cycles - WarmCycles;
    const auto heapRow = [&](const QString &figure, const CycleFigures &f, bool target) {
        const double growth = double(f.last.heapBytes - f.warm.heapBytes);
        const double perCycle = growth / measured;
        table.add(
            {QStringLiteral("memory: heap in use, cycle %1 -> %2, %3")
                 .arg(WarmCycles)
                 .arg(cycles)
                 .arg(figure),
             QStringLiteral("%1 B (%2 B/cycle)").arg(qint64(growth)).arg(perCycle, 0, 'f', 1),
             QStringLiteral("heap at cycle %1: %2")
                 .arg(WarmCycles)
                 .arg(Bench::formatKiB(f.warm.heapBytes / 1024.0)),
             Bench::formatPercent(growth / double(f.warm.heapBytes)),
             target ? QStringLiteral("< %1 B/cycle").arg(NoiseBytesPerCycle, 0, 'f', 0) : QStringLiteral("-"),
             target ? Bench::verdict(perCycle < NoiseBytesPerCycle) : QStringLiteral("-")});
    };
    heapRow(QStringLiteral("windows only"), freed, true);
    table.add(
        {QStringLiteral("memory: resident size, cycle %1 -> %2, windows only").arg(WarmCycles).arg(cycles),
         QStringLiteral("%1 KiB").arg(freed.last.rssKiB - freed.warm.rssKiB),
         QStringLiteral("RSS at cycle %1: %2").arg(WarmCycles).arg(Bench::formatKiB(freed.warm.rssKiB)),
         Bench::formatPercent(double(freed.last.rssKiB - freed.warm.rssKiB) / double(freed.warm.rssKiB)),
         QStringLiteral("-"), QStringLiteral("-")});
    table.add({QStringLiteral("memory: windows alive after %1 open/close cycles").arg(cycles),
               QString::number(freed.last.windows), QStringLiteral("-"), QStringLiteral("-"),
               QStringLiteral("0"), Bench::verdict(freed.last.windows == 0)});
    heapRow(QStringLiteral("with Qt's pixmap cache (bounded)"), cached, false);
    table.print();
    return 0;
}
