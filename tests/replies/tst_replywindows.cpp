// The two windows a reply fills: the information window, one per DEVINFO
// reply, and the network window, filled by READ_NETWORKCFG and writing
// WRITE_NETWORKCFG. Frames are typed out as the device and the protocol
// write them.

#include "commsettings.h"
#include "devinfo.h"
#include "infowindow.h"
#include "networkwindow.h"
#include "staticipconfig.h"
#include "testsupport.h"
#include "transparentconfig.h"

#include <QAbstractButton>
#include <QApplication>
#include <QCheckBox>
#include <QIcon>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QScopeGuard>
#include <QSignalSpy>
#include <QtTest>

using namespace Driver;

namespace {

const QList<NetworkWindow::Entry> AddressEntries = NetworkWindow::addressEntries();

QList<DevInfo *> infoWindows()
{
    QList<DevInfo *> windows;
    for (QWidget *widget : QApplication::topLevelWidgets()) {
        if (auto *window = qobject_cast<DevInfo *>(widget))
            windows << window;
    }
    return windows;
}

QStringList entryTexts(const QWidget &window)
{
    return InfoWindow(window).texts();
}

QLineEdit *entry(const QWidget &window, NetworkWindow::Entry entry)
{
    return NetworkWindow(window).entry(entry);
}

// A catalogue that rewrites every text it is asked for.
class RewriteEverything : public QTranslator
{
public:
    bool isEmpty() const override { return false; }
    QString translate(const char *, const char *, const char *, int) const override
    {
        return QStringLiteral("<translated>");
    }
};

void flushDeferredDeletes()
{
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

} // namespace

class TestReplyWindows : public QObject
{
    Q_OBJECT

private slots:
    void cleanup() { qDeleteAll(infoWindows()); }

    void infoReplyOpensOneWindowEach()
    {
        TransparentConfig page;
        page.SetETHSettings(true);
        QByteArray first = "+DEVINFO=0012345,00:1A:2B:3C:4D:5E,GW, 2 ,1,07,B1,2,0,15,eleventh\r\n";
        QCOMPARE(page.Receive_Callback(first, nullptr), TransparentConfig::err_OK);
        QCOMPARE(infoWindows().size(), 1);
        QPointer<DevInfo> firstWindow = infoWindows().first();
        QVERIFY(firstWindow->isVisible());
        QCOMPARE(entryTexts(*firstWindow),
                 (QStringList{"0012345", "00:1A:2B:3C:4D:5E", "GW", " 2 ", "1", "07", "B1", "2", "0", "15"}));
        QCOMPARE(firstWindow->windowTitle(), QStringLiteral("Device Infos"));

        // A GSM information record naming other commands is still one.
        page.Set232Settings(true);
        QByteArray second = "+DEVINFO=PING-9,+OK,RESTART,a,b,c,d,e,f,g\r\n";
        QSignalSpy statusSpy(&page, &TransparentConfig::WriteStatusBar);
        QCOMPARE(page.Receive_Callback(second, nullptr), TransparentConfig::err_OK);
        QCOMPARE(statusSpy.count(), 0);
        QCOMPARE(infoWindows().size(), 2);
        QPointer<DevInfo> secondWindow =
            infoWindows().first() == firstWindow ? infoWindows().last() : infoWindows().first();
        QCOMPARE(entryTexts(*secondWindow).first(), QStringLiteral("PING-9"));

        // Both show the information icon, decoded once for all windows.
        const QImage infoIcon = QIcon(QStringLiteral(":/Button/Icons/info.png")).pixmap(32).toImage();
        QVERIFY(!infoIcon.isNull());
        for (const DevInfo *window : {firstWindow.data(), secondWindow.data()})
            QCOMPARE(window->windowIcon().pixmap(32).toImage(), infoIcon);

        // The closed window goes only once its close handling is over.
        QVERIFY(firstWindow->close());
        QVERIFY(firstWindow);
        flushDeferredDeletes();
        QVERIFY(!firstWindow);
        QVERIFY(secondWindow);
        QVERIFY(secondWindow->isVisible());
        QCOMPARE(infoWindows(), QList<DevInfo *>{secondWindow.data()});
    }

    void shortInfoRecordShowsWhatItHas()
    {
        TransparentConfig page;
        page.SetUSBSettings(true);
        QByteArray reply = "+DEVINFO=SN1,,GW\r\n";
        QCOMPARE(page.Receive_Callback(reply, nullptr), TransparentConfig::err_OK);
        QCOMPARE(infoWindows().size(), 1);
        QCOMPARE(entryTexts(*infoWindows().first()),
                 (QStringList{"SN1", "", "GW", "", "", "", "", "", "", ""}));
    }

    void networkRecordFillsTheWindow_data()
    {
        QTest::addColumn<QByteArray>("flag");
        QTest::addColumn<bool>("dhcp");
        QTest::newRow("static") << QByteArray("1") << false;
        QTest::newRow("DHCP") << QByteArray("0") << true;
        QTest::newRow("flag not a number") << QByteArray("on") << true;
    }
    void networkRecordFillsTheWindow()
    {
        QFETCH(QByteArray, flag);
        QFETCH(bool, dhcp);
        TransparentConfig page;
        page.SetETHSettings(true);
        StaticIpConfig window(CommSettings::USB);
        if (!dhcp)
            NetworkWindow(window).dhcp()->setChecked(true);

        QByteArray reply = "+READ_NETWORKCFG=00:1A:2B:3C:4D:5E," + flag +
                           ",010,000,001,002,255,255,255,0,10,0,1,254,8,8,8,8,8,8,4,4\r\n";
        QCOMPARE(page.Receive_Callback(reply, &window), TransparentConfig::err_OK);

        QCOMPARE(entry(window, NetworkWindow::MacAddress)->text(), QStringLiteral("00:1A:2B:3C:4D:5E"));
        QCOMPARE(NetworkWindow(window).dhcp()->isChecked(), dhcp);
        const QStringList expected{"010.000.001.002", "255.255.255.0", "10.0.1.254", "8.8.8.8", "8.8.4.4"};
        for (int i = 0; i < 5; ++i) {
            QCOMPARE(entry(window, AddressEntries[i])->text(), expected.at(i));
            QCOMPARE(entry(window, AddressEntries[i])->isEnabled(), !dhcp);
        }
    }

    void networkRecordOfWrongLengthIsNotApplied_data()
    {
        QTest::addColumn<QByteArray>("reply");
        QTest::addColumn<QString>("status");
        QTest::newRow("21 values")
            << QByteArray("+READ_NETWORKCFG=m,0,1,2,3,4,5,6,7,8,9,10,11,12,13,14,15,16,17,18,19\r\n")
            << QStringLiteral("Incomplete READ_NETWORKCFG reply: 21 of 22 values");
        QTest::newRow("23 values")
            << QByteArray("+READ_NETWORKCFG=m,0,1,2,3,4,5,6,7,8,9,10,11,12,13,14,15,16,17,18,19,20,21\r\n")
            << QStringLiteral("Invalid READ_NETWORKCFG reply: 23 values instead of 22");
        QTest::newRow("no values") << QByteArray("+READ_NETWORKCFG\r\n")
                                   << QStringLiteral("Incomplete READ_NETWORKCFG reply: 0 of 22 values");
    }
    void networkRecordOfWrongLengthIsNotApplied()
    {
        QFETCH(QByteArray, reply);
        QFETCH(QString, status);
        TransparentConfig page;
        page.Set485Settings(true);
        StaticIpConfig window(CommSettings::TCP485);
        QSignalSpy statusSpy(&page, &TransparentConfig::WriteStatusBar);
        QCOMPARE(page.Receive_Callback(reply, &window), TransparentConfig::err_OK);
        QCOMPARE(statusSpy.count(), 1);
        QCOMPARE(statusSpy.at(0).at(0).toString(), status);
        QCOMPARE(statusSpy.at(0).at(1).toInt(), 3000);
        QCOMPARE(entry(window, NetworkWindow::MacAddress)->text(), QString());
        QVERIFY(!NetworkWindow(window).dhcp()->isChecked());
        for (const NetworkWindow::Entry name : AddressEntries)
            QCOMPARE(entry(window, name)->text(), QStringLiteral("0.0.0.0"));
    }

    void readNetworkCfgTakesAnyList()
    {
        StaticIpConfig window(CommSettings::USB);
        for (const QByteArray &qba :
             {QByteArray(), QByteArray(","), QByteArray("m,0,1,2,3"), QByteArray(30, ',')}) {
            window.ReadNetworkCfg(qba);
            QCOMPARE(entry(window, NetworkWindow::MacAddress)->text(), QString());
            QCOMPARE(entry(window, NetworkWindow::Address)->text(), QStringLiteral("0.0.0.0"));
        }
    }

    void viewOnlyOverTheConfigurationService()
    {
        StaticIpConfig window(CommSettings::TCP);
        for (const NetworkWindow::Entry name : AddressEntries)
            QVERIFY(entry(window, name)->isReadOnly());
        QVERIFY(!NetworkWindow(window).dhcp()->isEnabled());
        QVERIFY(!NetworkWindow(window).applyButton()->isEnabled());

        QSignalSpy sent(&window, &StaticIpConfig::WriteData);
        NetworkWindow(window).readButton()->click();
        QCOMPARE(sent.count(), 1);
        QCOMPARE(sent.at(0).at(0).toByteArray(), QByteArray("AT+READ_NETWORKCFG\r\n"));

        StaticIpConfig editable(CommSettings::TCP232);
        QVERIFY(!entry(editable, NetworkWindow::Address)->isReadOnly());
        QVERIFY(NetworkWindow(editable).applyButton()->isEnabled());
    }

    void applySendsTheRecordAndCloses_data()
    {
        QTest::addColumn<bool>("dhcp");
        QTest::addColumn<QByteArray>("frame");
        QTest::newRow("static")
            << false
            << QByteArray("AT+WRITE_NETWORKCFG=1,192,168,1,50,255,255,255,0,192,168,1,1,8,8,8,8,8,8,4,4\r\n");
        QTest::newRow("DHCP sends the disabled entries too")
            << true
            << QByteArray("AT+WRITE_NETWORKCFG=0,192,168,1,50,255,255,255,0,192,168,1,1,8,8,8,8,8,8,4,4\r\n");
    }
    void applySendsTheRecordAndCloses()
    {
        QFETCH(bool, dhcp);
        QFETCH(QByteArray, frame);
        StaticIpConfig window(CommSettings::USB);
        window.show();
        entry(window, NetworkWindow::Address)->setText(QStringLiteral("192.168.1.50"));
        entry(window, NetworkWindow::SubnetMask)->setText(QStringLiteral("255.255.255.0"));
        entry(window, NetworkWindow::Gateway)->setText(QStringLiteral("192.168.1.1"));
        entry(window, NetworkWindow::Dns1)->setText(QStringLiteral("8.8.8.8"));
        entry(window, NetworkWindow::Dns2)->setText(QStringLiteral("8.8.4.4"));
        NetworkWindow(window).dhcp()->setChecked(dhcp);
        QCOMPARE(entry(window, NetworkWindow::Address)->isEnabled(), !dhcp);

        QSignalSpy sent(&window, &StaticIpConfig::WriteData);
        QSignalSpy closed(&window, &StaticIpConfig::Close_StaticIpConfigWindow);
        NetworkWindow(window).applyButton()->click();
        QCOMPARE(sent.count(), 1);
        QCOMPARE(sent.at(0).at(0).toByteArray(), frame);
        QCOMPARE(closed.count(), 1);
        QVERIFY(!window.isVisible());
    }

    // A translation changes what the window shows, never what it sends.
    void applyFrameIgnoresTranslations()
    {
        RewriteEverything rewriter;
        QVERIFY(QCoreApplication::installTranslator(&rewriter));
        // Removed however the test ends: later tests read the texts as built.
        const auto removeTranslator = qScopeGuard([&rewriter] { QCoreApplication::removeTranslator(&rewriter); });
        StaticIpConfig window(CommSettings::TCP232);
        QCOMPARE(NetworkWindow(window).caption(NetworkWindow::Address)->text(),
                 QStringLiteral("<translated>"));
        const char *const texts[] = {"10.0.0.200", "255.0.0.0", "10.0.0.1", "1.1.1.1", "9.9.9.9"};
        for (int i = 0; i < 5; ++i)
            entry(window, AddressEntries[i])->setText(QLatin1String(texts[i]));

        QSignalSpy sent(&window, &StaticIpConfig::WriteData);
        NetworkWindow(window).applyButton()->click();
        QCOMPARE(sent.count(), 1);
        QCOMPARE(sent.at(0).at(0).toByteArray(),
                 QByteArray("AT+WRITE_NETWORKCFG=1,10,0,0,200,255,0,0,0,10,0,0,1,1,1,1,1,9,9,9,9\r\n"));
    }

    void applyRefusesWhatIsNotAnAddress_data()
    {
        QTest::addColumn<NetworkWindow::Entry>("entryName");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("caption");
        QTest::newRow("three octets")
            << NetworkWindow::Address << QStringLiteral("192.168.1") << "IP Address";
        QTest::newRow("octet 256") << NetworkWindow::SubnetMask << QStringLiteral("255.256.0.0")
                                   << "Subnet Mask";
        QTest::newRow("comma") << NetworkWindow::Gateway << QStringLiteral("10,0.0.1") << "Default Gateway";
        QTest::newRow("empty") << NetworkWindow::Dns1 << QString() << "DNS-1 Address";
        QTest::newRow("five octets") << NetworkWindow::Dns2 << QStringLiteral("8.8.4.4.4") << "DNS-2 Address";
    }
    void applyRefusesWhatIsNotAnAddress()
    {
        QFETCH(NetworkWindow::Entry, entryName);
        QFETCH(QString, text);
        QFETCH(QString, caption);
        StaticIpConfig window(CommSettings::TCP485);
        window.show();
        entry(window, entryName)->setText(text);
        TestSupport::MessageBoxAnswerer answerer;
        answerer.expect(QMessageBox::Ok, QStringLiteral("Uyarı !"));
        QSignalSpy sent(&window, &StaticIpConfig::WriteData);
        QSignalSpy closed(&window, &StaticIpConfig::Close_StaticIpConfigWindow);

        NetworkWindow(window).applyButton()->click();

        QCOMPARE(answerer.seen().size(), 1);
        QVERIFY(answerer.seen().first().text.contains(caption));
        QVERIFY(answerer.seen().first().text.contains(QLatin1Char('"') + text + QLatin1Char('"')));
        QCOMPARE(sent.count(), 0);
        QCOMPARE(closed.count(), 0);
        QVERIFY(window.isVisible());
    }
};

TELVOR_TEST_MAIN(TestReplyWindows)
#include "tst_replywindows.moc"
