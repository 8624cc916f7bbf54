// The main window as a screen-reader or keyboard user meets it: every control
// that can take the keyboard focus has a name that can be spoken, the entries
// are named by their row captions, the icon-only buttons say what they do,
// and the Tab key moves through the window from top to bottom.

#include "commsettings.h"
#include "page.h"
#include "panel.h"
#include "telvorconfigurator.h"
#include "testsupport.h"

#include <QAbstractSpinBox>
#include <QAccessible>
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QtTest>

#include <algorithm>

using namespace Driver;

namespace {

// Controls the Tab key can reach, in the window's focus chain order. The
// editor inside a spin box or a combo box is part of its box. The chain is a
// ring; the list starts at the control nearest the top left, where a
// top-to-bottom order begins.
QWidgetList reachableControls(QWidget &window)
{
    QWidgetList controls;
    QWidget *widget = &window;
    do {
        widget = widget->nextInFocusChain();
        const bool inner = qobject_cast<QAbstractSpinBox *>(widget->parentWidget()) ||
                           qobject_cast<QComboBox *>(widget->parentWidget());
        if (widget != &window && (widget->focusPolicy() & Qt::TabFocus) && widget->isVisibleTo(&window) &&
            !inner && !widget->focusProxy())
            controls << widget;
    } while (widget != &window);

    const auto topLeft = [&window](const QWidget *a, const QWidget *b) {
        const QPoint pa = a->mapTo(&window, QPoint(0, 0)), pb = b->mapTo(&window, QPoint(0, 0));
        return pa.y() != pb.y() ? pa.y() < pb.y() : pa.x() < pb.x();
    };
    const auto first = std::min_element(controls.begin(), controls.end(), topLeft);
    std::rotate(controls.begin(), first, controls.end());
    return controls;
}

// What a screen reader speaks for the control: its accessible name, or, where
// the platform names a control by its value (a combo box on Linux), the text
// of the label that labels it.
QString spokenName(QWidget *widget)
{
    QAccessibleInterface *control = QAccessible::queryAccessibleInterface(widget);
    if (!control)
        return QString();
    QString name = control->text(QAccessible::Name).trimmed();
    if (!name.isEmpty())
        return name;
    const auto labels = control->relations(QAccessible::Label);
    for (const auto &label : labels) {
        name = label.first->text(QAccessible::Name).trimmed();
        if (!name.isEmpty())
            return name;
    }
    return QString();
}

QString describe(const QWidget *widget)
{
    return widget->objectName().isEmpty() ? QString::fromLatin1(widget->metaObject()->className())
                                          : widget->objectName();
}

QRect rectIn(QWidget &window, const QWidget *widget)
{
    return QRect(widget->mapTo(&window, QPoint(0, 0)), widget->size());
}

} // namespace

class TestAccessibility : public QObject
{
    Q_OBJECT

private slots:
    void init() { TestSupport::clearSettings(); }

    void everyControlHasASpokenName_data()
    {
        QTest::addColumn<int>("model");
        QTest::newRow("Ethernet modem") << 1;
        QTest::newRow("GSM modem") << 2;
    }

    void everyControlHasASpokenName()
    {
        QFETCH(int, model);
        TelvorConfigurator window(nullptr, model);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));

        const QWidgetList controls = reachableControls(window);
        // The panel's entries and buttons, the page's 26 port boxes, the APN,
        // the switch and the three page buttons at the least.
        QVERIFY2(controls.size() >= 45, qPrintable(QString::number(controls.size())));
        QStringList unnamed;
        for (QWidget *control : controls) {
            if (spokenName(control).isEmpty())
                unnamed << describe(control);
        }
        QVERIFY2(unnamed.isEmpty(), qPrintable(QStringLiteral("no spoken name: ") + unnamed.join(", ")));
    }

    // Each entry and box carries its row caption; in the page's two columns
    // the caption is preceded by the port, as the column headers read.
    void controlsAreNamedByTheirCaptions()
    {
        TelvorConfigurator window(nullptr, 1);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        const Panel panel(window);
        const Page page(window);

        const QList<QPair<QWidget *, QString>> spoken{
            {panel.control(Panel::EthernetAddress), "SERVER IP"},
            {panel.control(Panel::EthernetPort), "SERVER PORT"},
            {panel.control(Panel::DataAddress), "SERVER IP"},
            {panel.control(Panel::Port485), "PORT 485"},
            {panel.control(Panel::Port232), "PORT 232"},
            {panel.control(Panel::CurrentAddress), "Current IP address"},
            {panel.control(Panel::EthernetButton), "Connect ETHERNET"},
            {panel.control(Panel::UsbButton), "Connect USB"},
            {panel.control(Panel::RefreshPortsButton), "Refresh COM ports"},
            {page.control(Setting::TcpPort, Port::Rs485), "RS485 PORT"},
            {page.control(Setting::TcpPort, Port::Rs232), "RS232 PORT"},
            {page.control(Setting::EthTimeout, Port::Rs485), "RS485 CONNECT TIMEOUT"},
            {page.control(Setting::ModbusTimeout, Port::Rs232), "RS232 MODBUS TIMEOUT"},
            {page.control(Setting::SilentInterval, Port::Rs485), "RS485 SILENT INTERVAL"},
            {page.control(Setting::RetryCount, Port::Rs232), "RS232 RETRY COUNT"},
            {page.control(Setting::CommandInterval, Port::Rs485), "RS485 CMD INTERVAL TIME"},
            {page.control(Setting::PingInterval, Port::Rs232), "RS232 PING INTERVAL TIME"},
            {page.control(Setting::PingInterval, Port::Rs485), "RS485 PING INTERVAL TIME"},
            {page.control(Setting::Apn), "APN"},
            {page.control(Setting::InfoResponse), "INFO RESPONSE"},
        };
        for (const auto &expected : spoken)
            QVERIFY2(spokenName(expected.first) == expected.second,
                     qPrintable(QStringLiteral("%1 speaks \"%2\", not \"%3\"")
                                    .arg(expected.first->objectName(), spokenName(expected.first),
                                         expected.second)));

        // Combo boxes: Windows speaks the accessible name; Linux speaks the
        // value and takes the name from a labelling caption, which the COM
        // PORT list has.
        const QList<QPair<Setting, QString>> rows{
            {Setting::Enable, "ENABLE"},     {Setting::Mode, "MOD"},          {Setting::DataBits, "DATA BIT"},
            {Setting::Parity, "PARITY BIT"}, {Setting::StopBits, "STOP BIT"}, {Setting::Baud, "BAUDRATE"}};
        for (const auto &row : rows) {
            for (const Port port : {Port::Rs485, Port::Rs232}) {
                const QString number = port == Port::Rs485 ? QStringLiteral("485") : QStringLiteral("232");
                QCOMPARE(page.comboBox(row.first, port)->accessibleName(),
                         QStringLiteral("RS%1 %2").arg(number, row.second));
            }
        }
        QAccessibleInterface *ports = QAccessible::queryAccessibleInterface(panel.comPorts());
        const auto labels = ports->relations(QAccessible::Label);
        QCOMPARE(labels.size(), 1);
        QCOMPARE(labels.first().first->text(QAccessible::Name), QStringLiteral("COM PORT"));

        // The icon-only buttons and the switch explain themselves on hover.
        for (QWidget *control :
             {panel.control(Panel::EthernetButton), panel.control(Panel::UsbButton),
              panel.control(Panel::RefreshPortsButton), page.control(Setting::InfoResponse)})
            QVERIFY2(!control->toolTip().isEmpty(), qPrintable(control->objectName()));
    }

    // A route button says what a press does now: connect while its route is
    // down, disconnect while it is up.
    void routeButtonsNameWhatTheyDo()
    {
        CommSettings panel;
        auto *ethernet = Panel(panel).button(Panel::EthernetButton);
        auto *usb = Panel(panel).button(Panel::UsbButton);
        const QString ethernetTip = ethernet->toolTip();
        const QString usbTip = usb->toolTip();

        panel.SetUiConnectionStatus(CommSettings::TCP, true);
        QCOMPARE(spokenName(ethernet), QStringLiteral("Disconnect ETHERNET"));
        QVERIFY(ethernet->toolTip() != ethernetTip);
        QCOMPARE(spokenName(usb), QStringLiteral("Connect USB"));
        panel.SetUiConnectionStatus(CommSettings::TCP, false);
        QCOMPARE(spokenName(ethernet), QStringLiteral("Connect ETHERNET"));
        QCOMPARE(ethernet->toolTip(), ethernetTip);

        panel.SetUiConnectionStatus(CommSettings::USB, true);
        QCOMPARE(spokenName(usb), QStringLiteral("Disconnect USB"));
        QVERIFY(usb->toolTip() != usbTip);
        panel.SetUiConnectionStatus(CommSettings::USB, false);
        QCOMPARE(spokenName(usb), QStringLiteral("Connect USB"));
        QCOMPARE(usb->toolTip(), usbTip);
    }

    // A screen reader also needs to know what kind of control it meets, to
    // speak its value and offer its actions.
    void controlsShowTheirKind()
    {
        TelvorConfigurator window(nullptr, 1);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        CommSettings *panel = window.findChild<CommSettings *>();

        QStringList panelWrong, pageWrong;
        for (QWidget *control : reachableControls(window)) {
            QAccessible::Role expected = QAccessible::Client;
            const auto *button = qobject_cast<QPushButton *>(control);
            // A push button that stays pressed (the refresh button) is a
            // toggle: Qt describes it like a check box.
            if (qobject_cast<QCheckBox *>(control) || (button && button->isCheckable()))
                expected = QAccessible::CheckBox;
            else if (button)
                expected = QAccessible::Button;
            else if (qobject_cast<QComboBox *>(control))
                expected = QAccessible::ComboBox;
            else if (qobject_cast<QAbstractSpinBox *>(control))
                expected = QAccessible::SpinBox;
            else if (qobject_cast<QLineEdit *>(control))
                expected = QAccessible::EditableText;
            if (QAccessible::queryAccessibleInterface(control)->role() != expected)
                (panel->isAncestorOf(control) ? panelWrong : pageWrong) << describe(control);
        }
        QVERIFY2(panelWrong.isEmpty(), qPrintable(panelWrong.join(", ")));
        QVERIFY2(pageWrong.isEmpty(), qPrintable(pageWrong.join(", ")));
    }

    // Tab never jumps to a control that lies wholly above the current one,
    // and within one row it moves from left to right.
    void tabMovesFromTopToBottom_data() { everyControlHasASpokenName_data(); }

    void tabMovesFromTopToBottom()
    {
        QFETCH(int, model);
        TelvorConfigurator window(nullptr, model);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));

        const QWidgetList controls = reachableControls(window);
        QVERIFY(controls.size() > 1);
        QStringList backwards;
        for (int i = 1; i < controls.size(); ++i) {
            const QRect from = rectIn(window, controls.at(i - 1));
            const QRect to = rectIn(window, controls.at(i));
            const bool above = to.bottom() < from.top();
            // Rows of a tightly packed form may touch or overlap by a pixel or
            // two (larger fonts); two controls share a row when their middles do.
            const bool sameRow =
                qAbs(to.center().y() - from.center().y()) < qMin(to.height(), from.height()) / 2;
            if (above || (sameRow && to.left() <= from.left()))
                backwards << describe(controls.at(i - 1)) + " -> " + describe(controls.at(i));
        }
        QVERIFY2(backwards.isEmpty(), qPrintable(backwards.join(", ")));

        // The walk covers both parts of the window, the panel before the page.
        const int panelEntry = controls.indexOf(Panel(window).control(Panel::EthernetAddress));
        const int pageEntry = controls.indexOf(Page(window).control(Setting::Enable, Port::Rs485));
        const int lastButton = controls.indexOf(Page(window).control(Setting::ApplyButton));
        QVERIFY(panelEntry >= 0);
        QVERIFY(panelEntry < pageEntry);
        QVERIFY(pageEntry < lastButton);
    }
};

TELVOR_TEST_MAIN(TestAccessibility)
#include "tst_accessibility.moc"
