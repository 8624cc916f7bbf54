// The devicesim program as a technician runs it: its options, the endpoint
// lines it prints at start, a request over loopback, the log on standard
// output, and a clean exit on SIGTERM and SIGINT.

#include "testsupport.h"

#include <QProcess>
#include <QRegularExpression>
#include <QTcpSocket>
#include <QtTest>

#include <csignal>

namespace {

QByteArray exchange(quint16 port, const QByteArray &request)
{
    QTcpSocket socket;
    socket.connectToHost(QHostAddress::LocalHost, port);
    if (!socket.waitForConnected(2000))
        return "not connected";
    socket.write(request);
    QByteArray reply;
    while (!reply.endsWith("\r\n") && socket.waitForReadyRead(2000))
        reply += socket.readAll();
    return reply;
}

// Reads the endpoint lines the program prints before anything else.
QMap<QString, QString> endpointLines(QProcess &process, int count)
{
    QMap<QString, QString> endpoints;
    while (endpoints.size() < count) {
        if (!process.canReadLine() && !process.waitForReadyRead(5000))
            break;
        while (process.canReadLine() && endpoints.size() < count) {
            const QString line = QString::fromUtf8(process.readLine()).trimmed();
            endpoints.insert(line.section(QLatin1Char(' '), 0, 0), line.section(QLatin1Char(' '), 1));
        }
    }
    return endpoints;
}

quint16 portOf(const QString &address)
{
    return quint16(address.section(QLatin1Char(':'), -1).toUInt());
}

} // namespace

class TestDeviceSimulatorProgram : public QObject
{
    Q_OBJECT

private slots:
    void helpListsEveryOption()
    {
        QProcess process;
        process.start(QStringLiteral(DEVICESIM_PROGRAM), {QStringLiteral("--help")});
        QVERIFY(process.waitForFinished(5000));
        QCOMPARE(process.exitCode(), 0);
        const QString help = QString::fromUtf8(process.readAllStandardOutput());
        const char *options[] = {
            "--model",           "--host",           "--config-port",     "--port232",      "--port485",
            "--pty-link",        "--no-usb",         "--state",           "--restart-ms",   "--reply-delay",
            "--chunk-size",      "--chunk-gap",      "--coalesce",        "--silent",       "--silent-after",
            "--close-mid-reply", "--garbage-reply",  "--oversized-reply", "--record-delta", "--out-of-range",
            "--err-on-write",    "--close-on-accept"};
        for (const char *option : options)
            QVERIFY2(help.contains(QLatin1String(option) + QLatin1Char(' ')), option);
    }

    void servesAndStopsCleanly_data()
    {
        QTest::addColumn<int>("signalNumber");
        QTest::newRow("SIGTERM") << SIGTERM;
        QTest::newRow("SIGINT") << SIGINT;
    }
    void servesAndStopsCleanly()
    {
        QFETCH(int, signalNumber);
        QProcess process;
        process.start(QStringLiteral(DEVICESIM_PROGRAM),
                      {QStringLiteral("--restart-ms"), QStringLiteral("200")});
        const QMap<QString, QString> endpoints = endpointLines(process, 4);
        const QRegularExpression address(QStringLiteral("^127\\.0\\.0\\.1:[1-9][0-9]*$"));
        for (const char *name : {"config-service", "rs232", "rs485"})
            QVERIFY2(address.match(endpoints.value(QLatin1String(name))).hasMatch(), name);
        QVERIFY(QRegularExpression(QStringLiteral("^/dev/pts/[0-9]+$"))
                    .match(endpoints.value(QStringLiteral("usb")))
                    .hasMatch());

        QCOMPARE(exchange(portOf(endpoints.value(QStringLiteral("config-service"))), "AT+PING\r\n"),
                 QByteArray("+PING\r\n"));
        QCOMPARE(exchange(portOf(endpoints.value(QStringLiteral("rs485"))), "AT+CURRENT_IP\r\n"),
                 QByteArray("+CURRENT_IP=1677830336\r\n"));

        ::kill(pid_t(process.processId()), signalNumber);
        QVERIFY(process.waitForFinished(5000));
        QCOMPARE(process.exitStatus(), QProcess::NormalExit);
        QCOMPARE(process.exitCode(), 0);
        const QString log = QString::fromUtf8(process.readAllStandardOutput());
        QVERIFY2(log.contains(QLatin1String("config-service <- AT+PING\\r\\n")), qPrintable(log));
        QVERIFY2(log.contains(QLatin1String("config-service -> +PING\\r\\n")), qPrintable(log));
        QVERIFY2(log.contains(QLatin1String("rs485 -> +CURRENT_IP=1677830336\\r\\n")), qPrintable(log));
    }

    void modelAndFaultOptions()
    {
        QProcess process;
        process.start(QStringLiteral(DEVICESIM_PROGRAM), {QStringLiteral("--model"), QStringLiteral("gsm"),
                                                          QStringLiteral("--record-delta=-1")});
        const QMap<QString, QString> endpoints = endpointLines(process, 2);
        QCOMPARE(endpoints.keys(), (QStringList{QStringLiteral("rs232"), QStringLiteral("rs485")}));
        const QByteArray reply = exchange(portOf(endpoints.value(QStringLiteral("rs232"))), "AT+READALL\r\n");
        QCOMPARE(reply, QByteArray("+READALL=1,502,0,8,0,1,5,8,400,100,0,0,100,120,"
                                   "1,503,0,8,0,1,5,8,400,100,0,0,100,120,internet\r\n"));
        process.terminate();
        QVERIFY(process.waitForFinished(5000));
        QCOMPARE(process.exitCode(), 0);
    }

    void refusesNonLoopbackHost()
    {
        QProcess process;
        process.start(QStringLiteral(DEVICESIM_PROGRAM),
                      {QStringLiteral("--host"), QStringLiteral("192.0.2.1")});
        QVERIFY(process.waitForFinished(5000));
        QVERIFY(process.exitCode() != 0);
        QCOMPARE(process.readAllStandardOutput(), QByteArray());
        QVERIFY(process.readAllStandardError().contains("loopback"));
    }
};

TELVOR_TEST_MAIN(TestDeviceSimulatorProgram)
#include "tst_devsim_program.moc"
