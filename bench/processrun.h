#pragma once

// Runs a helper program of the benchmarks (launcher, minimal) as a child
// process and stamps every line it prints with the time since the process
// was started. The event loop keeps running meanwhile, so a simulated device
// in the driver's own process goes on serving the child.

#include <QProcessEnvironment>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <QVector>

namespace Bench {

struct PrintedLine
{
    double atUs = 0; // since just before the process was started
    QString text;
};

struct ProcessRun
{
    QVector<PrintedLine> lines;
    bool finished = false; // ended on its own, with status 0, in time
    QString failure;       // why not, with the child's error output

    // The first line that starts with the word, or null.
    const PrintedLine *line(const QString &word) const;
};

// A private home for the helper programs: headless (offscreen), with
// settings and runtime folders of their own, so that no run touches the
// real user's settings store. Lives as long as the object.
class ChildEnvironment
{
public:
    ChildEnvironment();
    QProcessEnvironment environment() const { return m_environment; }
    void insert(const QString &name, const QString &value) { m_environment.insert(name, value); }
    void remove(const QString &name) { m_environment.remove(name); }
    // Where a child's error output goes (the tool traces every frame there);
    // its end is shown when a run fails.
    QString errorLog() const { return m_home.filePath(QStringLiteral("stderr.log")); }

private:
    QTemporaryDir m_home;
    QProcessEnvironment m_environment;
};

// The helper program of that name in the driver's own folder.
QString helperProgram(const QString &name);

ProcessRun runProcess(const QString &program, const QStringList &arguments, const ChildEnvironment &child,
                      int timeoutMs);

} // namespace Bench
