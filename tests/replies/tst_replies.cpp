// The reply handler on the real configuration page: frames typed out as the
// device sends them go into Receive_Callback, and the test looks at the
// page's widgets (by object name), the status texts and the other signals.
// Apply on the page shows what the page keeps besides its widgets.

#include "page.h"
#include "testsupport.h"
#include "transparentconfig.h"

#include <QAbstractButton>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QLoggingCategory>
#include <QSignalSpy>
#include <QSpinBox>
#include <QtTest>

using Err = TransparentConfig::TrpErr_t;
using namespace Driver;

namespace {

enum Route
{
    NoRoute,
    Ethernet,
    Usb,
    Gsm485,
    Gsm232
};

void setRoute(TransparentConfig &page, int route)
{
    page.setEnabled(true);
    switch (route) {
    case Ethernet:
        page.SetETHSettings(true);
        break;
    case Usb:
        page.SetUSBSettings(true);
        break;
    case Gsm485:
        page.Set485Settings(true);
        break;
    case Gsm232:
        page.Set232Settings(true);
        break;
    default:
        break;
    }
}

Err feed(TransparentConfig &page, const QByteArray &frame)
{
    QByteArray bytes = frame;
    return page.Receive_Callback(bytes, nullptr);
}

// Every value a person can see on the page, with the ranges and units of the
// spin boxes, keyed by object name.
QVariantMap snapshot(const TransparentConfig &page)
{
    QVariantMap state;
    for (auto *box : page.findChildren<QComboBox *>())
        state[box->objectName()] = box->currentIndex();
    for (auto *box : page.findChildren<QSpinBox *>())
        state[box->objectName()] = QStringLiteral("%1 [%2..%3]%4")
                                       .arg(box->value())
                                       .arg(box->minimum())
                                       .arg(box->maximum())
                                       .arg(box->suffix());
    for (auto *edit : page.findChildren<QLineEdit *>()) {
        if (!qobject_cast<QSpinBox *>(edit->parent()))
            state[edit->objectName()] = edit->text();
    }
    for (auto *box : page.findChildren<QCheckBox *>())
        state[box->objectName()] = box->isChecked();
    return state;
}

// Compares the page's controls with the values listed (a later value for
// the same control wins): the index of a combo box, the value of a spin box,
// the text of a line edit, 1 or 0 for a check box.
void verifyWidgets(TransparentConfig &page, const Edits &expected)
{
    QMap<QString, Edit> wanted;
    for (const Edit &value : expected)
        wanted[Page::nameOf(value.setting, value.port)] = value;
    const Page driver(page);
    for (auto it = wanted.cbegin(); it != wanted.cend(); ++it) {
        const QString actual = driver.shown(it->setting, it->port);
        QVERIFY2(actual == it->value, qPrintable(it.key() + QStringLiteral(": ") + actual));
    }
}

// Presses Apply and returns what the page sent.
QList<QByteArray> pressApply(TransparentConfig &page)
{
    QSignalSpy sent(&page, &TransparentConfig::WriteData);
    Page(page).apply();
    QList<QByteArray> frames;
    for (const auto &args : sent)
        frames << args.at(0).toByteArray();
    return frames;
}

const QByteArray EthRecord = "1,502,4,7,2,2,9,100,1230,2000,5,1,503,3,8,1,1,5,16,400,1000,7,1";
const QByteArray GsmRecord =
    "1,502,4,7,2,2,9,100,1230,2000,5,2,5000,120,1,503,3,8,1,1,5,16,400,1000,7,0,300,180,myAPN.example,1";

// The page after EthRecord; GsmRecord adds GsmFields.
const Edits CommonFields{{Setting::Enable, Port::Rs485, "1"},
                         {Setting::TcpPort, Port::Rs485, "502"},
                         {Setting::Mode, Port::Rs485, "4"},
                         {Setting::DataBits, Port::Rs485, "0"},
                         {Setting::Parity, Port::Rs485, "2"},
                         {Setting::StopBits, Port::Rs485, "1"},
                         {Setting::Baud, Port::Rs485, "9"},
                         {Setting::SilentInterval, Port::Rs485, "1230"},
                         {Setting::ModbusTimeout, Port::Rs485, "2000"},
                         {Setting::EthTimeout, Port::Rs485, "5"},
                         {Setting::Enable, Port::Rs232, "1"},
                         {Setting::TcpPort, Port::Rs232, "503"},
                         {Setting::Mode, Port::Rs232, "3"},
                         {Setting::DataBits, Port::Rs232, "1"},
                         {Setting::Parity, Port::Rs232, "1"},
                         {Setting::StopBits, Port::Rs232, "0"},
                         {Setting::Baud, Port::Rs232, "5"},
                         {Setting::SilentInterval, Port::Rs232, "16"},
                         {Setting::ModbusTimeout, Port::Rs232, "1000"},
                         {Setting::EthTimeout, Port::Rs232, "7"},
                         {Setting::InfoResponse, Port::Rs485, "1"}};
// The APN holds the keyword "APN": the reply is still a port record.
const Edits GsmFields{
    {Setting::RetryCount, Port::Rs485, "2"},        {Setting::CommandInterval, Port::Rs485, "5"},
    {Setting::PingInterval, Port::Rs485, "2"},      {Setting::RetryCount, Port::Rs232, "0"},
    {Setting::CommandInterval, Port::Rs232, "300"}, {Setting::PingInterval, Port::Rs232, "3"},
    {Setting::Apn, Port::Rs485, "myAPN.example"}};

QByteArray gsmRecord(int retry, int interval, int ping)
{
    return QStringLiteral("+READALL=0,502,0,8,0,1,5,8,400,100,0,%1,%2,%3,0,503,0,8,0,1,5,8,400,100,0,0,100,"
                          "120,apn,0\r\n")
        .arg(retry)
        .arg(interval)
        .arg(ping)
        .toUtf8();
}

// Debug lines written while it lives: category and text, one string each.
struct DebugLog
{
    static QStringList &lines()
    {
        static QStringList list;
        return list;
    }
    static void record(QtMsgType type, const QMessageLogContext &context, const QString &text)
    {
        if (type == QtDebugMsg)
            lines() << QString::fromUtf8(context.category) + QLatin1Char('|') + text;
    }
    DebugLog()
    {
        lines().clear();
        previous = qInstallMessageHandler(&DebugLog::record);
    }
    ~DebugLog()
    {
        qInstallMessageHandler(previous);
        // Back to the rules every test program starts with, not Qt's own.
        TestSupport::quietTraces();
    }
    QtMessageHandler previous;
};

} // namespace

class TestReplies : public QObject
{
    Q_OBJECT

private slots:
    void frames_data()
    {
        QTest::addColumn<int>("route");
        QTest::addColumn<QByteArray>("frame");
        QTest::addColumn<Err>("result");
        QTest::addColumn<QString>("status");
        QTest::addColumn<int>("disconnects");
        const QString none;
        QTest::newRow("no line end") << int(Ethernet) << QByteArray("+OK") << Err::err_EndChr << none << 0;
        QTest::newRow("no plus") << int(Ethernet) << QByteArray("OK\r\n") << Err::err_BeginChr << none << 0;
        QTest::newRow("before any route")
            << int(NoRoute) << QByteArray("+READALL=" + EthRecord + "\r\n") << Err::err_OK << none << 0;
        QTest::newRow("unknown keyword")
            << int(Ethernet) << QByteArray("+HELLO\r\n") << Err::err_OK << none << 0;
        QTest::newRow("GSM-only reply on Ethernet")
            << int(Usb) << QByteArray("+232CLOSE\r\n") << Err::err_OK << none << 0;
        QTest::newRow("ack") << int(Ethernet) << QByteArray("+OK\r\n") << Err::err_OK
                             << QStringLiteral("Successfully written") << 0;
        QTest::newRow("two acks in one chunk") << int(Gsm232) << QByteArray("+OK\r\n+OK\r\n") << Err::err_OK
                                               << QStringLiteral("Successfully written") << 0;
        QTest::newRow("error with detail") << int(Ethernet) << QByteArray("+ERR=5\r\n") << Err::err_Unknown
                                           << QStringLiteral("Receive_Callback Error : 5") << 0;
        QTest::newRow("bare error") << int(Gsm485) << QByteArray("+ERR\r\n") << Err::err_Unknown
                                    << QStringLiteral("Receive_Callback Error : +ERR") << 0;
        QTest::newRow("error naming a command")
            << int(Ethernet) << QByteArray("+ERR=READALL\r\n") << Err::err_Unknown
            << QStringLiteral("Receive_Callback Error : READALL") << 0;
        QTest::newRow("restart") << int(Ethernet) << QByteArray("+RESTART\r\n") << Err::err_OK
                                 << QStringLiteral("Device Restarted!") << 1;
        QTest::newRow("restart on a data port") << int(Gsm485) << QByteArray("+RESTART\r\n") << Err::err_OK
                                                << QStringLiteral("Device Restarted!") << 1;
        QTest::newRow("ping") << int(Usb) << QByteArray("+PING\r\n") << Err::err_OK
                              << QStringLiteral("Ping -> OK") << 0;
        QTest::newRow("232 close") << int(Gsm485) << QByteArray("+232CLOSE\r\n") << Err::err_OK
                                   << QStringLiteral("232 Closed") << 0;
        QTest::newRow("485 close") << int(Gsm232) << QByteArray("+485CLOSE\r\n") << Err::err_OK
                                   << QStringLiteral("485 Closed") << 0;
        QTest::newRow("network record, no window")
            << int(Ethernet)
            << QByteArray("+READ_NETWORKCFG=m,1,1,2,3,4,5,6,7,8,9,10,11,12,13,"
                          "14,15,16,17,18,19,20\r\n")
            << Err::err_OK << none << 0;
    }
    void frames()
    {
        QFETCH(int, route);
        QFETCH(QByteArray, frame);
        QFETCH(Err, result);
        QFETCH(QString, status);
        QFETCH(int, disconnects);

        TransparentConfig page;
        setRoute(page, route);
        TestSupport::MessageBoxAnswerer answerer;
        QSignalSpy statusSpy(&page, &TransparentConfig::WriteStatusBar);
        QSignalSpy disconnectSpy(&page, &TransparentConfig::DisconnectTcp);
        QSignalSpy sent(&page, &TransparentConfig::WriteData);
        const QVariantMap before = snapshot(page);

        QCOMPARE(feed(page, frame), result);

        if (status.isEmpty()) {
            QCOMPARE(statusSpy.count(), 0);
        } else {
            QCOMPARE(statusSpy.count(), 1);
            QCOMPARE(statusSpy.at(0).at(0).toString(), status);
            QCOMPARE(statusSpy.at(0).at(1).toInt(), 1000);
        }
        QCOMPARE(disconnectSpy.count(), disconnects);
        QCOMPARE(sent.count(), 0);
        QCOMPARE(snapshot(page), before);
        QVERIFY(answerer.seen().isEmpty());
    }

    void portRecordFillsThePage_data()
    {
        QTest::addColumn<int>("route");
        QTest::addColumn<QByteArray>("record");
        QTest::addColumn<Edits>("expected");
        QTest::newRow("Ethernet record over TCP") << int(Ethernet) << EthRecord << CommonFields;
        QTest::newRow("Ethernet record over USB") << int(Usb) << EthRecord << CommonFields;
        const Edits gsm = CommonFields + GsmFields;
        QTest::newRow("GSM record on the RS-485 port") << int(Gsm485) << GsmRecord << gsm;
        QTest::newRow("GSM record on the RS-232 port") << int(Gsm232) << GsmRecord << gsm;
    }
    void portRecordFillsThePage()
    {
        QFETCH(int, route);
        QFETCH(QByteArray, record);
        QFETCH(Edits, expected);

        TransparentConfig page;
        setRoute(page, route);
        TestSupport::MessageBoxAnswerer answerer;
        QSignalSpy statusSpy(&page, &TransparentConfig::WriteStatusBar);

        QCOMPARE(feed(page, "+READALL=" + record + "\r\n"), Err::err_OK);
        verifyWidgets(page, expected);
        QCOMPARE(statusSpy.count(), 0);

        // The silent intervals and the record's texts live beside the widgets:
        // Apply right after the read writes the same record without asking.
        QCOMPARE(pressApply(page), QList<QByteArray>{"AT+WRITEALL=" + record + "\r\n"});
        QVERIFY(answerer.seen().isEmpty());
    }

    void gsmUnitConversions_data()
    {
        QTest::addColumn<int>("previousRetry");
        QTest::addColumn<int>("retry");
        QTest::addColumn<int>("interval");
        QTest::addColumn<int>("ping");
        QTest::addColumn<int>("shownInterval");
        QTest::addColumn<QString>("intervalSuffix");
        QTest::addColumn<int>("shownPing");
        const QString s = QStringLiteral("   s");
        const QString ms = QStringLiteral("    ms");
        QTest::newRow("5000 ms with retries shows 5 s") << -1 << 2 << 5000 << 120 << 5 << s << 2;
        QTest::newRow("5000 ms without retries") << -1 << 0 << 5000 << 120 << 5000 << ms << 2;
        QTest::newRow("7000 ms without retries limited") << -1 << 0 << 7000 << 120 << 5000 << ms << 2;
        QTest::newRow("2000 ms with retries raised to 3 s") << -1 << 1 << 2000 << 120 << 3 << s << 2;
        QTest::newRow("ping 0 rises to the minimum") << -1 << 0 << 100 << 0 << 100 << ms << 2;
        QTest::newRow("ping 7200 s limited to 120 min") << -1 << 0 << 100 << 7200 << 100 << ms << 120;
        QTest::newRow("ms after a record with retries") << 2 << 0 << 100 << 120 << 100 << ms << 2;
        QTest::newRow("s after a record without retries") << 0 << 3 << 4000 << 120 << 4 << s << 2;
    }
    void gsmUnitConversions()
    {
        QFETCH(int, previousRetry);
        QFETCH(int, retry);
        QFETCH(int, interval);
        QFETCH(int, ping);
        QFETCH(int, shownInterval);
        QFETCH(QString, intervalSuffix);
        QFETCH(int, shownPing);

        TransparentConfig page;
        setRoute(page, Gsm485);
        if (previousRetry >= 0)
            feed(page, gsmRecord(previousRetry, previousRetry > 0 ? 5000 : 100, 120));
        QCOMPARE(feed(page, gsmRecord(retry, interval, ping)), Err::err_OK);

        const Page driver(page);
        auto *intervalBox = driver.spinBox(Setting::CommandInterval, Port::Rs485);
        QCOMPARE(driver.value(Setting::RetryCount, Port::Rs485), retry);
        QCOMPARE(intervalBox->value(), shownInterval);
        QCOMPARE(intervalBox->suffix(), intervalSuffix);
        QCOMPARE(driver.value(Setting::PingInterval, Port::Rs485), shownPing);
    }

    void fillRaisesNoEnableWarning_data()
    {
        QTest::addColumn<int>("before");
        QTest::addColumn<int>("after");
        QTest::newRow("stays disabled") << 0 << 0;
        QTest::newRow("disabled to enabled") << 0 << 1;
        QTest::newRow("enabled to disabled") << 1 << 0;
        QTest::newRow("stays enabled") << 1 << 1;
    }
    void fillRaisesNoEnableWarning()
    {
        QFETCH(int, before);
        QFETCH(int, after);
        const auto record = [](int enable) {
            return QStringLiteral("+READALL=%1,502,0,8,0,1,5,8,400,100,0,%1,503,0,8,0,1,5,8,400,100,0,0\r\n")
                .arg(enable)
                .toUtf8();
        };
        TransparentConfig page;
        setRoute(page, Ethernet);
        TestSupport::MessageBoxAnswerer answerer;
        feed(page, record(before));
        feed(page, record(after));
        verifyWidgets(page, Edits{{Setting::Enable, Port::Rs485, QString::number(after)},
                                  {Setting::Enable, Port::Rs232, QString::number(after)}});
        QCoreApplication::processEvents();
        QVERIFY(answerer.seen().isEmpty());

        // The warning itself is alive: a change away from the device's value warns.
        answerer.expect(QMessageBox::Ok, QStringLiteral("Uyarı !"));
        Page(page).choose(Setting::Enable, Port::Rs232, 1 - after);
        QCOMPARE(answerer.seen().size(), 1);
    }

    void currentIp_data()
    {
        QTest::addColumn<QByteArray>("frame");
        QTest::addColumn<QByteArray>("address");
        QTest::newRow("192.168.0.1") << QByteArray("+CURRENT_IP=16820416\r\n") << QByteArray("192.168.0.1");
        QTest::newRow("10.0.0.200") << QByteArray("+CURRENT_IP=-939524086\r\n") << QByteArray("10.0.0.200");
        QTest::newRow("outside int32") << QByteArray("+CURRENT_IP=3355443210\r\n") << QByteArray("0.0.0.0");
    }
    void currentIp()
    {
        QFETCH(QByteArray, frame);
        QFETCH(QByteArray, address);
        TransparentConfig page;
        setRoute(page, Gsm232);
        QSignalSpy spy(&page, &TransparentConfig::SetCurrentIpAddr);
        QCOMPARE(feed(page, frame), Err::err_OK);
        QCOMPARE(spy.count(), 1);
        QCOMPARE(spy.at(0).at(0).toByteArray(), address);
    }

    // A record that does not hold all its values leaves the page, and what the
    // page last read, exactly as they were.
    void shortPortRecordIsNotApplied_data()
    {
        QTest::addColumn<int>("route");
        QTest::addColumn<QByteArray>("frame");
        QTest::addColumn<QString>("status");
        QTest::newRow("22 of 23")
            << int(Ethernet)
            << QByteArray("+READALL=0,600,1,8,1,1,3,9,410,300,9,0,601,1,8,1,1,3,9,410,300,9\r\n")
            << QStringLiteral("Incomplete READALL reply: 22 of 23 values");
        QTest::newRow("three values") << int(Usb) << QByteArray("+READALL=0,600,1\r\n")
                                      << QStringLiteral("Incomplete READALL reply: 3 of 23 values");
        QTest::newRow("no values") << int(Usb) << QByteArray("+READALL\r\n")
                                   << QStringLiteral("Incomplete READALL reply: 0 of 23 values");
        QTest::newRow("Ethernet record on a GSM route")
            << int(Gsm485) << QByteArray("+READALL=" + EthRecord + "\r\n")
            << QStringLiteral("Incomplete READALL reply: 23 of 30 values");
    }
    void shortPortRecordIsNotApplied()
    {
        QFETCH(int, route);
        QFETCH(QByteArray, frame);
        QFETCH(QString, status);
        const QByteArray baseline = route == Gsm485 ? GsmRecord : EthRecord;

        TransparentConfig page;
        setRoute(page, route);
        TestSupport::MessageBoxAnswerer answerer;
        feed(page, "+READALL=" + baseline + "\r\n");
        const QVariantMap before = snapshot(page);
        QSignalSpy statusSpy(&page, &TransparentConfig::WriteStatusBar);

        QCOMPARE(feed(page, frame), Err::err_OK);
        QCOMPARE(snapshot(page), before);
        QCOMPARE(statusSpy.count(), 1);
        QCOMPARE(statusSpy.at(0).at(0).toString(), status);
        QCOMPARE(statusSpy.at(0).at(1).toInt(), 3000);
        QCOMPARE(pressApply(page), QList<QByteArray>{"AT+WRITEALL=" + baseline + "\r\n"});
        QVERIFY(answerer.seen().isEmpty());
    }

    // The page traces through telvor.page, so one rule switches it off.
    void tracesGoToThePageCategory()
    {
        TransparentConfig page;
        setRoute(page, Gsm485);
        DebugLog log;
        QLoggingCategory::setFilterRules(QStringLiteral("telvor.*.debug=true"));
        feed(page, gsmRecord(0, 100, 120));
        QVERIFY(!DebugLog::lines().isEmpty());
        for (const QString &line : DebugLog::lines())
            QVERIFY2(line.startsWith(QLatin1String("telvor.page|")), qPrintable(line));
        QVERIFY(DebugLog::lines().first().startsWith(QLatin1String("telvor.page|Receive_Callback:")));
        QVERIFY(DebugLog::lines().filter(QStringLiteral("Ping İnt ValOfList: 120")).size() == 1);

        DebugLog::lines().clear();
        QLoggingCategory::setFilterRules(QStringLiteral("telvor.*.debug=false"));
        feed(page, gsmRecord(2, 5000, 300));
        feed(page, "+READ_NETWORKCFG=m,0\r\n");
        QCOMPARE(DebugLog::lines(), QStringList());
    }

    void extraValuesAreIgnored()
    {
        TransparentConfig page;
        setRoute(page, Ethernet);
        TestSupport::MessageBoxAnswerer answerer;
        QCOMPARE(feed(page, "+READALL=" + EthRecord + ",1,99\r\n"), Err::err_OK);
        verifyWidgets(page, CommonFields);
        QCOMPARE(pressApply(page), QList<QByteArray>{"AT+WRITEALL=" + EthRecord + "\r\n"});
        QVERIFY(answerer.seen().isEmpty());
    }

    // Values outside their range are skipped one by one; the rest applies.
    void outOfRangeValuesAreSkipped()
    {
        TransparentConfig page;
        setRoute(page, Ethernet);
        TestSupport::MessageBoxAnswerer answerer;
        feed(page, "+READALL=" + EthRecord + "\r\n");
        QSignalSpy statusSpy(&page, &TransparentConfig::WriteStatusBar);

        const QByteArray record = "2,602,5,8,1,3,12,9,7,3000,6,0,603,0,9,2,2,8,130,500,1500,8,2";
        QCOMPARE(feed(page, "+READALL=" + record + "\r\n"), Err::err_OK);

        // Skipped: 485 enable 2, mode 5, stop bits 3, baud 12, 7 ms; 232 data bits 9,
        // 130 characters; info response 2. Everything else is applied.
        const Edits expected =
            CommonFields +
            Edits{{Setting::TcpPort, Port::Rs485, "602"},  {Setting::DataBits, Port::Rs485, "1"},
                  {Setting::Parity, Port::Rs485, "1"},     {Setting::ModbusTimeout, Port::Rs485, "3000"},
                  {Setting::EthTimeout, Port::Rs485, "6"}, {Setting::Enable, Port::Rs232, "0"},
                  {Setting::TcpPort, Port::Rs232, "603"},  {Setting::Mode, Port::Rs232, "0"},
                  {Setting::Parity, Port::Rs232, "2"},     {Setting::StopBits, Port::Rs232, "1"},
                  {Setting::Baud, Port::Rs232, "8"},       {Setting::ModbusTimeout, Port::Rs232, "1500"},
                  {Setting::EthTimeout, Port::Rs232, "8"}};
        verifyWidgets(page, expected);
        QCOMPARE(statusSpy.count(), 1);
        QCOMPARE(statusSpy.at(0).at(0).toString(),
                 QStringLiteral("Out-of-range values skipped in READALL reply: 485EN=2, 485MOD=5, 485STPB=3, "
                                "485BAUD=12, 485WAITMS=7, 232DATAB=9, 232WAITCHR=130, INFORESPONSE=2"));
        QCOMPARE(statusSpy.at(0).at(1).toInt(), 3000);
        QVERIFY(answerer.seen().isEmpty());

        // The record's texts are kept as received, so the page (which shows
        // other values) asks before writing; No reads the record again.
        answerer.expect(QMessageBox::No, QStringLiteral("Dikkat !"));
        QCOMPARE(pressApply(page), QList<QByteArray>{"AT+READALL\r\n"});
        QCOMPARE(answerer.seen().size(), 1);
    }
};

TELVOR_TEST_MAIN(TestReplies)
#include "tst_replies.moc"
