// Faults in how replies arrive, on every route, end to end through the main
// window: replies cut into one-byte reads and into random pieces with gaps,
// several replies in one read, and a line of a mebibyte without a line end.
// Each case checks what the user sees, that the device received only the
// requests the test caused, and that the next good reply is handled.

#include "faultharness.h"
#include "testsupport.h"

#include "devinfo.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QLoggingCategory>
#include <QtTest>

#if defined(__SANITIZE_ADDRESS__)
#define TELVOR_ASAN 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define TELVOR_ASAN 1
#endif
#endif
#ifdef TELVOR_ASAN
#include <cstddef>
// The sanitizer runtime's count of bytes in use (GCC ships no header for it).
extern "C" std::size_t __sanitizer_get_current_allocated_bytes();
#else
#include <malloc.h>
#endif

using namespace Fault;

namespace {

// Port records that differ from the device's own in every checked field.
const QByteArray EthernetRecord = "+READALL=1,502,3,7,2,2,8,16,600,200,5,0,503,1,8,1,1,4,8,400,100,0,1\r\n";
const QByteArray GsmRecord = "+READALL=1,502,3,7,2,2,8,16,600,200,5,2,5000,120,1,503,1,8,1,1,4,8,400,100,0,0,"
                             "100,180,apn.example,1\r\n";
const QByteArray InfoRecord = "+DEVINFO=SN-0042,00:1A:2B:3C:4D:5E,TRP-ETH,RS485,2,7,TB-01,1,3,12\r\n";
const QStringList InfoTexts = {
    "SN-0042", "00:1A:2B:3C:4D:5E", "TRP-ETH", "RS485", "2", "7", "TB-01", "1", "3", "12"};

const char *const InfoEntries[] = {
    "lineEdit_SerialNum",        "lineEdit_MacAddr",           "lineEdit_ProductType",
    "lineEdit_ProductSubType",   "lineEdit_VersionMajorApp",   "lineEdit_VersionMinorApp",
    "lineEdit_BoardType",        "lineEdit_VersionMajorBoard", "lineEdit_VersionMinorBoard",
    "lineEdit_VersionParameter",
};

QStringList infoTexts(const DevInfo &window)
{
    QStringList texts;
    for (const char *name : InfoEntries)
        texts << window.findChild<QLineEdit *>(QLatin1String(name))->text();
    return texts;
}

const QByteArray &portRecordFor(CommSettings::eRoute_t route)
{
    return isDataPort(route) ? GsmRecord : EthernetRecord;
}

// The page shows the typed-out record above.
void verifyRecordShown(const Tool &tool)
{
    QCOMPARE(tool.find<QComboBox>(QStringLiteral("comboBox_Baud_485"))->currentIndex(), 8);
    QCOMPARE(tool.find<QComboBox>(QStringLiteral("comboBox_Mod_485"))->currentIndex(), 3);
    QCOMPARE(tool.find<QComboBox>(QStringLiteral("comboBox_Datab_485"))->currentIndex(), 0);
    QCOMPARE(tool.find<QComboBox>(QStringLiteral("comboBox_Stopb_485"))->currentIndex(), 1);
    QCOMPARE(tool.find<QComboBox>(QStringLiteral("comboBox_Baud_232"))->currentIndex(), 4);
    QCOMPARE(tool.find<QComboBox>(QStringLiteral("comboBox_Parityb_232"))->currentIndex(), 1);
    QVERIFY(tool.find<QCheckBox>(QStringLiteral("checkBox_InfoResponse"))->isChecked());
    if (isDataPort(tool.route))
        QCOMPARE(tool.find<QLineEdit>(QStringLiteral("lineEdit_APN"))->text(), QStringLiteral("apn.example"));
}

void verifyNoReceiveErrors(const Tool &tool)
{
    for (const QString &text : tool.statusLog)
        QVERIFY2(!text.contains(QStringLiteral("Error :")), qPrintable(text));
}

qint64 allocatedBytes()
{
#ifdef TELVOR_ASAN
    return qint64(__sanitizer_get_current_allocated_bytes());
#else
    const struct mallinfo2 info = mallinfo2();
    return qint64(info.uordblks + info.hblkhd);
#endif
}

enum class Cut
{
    OneByte,
    RandomWithGaps
};

// Sends a frame as the device would, cut into several writes with pauses
// between them (each write reaches the tool as a read notification of its
// own). The pauses stay well below the one-second limit for a partial frame.
void sendCut(devsim::DeviceSimulator &device, Endpoint endpoint, const QByteArray &frame, Cut cut,
             quint32 seed)
{
    const QList<QByteArray> pieces =
        cut == Cut::OneByte ? randomPieces(frame, 1, seed) : randomPieces(frame, 9, seed);
    for (const QByteArray &piece : pieces) {
        device.sendRaw(endpoint, piece);
        seed = seed * 1103515245u + 12345u;
        QTest::qWait(cut == Cut::OneByte ? 3 : int((seed >> 16) % 120));
    }
}

void addRouteRows(const char *what)
{
    QTest::addColumn<CommSettings::eRoute_t>("route");
    QTest::newRow(qPrintable(QStringLiteral("configuration service: %1").arg(QLatin1String(what))))
        << CommSettings::TCP;
    QTest::newRow(qPrintable(QStringLiteral("USB: %1").arg(QLatin1String(what)))) << CommSettings::USB;
    QTest::newRow(qPrintable(QStringLiteral("RS-232 data port: %1").arg(QLatin1String(what))))
        << CommSettings::TCP232;
    QTest::newRow(qPrintable(QStringLiteral("RS-485 data port: %1").arg(QLatin1String(what))))
        << CommSettings::TCP485;
}

} // namespace

Q_DECLARE_METATYPE(Cut)

class TestFaultDelivery : public QObject
{
    Q_OBJECT

private slots:
    // The data ports write every read to the debug log; a mebibyte of it
    // would only slow the run down.
    void initTestCase() { QLoggingCategory::setFilterRules(QStringLiteral("default.debug=false")); }
    void init() { TestSupport::clearSettings(); }
    void cleanup() { closeAll<DevInfo>(); }

    void splitReplies_data()
    {
        QTest::addColumn<CommSettings::eRoute_t>("route");
        QTest::addColumn<Cut>("cut");
        const struct
        {
            const char *name;
            CommSettings::eRoute_t route;
        } routes[] = {{"configuration service", CommSettings::TCP},
                      {"USB", CommSettings::USB},
                      {"RS-232 data port", CommSettings::TCP232},
                      {"RS-485 data port", CommSettings::TCP485}};
        for (const auto &r : routes) {
            QTest::newRow(qPrintable(QStringLiteral("%1, one byte per read").arg(QLatin1String(r.name))))
                << r.route << Cut::OneByte;
            QTest::newRow(
                qPrintable(QStringLiteral("%1, random pieces with gaps").arg(QLatin1String(r.name))))
                << r.route << Cut::RandomWithGaps;
        }
    }

    // Every reply is put together again, however it was cut: the device's own
    // record on connecting, then an information record and a port record.
    void splitReplies()
    {
        QFETCH(CommSettings::eRoute_t, route);
        QFETCH(Cut, cut);
        TestSupport::MessageBoxAnswerer boxes;
        devsim::Faults faults;
        if (cut == Cut::OneByte) {
            faults.chunkSize = 1;
            faults.chunkGapMs = 2;
        } else {
            faults.chunkSize = 5;
            faults.chunkGapMs = 40;
        }
        auto device = startDevice(faults);
        QVERIFY(device);
        const Endpoint endpoint = endpointOf(route);
        Tool tool(route);

        tool.connectTo(*device);
        QVERIFY(tool.waitForRecord(10000));
        QVERIFY(tool.routeUp());

        sendCut(*device, endpoint, InfoRecord, cut, 7);
        QTRY_COMPARE(topLevel<DevInfo>().size(), 1);
        QCOMPARE(infoTexts(*topLevel<DevInfo>().first()), InfoTexts);

        sendCut(*device, endpoint, portRecordFor(route), cut, 11);
        QTRY_COMPARE(tool.find<QComboBox>(QStringLiteral("comboBox_Baud_485"))->currentIndex(), 8);
        verifyRecordShown(tool);

        QTest::qWait(1200); // nothing is left over to be dropped later
        verifyNoReceiveErrors(tool);
        QCOMPARE(topLevel<DevInfo>().size(), 1);
        QCOMPARE(device->received(endpoint), Frames{ReadAllRequest});
        QVERIFY(boxes.seen().isEmpty());
    }

    void severalRepliesInOneRead_data() { addRouteRows("several replies in one read"); }

    // Replies that arrive together are handled one after the other, and the
    // start of a reply at the end of a read waits for the rest.
    void severalRepliesInOneRead()
    {
        QFETCH(CommSettings::eRoute_t, route);
        TestSupport::MessageBoxAnswerer boxes;
        auto device = startDevice();
        QVERIFY(device);
        const Endpoint endpoint = endpointOf(route);
        Tool tool(route);
        tool.connectTo(*device);
        QVERIFY(tool.waitForRecord());

        device->sendRaw(endpoint, "+PING\r\n" + InfoRecord + "+OK\r\n" + portRecordFor(route) + "+PI");
        QTRY_VERIFY(tool.statusLog.contains(QStringLiteral("Successfully written")));
        QTest::qWait(100);
        device->sendRaw(endpoint, "NG\r\n");
        QTRY_COMPARE(tool.statusCount(QStringLiteral("Ping -> OK")), 2);
        const int firstPing = int(tool.statusLog.indexOf(QStringLiteral("Ping -> OK")));
        QVERIFY(firstPing < tool.statusLog.indexOf(QStringLiteral("Successfully written")));
        QCOMPARE(topLevel<DevInfo>().size(), 1);
        QCOMPARE(infoTexts(*topLevel<DevInfo>().first()), InfoTexts);
        verifyRecordShown(tool);

        // The device itself holding two replies and writing them together.
        devsim::Faults coalesced;
        coalesced.coalesce = 2;
        device->setFaults(coalesced);
        tool.trigger(QStringLiteral("actionGET_INFO"));
        tool.trigger(QStringLiteral("actionGET_INFO"));
        QTRY_COMPARE(topLevel<DevInfo>().size(), 3);

        verifyNoReceiveErrors(tool);
        const QByteArray info = "AT+DEVINFO\r\n";
        QCOMPARE(device->received(endpoint), (Frames{ReadAllRequest, info, info}));
        QVERIFY(boxes.seen().isEmpty());
    }

    void oversizedLine_data() { addRouteRows("a mebibyte without a line end"); }

    // A line far longer than any reply is reported once, is not kept, and the
    // route goes on working.
    void oversizedLine()
    {
        QFETCH(CommSettings::eRoute_t, route);
        TestSupport::MessageBoxAnswerer boxes;
        auto device = startDevice();
        QVERIFY(device);
        const Endpoint endpoint = endpointOf(route);
        Tool tool(route);
        tool.connectTo(*device);
        QVERIFY(tool.waitForRecord());
        const QStringList pageBefore = tool.pageState();
        const QString endError = receiveError(route, QStringLiteral("err_EndChr"));

        // Writes of 256 KiB make one long line; a PING after its end shows
        // when the tool has read all of it. The first mebibyte lets the
        // channels' own buffers grow to their working size; what is in use
        // after four more must not have grown with them.
        const QByteArray quarter(256 * 1024, 'X');
        auto sendLongLine = [&](int quarters) {
            for (int i = 0; i < quarters; ++i) {
                device->sendRaw(endpoint, quarter);
                QTest::qWait(20);
            }
            device->sendRaw(endpoint, "\r\n+PING\r\n");
        };
        sendLongLine(4);
        QVERIFY(tool.waitForStatus(QStringLiteral("Ping -> OK"), 10000));
        QCOMPARE(tool.statusCount(endError), 1);
        const qint64 before = allocatedBytes();
        tool.statusLog.clear();
        sendLongLine(16);
        QVERIFY(tool.waitForStatus(QStringLiteral("Ping -> OK"), 20000));
        const qint64 grown = allocatedBytes() - before;
        QVERIFY2(grown < 128 * 1024,
                 qPrintable(QStringLiteral("%1 more bytes in use after 4 MiB").arg(grown)));

        QCOMPARE(tool.statusCount(endError), 1);
        QCOMPARE(tool.pageState(), pageBefore);
        QVERIFY(tool.routeUp());

        device->sendRaw(endpoint, portRecordFor(route));
        QTRY_COMPARE(tool.find<QComboBox>(QStringLiteral("comboBox_Baud_485"))->currentIndex(), 8);
        verifyRecordShown(tool);
        QTest::qWait(1200);
        QCOMPARE(tool.statusCount(endError), 1);
        QCOMPARE(device->received(endpoint), Frames{ReadAllRequest});
        QVERIFY(boxes.seen().isEmpty());
    }
};

TELVOR_TEST_MAIN(TestFaultDelivery)
#include "tst_faultdelivery.moc"
