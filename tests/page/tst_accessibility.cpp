// The main window as a screen-reader or keyboard user meets it: every control
// that can take the keyboard focus has a name that can be spoken, the entries
// are named by their row captions, the icon-only buttons say what they do,
// and the Tab key moves through the window from top to bottom.

#include "chooser.h"
#include "commsettings.h"
#include "devicechoose.h"
#include "devinfo.h"
#include "page.h"
#include "panel.h"
#include "staticipconfig.h"
#include "telvorconfigurator.h"
#include "testsupport.h"

#include <QAbstractSpinBox>
#include <QAccessible>
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QSet>
#include <QSignalSpy>
#include <QtTest>

#include <algorithm>

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

// The controls of a window a user can operate, as an accessibility client
// walks them: visible buttons, check boxes, combo boxes, spin boxes, entries
// and sliders; the parts inside a combo box or spin box belong to it.
QList<QAccessibleInterface *> interactiveNodes(QWidget *window)
{
    static const QSet<QAccessible::Role> interactive{QAccessible::Button,   QAccessible::CheckBox,
                                                     QAccessible::RadioButton, QAccessible::ComboBox,
                                                     QAccessible::SpinBox,  QAccessible::EditableText,
                                                     QAccessible::Slider};
    QList<QAccessibleInterface *> found;
    QList<QAccessibleInterface *> pending{QAccessible::queryAccessibleInterface(window)};
    while (!pending.isEmpty()) {
        QAccessibleInterface *node = pending.takeFirst();
        if (!node || node->state().invisible)
            continue;
        if (interactive.contains(node->role()))
            found << node;
        if (node->role() == QAccessible::ComboBox || node->role() == QAccessible::SpinBox)
            continue;
        for (int i = 0; i < node->childCount(); ++i)
            pending << node->child(i);
    }
    return found;
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

        using Driver::Port;
        using Driver::Setting;
        using Driver::Panel;
        const Panel panel(window);
        const Driver::Page page(window);
        struct Spoken
        {
            QString name; // the control's name in a failure message
            QWidget *control;
            QString spoken;
        };
        const auto inPanel = [&panel](Panel::Control control, const char *spoken) {
            return Spoken{Panel::nameOf(control), panel.control(control), QString::fromUtf8(spoken)};
        };
        const auto onPage = [&page](Setting setting, Port port, const char *spoken) {
            return Spoken{Driver::Page::nameOf(setting, port), page.control(setting, port), QString::fromUtf8(spoken)};
        };
        const QList<Spoken> spoken{
            inPanel(Panel::EthernetAddress, "ETHERNET SERVER IP"),
            inPanel(Panel::EthernetPort, "ETHERNET SERVER PORT"),
            inPanel(Panel::DataAddress, "TCP SERVER IP"),
            inPanel(Panel::Port485, "PORT 485"),
            inPanel(Panel::Port232, "PORT 232"),
            inPanel(Panel::CurrentAddress, "Current IP address"),
            inPanel(Panel::EthernetButton, "Connect ETHERNET"),
            inPanel(Panel::UsbButton, "Connect USB"),
            inPanel(Panel::RefreshPortsButton, "Refresh COM ports"),
            inPanel(Panel::ComPorts, "COM PORT"),
            inPanel(Panel::Button485, "Connect PORT 485"),
            inPanel(Panel::Button232, "Connect PORT 232"),
            inPanel(Panel::Abort485, "Abort PORT 485"),
            inPanel(Panel::Abort232, "Abort PORT 232"),
            onPage(Setting::TcpPort, Port::Rs485, "RS485 PORT"),
            onPage(Setting::TcpPort, Port::Rs232, "RS232 PORT"),
            onPage(Setting::EthTimeout, Port::Rs485, "RS485 CONNECT TIMEOUT"),
            onPage(Setting::ModbusTimeout, Port::Rs232, "RS232 MODBUS TIMEOUT"),
            onPage(Setting::SilentInterval, Port::Rs485, "RS485 SILENT INTERVAL"),
            onPage(Setting::RetryCount, Port::Rs232, "RS232 RETRY COUNT"),
            onPage(Setting::CommandInterval, Port::Rs485, "RS485 CMD INTERVAL TIME"),
            onPage(Setting::PingInterval, Port::Rs232, "RS232 PING INTERVAL TIME"),
            onPage(Setting::PingInterval, Port::Rs485, "RS485 PING INTERVAL TIME"),
            onPage(Setting::Apn, Port::Rs485, "APN"),
            onPage(Setting::InfoResponse, Port::Rs485, "INFO RESPONSE"),
        };
        for (const Spoken &expected : spoken) {
            QVERIFY2(expected.control, qPrintable(expected.name));
            QCOMPARE(spokenName(expected.control), expected.spoken);
        }

        // Combo boxes are named by their captions and give their current
        // item as their value, on every platform (Qt's own Linux bridge
        // would name them by the item).
        const QList<QPair<Setting, QString>> rows{
            {Setting::Enable, "ENABLE"},     {Setting::Mode, "MOD"},          {Setting::DataBits, "DATA BIT"},
            {Setting::Parity, "PARITY BIT"}, {Setting::StopBits, "STOP BIT"}, {Setting::Baud, "BAUDRATE"}};
        for (const auto &row : rows) {
            for (const auto &port : {qMakePair(Port::Rs485, QStringLiteral("485")),
                                     qMakePair(Port::Rs232, QStringLiteral("232"))}) {
                QComboBox *box = page.comboBox(row.first, port.first);
                QAccessibleInterface *control = QAccessible::queryAccessibleInterface(box);
                QCOMPARE(control->text(QAccessible::Name), QStringLiteral("RS%1 %2").arg(port.second, row.second));
                QCOMPARE(control->text(QAccessible::Value), box->currentText());
            }
        }
        QAccessibleInterface *ports = QAccessible::queryAccessibleInterface(panel.comPorts());
        const auto labels = ports->relations(QAccessible::Label);
        QCOMPARE(labels.size(), 1);
        QCOMPARE(labels.first().first->text(QAccessible::Name), QStringLiteral("COM PORT"));

        // The icon-only buttons and the switch explain themselves on hover.
        for (const Spoken &tipped : {inPanel(Panel::EthernetButton, ""), inPanel(Panel::UsbButton, ""),
                                     inPanel(Panel::RefreshPortsButton, ""),
                                     onPage(Setting::InfoResponse, Port::Rs485, "")})
            QVERIFY2(!tipped.control->toolTip().isEmpty(), qPrintable(tipped.name));
    }

    // A route button says what a press does now: connect while its route is
    // down, disconnect while it is up.
    void routeButtonsNameWhatTheyDo()
    {
        CommSettings panel;
        const Driver::Panel buttons(panel);
        QAbstractButton *ethernet = buttons.button(Driver::Panel::EthernetButton);
        QAbstractButton *usb = buttons.button(Driver::Panel::UsbButton);
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

        // The data ports' buttons read alike ("Connect", "Disconnect"); their
        // names add the port, and their tips stay.
        for (const auto &port : {qMakePair(CommSettings::TCP485, QStringLiteral("485")),
                                 qMakePair(CommSettings::TCP232, QStringLiteral("232"))}) {
            QAbstractButton *button = buttons.button(Driver::Panel::buttonOf(port.first));
            const QString tip = button->toolTip();
            panel.SetUiConnectionStatus(port.first, true);
            QCOMPARE(button->text(), QStringLiteral("Disconnect"));
            QCOMPARE(spokenName(button), QStringLiteral("Disconnect PORT ") + port.second);
            panel.SetUiConnectionStatus(port.first, false);
            QCOMPARE(button->text(), QStringLiteral("Connect"));
            QCOMPARE(spokenName(button), QStringLiteral("Connect PORT ") + port.second);
            QCOMPARE(button->toolTip(), tip);
        }
    }

    // In every window a screen reader meets, each control has a name of its
    // own that is not its value and has no stray spaces, and no entry is
    // described by its placeholder (an example, not a description).
    void namesAreUniqueInEachWindow()
    {
        QList<QPair<QString, QWidget *>> windows;
        DeviceChoose start(nullptr);
        windows << qMakePair(QStringLiteral("start window"), static_cast<QWidget *>(&start));
        TelvorConfigurator ethernet(nullptr, 1);
        windows << qMakePair(QStringLiteral("main window, Ethernet model"), static_cast<QWidget *>(&ethernet));
        TelvorConfigurator gsm(nullptr, 2);
        windows << qMakePair(QStringLiteral("main window, GSM model"), static_cast<QWidget *>(&gsm));
        StaticIpConfig network(CommSettings::USB, nullptr);
        windows << qMakePair(QStringLiteral("network window"), static_cast<QWidget *>(&network));
        DevInfo info(QList<QByteArray>{"1234", "00:11:22:33:44:55", "1", "2", "3", "4", "5", "6", "7", "8"});
        windows << qMakePair(QStringLiteral("information window"), static_cast<QWidget *>(&info));

        QStringList problems;
        int controls = 0;
        for (const auto &window : windows) {
            window.second->show();
            QVERIFY(QTest::qWaitForWindowExposed(window.second));
            QHash<QString, int> names;
            for (QAccessibleInterface *control : interactiveNodes(window.second)) {
                ++controls;
                const QString name = control->text(QAccessible::Name);
                const QString where = window.first + QStringLiteral(": ") + describe(qobject_cast<QWidget *>(control->object()));
                if (name.trimmed().isEmpty())
                    problems << where + QStringLiteral(" has no name");
                else if (name != name.simplified())
                    problems << where + QStringLiteral(" has stray spaces in \"") + name + QLatin1Char('"');
                if (!name.isEmpty() && name == control->text(QAccessible::Value))
                    problems << where + QStringLiteral(" is named by its value");
                if (++names[name] == 2)
                    problems << window.first + QStringLiteral(": two controls are named \"") + name + QLatin1Char('"');
                auto *entry = qobject_cast<QLineEdit *>(control->object());
                if (entry && !entry->placeholderText().isEmpty() &&
                    control->text(QAccessible::Description) == entry->placeholderText())
                    problems << where + QStringLiteral(" is described by its placeholder");
            }
        }
        QVERIFY2(controls >= 100, qPrintable(QString::number(controls)));
        QVERIFY2(problems.isEmpty(), qPrintable(problems.join(QLatin1Char('\n'))));
    }

    // A screen reader commits a combo-box item through the value interface
    // (the item's index) as a click in the list would: the box changes and
    // reports the choice. A locked box takes nothing.
    void comboBoxItemsCanBeCommitted()
    {
        DeviceChoose start(nullptr);
        start.show();
        QVERIFY(QTest::qWaitForWindowExposed(&start));
        const Driver::Chooser chooser(start);
        QComboBox *models = chooser.models();
        QAbstractButton *proceed = chooser.continueButton();
        QAccessibleInterface *control = QAccessible::queryAccessibleInterface(models);
        QVERIFY(control->valueInterface());
        QVERIFY(control->textInterface());
        QCOMPARE(control->valueInterface()->minimumValue().toInt(), 0);
        QCOMPARE(control->valueInterface()->maximumValue().toInt(), models->count() - 1);
        QVERIFY(!proceed->isEnabled());

        QSignalSpy activated(models, QOverload<int>::of(&QComboBox::activated));
        control->valueInterface()->setCurrentValue(2);
        QCOMPARE(models->currentIndex(), 2);
        QCOMPARE(activated.size(), 1);
        QCOMPARE(activated.first().first().toInt(), 2);
        QCOMPARE(control->valueInterface()->currentValue().toInt(), 2);
        QCOMPARE(control->text(QAccessible::Value), models->currentText());
        QCOMPARE(control->textInterface()->text(0, -1), models->currentText());
        QCOMPARE(control->textInterface()->characterCount(), models->currentText().size());
        QVERIFY(proceed->isEnabled()); // the start window saw the choice

        control->valueInterface()->setCurrentValue(models->count()); // no such item
        QCOMPARE(models->currentIndex(), 2);
        models->setEnabled(false);
        control->valueInterface()->setCurrentValue(1);
        QCOMPARE(models->currentIndex(), 2);
        QCOMPARE(activated.size(), 1);
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
        const Driver::Page page(window);
        const int panelEntry = controls.indexOf(Driver::Panel(window).control(Driver::Panel::EthernetAddress));
        const int pageEntry = controls.indexOf(page.control(Driver::Setting::Enable, Driver::Port::Rs485));
        const int lastButton = controls.indexOf(page.button(Driver::Setting::ApplyButton));
        QVERIFY(panelEntry >= 0);
        QVERIFY(panelEntry < pageEntry);
        QVERIFY(pageEntry < lastButton);
    }
};

TELVOR_TEST_MAIN(TestAccessibility)
#include "tst_accessibility.moc"
