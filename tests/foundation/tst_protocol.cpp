// The command tables, the request builder and the formatter, checked against
// the protocol as written down: frame bytes and ids are typed out here, never
// produced by the code under test.

#include "protocol/requestbuilder.h"
#include "testsupport.h"
#include "transparentconfig.h"

#include <QApplication>
#include <QtTest>

class TestProtocol : public QObject
{
    Q_OBJECT

private slots:
    void requestFrames_data()
    {
        QTest::addColumn<QString>("keyword");
        QTest::addColumn<QByteArray>("frame");
        QTest::newRow("PING") << TrpCfgCmdTexts[TransparentConfig::eIdDevicePing]
                              << QByteArray::fromHex("41542B50494E470D0A");
        QTest::newRow("READALL") << TrpCfgCmdTexts[TransparentConfig::eIdReadAll]
                                 << QByteArray::fromHex("41542B52454144414C4C0D0A");
        QTest::newRow("CURRENT_IP") << TrpCfgCmdTexts[TransparentConfig::eIdCurrentIPAddr]
                                    << QByteArray("AT+CURRENT_IP\r\n");
        QTest::newRow("READ_NETWORKCFG") << TrpCfgCmdTexts[TransparentConfig::eIdReadNetworkCfg]
                                         << QByteArray("AT+READ_NETWORKCFG\r\n");
        QTest::newRow("GSM 232CLOSE") << TrpCfgCmdGSMTexts[TransparentConfig::eId232ComClose]
                                      << QByteArray("AT+232CLOSE\r\n");
        QTest::newRow("GSM 485CLOSE") << TrpCfgCmdGSMTexts[TransparentConfig::eId485ComClose]
                                      << QByteArray("AT+485CLOSE\r\n");
        QTest::newRow("GSM DEVINFO") << TrpCfgCmdGSMTexts[TransparentConfig::eIdGSMDeviceInfo]
                                     << QByteArray("AT+DEVINFO\r\n");
        QTest::newRow("GSM RESTART") << TrpCfgCmdGSMTexts[TransparentConfig::eIdGSMDeviceRestart]
                                     << QByteArray("AT+RESTART\r\n");
        QTest::newRow("non-ASCII keyword is UTF-8") << QStringLiteral("Ç") << QByteArray("AT+\xC3\x87\r\n");
    }

    void requestFrames()
    {
        QFETCH(QString, keyword);
        QFETCH(QByteArray, frame);
        QCOMPARE(TransparentConfig::AT_Command_Formatter(keyword), frame);
    }

    void formatterSharesOneBuffer()
    {
        QByteArray &first = TransparentConfig::AT_Command_Formatter(QStringLiteral("PING"));
        const QByteArray copy = first;
        QByteArray &second = TransparentConfig::AT_Command_Formatter(QStringLiteral("RESTART"));
        QCOMPARE(&first, &second);
        QCOMPARE(first, QByteArray("AT+RESTART\r\n"));
        QCOMPARE(copy, QByteArray("AT+PING\r\n"));
    }

    // Requests with values: "AT+", keyword, "=", the values separated by
    // single commas (none after the last), CR LF; no spaces, no padding.
    void requestsWithValues_data()
    {
        QTest::addColumn<QString>("keyword");
        QTest::addColumn<QStringList>("values");
        QTest::addColumn<QByteArray>("frame");

        QTest::newRow("no values: keyword only")
            << QStringLiteral("PING") << QStringList() << QByteArray::fromHex("41542B50494E470D0A");
        QTest::newRow("Ethernet WRITEALL, both ports on 502 and 503 at 9600")
            << QStringLiteral("WRITEALL")
            << QStringList{"1",   "502", "0", "8", "0", "1", "5", "8",   "400", "100", "0", "1",
                           "503", "0",   "8", "0", "1", "5", "8", "400", "100", "0",   "0"}
            << QByteArray("AT+WRITEALL=1,502,0,8,0,1,5,8,400,100,0,1,503,0,8,0,1,5,8,400,100,0,0\r\n");
        QTest::newRow("GSM WRITEALL with an empty APN")
            << QStringLiteral("WRITEALL")
            << QStringList{"0", "0", "0",   "8",   "0", "1", "0",  "8",   "400", "100",
                           "0", "0", "10",  "120", "0", "0", "0",  "8",   "0",   "1",
                           "0", "8", "400", "100", "0", "0", "10", "120", "",    "0"}
            << QByteArray(
                   "AT+WRITEALL=0,0,0,8,0,1,0,8,400,100,0,0,10,120,0,0,0,8,0,1,0,8,400,100,0,0,10,120,,0"
                   "\r\n");
        QTest::newRow("WRITE_NETWORKCFG: static flag and twenty octets")
            << QStringLiteral("WRITE_NETWORKCFG")
            << QStringList{"1", "192", "168", "1", "50", "255", "255", "255", "0", "192", "168",
                           "1", "1",   "8",   "8", "8",  "8",   "8",   "8",   "4", "4"}
            << QByteArray("AT+WRITE_NETWORKCFG=1,192,168,1,50,255,255,255,0,192,168,1,1,8,8,8,8,8,8,4,4\r\n");
        QTest::newRow("one empty value still has its =")
            << QStringLiteral("WRITEALL") << QStringList{QString()} << QByteArray("AT+WRITEALL=\r\n");
        QTest::newRow("text values travel as UTF-8, unchanged")
            << QStringLiteral("WRITEALL")
            << QStringList{QString::fromUtf8("İnternet"), QStringLiteral(" a b ")}
            << QByteArray("AT+WRITEALL=\xC4\xB0nternet, a b \r\n");
    }

    void requestsWithValues()
    {
        QFETCH(QString, keyword);
        QFETCH(QStringList, values);
        QFETCH(QByteArray, frame);
        QCOMPARE(RequestBuilder::frame(keyword, values), frame);
    }

    void frameConstants()
    {
        QCOMPARE(TransparentConfig::AT_CMD.toUtf8(), QByteArray("AT+"));
        QCOMPARE(TransparentConfig::AT_SET.toUtf8(), QByteArray("="));
        QCOMPARE(TransparentConfig::AT_SEP.toUtf8(), QByteArray("+"));
        QCOMPARE(TransparentConfig::AT_CRLF.toUtf8(), QByteArray("\x0D\x0A"));
        const QStringList names = {"err_OK", "err_EndChr", "err_BeginChr", "err_Unknown", "err_Max"};
        for (int i = 0; i < names.size(); ++i)
            QCOMPARE(TransparentConfig::TrpErrString[i], names.at(i));
        QCOMPARE(int(TransparentConfig::err_Unknown), 3);
    }

    void tableSizesAndEndMarkers()
    {
        QCOMPARE(int(TransparentConfig::eTrpCfgCmd_Max), 55);
        QCOMPARE(int(TransparentConfig::eTrpCfgCmdGSM_Max), 42);
        QCOMPARE(int(std::size(TrpCfgCmdTexts)), 56);
        QCOMPARE(int(std::size(TrpCfgCmdGSMTexts)), 43);
        QCOMPARE(TrpCfgCmdTexts[55], QStringLiteral("TrpCfgCmd_Max"));
        QCOMPARE(TrpCfgCmdGSMTexts[42], QStringLiteral("TrpCfgCmdGSM_Max"));
        for (const QString &keyword : TrpCfgCmdTexts)
            QVERIFY2(!keyword.isEmpty(), "every Ethernet id has a keyword");
        for (const QString &keyword : TrpCfgCmdGSMTexts)
            QVERIFY2(!keyword.isEmpty(), "every GSM id has a keyword");
    }

    void idValues_data()
    {
        QTest::addColumn<int>("id");
        QTest::addColumn<int>("expected");
        QTest::addColumn<QString>("keyword");
        using T = TransparentConfig;
        // Ethernet table.
        QTest::newRow("MACADDR") << int(T::eIdMac_Id) << 0 << TrpCfgCmdTexts[T::eIdMac_Id];
        QTest::newRow("STATICIPEN") << int(T::eIdStaticIp_Enable) << 1 << TrpCfgCmdTexts[1];
        QTest::newRow("IPADDR_3") << int(T::eIdIPAddress_3) << 5 << TrpCfgCmdTexts[5];
        QTest::newRow("SUBNETMASK_0") << int(T::eIdSubnetMask_0) << 6 << TrpCfgCmdTexts[6];
        QTest::newRow("DEFAULTGW_0") << int(T::eIdDefaultGateway_0) << 10 << TrpCfgCmdTexts[10];
        QTest::newRow("FIRST_DNS_0") << int(T::eIdFirstDns_0) << 14 << TrpCfgCmdTexts[14];
        QTest::newRow("SECOND_DNS_3") << int(T::eIdSecondDns_3) << 21 << TrpCfgCmdTexts[21];
        QTest::newRow("485EN") << int(T::eId485_Enable) << 22 << TrpCfgCmdTexts[22];
        QTest::newRow("485ETHTMOUT") << int(T::eId485_EthTmout) << 32 << TrpCfgCmdTexts[32];
        QTest::newRow("232EN") << int(T::eId232_Enable) << 33 << TrpCfgCmdTexts[33];
        QTest::newRow("232ETHTMOUT") << int(T::eId232_EthTmout) << 43 << TrpCfgCmdTexts[43];
        QTest::newRow("INFORESPONSE") << int(T::eIdInfoResponse) << 44 << TrpCfgCmdTexts[44];
        QTest::newRow("READALL") << int(T::eIdReadAll) << 45 << TrpCfgCmdTexts[45];
        QTest::newRow("WRITEALL") << int(T::eIdWriteAll) << 46 << TrpCfgCmdTexts[46];
        QTest::newRow("READ_NETWORKCFG") << int(T::eIdReadNetworkCfg) << 47 << TrpCfgCmdTexts[47];
        QTest::newRow("WRITE_NETWORKCFG") << int(T::eIdWriteNetworkCfg) << 48 << TrpCfgCmdTexts[48];
        QTest::newRow("CURRENT_IP") << int(T::eIdCurrentIPAddr) << 49 << TrpCfgCmdTexts[49];
        QTest::newRow("RESTART") << int(T::eIdDeviceRestart) << 50 << TrpCfgCmdTexts[50];
        QTest::newRow("PING") << int(T::eIdDevicePing) << 51 << TrpCfgCmdTexts[51];
        QTest::newRow("DEVINFO") << int(T::eIdDeviceInfo) << 52 << TrpCfgCmdTexts[52];
        QTest::newRow("+OK") << int(T::eIdRetOK) << 53 << TrpCfgCmdTexts[53];
        QTest::newRow("+ERR") << int(T::eIdRetERR) << 54 << TrpCfgCmdTexts[54];
        // GSM table.
        QTest::newRow("GSM 485EN") << int(T::eIdGSM485_Enable) << 0 << TrpCfgCmdGSMTexts[0];
        QTest::newRow("GSM 485RETRYCNT") << int(T::eIdGSM485_RetryCnt) << 11 << TrpCfgCmdGSMTexts[11];
        QTest::newRow("GSM 485INTTMOUT") << int(T::eIdGSM485_IntVal) << 12 << TrpCfgCmdGSMTexts[12];
        QTest::newRow("GSM 485PINGTMOUT") << int(T::eIdGSM485_PingIntVal) << 13 << TrpCfgCmdGSMTexts[13];
        QTest::newRow("GSM 232EN") << int(T::eIdGSM232_Enable) << 14 << TrpCfgCmdGSMTexts[14];
        QTest::newRow("GSM 232PINGTMOUT") << int(T::eIdGSM232_PingIntVal) << 27 << TrpCfgCmdGSMTexts[27];
        QTest::newRow("GSM APN") << int(T::eIdGSMAPN) << 28 << TrpCfgCmdGSMTexts[28];
        QTest::newRow("GSM INFORESPONSE") << int(T::eIdGSMInfoResponse) << 29 << TrpCfgCmdGSMTexts[29];
        QTest::newRow("GSM READALL") << int(T::eIdGSMReadAll) << 30 << TrpCfgCmdGSMTexts[30];
        QTest::newRow("GSM WRITEALL") << int(T::eIdGSMWriteAll) << 31 << TrpCfgCmdGSMTexts[31];
        QTest::newRow("GSM READ_NETWORKCFG") << int(T::eIdGSMReadNetworkCfg) << 32 << TrpCfgCmdGSMTexts[32];
        QTest::newRow("GSM WRITE_NETWORKCFG") << int(T::eIdGSMWriteNetworkCfg) << 33 << TrpCfgCmdGSMTexts[33];
        QTest::newRow("GSM CURRENT_IP") << int(T::eIdGSMCurrentIPAddr) << 34 << TrpCfgCmdGSMTexts[34];
        QTest::newRow("GSM RESTART") << int(T::eIdGSMDeviceRestart) << 35 << TrpCfgCmdGSMTexts[35];
        QTest::newRow("GSM PING") << int(T::eIdGSMDevicePing) << 36 << TrpCfgCmdGSMTexts[36];
        QTest::newRow("GSM 232CLOSE") << int(T::eId232ComClose) << 37 << TrpCfgCmdGSMTexts[37];
        QTest::newRow("GSM 485CLOSE") << int(T::eId485ComClose) << 38 << TrpCfgCmdGSMTexts[38];
        QTest::newRow("GSM DEVINFO") << int(T::eIdGSMDeviceInfo) << 39 << TrpCfgCmdGSMTexts[39];
        QTest::newRow("GSM +OK") << int(T::eIdGSMRetOK) << 40 << TrpCfgCmdGSMTexts[40];
        QTest::newRow("GSM +ERR") << int(T::eIdGSMRetERR) << 41 << TrpCfgCmdGSMTexts[41];
    }

    void idValues()
    {
        QFETCH(int, id);
        QFETCH(int, expected);
        QFETCH(QString, keyword);
        QCOMPARE(id, expected);
        // The row name is the keyword the id must map to (minus the table tag).
        QString name = QString::fromUtf8(QTest::currentDataTag());
        name.remove(QStringLiteral("GSM "));
        QCOMPARE(keyword, name);
    }

    void rangeConstants()
    {
        QCOMPARE(TransparentConfig::AT_CMD_FIRST_ID_NETWORK, 0);
        QCOMPARE(TransparentConfig::AT_CMD_FIRST_ID, 22);
        QCOMPARE(TransparentConfig::AT_CMD_LAST_ID, 44);
        QCOMPARE(TransparentConfig::GSM_AT_CMD_FIRST_ID, 0);
        QCOMPARE(TransparentConfig::GSM_AT_CMD_LAST_ID, 29);
    }

    void portRecordKeywordsMatchAcrossTables()
    {
        // The RS-485 and RS-232 blocks of both tables name the same eleven
        // common fields in the same order.
        const QStringList fields = {"EN",      "PORT",    "MOD",    "DATAB",  "PARB",    "STPB",
                                    "BAUD",    "WAITCHR", "WAITMS", "TMOUT", "ETHTMOUT"};
        for (int i = 0; i < fields.size(); ++i) {
            QCOMPARE(TrpCfgCmdTexts[TransparentConfig::eId485_Enable + i], "485" + fields.at(i));
            QCOMPARE(TrpCfgCmdTexts[TransparentConfig::eId232_Enable + i], "232" + fields.at(i));
            QCOMPARE(TrpCfgCmdGSMTexts[TransparentConfig::eIdGSM485_Enable + i], "485" + fields.at(i));
            QCOMPARE(TrpCfgCmdGSMTexts[TransparentConfig::eIdGSM232_Enable + i], "232" + fields.at(i));
        }
    }

    void sharedKeywordsSpelledAlike_data()
    {
        QTest::addColumn<int>("ethernetId");
        QTest::addColumn<int>("gsmId");
        using T = TransparentConfig;
        QTest::newRow("READALL") << int(T::eIdReadAll) << int(T::eIdGSMReadAll);
        QTest::newRow("WRITEALL") << int(T::eIdWriteAll) << int(T::eIdGSMWriteAll);
        QTest::newRow("READ_NETWORKCFG") << int(T::eIdReadNetworkCfg) << int(T::eIdGSMReadNetworkCfg);
        QTest::newRow("WRITE_NETWORKCFG") << int(T::eIdWriteNetworkCfg) << int(T::eIdGSMWriteNetworkCfg);
        QTest::newRow("CURRENT_IP") << int(T::eIdCurrentIPAddr) << int(T::eIdGSMCurrentIPAddr);
        QTest::newRow("RESTART") << int(T::eIdDeviceRestart) << int(T::eIdGSMDeviceRestart);
        QTest::newRow("PING") << int(T::eIdDevicePing) << int(T::eIdGSMDevicePing);
        QTest::newRow("DEVINFO") << int(T::eIdDeviceInfo) << int(T::eIdGSMDeviceInfo);
        QTest::newRow("+OK") << int(T::eIdRetOK) << int(T::eIdGSMRetOK);
        QTest::newRow("+ERR") << int(T::eIdRetERR) << int(T::eIdGSMRetERR);
        QTest::newRow("INFORESPONSE") << int(T::eIdInfoResponse) << int(T::eIdGSMInfoResponse);
    }

    void sharedKeywordsSpelledAlike()
    {
        QFETCH(int, ethernetId);
        QFETCH(int, gsmId);
        QCOMPARE(TrpCfgCmdTexts[ethernetId], QString::fromUtf8(QTest::currentDataTag()));
        QCOMPARE(TrpCfgCmdGSMTexts[gsmId], QString::fromUtf8(QTest::currentDataTag()));
    }
};

TELVOR_TEST_MAIN(TestProtocol)
#include "tst_protocol.moc"
