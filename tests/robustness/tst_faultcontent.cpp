// Faults in what replies say, end to end through the main window: numbers
// that are out of range, signed, padded, beyond 32 bits or missing; bytes
// that are not UTF-8, and NUL bytes; records that are too short or too long
// for their kind, or of the other command set's length; and errors or
// silence in answer to a write. Each case checks what the user sees, that
// nothing of a refused record is applied, that the device received only the
// requests the test caused, and that the next good reply is handled.

#include "devicetest.h"
#include "testsupport.h"

#include "devinfo.h"
#include "staticipconfig.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QSpinBox>
#include <QtTest>

using namespace DeviceTest;

namespace {

// Bytes of a literal, NUL bytes included.
template <int N> QByteArray bytes(const char (&literal)[N])
{
    return QByteArray(literal, N - 1);
}

QByteArray withCount(const QByteArray &values, int count)
{
    QList<QByteArray> list = values.split(',');
    while (list.size() > count)
        list.removeLast();
    while (list.size() < count)
        list << "7";
    return list.join(',');
}

} // namespace

class TestFaultContent : public QObject
{
    Q_OBJECT

private slots:
    void init() { TestSupport::clearSettings(); }

    void numbersInPortRecord_data()
    {
        QTest::addColumn<int>("position");
        QTest::addColumn<QByteArray>("value");
        QTest::addColumn<Control>("widget");
        QTest::addColumn<int>("shown"); // -1: the widget keeps what it showed
        QTest::addColumn<QString>("skipped");

        QTest::newRow("sign") << 6 << QByteArray("+7") << Control{Setting::Baud, Port::Rs485} << 7
                              << QString();
        QTest::newRow("leading zeros")
            << 3 << QByteArray("0007") << Control{Setting::DataBits, Port::Rs485} << 0 << QString();
        QTest::newRow("empty field reads as 0")
            << 6 << QByteArray() << Control{Setting::Baud, Port::Rs485} << 0 << QString();
        QTest::newRow("hexadecimal reads as 0")
            << 6 << QByteArray("0x5") << Control{Setting::Baud, Port::Rs485} << 0 << QString();
        QTest::newRow("blank before the digits reads as 0")
            << 17 << QByteArray(" 5") << Control{Setting::Baud, Port::Rs232} << 0 << QString();
        QTest::newRow("negative") << 6 << QByteArray("-1") << Control{Setting::Baud, Port::Rs485} << -1
                                  << "485BAUD=-1";
        QTest::newRow("above the range")
            << 2 << QByteArray("5") << Control{Setting::Mode, Port::Rs485} << -1 << "485MOD=5";
        QTest::newRow("a baud rate instead of its index")
            << 17 << QByteArray("9600") << Control{Setting::Baud, Port::Rs232} << -1 << "232BAUD=9600";
        QTest::newRow("beyond 32 bits")
            << 5 << QByteArray("4294967298") << Control{Setting::StopBits, Port::Rs485} << -1
            << "485STPB=4294967298";
        QTest::newRow("beyond 32 bits, negative, reads as 0")
            << 17 << QByteArray("-2147483649") << Control{Setting::Baud, Port::Rs232} << 0 << QString();
        QTest::newRow("largest 32-bit number as a TCP port")
            << 1 << QByteArray("2147483647") << Control{Setting::Baud, Port::Rs485} << 8
            << "485PORT=2147483647";
        QTest::newRow("info response 2")
            << 22 << QByteArray("2") << Control{Setting::Baud, Port::Rs485} << 8 << "INFORESPONSE=2";
    }

    // One odd value in an otherwise good Ethernet port record. A number the
    // field cannot hold is skipped and named on the status bar; the rest of
    // the record is applied.
    void numbersInPortRecord()
    {
        QFETCH(int, position);
        QFETCH(QByteArray, value);
        QFETCH(Control, widget);
        QFETCH(int, shown);
        QFETCH(QString, skipped);
        TestSupport::MessageBoxAnswerer boxes;
        Session s(CommSettings::TCP);
        QVERIFY(s.ready);
        const int before = s.tool.page.index(widget.setting, widget.port);

        s.device->sendRaw(s.endpoint, portRecord(withValue(OddEthernetValues, position, value)));
        if (position != 17)
            QTRY_COMPARE(s.tool.page.index(Setting::Baud, Port::Rs232), 4);
        else
            QTRY_COMPARE(s.tool.page.index(Setting::Mode, Port::Rs485), 3);
        QCOMPARE(s.tool.page.index(widget.setting, widget.port), shown < 0 ? before : shown);
        if (skipped.isEmpty()) {
            QVERIFY(s.tool.statusLog.filter(QStringLiteral("Out-of-range")).isEmpty());
        } else {
            QVERIFY(s.tool.waitForStatus(
                QStringLiteral("Out-of-range values skipped in READALL reply: ") + skipped, 1000));
        }
        QCOMPARE(s.tool.errorTexts(), QStringList());
        QCOMPARE(s.device->received(s.endpoint), Frames{ReadAll});
        QVERIFY(boxes.seen().isEmpty());
    }

    void currentAddress_data()
    {
        QTest::addColumn<QByteArray>("value");
        QTest::addColumn<QString>("shown");
        QTest::newRow("plain") << QByteArray("16820416") << "192.168.0.1";
        QTest::newRow("sign") << QByteArray("+16820416") << "192.168.0.1";
        QTest::newRow("leading zeros") << QByteArray("00016820416") << "192.168.0.1";
        QTest::newRow("negative") << QByteArray("-939524086") << "10.0.0.200";
        QTest::newRow("smallest 32-bit number") << QByteArray("-2147483648") << "0.0.0.128";
        QTest::newRow("beyond 32 bits") << QByteArray("3355443210") << "0.0.0.0";
        QTest::newRow("far beyond 64 bits") << QByteArray("123456789012345678901234567890") << "0.0.0.0";
        QTest::newRow("empty") << QByteArray() << "0.0.0.0";
        QTest::newRow("not a number") << QByteArray("192.168.0.1") << "0.0.0.0";
        QTest::newRow("NUL inside") << bytes("168\0"
                                             "20416")
                                    << "0.0.0.0";
    }

    // The current address as the device encodes it (a signed 32-bit number
    // whose bytes, least significant first, are the octets), with odd texts.
    void currentAddress()
    {
        QFETCH(QByteArray, value);
        QFETCH(QString, shown);
        TestSupport::MessageBoxAnswerer boxes;
        Session s(CommSettings::TCP);
        QVERIFY(s.ready);
        auto *entry = s.tool.panel.entry(Panel::CurrentAddress);
        entry->setText(QStringLiteral("not yet"));

        s.device->sendRaw(s.endpoint, "+CURRENT_IP=" + value + "\r\n");
        QTRY_COMPARE(entry->text(), shown);
        QCOMPARE(s.tool.errorTexts(), QStringList());
        QCOMPARE(s.device->received(s.endpoint), Frames{ReadAll});
        QVERIFY(boxes.seen().isEmpty());
    }

    // Bytes that are not UTF-8, and NUL bytes, in every kind of text value:
    // each shows as its UTF-8 reading, with U+FFFD for a broken sequence; a
    // text ends at a NUL byte.
    void bytesThatAreNotText()
    {
        TestSupport::MessageBoxAnswerer boxes;
        Session ethernet(CommSettings::TCP);
        QVERIFY(ethernet.ready);
        const QChar bad(0xFFFD);

        ethernet.device->sendRaw(ethernet.endpoint, bytes("+DEVINFO=SN\0"
                                                          "42,\xff\xfe,\xc3,\xc3\x87"
                                                          "a,b,c,d,e,f,g\r\n"));
        QTRY_COMPARE(topLevel<DevInfo>().size(), 1);
        const QStringList info = infoTexts(*topLevel<DevInfo>().first());
        QCOMPARE(info.mid(0, 4),
                 (QStringList{QStringLiteral("SN"), QString(2, bad), QString(bad), QStringLiteral("Ça")}));

        ethernet.device->sendRaw(ethernet.endpoint, "+ERR=refused \xe2\x82\r\n");
        QVERIFY(ethernet.tool.waitForStatus(QStringLiteral("Receive_Callback Error : refused ") +
                                            QString(2, bad)));
        QVERIFY(ethernet.tool.waitForStatus(QStringLiteral("TCPDataReceived Error :err_Unknown")));

        // The network window, opened from the page; the device answers with
        // its record, then an odd one arrives.
        ethernet.tool.page.click(Setting::StaticIpButton);
        QTRY_COMPARE(topLevel<StaticIpConfig>().size(), 1);
        StaticIpConfig *network = topLevel<StaticIpConfig>().first();
        auto *mac = NetworkWindow(*network).entry(NetworkWindow::MacAddress);
        QTRY_VERIFY(!mac->text().isEmpty());
        ethernet.device->sendRaw(ethernet.endpoint,
                                 bytes("+READ_NETWORKCFG=00:1E\xff,1,10,0,\0,1,255,255,255,0,10,0,0,254,"
                                       "8,8,8,8,8,8,4,4\r\n"));
        QTRY_COMPARE(mac->text(), QStringLiteral("00:1E") + bad);
        QCOMPARE(NetworkWindow(*network).entry(NetworkWindow::Address)->text(), QStringLiteral("10.0."));
        network->close();
        QTRY_VERIFY(topLevel<StaticIpConfig>().isEmpty());
        QCOMPARE(ethernet.device->received(ethernet.endpoint), (Frames{ReadAll, ReadNetwork}));

        // The APN, the one text of a GSM port record.
        Session gsm(CommSettings::TCP232);
        QVERIFY(gsm.ready);
        gsm.device->sendRaw(gsm.endpoint, portRecord(withValue(OddGsmValues, 28, bytes("inter\xffnet\0x"))));
        QTRY_COMPARE(gsm.tool.page.index(Setting::Baud, Port::Rs485), 8);
        QCOMPARE(gsm.tool.page.apn()->text(), QStringLiteral("inter") + bad + QStringLiteral("net"));
        QCOMPARE(gsm.tool.errorTexts(), QStringList());
        QCOMPARE(gsm.device->received(gsm.endpoint), Frames{ReadAll});
        QVERIFY(boxes.seen().isEmpty());
    }

    void portRecordLengths_data()
    {
        QTest::addColumn<CommSettings::eRoute_t>("route");
        QTest::addColumn<QByteArray>("values");
        QTest::addColumn<QString>("text"); // empty: applied without a text

        QTest::newRow("Ethernet record one short, configuration service")
            << CommSettings::TCP << withCount(OddEthernetValues, 22)
            << "Incomplete READALL reply: 22 of 23 values";
        QTest::newRow("Ethernet record one short, USB")
            << CommSettings::USB << withCount(OddEthernetValues, 22)
            << "Incomplete READALL reply: 22 of 23 values";
        QTest::newRow("Ethernet record one long, configuration service")
            << CommSettings::TCP << withCount(OddEthernetValues, 24) << QString();
        QTest::newRow("GSM record one short, RS-232") << CommSettings::TCP232 << withCount(OddGsmValues, 29)
                                                      << "Incomplete READALL reply: 29 of 30 values";
        QTest::newRow("GSM record one long, RS-485")
            << CommSettings::TCP485 << withCount(OddGsmValues, 31) << QString();
        QTest::newRow("Ethernet-length record on RS-232")
            << CommSettings::TCP232 << OddEthernetValues << "Incomplete READALL reply: 23 of 30 values";
        QTest::newRow("Ethernet-length record on RS-485")
            << CommSettings::TCP485 << OddEthernetValues << "Incomplete READALL reply: 23 of 30 values";
        // The GSM record's blocks have other layouts: read on the Ethernet set
        // its values would land in the wrong fields.
        QTest::newRow("GSM-length record, configuration service")
            << CommSettings::TCP << OddGsmValues << "Invalid READALL reply: 30 values instead of 23";
        QTest::newRow("GSM-length record, USB")
            << CommSettings::USB << OddGsmValues << "Invalid READALL reply: 30 values instead of 23";
        QTest::newRow("no values at all, USB")
            << CommSettings::USB << QByteArray() << "Incomplete READALL reply: 1 of 23 values";
    }

    // A port record too short for the route's command set, or the other
    // set's record, is refused whole and named with its counts; values past
    // the end of a long one are ignored.
    void portRecordLengths()
    {
        QFETCH(CommSettings::eRoute_t, route);
        QFETCH(QByteArray, values);
        QFETCH(QString, text);
        TestSupport::MessageBoxAnswerer boxes;
        Session s(route);
        QVERIFY(s.ready);
        const QStringList pageBefore = s.tool.pageState();

        s.device->sendRaw(s.endpoint, portRecord(values));
        if (text.isEmpty()) {
            QTRY_COMPARE(s.tool.page.index(Setting::Baud, Port::Rs485), 8);
            QCOMPARE(s.tool.page.index(Setting::Baud, Port::Rs232), 4);
            QVERIFY(s.tool.page.infoResponse()->isChecked());
            // Replies are handled in order: once a later one is shown, any
            // text about the record would have been shown before it.
            s.device->sendRaw(s.endpoint, "+PING\r\n");
            QVERIFY(s.tool.waitForStatus(QStringLiteral("Ping -> OK")));
            QVERIFY(s.tool.statusLog.filter(QStringLiteral("READALL")).isEmpty());
        } else {
            QVERIFY(s.tool.waitForStatus(text));
            QCOMPARE(s.tool.pageState(), pageBefore);
            // The next whole record is applied.
            s.device->sendRaw(s.endpoint, portRecord(oddValuesFor(route)));
            QTRY_COMPARE(s.tool.page.index(Setting::Baud, Port::Rs485), 8);
        }
        QCOMPARE(s.tool.errorTexts(), QStringList());
        QCOMPARE(s.device->received(s.endpoint), Frames{ReadAll});
        QVERIFY(boxes.seen().isEmpty());
    }

    void networkRecordLengths_data()
    {
        QTest::addColumn<int>("count");
        QTest::addColumn<QString>("text");
        QTest::newRow("one short") << 21 << "Incomplete READ_NETWORKCFG reply: 21 of 22 values";
        QTest::newRow("one long") << 23 << "Invalid READ_NETWORKCFG reply: 23 values instead of 22";
        QTest::newRow("no values") << 1 << "Incomplete READ_NETWORKCFG reply: 1 of 22 values";
    }

    // A network record must hold exactly its 22 values: any other count
    // leaves the open window as it was and is named with its counts.
    void networkRecordLengths()
    {
        QFETCH(int, count);
        QFETCH(QString, text);
        TestSupport::MessageBoxAnswerer boxes;
        Session s(CommSettings::TCP);
        QVERIFY(s.ready);
        s.tool.page.click(Setting::StaticIpButton);
        QTRY_COMPARE(topLevel<StaticIpConfig>().size(), 1);
        StaticIpConfig *network = topLevel<StaticIpConfig>().first();
        QTRY_VERIFY(!NetworkWindow(*network).entry(NetworkWindow::MacAddress)->text().isEmpty());
        const QStringList before = lineEditTexts(*network);

        QList<QByteArray> record;
        for (int i = 0; i < count; ++i)
            record << QByteArray::number(i + 1);
        s.device->sendRaw(s.endpoint,
                          "+READ_NETWORKCFG=" + (count == 1 ? QByteArray() : record.join(',')) + "\r\n");
        QVERIFY(s.tool.waitForStatus(text));
        QCOMPARE(lineEditTexts(*network), before);

        // The window still takes a whole record.
        s.device->sendRaw(s.endpoint,
                          "+READ_NETWORKCFG=AA:BB,1,10,0,0,9,255,255,255,0,10,0,0,1,8,8,8,8,8,8,4,4\r\n");
        QTRY_COMPARE(NetworkWindow(*network).entry(NetworkWindow::MacAddress)->text(),
                     QStringLiteral("AA:BB"));
        QCOMPARE(NetworkWindow(*network).entry(NetworkWindow::Address)->text(), QStringLiteral("10.0.0.9"));
        network->close();
        QTRY_VERIFY(topLevel<StaticIpConfig>().isEmpty());
        QCOMPARE(s.tool.errorTexts(), QStringList());
        QCOMPARE(s.device->received(s.endpoint), (Frames{ReadAll, ReadNetwork}));
        QVERIFY(boxes.seen().isEmpty());
    }

    // A short information record shows what it has and nothing past it; a
    // long one shows its first ten values.
    void infoRecordLengths()
    {
        TestSupport::MessageBoxAnswerer boxes;
        Session s(CommSettings::TCP485);
        QVERIFY(s.ready);
        s.device->sendRaw(s.endpoint, "+DEVINFO=a,b,c\r\n");
        QTRY_COMPARE(topLevel<DevInfo>().size(), 1);
        QCOMPARE(infoTexts(*topLevel<DevInfo>().first()),
                 (QStringList{"a", "b", "c", "", "", "", "", "", "", ""}));
        closeAll<DevInfo>();

        s.device->sendRaw(s.endpoint, "+DEVINFO=1,2,3,4,5,6,7,8,9,10,11,12\r\n");
        QTRY_COMPARE(topLevel<DevInfo>().size(), 1);
        QCOMPARE(infoTexts(*topLevel<DevInfo>().first()),
                 (QStringList{"1", "2", "3", "4", "5", "6", "7", "8", "9", "10"}));
        closeAll<DevInfo>();
        QVERIFY(topLevel<DevInfo>().isEmpty());
        QCOMPARE(s.tool.errorTexts(), QStringList());
        QCOMPARE(s.device->received(s.endpoint), Frames{ReadAll});
        QVERIFY(boxes.seen().isEmpty());
    }

    void answersToAWrite_data() { addRouteRows(); }

    // The user writes a changed record three times: the device refuses it
    // with a reason, then does not answer at all (and a bare "+ERR" comes
    // late), then takes it. Only the confirmed writes reach the device, and
    // "Successfully written" appears only for the last.
    void answersToAWrite()
    {
        QFETCH(CommSettings::eRoute_t, route);
        TestSupport::MessageBoxAnswerer boxes;
        devsim::Faults refusing;
        refusing.errOnWrite = true;
        Session s(route, refusing);
        QVERIFY(s.ready);
        s.device->sendRaw(s.endpoint, portRecord(oddValuesFor(route)));
        QTRY_COMPARE(s.tool.page.index(Setting::Baud, Port::Rs485), 8);

        // On a data port only the port that carries the route is editable.
        const bool rs232 = route == CommSettings::TCP232;
        s.tool.page.setBaud(rs232 ? Port::Rs232 : Port::Rs485, 7);
        const QByteArray written =
            "AT+WRITEALL=" + withValue(oddValuesFor(route), rs232 ? 20 : 6, "7") + "\r\n";
        auto apply = [&] {
            boxes.expect(QMessageBox::Yes, QStringLiteral("Dikkat !"));
            s.tool.page.click(Setting::ApplyButton);
        };
        const QString errorText = receiveError(route, QStringLiteral("err_Unknown"));

        apply();
        QVERIFY(s.tool.waitForStatus(QStringLiteral("Receive_Callback Error : WRITE REFUSED")));
        QVERIFY(s.tool.waitForStatus(errorText));
        QCOMPARE(s.device->received(s.endpoint), (Frames{ReadAll, written}));

        devsim::Faults silent;
        silent.silentAfter = 0;
        s.device->setFaults(silent);
        s.tool.statusLog.clear();
        apply();
        QTRY_COMPARE(s.device->received(s.endpoint), (Frames{ReadAll, written, written}));
        QTest::qWait(2000);
        QVERIFY(!s.tool.statusLog.contains(QStringLiteral("Successfully written")));
        QCOMPARE(s.tool.errorTexts(), QStringList());
        QVERIFY(s.tool.routeUp());
        s.device->sendRaw(s.endpoint, "+ERR\r\n");
        QVERIFY(s.tool.waitForStatus(QStringLiteral("Receive_Callback Error : +ERR")));
        QVERIFY(s.tool.waitForStatus(errorText));

        s.device->setFaults({});
        s.tool.statusLog.clear();
        apply();
        QVERIFY(s.tool.waitForStatus(QStringLiteral("Successfully written")));
        QCOMPARE(s.tool.errorTexts(), QStringList());
        QCOMPARE(s.device->received(s.endpoint), (Frames{ReadAll, written, written, written}));
        QCOMPARE(boxes.seen().size(), 3);
        QVERIFY(boxes.unexpected().isEmpty());
    }

    // A GSM port record whose every number lies just past its field's range.
    // The fields the protocol gives a valid range (the choices, the TCP port,
    // the silent intervals, INFO RESPONSE) are skipped and named with their
    // keyword and value, in record order; the fields shown in spin boxes
    // (time-outs, the GSM-only retry count and intervals) have no range of
    // their own and are limited by their boxes.
    void outOfRangeGsmRecord()
    {
        static const char *const GsmKeywords[] = {
            "485EN", "485PORT", "485MOD", "485DATAB", "485PARB", "485STPB", "485BAUD", "485WAITCHR",
            "485WAITMS", "485TMOUT", "485ETHTMOUT", "485RETRYCNT", "485INTTMOUT", "485PINGTMOUT",
            "232EN", "232PORT", "232MOD", "232DATAB", "232PARB", "232STPB", "232BAUD", "232WAITCHR",
            "232WAITMS", "232TMOUT", "232ETHTMOUT", "232RETRYCNT", "232INTTMOUT", "232PINGTMOUT",
            "APN", "INFORESPONSE"};
        qRegisterMetaType<devsim::Endpoint>();
        TestSupport::MessageBoxAnswerer boxes;
        Session s(CommSettings::TCP485, {}, Record::Factory);
        QVERIFY(s.ready);
        devsim::Faults faults;
        faults.outOfRangeValues = true;
        s.device->setFaults(faults);
        QSignalSpy replies(s.device.get(), &devsim::DeviceSimulator::replySent);
        s.tool.statusLog.clear();

        s.tool.page.click(Setting::ReadButton);
        QTRY_VERIFY(!s.tool.statusLog.filter(QStringLiteral("Out-of-range")).isEmpty());
        QCOMPARE(replies.size(), 1);
        QByteArray frame = replies.at(0).at(1).toByteArray();
        QVERIFY(frame.startsWith("+READALL=") && frame.endsWith("\r\n"));
        const QList<QByteArray> values = frame.mid(9, frame.size() - 11).split(',');
        QCOMPARE(values.size(), 30);
        QStringList skipped;
        for (const int i : {0, 1, 2, 3, 4, 5, 6, 7, 8, 14, 15, 16, 17, 18, 19, 20, 21, 22, 29})
            skipped << QLatin1String(GsmKeywords[i]) + QLatin1Char('=') + QString::fromLatin1(values.at(i));
        QCOMPARE(s.tool.statusLog.filter(QStringLiteral("Out-of-range")),
                 QStringList{QStringLiteral("Out-of-range values skipped in READALL reply: ") +
                             skipped.join(QStringLiteral(", "))});
        // The retry counts past 5 show 5, the boxes' maximum.
        QCOMPARE(values.at(11), QByteArray("6"));
        QCOMPARE(s.tool.page.value(Setting::RetryCount, Port::Rs485), 5);
        QCOMPARE(s.tool.page.value(Setting::RetryCount, Port::Rs232), 5);
        QCOMPARE(s.tool.errorTexts(), QStringList());
        QVERIFY(boxes.seen().isEmpty());
    }
};

TELVOR_TEST_MAIN(TestFaultContent)
#include "tst_faultcontent.moc"
