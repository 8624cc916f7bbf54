// startup: wall time from process start to the start window shown and to the
// main window shown (offscreen), for the tool's start-up (the launcher
// program) against two floors, all run alternately in the same run:
//
// - a bare Qt Widgets program showing one empty QMainWindow of the same size
//   (the minimal program): what any Qt Widgets window costs;
// - the tool's own forms with their icons and none of its logic (the forms
//   program): what showing these windows costs, so that the ratio is the
//   tool's own overhead.
//
// "Shown" is the line a program prints after its window's first paint; the
// time runs from just before the process is started. The main window figure
// of the tool includes the start window before it and "Devam Et", pressed the
// moment the start window is shown; its floor is the minimal program with
// the main window's size.
//
//   startup [--runs N] [--tsv]

#include "benchsupport.h"
#include "processrun.h"

#include <QCoreApplication>

namespace {

// Either window against the same forms. The forms alone cost well over an
// empty window, so the empty-window rows carry no target and are printed
// for information.
constexpr double TargetForms = 1.1;
constexpr int RunTimeoutMs = 20000;

struct Size
{
    int width = 0, height = 0;
};

// "WORD W H CPU"
Size sizeOf(const Bench::PrintedLine &line)
{
    const QStringList words = line.text.split(QLatin1Char(' '));
    return {words.value(1).toInt(), words.value(2).toInt()};
}

double cpuOf(const Bench::PrintedLine &line)
{
    return line.text.split(QLatin1Char(' ')).value(3).toDouble();
}

struct Shown
{
    QVector<double> wall, cpu;
    void add(const Bench::PrintedLine &line)
    {
        wall.append(line.atUs);
        cpu.append(cpuOf(line));
    }
};

const Bench::PrintedLine &expect(const Bench::ProcessRun &run, const QString &word)
{
    if (!run.finished)
        Bench::fail(run.failure);
    const Bench::PrintedLine *line = run.line(word);
    if (!line)
        Bench::fail(QStringLiteral("a helper program never printed \"%1\"").arg(word));
    return *line;
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("startup"));
    const int runs = Bench::intArgument(QStringLiteral("runs"), 30);
    constexpr int Warmup = 2;

    const Bench::ChildEnvironment child;
    const QString launcher = Bench::helperProgram(QStringLiteral("launcher"));
    const QString minimal = Bench::helperProgram(QStringLiteral("minimal"));
    const QString forms = Bench::helperProgram(QStringLiteral("forms"));

    // The sizes the minimal program takes on: those the tool's windows have.
    const Bench::ProcessRun first = Bench::runProcess(launcher, {}, child, RunTimeoutMs);
    const Size chooserSize = sizeOf(expect(first, QStringLiteral("chooser-shown")));
    const Size mainSize = sizeOf(expect(first, QStringLiteral("main-shown")));
    const auto minimalArguments = [](Size size) {
        return QStringList{QStringLiteral("--width"), QString::number(size.width), QStringLiteral("--height"),
                           QString::number(size.height)};
    };
    // The forms floor must show windows of the tool's sizes, or it is not the
    // same screen.
    {
        const Bench::ProcessRun run = Bench::runProcess(forms, {}, child, RunTimeoutMs);
        const Size c = sizeOf(expect(run, QStringLiteral("chooser-shown")));
        const Size m = sizeOf(expect(run, QStringLiteral("main-shown")));
        if (c.width != chooserSize.width || c.height != chooserSize.height || m.width != mainSize.width ||
            m.height != mainSize.height)
            Bench::fail(QStringLiteral("the forms program shows %1x%2 and %3x%4, the tool %5x%6 and %7x%8")
                            .arg(c.width)
                            .arg(c.height)
                            .arg(m.width)
                            .arg(m.height)
                            .arg(chooserSize.width)
                            .arg(chooserSize.height)
                            .arg(mainSize.width)
                            .arg(mainSize.height));
    }

    constexpr int Programs = 4;
    Shown toolChooser, toolMain, floorChooser, floorMain, formsChooser, formsMain;
    // The tool and the forms program each show the start window, then the
    // main window; the minimal program shows one empty window of a size.
    const auto runBoth = [&](const QString &program, Shown &chooserShown, Shown &mainShown, bool keep) {
        const Bench::ProcessRun run = Bench::runProcess(program, {}, child, RunTimeoutMs);
        const Bench::PrintedLine &chooser = expect(run, QStringLiteral("chooser-shown"));
        const Bench::PrintedLine &main = expect(run, QStringLiteral("main-shown"));
        if (keep) {
            chooserShown.add(chooser);
            mainShown.add(main);
        }
    };
    const auto runMinimal = [&](Size size, Shown &windowShown, bool keep) {
        const Bench::ProcessRun run = Bench::runProcess(minimal, minimalArguments(size), child, RunTimeoutMs);
        const Bench::PrintedLine &shown = expect(run, QStringLiteral("shown"));
        if (keep)
            windowShown.add(shown);
    };
    for (int i = 0; i < Warmup + runs; ++i) {
        // Rotate the order, so that no program always runs right after another.
        for (int slot = 0; slot < Programs; ++slot) {
            const bool keep = i >= Warmup;
            switch ((slot + i) % Programs) {
            case 0:
                runBoth(launcher, toolChooser, toolMain, keep);
                break;
            case 1:
                runMinimal(chooserSize, floorChooser, keep);
                break;
            case 2:
                runMinimal(mainSize, floorMain, keep);
                break;
            default:
                runBoth(forms, formsChooser, formsMain, keep);
                break;
            }
        }
    }

    Bench::Table table;
    const auto add = [&table](const QString &figure, Size size, const Shown &tool, const QString &floorName,
                              const Shown &floor, double target) {
        const double wall = Bench::median(tool.wall), floorWall = Bench::median(floor.wall);
        const bool hasTarget = target > 0;
        table.add({QStringLiteral("startup: process start -> %1 (%2x%3), median")
                       .arg(figure)
                       .arg(size.width)
                       .arg(size.height),
                   QStringLiteral("%1 (p95 %2)")
                       .arg(Bench::formatMicroseconds(wall),
                            Bench::formatMicroseconds(Bench::percentile(tool.wall, 95))),
                   QStringLiteral("%1: %2").arg(floorName, Bench::formatMicroseconds(floorWall)),
                   Bench::formatRatio(wall / floorWall),
                   hasTarget ? QStringLiteral("<= %1").arg(Bench::formatRatio(target)) : QStringLiteral("-"),
                   hasTarget ? Bench::verdict(wall / floorWall <= target) : QStringLiteral("-")});
        // CPU time does not count the waits for a busy machine's processors.
        const double cpu = Bench::median(tool.cpu), floorCpu = Bench::median(floor.cpu);
        table.add({QStringLiteral("startup: ... same, CPU time used until then, median"),
                   Bench::formatMicroseconds(cpu),
                   QStringLiteral("%1: %2").arg(floorName, Bench::formatMicroseconds(floorCpu)),
                   Bench::formatRatio(cpu / floorCpu), QStringLiteral("-"), QStringLiteral("-")});
    };
    const QString empty = QStringLiteral("empty-window program");
    const QString same = QStringLiteral("same-forms program");
    add(QStringLiteral("start window shown"), chooserSize, toolChooser, empty, floorChooser, 0);
    add(QStringLiteral("start window shown"), chooserSize, toolChooser, same, formsChooser, TargetForms);
    add(QStringLiteral("main window shown"), mainSize, toolMain, same, formsMain, TargetForms);
    add(QStringLiteral("main window shown"), mainSize, toolMain, empty, floorMain, 0);
    // The floors side by side: what the forms themselves cost.
    add(QStringLiteral("forms' start window shown"), chooserSize, formsChooser, empty, floorChooser, 0);
    add(QStringLiteral("forms' main window shown"), mainSize, formsMain, empty, floorMain, 0);
    table.print();
    return 0;
}
