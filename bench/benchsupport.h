#pragma once

// What the benchmark programs share: statistics over samples, the one result
// table every program prints (aligned for a reader, tab-separated with --tsv
// for bench/run-all), the process's memory figures, a private settings store,
// a quiet debug log, and waiting on the event loop without polling sleeps.
//
// No figure here is ever compared against a limit in a test: the programs
// only print what they measured beside its floor.

#include <QElapsedTimer>
#include <QList>
#include <QObject>
#include <QString>
#include <QStringList>
#include <QVector>

#include <chrono>
#include <functional>

class QWidget;

class QWidget;

namespace Bench {

// ---- time -----------------------------------------------------------------

using Clock = std::chrono::steady_clock;

inline double microsecondsBetween(Clock::time_point from, Clock::time_point to)
{
    return std::chrono::duration<double, std::micro>(to - from).count();
}

// CPU time this process has used so far, all threads, from its start.
double processCpuMicroseconds();
// Times this process, all its threads, has gone to sleep of its own accord
// (waiting for an event, a timer, a lock) since it started: each is one
// wake-up once it runs again.
qint64 voluntaryContextSwitches();

// Wire time of a frame on a serial line with one start and one stop bit and
// no parity (ten bits a byte), in microseconds.
double wireMicroseconds(int bytes, int baud);

// ---- statistics -------------------------------------------------------------

double median(QVector<double> samples);
// Nearest-rank percentile, p in (0, 100].
double percentile(QVector<double> samples, double p);

// "183 us", "4.21 ms", "1.52 s": three significant digits, ASCII only so that
// the table aligns in any terminal and with any awk.
QString formatMicroseconds(double us);
QString formatKiB(double kib);
QString formatRatio(double ratio);   // "1.23x"
QString formatPercent(double ratio); // "1.8 %"

// ---- the result table ---------------------------------------------------------

struct Row
{
    QString figure;   // what was measured
    QString measured; // median unless the figure says otherwise
    QString floor;    // what it is compared with, and its value
    QString ratio;    // measured against the floor
    QString target;
    QString met; // "yes", "NO" or "-" where no target applies
};

QString verdict(bool met);

class Table
{
public:
    void add(const Row &row) { m_rows.append(row); }
    // Tab-separated rows prefixed "ROW" when the program was started with
    // --tsv (bench/run-all collects them), an aligned table otherwise.
    void print() const;

private:
    QList<Row> m_rows;
};

bool tsvRequested();
// Value of "--name value" on the command line, or fallback.
int intArgument(const QString &name, int fallback);
QString stringArgument(const QString &name, const QString &fallback = QString());

// A fatal benchmark error: the path measured is not the path meant. Prints
// the reason and ends the process with status 1.
[[noreturn]] void fail(const QString &reason);

// ---- process memory -----------------------------------------------------------

// A field of /proc/self/status in kB ("VmHWM", "VmRSS"); -1 if absent.
qint64 statusKiB(const char *field);
// Bytes the C heap has handed out and not taken back (all arenas); -1 where
// the C library cannot tell.
qint64 heapInUseBytes();
// Gives free heap pages back to the system, so that VmRSS follows what is in use.
void trimHeap();

// ---- environment of the programs -------------------------------------------------

// Points the user-scope settings store at a private temporary folder for the
// rest of the process, so that a benchmark never reads or writes the real
// user's saved entries. Call before anything opens QSettings.
void isolateSettings();

// Switches the tool's traces off through the logging rules
// ("telvor.*.debug=false", and plain qDebug lines), keeping warnings and
// errors on stderr. A trace switched off costs the check of its category.
void silenceDebugLog();

// What every benchmark that drives the tool's windows sets up once its
// application exists: its name, quiet traces, a private settings store, and
// a failure on any modal box.
void prepareRun(const QString &name);

// ---- event loop ---------------------------------------------------------------------

// Runs the event loop until done() holds or timeoutMs passes; true if it holds.
bool waitUntil(const std::function<bool()> &done, int timeoutMs = 5000);

// Runs the event loop for about ms milliseconds.
void settle(int ms);

// Shows the window and runs the event loop until it is exposed; fails the
// benchmark, naming the window by what, if it is not within five seconds.
void showExposed(QWidget &window, const QString &what);

// Fails the benchmark, naming the box, when a modal message box opens: a box
// means the scenario went off the path it measures, and waiting on it would
// hang the run.
void failOnModalBoxes();
// The same through an application event filter on the box's Show event,
// with no timer: for measuring an idle process, whose wake-ups a polling
// timer would add to.
void failOnModalBoxesWithoutPolling();

// Emits painted() once, from the event loop, after the widget's first paint
// has completed (its children are painted in the same pass).
class FirstPaint : public QObject
{
    Q_OBJECT

public:
    explicit FirstPaint(QWidget *widget);

signals:
    void painted();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    bool m_seen = false;
};

} // namespace Bench
