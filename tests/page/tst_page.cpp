// The configuration page driven through its real widgets: keys typed into the
// boxes, the buttons pressed, every message box answered. Frames and widget
// states are typed out here as the device protocol and the page's rules have
// them, never taken from the code under test.

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

template <typename T> T *find(const QWidget &page, const QString &name)
{
    T *widget = page.findChild<T *>(name);
    if (!widget)
        qFatal("the page has no widget %s", qPrintable(name));
    return widget;
}

// Select all, clear, type, press Enter: what a user does to replace a value.
void typeInto(QWidget *widget, const QString &text)
{
    QTest::keyClick(widget, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClick(widget, Qt::Key_Delete);
    QTest::keyClicks(widget, text);
    QTest::keyClick(widget, Qt::Key_Return);
}

// "widget=value": spin boxes and line edits are typed into, combo boxes are
// moved with the arrow keys (or set directly when locked, as a device record
// does), check boxes toggled with the space bar.
void applyEdit(TransparentConfig &page, const QString &edit)
{
    const QString name = edit.section(QLatin1Char('='), 0, 0);
    const QString value = edit.section(QLatin1Char('='), 1);
    QWidget *widget = find<QWidget>(page, name);
    if (auto *combo = qobject_cast<QComboBox *>(widget)) {
        const int index = value.toInt();
        if (!combo->isEnabled()) {
            combo->setCurrentIndex(index);
            return;
        }
        for (int i = 0; i < combo->count() && combo->currentIndex() != index; ++i)
            QTest::keyClick(combo, combo->currentIndex() < index ? Qt::Key_Down : Qt::Key_Up);
        QCOMPARE(combo->currentIndex(), index);
    } else if (auto *check = qobject_cast<QCheckBox *>(widget)) {
        if (check->isChecked() != (value == QLatin1String("1")))
            QTest::keyClick(check, Qt::Key_Space);
    } else {
        QVERIFY2(widget->isEnabled(), qPrintable(name + QStringLiteral(" is locked")));
        typeInto(widget, value);
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

QStringList serialSettings(const QString &port, bool withTcpPort)
{
    QStringList names = {QStringLiteral("spinBox_EthTimeout_"),     QStringLiteral("spinBox_ModbusTimeout_"),
                         QStringLiteral("spinBox_SilentInterval_"), QStringLiteral("comboBox_Mod_"),
                         QStringLiteral("comboBox_Datab_"),         QStringLiteral("comboBox_Parityb_"),
                         QStringLiteral("comboBox_Stopb_"),         QStringLiteral("comboBox_Baud_")};
    if (withTcpPort)
        names << QStringLiteral("spinBox_Port_");
    for (QString &name : names)
        name += port;
    return names;
}

QStringList gsmValues(const QString &port)
{
    return {QStringLiteral("spinBox_RetryCount_") + port, QStringLiteral("spinBox_IntervalTime_") + port,
            QStringLiteral("spinBox_%1_Ping_Interval").arg(port)};
}

} // namespace

Q_DECLARE_METATYPE(Route)

class TestPage : public QObject
{
    Q_OBJECT

private slots:
    void freshPage()
    {
        TransparentConfig page;
        QVERIFY(!page.isEnabled());
        for (const QString &port : {QStringLiteral("485"), QStringLiteral("232")}) {
            const QStringList shown = {
                find<QComboBox>(page, QStringLiteral("comboBox_Enable_") + port)->currentText(),
                find<QComboBox>(page, QStringLiteral("comboBox_Mod_") + port)->currentText(),
                find<QComboBox>(page, QStringLiteral("comboBox_Datab_") + port)->currentText(),
                find<QComboBox>(page, QStringLiteral("comboBox_Parityb_") + port)->currentText(),
                find<QComboBox>(page, QStringLiteral("comboBox_Stopb_") + port)->currentText(),
                find<QComboBox>(page, QStringLiteral("comboBox_Baud_") + port)->currentText(),
            };
            QCOMPARE(shown, QStringList({"Disable", "TCP to RTU", "8 Bit", "None", "1    Stop", "300"}));
            QCOMPARE(find<QSpinBox>(page, QStringLiteral("spinBox_%1_Ping_Interval").arg(port))->value(), 2);
            // A disabled port starts with its serial settings locked.
            for (const QString &name : serialSettings(port, true))
                QVERIFY2(!find<QWidget>(page, name)->isEnabledTo(&page), qPrintable(name));
        }
    }

    void headersStandOverTheirColumns()
    {
        TransparentConfig page;
        page.show();
        QVERIFY(QTest::qWaitForWindowExposed(&page));
        const auto *left = find<QLabel>(page, QStringLiteral("label_232Config"));
        const auto *right = find<QLabel>(page, QStringLiteral("label_485Config"));
        QCOMPARE(left->text(), QStringLiteral("RS485 CONFIG"));
        QCOMPARE(right->text(), QStringLiteral("RS232 CONFIG"));
        for (const QString &row : {QStringLiteral("spinBox_Port_"), QStringLiteral("comboBox_Baud_"),
                                   QStringLiteral("spinBox_IntervalTime_")}) {
            const QRect under485 = find<QWidget>(page, row + QStringLiteral("485"))->geometry();
            const QRect under232 = find<QWidget>(page, row + QStringLiteral("232"))->geometry();
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
        QTest::addColumn<QStringList>("edits");
        QTest::addColumn<QStringList>("expected"); // "box: description"

        const QString ms = QStringLiteral("10..5000 step 10 [    ms] = %1");
        const QString chr = QStringLiteral("4..128 step 1 [     char] = %1");
        const QString cmdMs = QStringLiteral("0..5000 step 100 [    ms] = %1");
        const QString cmdS = QStringLiteral("3..10 step 1 [   s] = %1");

        QTest::newRow("port box refuses a digit that passes 65535")
            << Route::Rs485 << QStringList{"spinBox_Port_232=70000"}
            << QStringList{"spinBox_Port_232: 0..65535 step 1 [] = 7000"};
        QTest::newRow("port box takes 65535") << Route::Rs485 << QStringList{"spinBox_Port_232=65535"}
                                              << QStringList{"spinBox_Port_232: 0..65535 step 1 [] = 65535"};
        QTest::newRow("silent interval below its range")
            << Route::Rs485 << QStringList{"spinBox_SilentInterval_485=3"}
            << QStringList{"spinBox_SilentInterval_485: 4..128 step 1 [     Char] = 4"};
        QTest::newRow("ping interval below its range")
            << Route::Rs232 << QStringList{"spinBox_232_Ping_Interval=1"}
            << QStringList{"spinBox_232_Ping_Interval: 2..120 step 1 [       dk] = 2"};

        QTest::newRow("485 full transparent, no retries")
            << Route::Rs485
            << QStringList{"spinBox_RetryCount_485=0", "spinBox_IntervalTime_485=700", "comboBox_Mod_485=4"}
            << QStringList{"spinBox_SilentInterval_485: " + ms.arg(400),
                           "spinBox_IntervalTime_485: " + cmdMs.arg(100)};
        QTest::newRow("485 rtu over tcp, two retries")
            << Route::Rs485
            << QStringList{"spinBox_RetryCount_485=2", "spinBox_IntervalTime_485=8", "comboBox_Mod_485=2"}
            << QStringList{"spinBox_SilentInterval_485: " + chr.arg(8),
                           "spinBox_IntervalTime_485: " + cmdS.arg(3)};
        QTest::newRow("232 full transparent, one retry")
            << Route::Rs232
            << QStringList{"spinBox_RetryCount_232=1", "spinBox_IntervalTime_232=6", "comboBox_Mod_232=4"}
            << QStringList{"spinBox_SilentInterval_232: " + ms.arg(400),
                           "spinBox_IntervalTime_232: " + cmdS.arg(3)};
        QTest::newRow("232 back to ascii over tcp, no retries")
            << Route::Rs232
            << QStringList{"spinBox_RetryCount_232=0", "spinBox_IntervalTime_232=300", "comboBox_Mod_232=4",
                           "comboBox_Mod_232=3"}
            << QStringList{"spinBox_SilentInterval_232: " + chr.arg(8),
                           "spinBox_IntervalTime_232: " + cmdMs.arg(100)};

        QTest::newRow("ms silent interval off its step")
            << Route::Rs485 << QStringList{"comboBox_Mod_485=4", "spinBox_SilentInterval_485=1234"}
            << QStringList{"spinBox_SilentInterval_485: " + ms.arg(1230)};
        QTest::newRow("ms silent interval survives a mode round trip")
            << Route::Rs232
            << QStringList{"comboBox_Mod_232=4", "spinBox_SilentInterval_232=1234", "comboBox_Mod_232=0",
                           "comboBox_Mod_232=4"}
            << QStringList{"spinBox_SilentInterval_232: " + ms.arg(1230)};
        QTest::newRow("char silent interval survives a mode round trip")
            << Route::Rs485
            << QStringList{"spinBox_SilentInterval_485=20", "comboBox_Mod_485=4", "comboBox_Mod_485=1"}
            << QStringList{"spinBox_SilentInterval_485: " + chr.arg(20)};

        QTest::newRow("485 modbus timeout on its step")
            << Route::Rs485 << QStringList{"spinBox_ModbusTimeout_485=1250"}
            << QStringList{"spinBox_ModbusTimeout_485: 100..10000 step 10 [     ms] = 1250"};
        QTest::newRow("485 modbus timeout off its step")
            << Route::Rs485 << QStringList{"spinBox_ModbusTimeout_485=1255"}
            << QStringList{"spinBox_ModbusTimeout_485: 100..10000 step 10 [     ms] = 1250"};
        QTest::newRow("232 modbus timeout off its step")
            << Route::Rs232 << QStringList{"spinBox_ModbusTimeout_232=1255"}
            << QStringList{"spinBox_ModbusTimeout_232: 100..10000 step 10 [     ms] = 1250"};
        QTest::newRow("ms command interval off its step")
            << Route::Rs485 << QStringList{"spinBox_RetryCount_485=0", "spinBox_IntervalTime_485=750"}
            << QStringList{"spinBox_IntervalTime_485: " + cmdMs.arg(700)};

        QTest::newRow("485 port equal to the 232 port is refused")
            << Route::Rs232 << QStringList{"spinBox_Port_485=503"}
            << QStringList{"spinBox_Port_485: 0..65535 step 1 [] = 502"};
        QTest::newRow("485 port refused returns the last accepted one")
            << Route::Rs232 << QStringList{"spinBox_Port_485=600", "spinBox_Port_485=503"}
            << QStringList{"spinBox_Port_485: 0..65535 step 1 [] = 600"};
        QTest::newRow("232 port equal to the 485 port is refused")
            << Route::Rs485 << QStringList{"spinBox_Port_232=502"}
            << QStringList{"spinBox_Port_232: 0..65535 step 1 [] = 503"};

        QTest::newRow("485 retry count 1 counts seconds")
            << Route::Rs485 << QStringList{"spinBox_RetryCount_485=1"}
            << QStringList{"spinBox_IntervalTime_485: " + cmdS.arg(3)};
        QTest::newRow("485 retry count back to 0 counts milliseconds")
            << Route::Rs485 << QStringList{"spinBox_RetryCount_485=1", "spinBox_RetryCount_485=0"}
            << QStringList{"spinBox_IntervalTime_485: " + cmdMs.arg(100)};
        QTest::newRow("232 retry count 3 counts seconds")
            << Route::Rs232 << QStringList{"spinBox_RetryCount_232=3", "spinBox_IntervalTime_232=9"}
            << QStringList{"spinBox_IntervalTime_232: " + cmdS.arg(9),
                           "spinBox_IntervalTime_485: 0..1000 step 50 [     ms] = 10"};
    }

    void fieldRules()
    {
        QFETCH(Route, route);
        QFETCH(QStringList, edits);
        QFETCH(QStringList, expected);

        TransparentConfig page;
        TestSupport::MessageBoxAnswerer boxes;
        page.setEnabled(true);
        bringUp(page, route);
        for (const QString &edit : edits) {
            applyEdit(page, edit);
            if (QTest::currentTestFailed())
                return;
        }
        for (const QString &line : expected) {
            const QString name = line.section(QStringLiteral(": "), 0, 0);
            QCOMPARE(name + QStringLiteral(": ") + describe(find<QSpinBox>(page, name)), line);
        }
        QVERIFY(boxes.seen().isEmpty());
    }

    void routeTables_data()
    {
        QTest::addColumn<Route>("route");
        QTest::addColumn<bool>("state");
        QTest::addColumn<QStringList>("followState");  // enabled exactly when the state is true
        QTest::addColumn<QStringList>("againstState"); // enabled exactly when the state is false

        const QStringList gsmOnly = {"lineEdit_APN",
                                     "label_APN",
                                     "spinBox_RetryCount_485",
                                     "spinBox_RetryCount_232",
                                     "spinBox_IntervalTime_485",
                                     "spinBox_IntervalTime_232",
                                     "spinBox_485_Ping_Interval",
                                     "spinBox_232_Ping_Interval",
                                     "label_Retry_Count",
                                     "label_Cmd_Interval_Tme",
                                     "label_Ping_Interval"};
        const auto dataPort = [](const QString &own, const QString &other) {
            const QStringList follow = serialSettings(own, false) + gsmValues(own) +
                                       QStringList{"spinBox_Port_" + other, "comboBox_Enable_" + other};
            const QStringList against =
                serialSettings(other, false) + gsmValues(other) +
                QStringList{"spinBox_Port_" + own, "comboBox_Enable_" + own, "pushButton_StaticIPConfig"};
            return qMakePair(follow, against);
        };
        // A data-port route coming up also opens the APN and the GSM rows'
        // captions, which an Ethernet route before a model switch may have
        // locked; going down leaves them as they are.
        const QStringList apnAndCaptions = {"lineEdit_APN", "label_APN", "label_Retry_Count",
                                            "label_Cmd_Interval_Tme", "label_Ping_Interval"};
        for (const bool state : {true, false}) {
            const char *up = state ? "up" : "down";
            const QStringList openedWhenUp = state ? apnAndCaptions : QStringList();
            QTest::addRow("ethernet %s", up) << Route::Eth << state << QStringList() << gsmOnly;
            QTest::addRow("usb %s", up) << Route::Usb << state << QStringList() << gsmOnly;
            const auto rs232 = dataPort(QStringLiteral("232"), QStringLiteral("485"));
            QTest::addRow("rs232 data port %s", up)
                << Route::Rs232 << state << rs232.first + openedWhenUp << rs232.second;
            const auto rs485 = dataPort(QStringLiteral("485"), QStringLiteral("232"));
            QTest::addRow("rs485 data port %s", up)
                << Route::Rs485 << state << rs485.first + openedWhenUp << rs485.second;
        }
    }

    void routeTables()
    {
        QFETCH(Route, route);
        QFETCH(bool, state);
        QFETCH(QStringList, followState);
        QFETCH(QStringList, againstState);

        TransparentConfig page;
        const auto widgets = page.findChildren<QWidget *>(QString(), Qt::FindDirectChildrenOnly);
        // Start every named widget in the opposite of the state it must end in,
        // and the others in a mix, so that each change and each non-change shows.
        QHash<QWidget *, bool> before;
        for (int i = 0; i < widgets.size(); ++i) {
            QWidget *widget = widgets.at(i);
            const QString name = widget->objectName();
            if (followState.contains(name))
                widget->setEnabled(!state);
            else if (againstState.contains(name))
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
            if (followState.contains(name)) {
                expected = state;
                ++named;
            } else if (againstState.contains(name)) {
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
        QTest::addColumn<QString>("port");
        QTest::addColumn<QList<int>>("choices");
        QTest::addColumn<int>("warnings");
        QTest::addColumn<bool>("serialOpen"); // the port's serial settings but its TCP port
        QTest::addColumn<bool>("tcpPortOpen");

        QTest::newRow("ethernet: 485 enabled warns and opens")
            << Route::Eth << "485" << QList<int>{1} << 1 << true << true;
        QTest::newRow("ethernet: 232 enabled and back warns once")
            << Route::Eth << "232" << QList<int>{1, 0} << 1 << false << false;
        QTest::newRow("rs232 route: 485 enabled warns, stays locked")
            << Route::Rs232 << "485" << QList<int>{1} << 1 << false << true;
        QTest::newRow("rs485 route: 232 enabled warns, stays locked")
            << Route::Rs485 << "232" << QList<int>{1} << 1 << false << true;
        QTest::newRow("rs485 route: 485 enabled keeps its tcp port locked")
            << Route::Rs485 << "485" << QList<int>{1} << 1 << true << false;
    }

    void portEnable()
    {
        QFETCH(Route, route);
        QFETCH(QString, port);
        QFETCH(QList<int>, choices);
        QFETCH(int, warnings);
        QFETCH(bool, serialOpen);
        QFETCH(bool, tcpPortOpen);

        TransparentConfig page;
        TestSupport::MessageBoxAnswerer boxes;
        page.setEnabled(true);
        bringUp(page, route);
        for (int i = 0; i < warnings; ++i)
            boxes.expect(QMessageBox::Ok, QStringLiteral("Uyarı !"));
        for (const int choice : choices) {
            applyEdit(page, QStringLiteral("comboBox_Enable_%1=%2").arg(port).arg(choice));
            if (QTest::currentTestFailed())
                return;
        }
        QCOMPARE(boxes.seen().size(), warnings);
        QCOMPARE(boxes.pendingExpectations(), 0);
        for (const TestSupport::SeenBox &box : boxes.seen())
            QCOMPARE(box.text, PortWarning);
        for (const QString &name : serialSettings(port, false))
            QVERIFY2(find<QWidget>(page, name)->isEnabledTo(&page) == serialOpen, qPrintable(name));
        QCOMPARE(find<QWidget>(page, "spinBox_Port_" + port)->isEnabledTo(&page), tcpPortOpen);
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
        auto *apn = find<QLineEdit>(page, QStringLiteral("lineEdit_APN"));
        for (int i = 0; i < warnings; ++i)
            boxes.expect(QMessageBox::Ok, QStringLiteral("Uyarı !"));
        for (const QString &text : texts) {
            apn->setFocus();
            typeInto(apn, text);
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
        QTest::addColumn<QStringList>("edits");
        QTest::addColumn<QStringList>("answers"); // "Button|Title", in the order the boxes come
        QTest::addColumn<QList<QByteArray>>("frames");

        const QStringList yes = {"Yes|Dikkat !"};
        QTest::newRow("ethernet route, unfilled page")
            << Route::Eth << QStringList() << yes
            << QList<QByteArray>{"AT+WRITEALL=0,0,0,8,0,1,0,8,400,100,0,0,0,0,8,0,1,0,8,400,100,0,0\r\n"};
        QTest::newRow("usb route, unfilled page")
            << Route::Usb << QStringList() << yes
            << QList<QByteArray>{"AT+WRITEALL=0,0,0,8,0,1,0,8,400,100,0,0,0,0,8,0,1,0,8,400,100,0,0\r\n"};
        QTest::newRow("rs232 data route, unfilled page")
            << Route::Rs232 << QStringList() << yes
            << QList<QByteArray>{"AT+WRITEALL=0,0,0,8,0,1,0,8,400,100,0,0,10,120,0,0,0,8,0,1,0,8,400,100,0,0,"
                                 "10,120,,0\r\n"};
        QTest::newRow("every ethernet field in its place")
            << Route::Eth << QStringList{"comboBox_Enable_232=1",
                                         "spinBox_Port_232=1502",
                                         "comboBox_Mod_232=2",
                                         "comboBox_Parityb_232=2",
                                         "comboBox_Stopb_232=1",
                                         "comboBox_Baud_232=9",
                                         "spinBox_SilentInterval_232=16",
                                         "spinBox_ModbusTimeout_232=2500",
                                         "spinBox_EthTimeout_232=7",
                                         "checkBox_InfoResponse=1"}
            << QStringList{"Ok|Uyarı !", "Yes|Dikkat !"}
            << QList<QByteArray>{
                   "AT+WRITEALL=0,0,0,8,0,1,0,8,400,100,0,1,1502,2,8,2,2,9,16,400,2500,7,1\r\n"};
        QTest::newRow("retry count 2 with an interval of 5 s")
            << Route::Rs485 << QStringList{"spinBox_RetryCount_485=2", "spinBox_IntervalTime_485=5"} << yes
            << QList<QByteArray>{"AT+WRITEALL=0,0,0,8,0,1,0,8,400,100,0,2,5000,120,0,0,0,8,0,1,0,8,400,100,0,"
                                 "0,10,120,,0\r\n"};
        QTest::newRow("485 full transparent, 1234 ms")
            << Route::Rs485 << QStringList{"comboBox_Mod_485=4", "spinBox_SilentInterval_485=1234"} << yes
            << QList<QByteArray>{"AT+WRITEALL=0,0,4,8,0,1,0,8,1230,100,0,0,100,120,0,0,0,8,0,1,0,8,400,100,0,"
                                 "0,10,120,,0\r\n"};
        QTest::newRow("232 full transparent, 1234 ms, ping 5 min, apn")
            << Route::Rs232
            << QStringList{"comboBox_Mod_232=4", "spinBox_SilentInterval_232=1234",
                           "spinBox_232_Ping_Interval=5", "lineEdit_APN=internet"}
            << QStringList{"Ok|Uyarı !", "Yes|Dikkat !"}
            << QList<QByteArray>{
                   "AT+WRITEALL=0,0,0,8,0,1,0,8,400,100,0,0,10,120,0,0,4,8,0,1,0,8,1230,100,0,0,"
                   "100,300,internet,0\r\n"};
        QTest::newRow("no to the change question reads back (ethernet)")
            << Route::Eth << QStringList() << QStringList{"No|Dikkat !"} << QList<QByteArray>{ReadAll};
        QTest::newRow("no to the change question reads back (data port)")
            << Route::Rs485 << QStringList() << QStringList{"No|Dikkat !"} << QList<QByteArray>{ReadAll};
        QTest::newRow("7 bit without parity: No on 485, Yes on 232")
            << Route::Eth << QStringList{"comboBox_Datab_485=0", "comboBox_Datab_232=0"}
            << QStringList{"No|RS485 Config Warning", "Yes|RS232 Config Warning", "Yes|Dikkat !"}
            << QList<QByteArray>();
        QTest::newRow("7 bit without parity: Yes on both")
            << Route::Eth << QStringList{"comboBox_Datab_485=0", "comboBox_Datab_232=0"}
            << QStringList{"Yes|RS485 Config Warning", "Yes|RS232 Config Warning", "Yes|Dikkat !"}
            << QList<QByteArray>{"AT+WRITEALL=0,0,0,7,0,1,0,8,400,100,0,0,0,0,7,0,1,0,8,400,100,0,0\r\n"};
        QTest::newRow("7 bit with odd parity asks nothing more")
            << Route::Eth << QStringList{"comboBox_Datab_485=0", "comboBox_Parityb_485=1"} << yes
            << QList<QByteArray>{"AT+WRITEALL=0,0,0,7,1,1,0,8,400,100,0,0,0,0,8,0,1,0,8,400,100,0,0\r\n"};
        QTest::newRow("no route yet: nothing to write")
            << Route::None << QStringList() << QStringList() << QList<QByteArray>();
    }

    void apply()
    {
        QFETCH(Route, route);
        QFETCH(QStringList, edits);
        QFETCH(QStringList, answers);
        QFETCH(QList<QByteArray>, frames);

        TransparentConfig page;
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
        for (const QString &edit : edits) {
            applyEdit(page, edit);
            if (QTest::currentTestFailed())
                return;
        }
        find<QPushButton>(page, QStringLiteral("pushButton_ConfigurationApply"))->click();

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
        auto *apnEdit = find<QLineEdit>(page, QStringLiteral("lineEdit_APN"));
        if (typed) {
            boxes.expect(QMessageBox::Ok, QStringLiteral("Uyarı !")); // the APN-changed warning
            typeInto(apnEdit, apn);
        } else {
            apnEdit->setText(apn);
        }
        QCOMPARE(apnEdit->text(), apn);
        boxes.expect(QMessageBox::Ok, QStringLiteral("Uyarı !"));
        find<QPushButton>(page, QStringLiteral("pushButton_ConfigurationApply"))->click();

        QCOMPARE(boxes.pendingExpectations(), 0);
        QCOMPARE(boxes.seen().last().title, QStringLiteral("Uyarı !"));
        QVERIFY(boxes.seen().last().text.contains(QStringLiteral("APN")));
        QVERIFY(boxes.seen().last().text != ApnWarning);
        QCOMPARE(writes.count(), 0);

        // The Ethernet record carries no APN: the same text does not stop it.
        boxes.reset();
        page.SetETHSettings(true);
        boxes.expect(QMessageBox::Yes, QStringLiteral("Dikkat !"));
        find<QPushButton>(page, QStringLiteral("pushButton_ConfigurationApply"))->click();
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
        find<QPushButton>(page, QStringLiteral("pushButton_ReadConfiguration"))->click();
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
        find<QPushButton>(page, QStringLiteral("pushButton_StaticIPConfig"))->click();
        QCOMPARE(requests.count(), opened);
        QCOMPARE(writes.count(), 0);
    }
};

TELVOR_TEST_MAIN(TestPage)
#include "tst_page.moc"
