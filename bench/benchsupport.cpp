#include "benchsupport.h"

#include <QApplication>
#include <QCoreApplication>
#include <QEvent>
#include <QEventLoop>
#include <QFile>
#include <QLoggingCategory>
#include <QMessageBox>
#include <QSettings>
#include <QTemporaryDir>
#include <QTimer>
#include <QWidget>
#include <QWindow>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <sys/resource.h>
#include <memory>

#if defined(__GLIBC__)
#include <malloc.h>
#endif

namespace Bench {

double processCpuMicroseconds()
{
    timespec now{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
    return now.tv_sec * 1e6 + now.tv_nsec / 1e3;
}

qint64 voluntaryContextSwitches()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_nvcsw;
}

double wireMicroseconds(int bytes, int baud)
{
    return bytes * 10.0 * 1e6 / baud;
}

double median(QVector<double> samples)
{
    if (samples.isEmpty())
        return std::nan("");
    std::sort(samples.begin(), samples.end());
    const int n = samples.size();
    return n % 2 ? samples.at(n / 2) : (samples.at(n / 2 - 1) + samples.at(n / 2)) / 2.0;
}

double percentile(QVector<double> samples, double p)
{
    if (samples.isEmpty())
        return std::nan("");
    std::sort(samples.begin(), samples.end());
    const int rank = int(std::ceil(p / 100.0 * samples.size()));
    return samples.at(std::clamp(rank, 1, int(samples.size())) - 1);
}

static QString threeDigits(double value)
{
    const double magnitude = std::fabs(value);
    const int decimals = magnitude >= 100 ? 0 : magnitude >= 10 ? 1 : 2;
    return QString::number(value, 'f', decimals);
}

QString formatMicroseconds(double us)
{
    if (std::isnan(us))
        return QStringLiteral("n/a");
    if (std::fabs(us) < 1000)
        return threeDigits(us) + QStringLiteral(" us");
    if (std::fabs(us) < 1e6)
        return threeDigits(us / 1e3) + QStringLiteral(" ms");
    return threeDigits(us / 1e6) + QStringLiteral(" s");
}

QString formatKiB(double kib)
{
    if (std::fabs(kib) < 10240)
        return QString::number(kib, 'f', 0) + QStringLiteral(" KiB");
    return QString::number(kib / 1024.0, 'f', 1) + QStringLiteral(" MiB");
}

QString formatRatio(double ratio)
{
    return QString::number(ratio, 'f', 2) + QLatin1Char('x');
}

QString formatPercent(double ratio)
{
    const double percent = ratio * 100.0;
    return QString::number(percent, 'f', percent < 10 ? 2 : 1) + QStringLiteral(" %");
}

QString verdict(bool met)
{
    return met ? QStringLiteral("yes") : QStringLiteral("NO");
}

bool tsvRequested()
{
    return QCoreApplication::arguments().contains(QStringLiteral("--tsv"));
}

QString stringArgument(const QString &name, const QString &fallback)
{
    const QStringList args = QCoreApplication::arguments();
    const int at = args.indexOf(QStringLiteral("--") + name);
    return at >= 0 && at + 1 < args.size() ? args.at(at + 1) : fallback;
}

int intArgument(const QString &name, int fallback)
{
    bool ok = false;
    const int value = stringArgument(name).toInt(&ok);
    return ok ? value : fallback;
}

void Table::print() const
{
    if (tsvRequested()) {
        for (const Row &row : m_rows) {
            const QStringList cells = {
                QStringLiteral("ROW"), row.figure, row.measured, row.floor, row.ratio, row.target, row.met};
            std::printf("%s\n", qPrintable(cells.join(QLatin1Char('\t'))));
        }
        std::fflush(stdout);
        return;
    }
    const QStringList header = {QStringLiteral("Figure"), QStringLiteral("Measured"), QStringLiteral("Floor"),
                                QStringLiteral("Ratio"),  QStringLiteral("Target"),   QStringLiteral("Met")};
    QList<QStringList> lines = {header};
    for (const Row &row : m_rows)
        lines.append({row.figure, row.measured, row.floor, row.ratio, row.target, row.met});
    QVector<int> widths(header.size(), 0);
    for (const QStringList &line : lines) {
        for (int i = 0; i < line.size(); ++i)
            widths[i] = std::max(widths[i], int(line.at(i).size()));
    }
    for (const QStringList &line : lines) {
        QString text;
        for (int i = 0; i < line.size(); ++i)
            text += line.at(i).leftJustified(widths[i] + 2);
        std::printf("%s\n", qPrintable(text.trimmed()));
    }
    std::fflush(stdout);
}

void fail(const QString &reason)
{
    std::fprintf(stderr, "%s: %s\n", qPrintable(QCoreApplication::applicationName()), qPrintable(reason));
    std::fflush(stderr);
    std::exit(1);
}

qint64 statusKiB(const char *field)
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly | QIODevice::Text))
        return -1;
    const QByteArray prefix = QByteArray(field) + ':';
    for (const QByteArray &line : status.readAll().split('\n')) {
        if (line.startsWith(prefix))
            return line.mid(prefix.size()).trimmed().split(' ').value(0).toLongLong();
    }
    return -1;
}

qint64 heapInUseBytes()
{
#if defined(__GLIBC__) && (__GLIBC__ > 2 || (__GLIBC__ == 2 && __GLIBC_MINOR__ >= 33))
    const struct mallinfo2 info = mallinfo2();
    return qint64(info.uordblks) + qint64(info.hblkhd);
#else
    return -1;
#endif
}

void trimHeap()
{
#if defined(__GLIBC__)
    malloc_trim(0);
#endif
}

void isolateSettings()
{
    static std::unique_ptr<QTemporaryDir> home;
    if (home)
        return;
    home = std::make_unique<QTemporaryDir>();
    if (!home->isValid())
        fail(QStringLiteral("cannot create a private settings folder"));
    for (QSettings::Format format : {QSettings::NativeFormat, QSettings::IniFormat})
        QSettings::setPath(format, QSettings::UserScope, home->path());
}

void silenceDebugLog()
{
    // Plain qDebug() lines go to the default category.
    QLoggingCategory::setFilterRules(QStringLiteral("telvor.*.debug=false"));
}

bool waitUntil(const std::function<bool()> &done, int timeoutMs)
{
    if (done())
        return true;
    QEventLoop loop;
    QTimer poll;
    poll.setTimerType(Qt::PreciseTimer);
    QObject::connect(&poll, &QTimer::timeout, &loop, [&] {
        if (done())
            loop.quit();
    });
    poll.start(1);
    QTimer deadline;
    deadline.setSingleShot(true);
    QObject::connect(&deadline, &QTimer::timeout, &loop, &QEventLoop::quit);
    deadline.start(timeoutMs);
    loop.exec();
    return done();
}

void showExposed(QWidget &window, const QString &what)
{
    window.show();
    if (!waitUntil([&] { return window.windowHandle() && window.windowHandle()->isExposed(); }))
        fail(QStringLiteral("%1 was not exposed").arg(what));
}

void settle(int ms)
{
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec();
}

void failOnModalBoxes()
{
    auto *watch = new QTimer(qApp);
    QObject::connect(watch, &QTimer::timeout, qApp, [] {
        if (auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget()))
            fail(QStringLiteral("unexpected message box \"%1\": %2").arg(box->windowTitle(), box->text()));
    });
    watch->start(50);
}

namespace {

class BoxWatch : public QObject
{
public:
    BoxWatch() : QObject(qApp) { qApp->installEventFilter(this); }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::Show) {
            if (auto *box = qobject_cast<QMessageBox *>(watched))
                fail(QStringLiteral("unexpected message box \"%1\": %2").arg(box->windowTitle(), box->text()));
        }
        return false;
    }
};

} // namespace

void prepareRun(const QString &name)
{
    QCoreApplication::setApplicationName(name);
    silenceDebugLog();
    isolateSettings();
    failOnModalBoxes();
}

void failOnModalBoxesWithoutPolling()
{
    new BoxWatch;
}

FirstPaint::FirstPaint(QWidget *widget) : QObject(widget)
{
    widget->installEventFilter(this);
}

bool FirstPaint::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::Paint && !m_seen) {
        m_seen = true;
        watched->removeEventFilter(this);
        // Queued: the paint now starting, children included, finishes first.
        QTimer::singleShot(0, this, &FirstPaint::painted);
    }
    return false;
}

} // namespace Bench
