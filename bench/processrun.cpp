#include "processrun.h"

#include "benchsupport.h"

#include <QCoreApplication>
#include <QDir>
#include <QEventLoop>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTimer>

namespace Bench {

const PrintedLine *ProcessRun::line(const QString &word) const
{
    for (const PrintedLine &printed : lines) {
        if (printed.text == word || printed.text.startsWith(word + QLatin1Char(' ')))
            return &printed;
    }
    return nullptr;
}

ChildEnvironment::ChildEnvironment()
{
    if (!m_home.isValid())
        fail(QStringLiteral("cannot create a private home for the helper programs"));
    const QString home = m_home.path();
    QDir(home).mkpath(QStringLiteral(".config"));
    QDir(home).mkpath(QStringLiteral("run"));
    QFile::setPermissions(home + QStringLiteral("/run"),
                          QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    m_environment = QProcessEnvironment::systemEnvironment();
    m_environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    m_environment.insert(QStringLiteral("HOME"), home);
    m_environment.insert(QStringLiteral("XDG_CONFIG_HOME"), home + QStringLiteral("/.config"));
    m_environment.insert(QStringLiteral("XDG_RUNTIME_DIR"), home + QStringLiteral("/run"));
}

QString helperProgram(const QString &name)
{
    const QString path = QCoreApplication::applicationDirPath() + QLatin1Char('/') + name;
    if (!QFileInfo::exists(path))
        fail(QStringLiteral("helper program %1 is missing; build the bench target").arg(path));
    return path;
}

ProcessRun runProcess(const QString &program, const QStringList &arguments, const ChildEnvironment &child,
                      int timeoutMs)
{
    ProcessRun run;
    QProcess process;
    process.setProcessEnvironment(child.environment());
    process.setStandardErrorFile(child.errorLog());
    QByteArray pending;
    Clock::time_point start;
    QEventLoop loop;
    QObject::connect(&process, &QProcess::readyReadStandardOutput, &loop, [&] {
        const auto now = Clock::now();
        pending += process.readAllStandardOutput();
        for (int end = pending.indexOf('\n'); end >= 0; end = pending.indexOf('\n')) {
            run.lines.append(
                {microsecondsBetween(start, now), QString::fromUtf8(pending.left(end)).trimmed()});
            pending.remove(0, end + 1);
        }
    });
    QObject::connect(&process, QOverload<int, QProcess::ExitStatus>::of(&QProcess::finished), &loop,
                     &QEventLoop::quit);
    QObject::connect(&process, &QProcess::errorOccurred, &loop, [&](QProcess::ProcessError error) {
        if (error == QProcess::FailedToStart)
            loop.quit();
    });
    QTimer deadline;
    deadline.setSingleShot(true);
    QObject::connect(&deadline, &QTimer::timeout, &loop, &QEventLoop::quit);

    start = Clock::now();
    process.start(program, arguments);
    deadline.start(timeoutMs);
    loop.exec();

    if (process.state() != QProcess::NotRunning) {
        process.kill();
        process.waitForFinished(2000);
        run.failure = QStringLiteral("did not end within %1 ms").arg(timeoutMs);
    } else if (process.error() == QProcess::FailedToStart) {
        run.failure = QStringLiteral("did not start: %1").arg(process.errorString());
    } else if (process.exitStatus() != QProcess::NormalExit || process.exitCode() != 0) {
        run.failure = QStringLiteral("ended with status %1").arg(process.exitCode());
    } else {
        run.finished = true;
    }
    if (!run.finished) {
        QFile log(child.errorLog());
        const QByteArray errors = log.open(QIODevice::ReadOnly) ? log.readAll().trimmed() : QByteArray();
        run.failure = QStringLiteral("%1 %2: %3\n%4")
                          .arg(QFileInfo(program).fileName(), arguments.join(QLatin1Char(' ')), run.failure,
                               QString::fromUtf8(errors.right(2000)));
    }
    return run;
}

} // namespace Bench
