// The plain reply functions on their own: framing, naming a reply by its head,
// reading numbers and checking records. Frames and values are typed out as
// the protocol writes them.

#include "protocol/portschema.h"
#include "protocol/replyparser.h"
#include "testsupport.h"
#include "transparentconfig.h"

#include <QApplication>
#include <QtTest>

using namespace ReplyParser;
using namespace PortSchema;

namespace {

QList<QByteArray> values(const QByteArray &commaSeparated)
{
    return commaSeparated.split(',');
}

} // namespace

class TestReplyParser : public QObject
{
    Q_OBJECT

private slots:
    void frameCheck_data()
    {
        QTest::addColumn<QByteArray>("frame");
        QTest::addColumn<int>("status");
        QTest::newRow("ack") << QByteArray("+OK\r\n") << int(FrameStatus::Ok);
        QTest::newRow("no line end") << QByteArray("+OK") << int(FrameStatus::MissingLineEnd);
        QTest::newRow("LF only") << QByteArray("+OK\n") << int(FrameStatus::MissingLineEnd);
        QTest::newRow("CR LF in the middle") << QByteArray("+OK\r\nX") << int(FrameStatus::MissingLineEnd);
        QTest::newRow("no plus") << QByteArray("OK\r\n") << int(FrameStatus::MissingPlus);
        QTest::newRow("line end only") << QByteArray("\r\n") << int(FrameStatus::MissingPlus);
        QTest::newRow("empty") << QByteArray() << int(FrameStatus::MissingLineEnd);
        QTest::newRow("plus only") << QByteArray("+\r\n") << int(FrameStatus::Ok);
    }
    void frameCheck()
    {
        QFETCH(QByteArray, frame);
        QFETCH(int, status);
        QCOMPARE(int(checkFrame(frame)), status);
    }

    void identification_data()
    {
        QTest::addColumn<bool>("gsm");
        QTest::addColumn<QByteArray>("reply");
        QTest::addColumn<int>("id");
        QTest::newRow("eth READALL") << false << QByteArray("+READALL=1,502")
                                     << int(TransparentConfig::eIdReadAll);
        QTest::newRow("gsm READALL") << true << QByteArray("+READALL=1,502")
                                     << int(TransparentConfig::eIdGSMReadAll);
        QTest::newRow("GSM APN value holding APN")
            << true
            << QByteArray("+READALL=0,502,0,8,0,1,5,8,400,100,0,0,10,120,0,503,0,8,0,1,5,8,400,100,0,0,10,"
                          "120,myAPN,0")
            << int(TransparentConfig::eIdGSMReadAll);
        QTest::newRow("error detail naming a command")
            << false << QByteArray("+ERR=READALL") << int(TransparentConfig::eIdRetERR);
        QTest::newRow("device info holding PING")
            << false << QByteArray("+DEVINFO=PING-7,+OK") << int(TransparentConfig::eIdDeviceInfo);
        QTest::newRow("no = : whole reply is the head")
            << false << QByteArray("+RESTART done") << int(TransparentConfig::eIdDeviceRestart);
        QTest::newRow("bare +ERR") << true << QByteArray("+ERR") << int(TransparentConfig::eIdGSMRetERR);
        QTest::newRow("id 0 never matches") << false << QByteArray("+MACADDR") << -1;
        QTest::newRow("GSM id 0 never matches") << true << QByteArray("+485EN") << -1;
        QTest::newRow("GSM-only keyword on Ethernet") << false << QByteArray("+232CLOSE") << -1;
        QTest::newRow("case-sensitive") << false << QByteArray("+ping") << -1;
        QTest::newRow("end marker is searched")
            << false << QByteArray("+TrpCfgCmd_Max") << int(TransparentConfig::eTrpCfgCmd_Max);
        QTest::newRow("keyword only after =") << false << QByteArray("+X=PING") << -1;
    }
    void identification()
    {
        QFETCH(bool, gsm);
        QFETCH(QByteArray, reply);
        QFETCH(int, id);
        const QString *table = gsm ? TrpCfgCmdGSMTexts : TrpCfgCmdTexts;
        const int end =
            gsm ? int(TransparentConfig::eTrpCfgCmdGSM_Max) : int(TransparentConfig::eTrpCfgCmd_Max);
        QCOMPARE(findReplyId(replyHead(reply), table, end), id);
    }

    // A frame checked and named in one step, by the table of the route.
    void readReplyNamesTheKind_data()
    {
        QTest::addColumn<int>("set"); // 0 none (no route yet), 1 Ethernet, 2 GSM
        QTest::addColumn<QByteArray>("frame");
        QTest::addColumn<int>("status");
        QTest::addColumn<QByteArray>("body");
        QTest::addColumn<int>("kind");
        const int ok = int(FrameStatus::Ok);
        QTest::newRow("port record") << 1 << QByteArray("+READALL=1,502\r\n") << ok
                                     << QByteArray("+READALL=1,502") << int(ReplyKind::PortRecord);
        QTest::newRow("network record") << 1 << QByteArray("+READ_NETWORKCFG=m\r\n") << ok
                                        << QByteArray("+READ_NETWORKCFG=m") << int(ReplyKind::NetworkRecord);
        QTest::newRow("current address") << 2 << QByteArray("+CURRENT_IP=16820416\r\n") << ok
                                         << QByteArray("+CURRENT_IP=16820416") << int(ReplyKind::CurrentIp);
        QTest::newRow("restart") << 1 << QByteArray("+RESTART\r\n") << ok << QByteArray("+RESTART")
                                 << int(ReplyKind::Restart);
        QTest::newRow("ping") << 2 << QByteArray("+PING\r\n") << ok << QByteArray("+PING")
                              << int(ReplyKind::Ping);
        QTest::newRow("232CLOSE on GSM")
            << 2 << QByteArray("+232CLOSE\r\n") << ok << QByteArray("+232CLOSE") << int(ReplyKind::Close232);
        QTest::newRow("232CLOSE on Ethernet: unknown")
            << 1 << QByteArray("+232CLOSE\r\n") << ok << QByteArray("+232CLOSE") << int(ReplyKind::None);
        QTest::newRow("device information") << 1 << QByteArray("+DEVINFO=a,b\r\n") << ok
                                            << QByteArray("+DEVINFO=a,b") << int(ReplyKind::DeviceInfo);
        QTest::newRow("two acknowledgements are one reply")
            << 1 << QByteArray("+OK\r\n+OK\r\n") << ok << QByteArray("+OK\r\n+OK") << int(ReplyKind::Ok);
        QTest::newRow("error with detail")
            << 2 << QByteArray("+ERR=5\r\n") << ok << QByteArray("+ERR=5") << int(ReplyKind::Error);
        QTest::newRow("WRITEALL has no action")
            << 1 << QByteArray("+WRITEALL\r\n") << ok << QByteArray("+WRITEALL") << int(ReplyKind::None);
        QTest::newRow("no route yet")
            << 0 << QByteArray("+OK\r\n") << ok << QByteArray("+OK") << int(ReplyKind::None);
        QTest::newRow("no line end") << 1 << QByteArray("+OK") << int(FrameStatus::MissingLineEnd)
                                     << QByteArray("+OK") << int(ReplyKind::None);
        QTest::newRow("no plus") << 1 << QByteArray("OK\r\n") << int(FrameStatus::MissingPlus)
                                 << QByteArray("OK") << int(ReplyKind::None);
    }
    void readReplyNamesTheKind()
    {
        QFETCH(int, set);
        QFETCH(QByteArray, frame);
        QFETCH(int, status);
        QFETCH(QByteArray, body);
        QFETCH(int, kind);
        const QString *const tables[] = {nullptr, TrpCfgCmdTexts, TrpCfgCmdGSMTexts};
        const int ends[] = {0, TransparentConfig::eTrpCfgCmd_Max, TransparentConfig::eTrpCfgCmdGSM_Max};
        const Reply reply = readReply(frame, tables[set], ends[set]);
        QCOMPARE(int(reply.status), status);
        QCOMPARE(reply.body, body);
        QCOMPARE(int(reply.kind), kind);
    }

    // The command interval travels in milliseconds and shows in seconds while
    // the port retries; the ping interval travels in seconds and shows in
    // minutes. Fill and write use these, so what is read is written back.
    void intervalUnits_data()
    {
        QTest::addColumn<int>("retries");
        QTest::addColumn<int>("wire");
        QTest::addColumn<int>("shown");
        QTest::newRow("retries 2: 5000 ms shows 5 s") << 2 << 5000 << 5;
        QTest::newRow("retries 1: 3000 ms shows 3 s") << 1 << 3000 << 3;
        QTest::newRow("retries 5: 10000 ms shows 10 s") << 5 << 10000 << 10;
        QTest::newRow("no retries: 5000 ms shows 5000 ms") << 0 << 5000 << 5000;
        QTest::newRow("no retries: 10 ms shows 10 ms") << 0 << 10 << 10;
    }
    void intervalUnits()
    {
        QFETCH(int, retries);
        QFETCH(int, wire);
        QFETCH(int, shown);
        QCOMPARE(commandIntervalInSeconds(retries), retries > 0);
        QCOMPARE(commandIntervalFromWire(wire, retries), shown);
        QCOMPARE(commandIntervalToWire(shown, retries), wire);
    }

    // Seconds and minutes are whole: a reading between two goes toward zero,
    // and a ping below one second shows as it travels (the box then limits it).
    void readingsBetweenUnits()
    {
        QCOMPARE(commandIntervalFromWire(5999, 2), 5);
        QCOMPARE(commandIntervalFromWire(999, 1), 0);
        QCOMPARE(pingIntervalFromWire(119), 1);
        QCOMPARE(pingIntervalFromWire(59), 0);
        QCOMPARE(pingIntervalFromWire(0), 0);
        QCOMPARE(pingIntervalFromWire(-60), -60);
    }

    void pingUnits_data()
    {
        QTest::addColumn<int>("seconds");
        QTest::addColumn<int>("minutes");
        QTest::newRow("120 s is 2 min") << 120 << 2;
        QTest::newRow("300 s is 5 min") << 300 << 5;
        QTest::newRow("7200 s is 120 min") << 7200 << 120;
        QTest::newRow("60 s is 1 min") << 60 << 1;
    }
    void pingUnits()
    {
        QFETCH(int, seconds);
        QFETCH(int, minutes);
        QCOMPARE(pingIntervalFromWire(seconds), minutes);
        QCOMPARE(pingIntervalToWire(minutes), seconds);
    }

    void valuesAfterFirstEquals()
    {
        QCOMPARE(replyValues("+ERR=a=b"), QByteArray("a=b"));
        QCOMPARE(replyValues("+ERR"), QByteArray("+ERR"));
        QCOMPARE(splitRecord("+DEVINFO=a,,b,"), (QList<QByteArray>{"a", "", "b", ""}));
        QCOMPARE(splitRecord("+DEVINFO="), (QList<QByteArray>{""}));
        QCOMPARE(splitRecord("+DEVINFO"), QList<QByteArray>());
    }

    void int32_data()
    {
        QTest::addColumn<QByteArray>("field");
        QTest::addColumn<int>("value");
        QTest::addColumn<bool>("ok");
        QTest::newRow("plain") << QByteArray("502") << 502 << true;
        QTest::newRow("leading zeros") << QByteArray("0010") << 10 << true;
        QTest::newRow("negative") << QByteArray("-939524086") << -939524086 << true;
        QTest::newRow("plus sign") << QByteArray("+7") << 7 << true;
        QTest::newRow("largest") << QByteArray("2147483647") << 2147483647 << true;
        QTest::newRow("smallest") << QByteArray("-2147483648") << int(-2147483647 - 1) << true;
        QTest::newRow("one above") << QByteArray("2147483648") << 0 << false;
        QTest::newRow("one below") << QByteArray("-2147483649") << 0 << false;
        QTest::newRow("unsigned address") << QByteArray("3355443210") << 0 << false;
        QTest::newRow("long digits") << QByteArray("99999999999999999999999") << 0 << false;
        QTest::newRow("empty") << QByteArray() << 0 << false;
        QTest::newRow("sign only") << QByteArray("-") << 0 << false;
        QTest::newRow("leading blank") << QByteArray(" 5") << 0 << false;
        QTest::newRow("trailing blank") << QByteArray("5 ") << 0 << false;
        QTest::newRow("hex") << QByteArray("0x10") << 0 << false;
        QTest::newRow("text") << QByteArray("abc") << 0 << false;
    }
    void int32()
    {
        QFETCH(QByteArray, field);
        QFETCH(int, value);
        QFETCH(bool, ok);
        bool read = !ok;
        QCOMPARE(readInt32(field, &read), value);
        QCOMPARE(read, ok);
    }

    void portRecordLength_data()
    {
        QTest::addColumn<bool>("gsm");
        QTest::addColumn<int>("count");
        QTest::addColumn<bool>("complete");
        QTest::newRow("eth 22") << false << 22 << false;
        QTest::newRow("eth 23") << false << 23 << true;
        QTest::newRow("eth 24") << false << 24 << true;
        QTest::newRow("eth 30: the GSM record") << false << 30 << false;
        QTest::newRow("eth 31") << false << 31 << true;
        QTest::newRow("gsm 23") << true << 23 << false;
        QTest::newRow("gsm 29") << true << 29 << false;
        QTest::newRow("gsm 30") << true << 30 << true;
        QTest::newRow("empty") << true << 0 << false;
    }
    void portRecordLength()
    {
        QFETCH(bool, gsm);
        QFETCH(int, count);
        QFETCH(bool, complete);
        QList<QByteArray> list;
        for (int i = 0; i < count; ++i)
            list << "1";
        const PortRecord record = parsePortRecord(list, gsm ? CommandSet::Gsm : CommandSet::Ethernet);
        QCOMPARE(record.received, count);
        QCOMPARE(record.required, gsm ? 30 : 23);
        QCOMPARE(record.complete(), complete);
        QCOMPARE(record.texts.size(), complete ? record.required : 0);
    }

    void outOfRange_data()
    {
        QTest::addColumn<QByteArray>("record");
        QTest::addColumn<QList<int>>("positions");
        QTest::newRow("all valid") << QByteArray("1,502,4,8,2,2,9,128,5000,100,0,0,0,0,8,0,1,0,4,10,100,0,0")
                                   << QList<int>();
        QTest::newRow("enable 2, mode 5")
            << QByteArray("2,502,5,8,0,1,5,8,400,100,0,1,503,0,8,0,1,5,8,400,100,0,0") << QList<int>{0, 2};
        QTest::newRow("databits 6 and 9")
            << QByteArray("1,502,0,6,0,1,5,8,400,100,0,1,503,0,9,0,1,5,8,400,100,0,0") << QList<int>{3, 14};
        QTest::newRow("parity 3, stop 0, stop 3, baud 10")
            << QByteArray("1,502,0,8,3,0,10,8,400,100,0,1,503,0,8,0,3,5,8,400,100,0,0")
            << QList<int>{4, 5, 6, 16};
        QTest::newRow("silent intervals 3, 129, 9, 5001")
            << QByteArray("1,502,0,8,0,1,5,3,9,100,0,1,503,0,8,0,1,5,129,5001,100,0,0")
            << QList<int>{7, 8, 18, 19};
        QTest::newRow("TCP port 65536, negative port")
            << QByteArray("1,65536,0,8,0,1,5,8,400,100,0,1,-1,0,8,0,1,5,8,400,100,0,0") << QList<int>{1, 12};
        QTest::newRow("info response 2")
            << QByteArray("1,502,0,8,0,1,5,8,400,100,0,1,503,0,8,0,1,5,8,400,100,0,2") << QList<int>{22};
        QTest::newRow("not a number reads 0: data bits out, enable in")
            << QByteArray("x,502,0,x,0,1,5,8,400,100,0,1,503,0,8,0,1,5,8,400,100,0,0") << QList<int>{3};
    }
    void outOfRange()
    {
        QFETCH(QByteArray, record);
        QFETCH(QList<int>, positions);
        const PortRecord r = parsePortRecord(values(record), CommandSet::Ethernet);
        QVERIFY(r.complete());
        QCOMPARE(r.outOfRange, positions);
        for (int port = 0; port < 2; ++port)
            for (int field = 0; field < EthernetBlockSize; ++field)
                QCOMPARE(r.port[port].valid[field], !positions.contains(port * 11 + field));
    }

    void dottedIpv4_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("valid");
        QTest::newRow("address") << QStringLiteral("192.168.1.50") << true;
        QTest::newRow("zeros") << QStringLiteral("0.0.0.0") << true;
        QTest::newRow("leading zeros as received") << QStringLiteral("010.000.001.002") << true;
        QTest::newRow("255") << QStringLiteral("255.255.255.255") << true;
        QTest::newRow("256") << QStringLiteral("256.1.1.1") << false;
        QTest::newRow("three octets") << QStringLiteral("192.168.1") << false;
        QTest::newRow("five octets") << QStringLiteral("1.2.3.4.5") << false;
        QTest::newRow("empty octet") << QStringLiteral("1..2.3") << false;
        QTest::newRow("four digits") << QStringLiteral("0001.2.3.4") << false;
        QTest::newRow("blank") << QStringLiteral(" 1.2.3.4") << false;
        QTest::newRow("sign") << QStringLiteral("+1.2.3.4") << false;
        QTest::newRow("comma") << QStringLiteral("1,2.3.4") << false;
        QTest::newRow("letters") << QStringLiteral("a.b.c.d") << false;
        QTest::newRow("Arabic-Indic digits") << QString::fromUtf8("\u0661.2.3.4") << false;
        QTest::newRow("empty") << QString() << false;
    }
    void dottedIpv4()
    {
        QFETCH(QString, text);
        QFETCH(bool, valid);
        QCOMPARE(isDottedIpv4(text), valid);
    }

    // The field schema lays out both sets' records: positions and keywords
    // as the protocol lists them, and every position found again from its
    // port and field.
    void schemaLayout_data()
    {
        QTest::addColumn<int>("set");
        QTest::addColumn<int>("position");
        QTest::addColumn<QString>("keyword");
        const int eth = CommandSet::Ethernet, gsm = CommandSet::Gsm;
        QTest::newRow("Ethernet 0") << eth << 0 << "485EN";
        QTest::newRow("Ethernet 8") << eth << 8 << "485WAITMS";
        QTest::newRow("Ethernet 10") << eth << 10 << "485ETHTMOUT";
        QTest::newRow("Ethernet 11") << eth << 11 << "232EN";
        QTest::newRow("Ethernet 21") << eth << 21 << "232ETHTMOUT";
        QTest::newRow("Ethernet 22") << eth << 22 << "INFORESPONSE";
        QTest::newRow("GSM 11") << gsm << 11 << "485RETRYCNT";
        QTest::newRow("GSM 12") << gsm << 12 << "485INTTMOUT";
        QTest::newRow("GSM 13") << gsm << 13 << "485PINGTMOUT";
        QTest::newRow("GSM 14") << gsm << 14 << "232EN";
        QTest::newRow("GSM 27") << gsm << 27 << "232PINGTMOUT";
        QTest::newRow("GSM 28") << gsm << 28 << "APN";
        QTest::newRow("GSM 29") << gsm << 29 << "INFORESPONSE";
    }
    void schemaLayout()
    {
        QFETCH(int, set);
        QFETCH(int, position);
        QFETCH(QString, keyword);
        const auto kind = CommandSet::Kind(set);
        QCOMPARE(keywordAt(kind, position), keyword);
        const int block = set == CommandSet::Gsm ? 14 : 11;
        if (position < 2 * block)
            QCOMPARE(PortSchema::position(kind, position / block, PortField(position % block)), position);
        QCOMPARE(PortSchema::position(CommandSet::Ethernet, 0, RetryCnt), -1);
        QCOMPARE(apnPosition(CommandSet::Ethernet), -1);
        QCOMPARE(infoResponsePosition(kind), set == CommandSet::Gsm ? 29 : 22);
    }

    // A GSM record, typed out, read field by field; its out-of-range values
    // are named by position, GSM-only fields included in the layout.
    void gsmRecordFields()
    {
        const QByteArray record = "1,502,4,8,2,2,9,128,5000,100,7,3,5000,120,"
                                  "0,503,0,7,0,1,0,4,10,0,0,0,700,60,apn.example,1";
        const PortRecord r = parsePortRecord(values(record), CommandSet::Gsm);
        QVERIFY(r.complete());
        QVERIFY(r.outOfRange.isEmpty());
        QCOMPARE(r.port[0].value[TrpMode], 4);
        QCOMPARE(r.port[0].value[EthTmout], 7);
        QCOMPARE(r.port[0].value[RetryCnt], 3);
        QCOMPARE(r.port[0].value[IntVal], 5000);
        QCOMPARE(r.port[0].value[PingIntVal], 120);
        QCOMPARE(r.port[1].value[ETHPort], 503);
        QCOMPARE(r.port[1].value[IntVal], 700);
        QCOMPARE(r.apn, QByteArray("apn.example"));
        QCOMPARE(r.infoResponse, 1);

        const QByteArray bad = "1,502,5,8,2,2,9,128,5000,100,7,3,5000,120,"
                               "0,503,0,9,0,1,10,4,10,0,0,0,700,60,apn.example,2";
        const PortRecord b = parsePortRecord(values(bad), CommandSet::Gsm);
        QCOMPARE(b.outOfRange, (QList<int>{2, 17, 20, 29}));
        QStringList named;
        for (int pos : b.outOfRange)
            named << keywordAt(CommandSet::Gsm, pos);
        QCOMPARE(named, (QStringList{"485MOD", "232DATAB", "232BAUD", "INFORESPONSE"}));
    }
};

TELVOR_TEST_MAIN(TestReplyParser)
#include "tst_replyparser.moc"
