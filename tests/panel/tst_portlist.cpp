// The COM PORT list as the ports of the machine come and go: filled once the
// window has been painted yet before the user can use it, following ports
// plugged in and out while the USB route is idle, keeping the user's choice,
// and standing still while the USB route is up.
//
// The test machine has no serial ports, so the panel gets its ports from a
// list the test changes (the panel's port source). The port the USB route
// really opens is the simulated device's pseudo-terminal.

#include "commsettings.h"
#include "devicesimulator.h"
#include "panel.h"
#include "telvorconfigurator.h"
#include "testsupport.h"

#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <QSignalSpy>
#include <QtTest>

#include <memory>

Q_DECLARE_METATYPE(QSerialPortInfo)

using Driver::FakePorts;
using Driver::itemTexts;
using Driver::Panel;

namespace {

// Longer than one look of the watch plus its timer's coarseness.
constexpr int WatchWaitMs = 2 * CommSettings::PortWatchIntervalMs + 500;

// The Ethernet model's main window, shown, its COM PORT list fed by ports.
struct ShownPanel
{
    explicit ShownPanel(FakePorts &ports) : panel(window.findChild<CommSettings *>())
    {
        if (panel)
            panel->SetPortSource(ports.source());
        window.show();
    }
    QComboBox *list() const { return Panel(*panel).comPorts(); }
    // The window has its panel and is on the screen.
    bool exposed() { return panel && QTest::qWaitForWindowExposed(&window); }

    TelvorConfigurator window{nullptr, 1};
    CommSettings *const panel;
};

// How a port without a description shows in the list.
QString item(const QString &name)
{
    return name + QStringLiteral("()");
}

// Counts the changes made to the list's items.
struct ListChanges
{
    explicit ListChanges(QComboBox *list)
        : inserted(list->model(), &QAbstractItemModel::rowsInserted),
          removed(list->model(), &QAbstractItemModel::rowsRemoved),
          reset(list->model(), &QAbstractItemModel::modelReset)
    {
    }
    int count() const { return inserted.count() + removed.count() + reset.count(); }

    QSignalSpy inserted, removed, reset;
};

} // namespace

class TestPortList : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { qRegisterMetaType<QSerialPortInfo>(); }
    void init() { TestSupport::clearSettings(); }

    // Listing ports is slow, so it waits for the first picture of the panel.
    void firstListingFollowsTheFirstPaint()
    {
        CommSettings panel;
        FakePorts ports{{QStringLiteral("ttyACM0"), QStringLiteral("ttyUSB1")}};
        bool paintedBeforeListing = false;
        bool painted = false;
        panel.SetPortSource([&, source = ports.source()] {
            paintedBeforeListing = painted;
            return source();
        });
        struct PaintFilter : QObject
        {
            bool *painted;
            bool eventFilter(QObject *, QEvent *event) override
            {
                if (event->type() == QEvent::Paint)
                    *painted = true;
                return false;
            }
        } filter;
        filter.painted = &painted;
        panel.installEventFilter(&filter);

        QComboBox *list = Panel(panel).comPorts();
        QCoreApplication::processEvents();
        QCOMPARE(ports.listings, 0);

        panel.show();
        QVERIFY(QTest::qWaitForWindowExposed(&panel));
        QTRY_COMPARE(itemTexts(list), (QStringList{item("ttyACM0"), item("ttyUSB1")}));
        QVERIFY(paintedBeforeListing);
        QCOMPARE(list->currentIndex(), 0);
    }

    // Whatever the user does first with the list or the USB button finds the
    // list complete, even before the panel was ever painted.
    void listIsCompleteBeforeFirstUse()
    {
        FakePorts ports{{QStringLiteral("ttyACM0"), QStringLiteral("ttyUSB1")}};
        {
            CommSettings panel;
            panel.SetPortSource(ports.source());
            QComboBox *list = Panel(panel).comPorts();
            QTest::keyClick(list, Qt::Key_Down);
            QCOMPARE(itemTexts(list), (QStringList{item("ttyACM0"), item("ttyUSB1")}));
            QCOMPARE(list->currentText(), item("ttyUSB1"));
        }
        {
            CommSettings panel;
            panel.SetPortSource(ports.source());
            QComboBox *list = Panel(panel).comPorts();
            // The request names the port by its list item (a port the
            // platform does not know reaches the main window without a name),
            // so what counts is the list at the moment of the request.
            QStringList listAtRequest;
            QString chosenAtRequest;
            connect(&panel, &CommSettings::ConnectComPort, this, [&] {
                listAtRequest = itemTexts(list);
                chosenAtRequest = list->currentText();
            });
            Panel(panel).click(Panel::UsbButton);
            QCOMPARE(listAtRequest, (QStringList{item("ttyACM0"), item("ttyUSB1")}));
            QCOMPARE(chosenAtRequest, item("ttyACM0"));
        }
    }

    // Through the real main window of the Ethernet model: ports come and go,
    // the chosen one stays chosen, and an idle list is left alone.
    void listFollowsPortsPluggedInAndOut()
    {
        FakePorts ports{{QStringLiteral("ttyS0")}};
        ShownPanel shown(ports);
        QVERIFY(shown.exposed());
        QComboBox *list = shown.list();
        QTRY_COMPARE(itemTexts(list), QStringList{item("ttyS0")});

        ports.names << QStringLiteral("ttyACM0");
        QTRY_COMPARE_WITH_TIMEOUT(itemTexts(list), (QStringList{item("ttyS0"), item("ttyACM0")}), WatchWaitMs);
        QCOMPARE(list->currentText(), item("ttyS0"));

        // The user picks the new port; another one plugged in before it in
        // the platform's order does not take the choice away.
        list->setCurrentIndex(1);
        ports.names =
            QStringList{QStringLiteral("ttyS0"), QStringLiteral("ttyACM1"), QStringLiteral("ttyACM0")};
        QTRY_COMPARE_WITH_TIMEOUT(itemTexts(list), (QStringList{item("ttyS0"), item("ttyACM1"), item("ttyACM0")}),
                                  WatchWaitMs);
        QCOMPARE(list->currentText(), item("ttyACM0"));

        // A port other than the chosen one is pulled.
        ports.names.removeAll(QStringLiteral("ttyS0"));
        QTRY_COMPARE_WITH_TIMEOUT(itemTexts(list), (QStringList{item("ttyACM1"), item("ttyACM0")}), WatchWaitMs);
        QCOMPARE(list->currentText(), item("ttyACM0"));

        // Nothing changes: the list is not touched.
        ListChanges changes(list);
        const int listings = ports.listings;
        QTest::qWait(WatchWaitMs);
        QVERIFY(ports.listings > listings);
        QCOMPARE(changes.count(), 0);

        // The chosen port's description comes late (udev names it a moment
        // after the port appears): its item changes, the choice stays.
        ports.descriptions[QStringLiteral("ttyACM0")] = QStringLiteral("Telvor gateway");
        QTRY_COMPARE_WITH_TIMEOUT(itemTexts(list), (QStringList{item("ttyACM1"), "ttyACM0(Telvor gateway)"}),
                                  WatchWaitMs);
        QCOMPARE(list->currentText(), QStringLiteral("ttyACM0(Telvor gateway)"));

        // The chosen port itself is pulled, then every port.
        ports.names.removeAll(QStringLiteral("ttyACM0"));
        QTRY_COMPARE_WITH_TIMEOUT(itemTexts(list), QStringList{item("ttyACM1")}, WatchWaitMs);
        QCOMPARE(list->currentText(), item("ttyACM1"));
        ports.names.clear();
        QTRY_COMPARE_WITH_TIMEOUT(list->count(), 0, WatchWaitMs);
        QCOMPARE(list->currentText(), QString());
    }

    // With a change token, an idle look costs a comparison: the ports are
    // listed again only when the token moves (on Linux, when /dev changes),
    // and once more after that for a description that comes late.
    void idleLookListsOnlyWhenTheTokenMoves()
    {
        CommSettings panel;
        FakePorts ports{{QStringLiteral("ttyS0")}};
        QByteArray token("a");
        panel.SetPortSource(ports.source(), [&token] { return token; });
        panel.show();
        QVERIFY(QTest::qWaitForWindowExposed(&panel));
        QComboBox *list = Panel(panel).comPorts();
        QTRY_COMPARE(itemTexts(list), QStringList{item("ttyS0")});

        const int listings = ports.listings;
        ports.names << QStringLiteral("ttyACM0");
        QTest::qWait(WatchWaitMs);
        QCOMPARE(ports.listings, listings);
        QCOMPARE(itemTexts(list), QStringList{item("ttyS0")});

        token = "b";
        QTRY_COMPARE_WITH_TIMEOUT(itemTexts(list), (QStringList{item("ttyS0"), item("ttyACM0")}), WatchWaitMs);
        QTRY_COMPARE_WITH_TIMEOUT(ports.listings, listings + 2, WatchWaitMs);
        QTest::qWait(WatchWaitMs);
        QCOMPARE(ports.listings, listings + 2);

        // The refresh button lists the ports whatever the token says.
        ports.names = QStringList{QStringLiteral("ttyUSB0")};
        Panel(panel).click(Panel::RefreshPortsButton);
        QCOMPARE(itemTexts(list), QStringList{item("ttyUSB0")});
        QCOMPARE(ports.listings, listings + 3);
    }

    // Over the simulated device's USB port (a pseudo-terminal, listed by its
    // path): while the route is up the list is neither looked at nor changed; once it is down
    // the list catches up. The refresh button works throughout the idle time.
    void listStandsStillWhileUsbIsUp()
    {
        devsim::DeviceSimulator::Options options;
        options.usb = true;
        devsim::DeviceSimulator device(options);
        QString error;
        QVERIFY2(device.start(&error), qPrintable(error));
        const QString pty = device.usbPath();
        QVERIFY(!pty.isEmpty());

        FakePorts ports{{QStringLiteral("ttyS0"), pty}};
        ShownPanel shown(ports);
        CommSettings *panel = shown.panel;
        QVERIFY(shown.exposed());
        QComboBox *list = shown.list();
        const QString ptyItem = item(pty);
        QTRY_COMPARE(itemTexts(list), (QStringList{item("ttyS0"), ptyItem}));

        // The refresh button still lists the ports at once.
        ports.names.insert(0, QStringLiteral("ttyUSB3"));
        Panel(*panel).click(Panel::RefreshPortsButton);
        QCOMPARE(itemTexts(list), (QStringList{item("ttyUSB3"), item("ttyS0"), ptyItem}));

        // The button opens the chosen port, listed by its path.
        list->setCurrentIndex(2);
        Panel(*panel).click(Panel::UsbButton);
        QLabel *usbHeader = Panel(*panel).label(Panel::UsbHeader);
        QTRY_COMPARE_WITH_TIMEOUT(usbHeader->styleSheet(), QStringLiteral("background-color:green"), 8000);

        ListChanges changes(list);
        const int listings = ports.listings;
        ports.names.removeAll(QStringLiteral("ttyS0"));
        ports.names << QStringLiteral("ttyACM4");
        QTest::qWait(WatchWaitMs);
        QCOMPARE(ports.listings, listings);
        QCOMPARE(changes.count(), 0);

        Panel(*panel).click(Panel::UsbButton);
        QTRY_COMPARE_WITH_TIMEOUT(usbHeader->styleSheet(), QStringLiteral("background-color:red"), 5000);
        QTRY_COMPARE_WITH_TIMEOUT(itemTexts(list), (QStringList{item("ttyUSB3"), ptyItem, item("ttyACM4")}),
                                  WatchWaitMs);
        QCOMPARE(list->currentText(), ptyItem);
    }

    // The watch looks only while the panel can be seen: a hidden (minimised
    // or closed) main window lists no ports, and shown again it catches up
    // with what changed meanwhile.
    void watchStopsWhileHidden()
    {
        FakePorts ports{{QStringLiteral("ttyS0")}};
        ShownPanel shown(ports);
        TelvorConfigurator &window = shown.window;
        QVERIFY(shown.exposed());
        QComboBox *list = shown.list();
        QTRY_COMPARE(itemTexts(list), QStringList{item("ttyS0")});
        QTRY_VERIFY_WITH_TIMEOUT(ports.listings >= 2, WatchWaitMs);

        window.hide();
        const int listingsWhenHidden = ports.listings;
        ports.names << QStringLiteral("ttyACM0");
        QTest::qWait(WatchWaitMs);
        QCOMPARE(ports.listings, listingsWhenHidden);
        QCOMPARE(itemTexts(list), QStringList{item("ttyS0")});

        window.show();
        QTRY_COMPARE_WITH_TIMEOUT(itemTexts(list), (QStringList{item("ttyS0"), item("ttyACM0")}), WatchWaitMs);
    }
};

TELVOR_TEST_MAIN(TestPortList)
#include "tst_portlist.moc"
