// The configuration page driven through its real widgets: keys typed into the
// boxes, the buttons pressed, every message box answered. Frames and widget
// states are typed out here as the device protocol and the page's rules have
// them, never taken from the code under test.

#include "page.h"
#include "testsupport.h"
#include "transparentconfig.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QSpinBox>
#include <QtTest>

using namespace Driver;

namespace {

enum class Route
{
    None,
    Eth,
    Usb,
    Rs232,
    Rs485
};

void bringUp(TransparentConfig &page, Route route, bool up = true)
{
    switch (route) {
    case Route::None:
        break;
    case Route::Eth:
        page.SetETHSettings(up);
        break;
    case Route::Usb:
        page.SetUSBSettings(up);
        break;
    case Route::Rs232:
        page.Set232Settings(up);
        break;
    case Route::Rs485:
        page.Set485Settings(up);
        break;
    }
}

QString describe(const QSpinBox *box)
{
    return QStringLiteral("%1..%2 step %3 [%4] = %5")
        .arg(box->minimum())
        .arg(box->maximum())
        .arg(box->singleStep())
        .arg(box->suffix())
        .arg(box->value());
}

// The texts that go with each title; a box with another text is a fault.
void checkTexts(const TestSupport::MessageBoxAnswerer &boxes)
{
    const QString sevenBit = QStringLiteral("7bit Parity None olarak devam etmek istiyor musunuz ?");
    for (const TestSupport::SeenBox &box : boxes.seen()) {
        if (box.title == QLatin1String("Dikkat !"))
            QCOMPARE(box.text,
                     QStringLiteral("Parametrelerinizde değişiklik var. Devam etmek istiyor musunuz ?"));
        else if (box.title.endsWith(QLatin1String("Config Warning")))
            QCOMPARE(box.text, sevenBit);
    }
}

const QByteArray ReadAll = QByteArrayLiteral("AT+READALL\r\n");
const QString PortWarning = QStringLiteral("Portunuz açık ise kapatılacak !");
const QString ApnWarning =
    QStringLiteral("APN Değiştirildi Değişiklikleri modeme yazarsanız modem yeniden başlatılacak !");

// A spin box's expected range, step, suffix and value, as describe() writes them.
struct Expected
{
    Setting setting;
    Port port;
    QString description;
};
using ExpectedBoxes = QList<Expected>;

} // namespace

Q_DECLARE_METATYPE(Route)
Q_DECLARE_METATYPE(ExpectedBoxes)

class TestPage : public QObject
{
    Q_OBJECT

private slots:
    void freshPage()
    {
        TransparentConfig page;
        const Page driver(page);
        QVERIFY(!page.isEnabled());
        for (const Port port : {Port::Rs485, Port::Rs232}) {
            QStringList shown;
            for (const Setting setting : {Setting::Enable, Setting::Mode, Setting::DataBits, Setting::Parity,
                                          Setting::StopBits, Setting::Baud})
                shown << driver.comboBox(setting, port)->currentText();
            QCOMPARE(shown, QStringList({"Disable", "TCP to RTU", "8 Bit", "None", "1    Stop", "300"}));
            QCOMPARE(driver.value(Setting::PingInterval, port), 2);
            // A disabled port starts with its serial settings locked.
            for (const Control &control : Page::serialSettings(port, true))
                QVERIFY2(!driver.control(control)->isEnabledTo(&page), qPrintable(Page::nameOf(control)));
        }
    }

    void headersStandOverTheirColumns()
    {
        TransparentConfig page;
        page.show();
        QVERIFY(QTest::qWaitForWindowExposed(&page));
        const Page driver(page);
        const auto *left = driver.label(Setting::Header, Port::Rs485);
        const auto *right = driver.label(Setting::Header, Port::Rs232);
        QCOMPARE(left->text(), QStringLiteral("RS485 CONFIG"));
        QCOMPARE(right->text(), QStringLiteral("RS232 CONFIG"));
        for (const Setting row : {Setting::TcpPort, Setting::Baud, Setting::CommandInterval}) {
            const QRect under485 = driver.control(row, Port::Rs485)->geometry();
            const QRect under232 = driver.control(row, Port::Rs232)->geometry();
            QVERIFY(under485.left() < under232.left());
            QVERIFY(left->geometry().center().x() >= under485.left() &&
                    left->geometry().center().x() <= under485.right());
            QVERIFY(right->geometry().center().x() >= under232.left() &&
                    right->geometry().center().x() <= under232.right());
        }
    }

    void fieldRules_data()
    {
        QTest::addColumn<Route>("route");
        QTest::addColumn<Edits>("edits");
        QTest::addColumn<ExpectedBoxes>("expected");

        const QString ms = QStringLiteral("10..5000 step 10 [    ms] = %1");
        const QString chr = QStringLiteral("4..128 step 1 [     char] = %1");
        const QString cmdMs = QStringLiteral("0..5000 step 100 [    ms] = %1");
        const QString cmdS = QStringLiteral("3..10 step 1 [   s] = %1");

        QTest::newRow("port box refuses a digit that passes 65535")
            << Route::Rs485 << Edits{{Setting::TcpPort, Port::Rs232, "70000"}}
            << ExpectedBoxes{{Setting::TcpPort, Port::Rs232, "0..65535 step 1 [] = 7000"}};
        QTest::newRow("port box takes 65535")
            << Route::Rs485 << Edits{{Setting::TcpPort, Port::Rs232, "65535"}}
            << ExpectedBoxes{{Setting::TcpPort, Port::Rs232, "0..65535 step 1 [] = 65535"}};
        QTest::newRow("silent interval below its range")
            << Route::Rs485 << Edits{{Setting::SilentInterval, Port::Rs485, "3"}}
            << ExpectedBoxes{{Setting::SilentInterval, Port::Rs485, "4..128 step 1 [     Char] = 4"}};
        QTest::newRow("ping interval below its range")
            << Route::Rs232 << Edits{{Setting::PingInterval, Port::Rs232, "1"}}
            << ExpectedBoxes{{Setting::PingInterval, Port::Rs232, "2..120 step 1 [       dk] = 2"}};

        QTest::newRow("485 full transparent, no retries")
            << Route::Rs485
            << Edits{{Setting::RetryCount, Port::Rs485, "0"},
                     {Setting::CommandInterval, Port::Rs485, "700"},
                     {Setting::Mode, Port::Rs485, "4"}}
            << ExpectedBoxes{{Setting::SilentInterval, Port::Rs485, ms.arg(400)},
                             {Setting::CommandInterval, Port::Rs485, cmdMs.arg(100)}};
        QTest::newRow("485 rtu over tcp, two retries")
            << Route::Rs485
            << Edits{{Setting::RetryCount, Port::Rs485, "2"},
                     {Setting::CommandInterval, Port::Rs485, "8"},
                     {Setting::Mode, Port::Rs485, "2"}}
            << ExpectedBoxes{{Setting::SilentInterval, Port::Rs485, chr.arg(8)},
                             {Setting::CommandInterval, Port::Rs485, cmdS.arg(3)}};
        QTest::newRow("232 full transparent, one retry")
            << Route::Rs232
            << Edits{{Setting::RetryCount, Port::Rs232, "1"},
                     {Setting::CommandInterval, Port::Rs232, "6"},
                     {Setting::Mode, Port::Rs232, "4"}}
            << ExpectedBoxes{{Setting::SilentInterval, Port::Rs232, ms.arg(400)},
                             {Setting::CommandInterval, Port::Rs232, cmdS.arg(3)}};
        QTest::newRow("232 back to ascii over tcp, no retries")
            << Route::Rs232
            << Edits{{Setting::RetryCount, Port::Rs232, "0"},
                     {Setting::CommandInterval, Port::Rs232, "300"},
                     {Setting::Mode, Port::Rs232, "4"},
                     {Setting::Mode, Port::Rs232, "3"}}
            << ExpectedBoxes{{Setting::SilentInterval, Port::Rs232, chr.arg(8)},
                             {Setting::CommandInterval, Port::Rs232, cmdMs.arg(100)}};

        QTest::newRow("ms silent interval off its step")
            << Route::Rs485
            << Edits{{Setting::Mode, Port::Rs485, "4"}, {Setting::SilentInterval, Port::Rs485, "1234"}}
            << ExpectedBoxes{{Setting::SilentInterval, Port::Rs485, ms.arg(1230)}};
        QTest::newRow("ms silent interval survives a mode round trip")
            << Route::Rs232
            << Edits{{Setting::Mode, Port::Rs232, "4"},
                     {Setting::SilentInterval, Port::Rs232, "1234"},
                     {Setting::Mode, Port::Rs232, "0"},
                     {Setting::Mode, Port::Rs232, "4"}}
            << ExpectedBoxes{{Setting::SilentInterval, Port::Rs232, ms.arg(1230)}};
        QTest::newRow("char silent interval survives a mode round trip")
            << Route::Rs485
            << Edits{{Setting::SilentInterval, Port::Rs485, "20"},
                     {Setting::Mode, Port::Rs485, "4"},
                     {Setting::Mode, Port::Rs485, "1"}}
            << ExpectedBoxes{{Setting::SilentInterval, Port::Rs485, chr.arg(20)}};

        QTest::newRow("485 modbus timeout on its step")
            << Route::Rs485 << Edits{{Setting::ModbusTimeout, Port::Rs485, "1250"}}
            << ExpectedBoxes{{Setting::ModbusTimeout, Port::Rs485, "100..10000 step 10 [     ms] = 1250"}};
        QTest::newRow("485 modbus timeout off its step")
            << Route::Rs485 << Edits{{Setting::ModbusTimeout, Port::Rs485, "1255"}}
            << ExpectedBoxes{{Setting::ModbusTimeout, Port::Rs485, "100..10000 step 10 [     ms] = 1250"}};
        QTest::newRow("232 modbus timeout off its step")
            << Route::Rs232 << Edits{{Setting::ModbusTimeout, Port::Rs232, "1255"}}
            << ExpectedBoxes{{Setting::ModbusTimeout, Port::Rs232, "100..10000 step 10 [     ms] = 1250"}};
        QTest::newRow("ms command interval off its step")
            << Route::Rs485
            << Edits{{Setting::RetryCount, Port::Rs485, "0"}, {Setting::CommandInterval, Port::Rs485, "750"}}
            << ExpectedBoxes{{Setting::CommandInterval, Port::Rs485, cmdMs.arg(700)}};

        QTest::newRow("485 port equal to the 232 port is refused")
            << Route::Rs232 << Edits{{Setting::TcpPort, Port::Rs485, "503"}}
            << ExpectedBoxes{{Setting::TcpPort, Port::Rs485, "0..65535 step 1 [] = 502"}};
        QTest::newRow("485 port refused returns the last accepted one")
            << Route::Rs232
            << Edits{{Setting::TcpPort, Port::Rs485, "600"}, {Setting::TcpPort, Port::Rs485, "503"}}
            << ExpectedBoxes{{Setting::TcpPort, Port::Rs485, "0..65535 step 1 [] = 600"}};
        QTest::newRow("232 port equal to the 485 port is refused")
            << Route::Rs485 << Edits{{Setting::TcpPort, Port::Rs232, "502"}}
            << ExpectedBoxes{{Setting::TcpPort, Port::Rs232, "0..65535 step 1 [] = 503"}};

        QTest::newRow("485 retry count 1 counts seconds")
            << Route::Rs485 << Edits{{Setting::RetryCount, Port::Rs485, "1"}}
            << ExpectedBoxes{{Setting::CommandInterval, Port::Rs485, cmdS.arg(3)}};
        QTest::newRow("485 retry count back to 0 counts milliseconds")
            << Route::Rs485
            << Edits{{Setting::RetryCount, Port::Rs485, "1"}, {Setting::RetryCount, Port::Rs485, "0"}}
            << ExpectedBoxes{{Setting::CommandInterval, Port::Rs485, cmdMs.arg(100)}};
        QTest::newRow("232 retry count 3 counts seconds")
            << Route::Rs232
            << Edits{{Setting::RetryCount, Port::Rs232, "3"}, {Setting::CommandInterval, Port::Rs232, "9"}}
            << ExpectedBoxes{{Setting::CommandInterval, Port::Rs232, cmdS.arg(9)},
                             {Setting::CommandInterval, Port::Rs485, "0..1000 step 50 [     ms] = 10"}};
    }

    void fieldRules()
    {
        QFETCH(Route, route);
        QFETCH(Edits, edits);
        QFETCH(ExpectedBoxes, expected);

        TransparentConfig page;
        Page driver(page);
        TestSupport::MessageBoxAnswerer boxes;
        page.setEnabled(true);
        bringUp(page, route);
        for (const Edit &edit : edits) {
            driver.edit(edit);
            if (QTest::currentTestFailed())
                return;
        }
        for (const Expected &box : expected) {
            const QString name = Page::nameOf(box.setting, box.port);
            QCOMPARE(name + QStringLiteral(": ") + describe(driver.spinBox(box.setting, box.port)),
                     name + QStringLiteral(": ") + box.description);
        }
        QVERIFY(boxes.seen().isEmpty());
    }

    void routeTables_data()
    {
        QTest::addColumn<Route>("route");
        QTest::addColumn<bool>("state");
        QTest::addColumn<Controls>("followState");  // enabled exactly when the state is true
        QTest::addColumn<Controls>("againstState"); // enabled exactly when the state is false

        const Controls gsmOnly = {{Setting::Apn},
                                  {Setting::ApnLabel},
                                  {Setting::RetryCount, Port::Rs485},
                                  {Setting::RetryCount, Port::Rs232},
                                  {Setting::CommandInterval, Port::Rs485},
                                  {Setting::CommandInterval, Port::Rs232},
                                  {Setting::PingInterval, Port::Rs485},
                                  {Setting::PingInterval, Port::Rs232},
                                  {Setting::RetryCountLabel},
                                  {Setting::CommandIntervalLabel},
                                  {Setting::PingIntervalLabel}};
        const auto dataPort = [](Port own) {
            const Port other = Page::otherPort(own);
            const Controls follow = Page::serialSettings(own, false) + Page::gsmValues(own) +
                                    Controls{{Setting::TcpPort, other}, {Setting::Enable, other}};
            const Controls against =
                Page::serialSettings(other, false) + Page::gsmValues(other) +
                Controls{{Setting::TcpPort, own}, {Setting::Enable, own}, {Setting::StaticIpButton}};
            return qMakePair(follow, against);
        };
        // A data-port route coming up also opens the APN and the GSM rows'
        // captions, which an Ethernet route before a model switch may have
        // locked; going down leaves them as they are.
        const Controls apnAndCaptions = {{Setting::Apn},
                                         {Setting::ApnLabel},
                                         {Setting::RetryCountLabel},
                                         {Setting::CommandIntervalLabel},
                                         {Setting::PingIntervalLabel}};
        for (const bool state : {true, false}) {
            const char *up = state ? "up" : "down";
            const Controls openedWhenUp = state ? apnAndCaptions : Controls();
            QTest::addRow("ethernet %s", up) << Route::Eth << state << Controls() << gsmOnly;
            QTest::addRow("usb %s", up) << Route::Usb << state << Controls() << gsmOnly;
            const auto rs232 = dataPort(Port::Rs232);
            QTest::addRow("rs232 data port %s", up)
                << Route::Rs232 << state << rs232.first + openedWhenUp << rs232.second;
            const auto rs485 = dataPort(Port::Rs485);
            QTest::addRow("rs485 data port %s", up)
                << Route::Rs485 << state << rs485.first + openedWhenUp << rs485.second;
        }
    }

    void routeTables()
    {
        QFETCH(Route, route);
        QFETCH(bool, state);
        QFETCH(Controls, followState);
        QFETCH(Controls, againstState);

        TransparentConfig page;
        const Page driver(page);
        QSet<QWidget *> follow, against;
        for (const Control &control : followState)
            follow.insert(driver.control(control));
        for (const Control &control : againstState)
            against.insert(driver.control(control));
        const auto widgets = page.findChildren<QWidget *>(QString(), Qt::FindDirectChildrenOnly);
        // Start every named widget in the opposite of the state it must end in,
        // and the others in a mix, so that each change and each non-change shows.
        QHash<QWidget *, bool> before;
        for (int i = 0; i < widgets.size(); ++i) {
            QWidget *widget = widgets.at(i);
            if (follow.contains(widget))
                widget->setEnabled(!state);
            else if (against.contains(widget))
                widget->setEnabled(state);
            else
                widget->setEnabled(i % 2 == 0);
            before.insert(widget, widget->isEnabledTo(&page));
        }
        bringUp(page, route, state);

        int named = 0;
        for (QWidget *widget : widgets) {
            const QString name = widget->objectName();
            bool expected = before.value(widget);
            if (follow.contains(widget)) {
                expected = state;
                ++named;
            } else if (against.contains(widget)) {
                expected = !state;
                ++named;
            }
            QVERIFY2(widget->isEnabledTo(&page) == expected, qPrintable(name));
        }
        QCOMPARE(named, followState.size() + againstState.size());
    }

    void portEnable_data()
    {
        QTest::addColumn<Route>("route");
        QTest::addColumn<Port>("port");
        QTest::addColumn<QList<int>>("choices");
        QTest::addColumn<int>("warnings");
        QTest::addColumn<bool>("serialOpen"); // the port's serial settings but its TCP port
        QTest::addColumn<bool>("tcpPortOpen");

        QTest::newRow("ethernet: 485 enabled warns and opens")
            << Route::Eth << Port::Rs485 << QList<int>{1} << 1 << true << true;
        QTest::newRow("ethernet: 232 enabled and back warns once")
            << Route::Eth << Port::Rs232 << QList<int>{1, 0} << 1 << false << false;
        QTest::newRow("rs232 route: 485 enabled warns, stays locked")
            << Route::Rs232 << Port::Rs485 << QList<int>{1} << 1 << false << true;
        QTest::newRow("rs485 route: 232 enabled warns, stays locked")
            << Route::Rs485 << Port::Rs232 << QList<int>{1} << 1 << false << true;
        QTest::newRow("rs485 route: 485 enabled keeps its tcp port locked")
            << Route::Rs485 << Port::Rs485 << QList<int>{1} << 1 << true << false;
    }

    void portEnable()
    {
        QFETCH(Route, route);
        QFETCH(Port, port);
        QFETCH(QList<int>, choices);
        QFETCH(int, warnings);
        QFETCH(bool, serialOpen);
        QFETCH(bool, tcpPortOpen);

        TransparentConfig page;
        Page driver(page);
        TestSupport::MessageBoxAnswerer boxes;
        page.setEnabled(true);
        bringUp(page, route);
        for (int i = 0; i < warnings; ++i)
            boxes.expect(QMessageBox::Ok, QStringLiteral("Uyarı !"));
        for (const int choice : choices) {
            driver.edit({Setting::Enable, port, QString::number(choice)});
            if (QTest::currentTestFailed())
                return;
        }
        QCOMPARE(boxes.seen().size(), warnings);
        QCOMPARE(boxes.pendingExpectations(), 0);
        for (const TestSupport::SeenBox &box : boxes.seen())
            QCOMPARE(box.text, PortWarning);
        for (const Control &control : Page::serialSettings(port, false))
            QVERIFY2(driver.control(control)->isEnabledTo(&page) == serialOpen,
                     qPrintable(Page::nameOf(control)));
        QCOMPARE(driver.control(Setting::TcpPort, port)->isEnabledTo(&page), tcpPortOpen);
    }

    void apnWarning_data()
    {
        QTest::addColumn<QStringList>("texts");
        QTest::addColumn<int>("warnings");

        QTest::newRow("new name") << QStringList{"internet"} << 1;
        QTest::newRow("each finished edit warns again") << QStringList{"internet", "internet"} << 2;
        QTest::newRow("device's name (empty)") << QStringList{""} << 0;
        QTest::newRow("changed, then back to the device's") << QStringList{"x", ""} << 1;
    }

    void apnWarning()
    {
        QFETCH(QStringList, texts);
        QFETCH(int, warnings);

        // Shown and focused, as in use: the warning takes the focus away from
        // the line edit, which must not count as another finished edit.
        TransparentConfig page;
        TestSupport::MessageBoxAnswerer boxes;
        page.setEnabled(true);
        bringUp(page, Route::Rs485);
        page.show();
        page.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&page));
        QLineEdit *apn = Page(page).apn();
        for (int i = 0; i < warnings; ++i)
            boxes.expect(QMessageBox::Ok, QStringLiteral("Uyarı !"));
        for (const QString &text : texts) {
            apn->setFocus();
            retype(apn, text);
            QTest::qWait(50);
        }
        QCOMPARE(boxes.seen().size(), warnings);
        QCOMPARE(boxes.pendingExpectations(), 0);
        for (const TestSupport::SeenBox &box : boxes.seen())
            QCOMPARE(box.text, ApnWarning);
        QCOMPARE(apn->text(), texts.last());
    }

    void apply_data()
    {
        QTest::addColumn<Route>("route");
        QTest::addColumn<Edits>("edits");
        QTest::addColumn<QStringList>("answers"); // "Button|Title", in the order the boxes come
        QTest::addColumn<QList<QByteArray>>("frames");

        const QStringList yes = {"Yes|Dikkat !"};
        QTest::newRow("ethernet route, unfilled page")
            << Route::Eth << Edits() << yes
            << QList<QByteArray>{"AT+WRITEALL=0,0,0,8,0,1,0,8,400,100,0,0,0,0,8,0,1,0,8,400,100,0,0\r\n"};
        QTest::newRow("usb route, unfilled page")
            << Route::Usb << Edits() << yes
            << QList<QByteArray>{"AT+WRITEALL=0,0,0,8,0,1,0,8,400,100,0,0,0,0,8,0,1,0,8,400,100,0,0\r\n"};
        QTest::newRow("rs232 data route, unfilled page")
            << Route::Rs232 << Edits() << yes
            << QList<QByteArray>{"AT+WRITEALL=0,0,0,8,0,1,0,8,400,100,0,0,10,120,0,0,0,8,0,1,0,8,400,100,0,0,"
                                 "10,120,,0\r\n"};
        QTest::newRow("every ethernet field in its place")
            << Route::Eth
            << Edits{{Setting::Enable, Port::Rs232, "1"},
                     {Setting::TcpPort, Port::Rs232, "1502"},
                     {Setting::Mode, Port::Rs232, "2"},
                     {Setting::Parity, Port::Rs232, "2"},
                     {Setting::StopBits, Port::Rs232, "1"},
                     {Setting::Baud, Port::Rs232, "9"},
                     {Setting::SilentInterval, Port::Rs232, "16"},
                     {Setting::ModbusTimeout, Port::Rs232, "2500"},
                     {Setting::EthTimeout, Port::Rs232, "7"},
                     {Setting::InfoResponse, Port::Rs485, "1"}}
            << QStringList{"Ok|Uyarı !", "Yes|Dikkat !"}
            << QList<QByteArray>{
                   "AT+WRITEALL=0,0,0,8,0,1,0,8,400,100,0,1,1502,2,8,2,2,9,16,400,2500,7,1\r\n"};
        QTest::newRow("retry count 2 with an interval of 5 s")
            << Route::Rs485
            << Edits{{Setting::RetryCount, Port::Rs485, "2"}, {Setting::CommandInterval, Port::Rs485, "5"}}
            << yes
            << QList<QByteArray>{"AT+WRITEALL=0,0,0,8,0,1,0,8,400,100,0,2,5000,120,0,0,0,8,0,1,0,8,400,100,0,"
                                 "0,10,120,,0\r\n"};
        QTest::newRow("485 full transparent, 1234 ms")
            << Route::Rs485
            << Edits{{Setting::Mode, Port::Rs485, "4"}, {Setting::SilentInterval, Port::Rs485, "1234"}} << yes
            << QList<QByteArray>{"AT+WRITEALL=0,0,4,8,0,1,0,8,1230,100,0,0,100,120,0,0,0,8,0,1,0,8,400,100,0,"
                                 "0,10,120,,0\r\n"};
        QTest::newRow("232 full transparent, 1234 ms, ping 5 min, apn")
            << Route::Rs232
            << Edits{{Setting::Mode, Port::Rs232, "4"},
                     {Setting::SilentInterval, Port::Rs232, "1234"},
                     {Setting::PingInterval, Port::Rs232, "5"},
                     {Setting::Apn, Port::Rs485, "internet"}}
            << QStringList{"Ok|Uyarı !", "Yes|Dikkat !"}
            << QList<QByteArray>{
                   "AT+WRITEALL=0,0,0,8,0,1,0,8,400,100,0,0,10,120,0,0,4,8,0,1,0,8,1230,100,0,0,"
                   "100,300,internet,0\r\n"};
        QTest::newRow("no to the change question reads back (ethernet)")
            << Route::Eth << Edits() << QStringList{"No|Dikkat !"} << QList<QByteArray>{ReadAll};
        QTest::newRow("no to the change question reads back (data port)")
            << Route::Rs485 << Edits() << QStringList{"No|Dikkat !"} << QList<QByteArray>{ReadAll};
        QTest::newRow("7 bit without parity: No on 485, Yes on 232")
            << Route::Eth
            << Edits{{Setting::DataBits, Port::Rs485, "0"}, {Setting::DataBits, Port::Rs232, "0"}}
            << QStringList{"No|RS485 Config Warning", "Yes|RS232 Config Warning", "Yes|Dikkat !"}
            << QList<QByteArray>();
        QTest::newRow("7 bit without parity: Yes on both")
            << Route::Eth
            << Edits{{Setting::DataBits, Port::Rs485, "0"}, {Setting::DataBits, Port::Rs232, "0"}}
            << QStringList{"Yes|RS485 Config Warning", "Yes|RS232 Config Warning", "Yes|Dikkat !"}
            << QList<QByteArray>{"AT+WRITEALL=0,0,0,7,0,1,0,8,400,100,0,0,0,0,7,0,1,0,8,400,100,0,0\r\n"};
        QTest::newRow("7 bit with odd parity asks nothing more")
            << Route::Eth << Edits{{Setting::DataBits, Port::Rs485, "0"}, {Setting::Parity, Port::Rs485, "1"}}
            << yes
            << QList<QByteArray>{"AT+WRITEALL=0,0,0,7,1,1,0,8,400,100,0,0,0,0,8,0,1,0,8,400,100,0,0\r\n"};
        QTest::newRow("no route yet: nothing to write")
            << Route::None << Edits() << QStringList() << QList<QByteArray>();
    }

    void apply()
    {
        QFETCH(Route, route);
        QFETCH(Edits, edits);
        QFETCH(QStringList, answers);
        QFETCH(QList<QByteArray>, frames);

        TransparentConfig page;
        Page driver(page);
        QSignalSpy writes(&page, &TransparentConfig::WriteData);
        TestSupport::MessageBoxAnswerer boxes;
        page.setEnabled(true);
        bringUp(page, route);
        for (const QString &answer : answers) {
            const QString button = answer.section(QLatin1Char('|'), 0, 0);
            const QString title = answer.section(QLatin1Char('|'), 1);
            boxes.expect(button == QLatin1String("Yes")  ? QMessageBox::Yes
                         : button == QLatin1String("No") ? QMessageBox::No
                                                         : QMessageBox::Ok,
                         title);
        }
        for (const Edit &edit : edits) {
            driver.edit(edit);
            if (QTest::currentTestFailed())
                return;
        }
        driver.apply();

        QCOMPARE(boxes.pendingExpectations(), 0);
        QCOMPARE(boxes.seen().size(), answers.size());
        checkTexts(boxes);
        QList<QByteArray> sent;
        for (const QList<QVariant> &call : writes)
            sent << call.at(0).toByteArray();
        QCOMPARE(sent, frames);
    }

    // A separator inside the APN would shift every value after it on the
    // device, so such a record is never sent.
    void apnWithSeparatorIsRefused_data()
    {
        QTest::addColumn<QString>("apn");
        QTest::addColumn<bool>("typed");

        QTest::newRow("comma") << QStringLiteral("a,b") << true;
        QTest::newRow("line feed") << QStringLiteral("a\nb") << false;
        QTest::newRow("carriage return") << QStringLiteral("a\rb") << false;
    }

    void apnWithSeparatorIsRefused()
    {
        QFETCH(QString, apn);
        QFETCH(bool, typed);

        TransparentConfig page;
        QSignalSpy writes(&page, &TransparentConfig::WriteData);
        TestSupport::MessageBoxAnswerer boxes;
        page.setEnabled(true);
        bringUp(page, Route::Rs232);
        Page driver(page);
        QLineEdit *apnEdit = driver.apn();
        if (typed) {
            boxes.expect(QMessageBox::Ok, QStringLiteral("Uyarı !")); // the APN-changed warning
            retype(apnEdit, apn);
        } else {
            apnEdit->setText(apn);
        }
        QCOMPARE(apnEdit->text(), apn);
        boxes.expect(QMessageBox::Ok, QStringLiteral("Uyarı !"));
        driver.apply();

        QCOMPARE(boxes.pendingExpectations(), 0);
        QCOMPARE(boxes.seen().last().title, QStringLiteral("Uyarı !"));
        QVERIFY(boxes.seen().last().text.contains(QStringLiteral("APN")));
        QVERIFY(boxes.seen().last().text != ApnWarning);
        QCOMPARE(writes.count(), 0);

        // The Ethernet record carries no APN: the same text does not stop it.
        boxes.reset();
        page.SetETHSettings(true);
        boxes.expect(QMessageBox::Yes, QStringLiteral("Dikkat !"));
        driver.apply();
        QCOMPARE(boxes.pendingExpectations(), 0);
        QCOMPARE(writes.count(), 1);
        QVERIFY(writes.at(0).at(0).toByteArray().startsWith("AT+WRITEALL=0,"));
    }

    void read_data()
    {
        QTest::addColumn<Route>("route");
        QTest::addColumn<QList<QByteArray>>("frames");

        QTest::newRow("no route yet") << Route::None << QList<QByteArray>();
        QTest::newRow("ethernet") << Route::Eth << QList<QByteArray>{ReadAll};
        QTest::newRow("usb") << Route::Usb << QList<QByteArray>{ReadAll};
        QTest::newRow("rs232 data port") << Route::Rs232 << QList<QByteArray>{ReadAll};
        QTest::newRow("rs485 data port") << Route::Rs485 << QList<QByteArray>{ReadAll};
    }

    void read()
    {
        QFETCH(Route, route);
        QFETCH(QList<QByteArray>, frames);

        TransparentConfig page;
        QSignalSpy writes(&page, &TransparentConfig::WriteData);
        page.setEnabled(true);
        bringUp(page, route);
        Page(page).read();
        QList<QByteArray> sent;
        for (const QList<QVariant> &call : writes)
            sent << call.at(0).toByteArray();
        QCOMPARE(sent, frames);
    }

    void staticIpButton_data()
    {
        QTest::addColumn<Route>("route");
        QTest::addColumn<int>("opened");

        QTest::newRow("ethernet") << Route::Eth << 1;
        QTest::newRow("rs232 data port: locked") << Route::Rs232 << 0;
        QTest::newRow("rs485 data port: locked") << Route::Rs485 << 0;
    }

    void staticIpButton()
    {
        QFETCH(Route, route);
        QFETCH(int, opened);

        TransparentConfig page;
        QSignalSpy requests(&page, &TransparentConfig::OpenStaticIpWindow);
        QSignalSpy writes(&page, &TransparentConfig::WriteData);
        page.setEnabled(true);
        bringUp(page, route);
        Page(page).openNetworkWindow();
        QCOMPARE(requests.count(), opened);
        QCOMPARE(writes.count(), 0);
    }
};

TELVOR_TEST_MAIN(TestPage)
#include "tst_page.moc"
