// The main window on a 1366 x 768 laptop screen, connected to the simulated
// device, as a mouse user meets it:
// - the wheel over a combo box or spin box of the page scrolls the page and
//   leaves the box as it was, unless the box has the keyboard focus;
// - the network window and the information windows open over the main
//   window, the information windows in a cascade.

#include "devicetest.h"
#include "devinfo.h"
#include "staticipconfig.h"
#include "testsupport.h"
#include "transparentconfig.h"

#include <QComboBox>
#include <QLineEdit>
#include <QScrollArea>
#include <QScrollBar>
#include <QSpinBox>
#include <QWheelEvent>
#include <QtTest>
#include <QtTest/qtestspontaneevent.h>

using namespace DeviceTest;

namespace {

// Turns the wheel by notches (negative: towards the user) with the pointer
// over the widget's centre. The event is delivered as the window system
// delivers it: to the innermost widget under the pointer first, then to its
// parents for as long as each ignores it.
void turnWheel(QWidget *widget, int notches)
{
    const QPoint centre = widget->rect().center();
    QWidget *target = widget->childAt(centre);
    if (!target)
        target = widget;
    const QPoint local = target->mapFrom(widget, centre);
    QWheelEvent event(QPointF(local), QPointF(target->mapToGlobal(local)), QPoint(), QPoint(0, 120 * notches),
                      Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
    QSpontaneKeyEvent::setSpontaneous(&event);
    QApplication::instance()->notify(target, &event);
}

// The scroll bar of the scroll area the page sits in, or null when it sits in
// none.
QScrollBar *pageScrollBar(Tool &tool)
{
    for (QWidget *widget = tool.page.widget()->parentWidget(); widget; widget = widget->parentWidget()) {
        if (auto *area = qobject_cast<QScrollArea *>(widget))
            return area->verticalScrollBar();
    }
    return nullptr;
}

// The centre of a window's frame and whether it lies within another frame,
// with a margin for the shift of a cascade.
bool centredOver(const QWidget *window, const QWidget *main, int tolerance)
{
    const QPoint offset = window->frameGeometry().center() - main->frameGeometry().center();
    return qAbs(offset.x()) <= tolerance && qAbs(offset.y()) <= tolerance;
}

} // namespace

class TestWindowHandling : public QObject
{
    Q_OBJECT

private slots:
    void init() { TestSupport::clearSettings(); }
    void cleanup()
    {
        closeAll<DevInfo>();
        closeAll<StaticIpConfig>();
    }

    // Over a box without focus the wheel scrolls the page and changes
    // nothing; at the page's end it does nothing at all.
    void wheelOverUnfocusedBoxScrollsThePage_data()
    {
        QTest::addColumn<Control>("box");
        QTest::newRow("parity combo box") << Control{Setting::Parity, Port::Rs485};
        QTest::newRow("baud combo box") << Control{Setting::Baud, Port::Rs232};
        QTest::newRow("Modbus time-out spin box") << Control{Setting::ModbusTimeout, Port::Rs485};
        QTest::newRow("silent interval spin box") << Control{Setting::SilentInterval, Port::Rs232};
    }

    void wheelOverUnfocusedBoxScrollsThePage()
    {
        QFETCH(Control, box);
        TestSupport::MessageBoxAnswerer boxes;
        Session s(CommSettings::TCP, {}, Record::Factory);
        QVERIFY(s.ready);
        QWidget *control = s.tool.page.control(box);
        QVERIFY(control->isEnabled());
        const QStringList before = s.tool.pageState();
        QScrollBar *bar = pageScrollBar(s.tool);
        QVERIFY(bar);
        QVERIFY2(bar->maximum() > 0, "the page does not scroll on this screen");
        bar->setValue(0);

        turnWheel(control, -1);
        QVERIFY(bar->value() > 0);
        QCOMPARE(s.tool.pageState(), before);
        QVERIFY(!control->hasFocus());

        bar->setValue(bar->maximum());
        turnWheel(control, -1);
        QCOMPARE(bar->value(), bar->maximum());
        QCOMPARE(s.tool.pageState(), before);
        QVERIFY(boxes.seen().isEmpty());
    }

    // A box the user clicked or tabbed into takes the wheel, and the page
    // stays where it is.
    void focusedBoxTakesTheWheel()
    {
        TestSupport::MessageBoxAnswerer boxes;
        Session s(CommSettings::TCP, {}, Record::Factory);
        QVERIFY(s.ready);
        s.tool.window.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&s.tool.window));
        QScrollBar *bar = pageScrollBar(s.tool);
        QVERIFY(bar);
        bar->setValue(0);

        QComboBox *parity = s.tool.page.comboBox(Setting::Parity, Port::Rs485);
        QCOMPARE(parity->focusPolicy(), Qt::StrongFocus);
        QCOMPARE(parity->currentIndex(), 0); // None
        parity->setFocus(Qt::TabFocusReason);
        QTRY_VERIFY(parity->hasFocus());
        turnWheel(parity, -1);
        QCOMPARE(parity->currentIndex(), 1); // the next item, Odd
        QCOMPARE(bar->value(), 0);

        QSpinBox *timeout = s.tool.page.spinBox(Setting::ModbusTimeout, Port::Rs485);
        const int value = timeout->value();
        QTest::mouseClick(timeout->findChild<QLineEdit *>(), Qt::LeftButton);
        QTRY_VERIFY(timeout->hasFocus());
        turnWheel(timeout, 1);
        QCOMPARE(timeout->value(), value + timeout->singleStep());
        QCOMPARE(bar->value(), 0);
        QVERIFY(boxes.seen().isEmpty());
    }

    // The network window opens centred over the main window, wherever that is.
    void networkWindowOpensOverTheMainWindow()
    {
        TestSupport::MessageBoxAnswerer boxes;
        Session s(CommSettings::TCP, {}, Record::Factory);
        QVERIFY(s.ready);
        s.tool.window.move(300, 20);
        QTRY_COMPARE(s.tool.window.frameGeometry().topLeft(), QPoint(300, 20));

        s.tool.page.click(Setting::StaticIpButton);
        QTRY_COMPARE(topLevel<StaticIpConfig>().size(), 1);
        StaticIpConfig *network = topLevel<StaticIpConfig>().first();
        QVERIFY(QTest::qWaitForWindowExposed(network));
        QVERIFY2(centredOver(network, &s.tool.window, 2),
                 qPrintable(QStringLiteral("network window at %1,%2")
                                .arg(network->frameGeometry().x())
                                .arg(network->frameGeometry().y())));
        QVERIFY(boxes.seen().isEmpty());
    }

    // Each information window opens over the main window, shifted down and
    // right from the one opened before, so that none hides another.
    void informationWindowsCascadeOverTheMainWindow()
    {
        TestSupport::MessageBoxAnswerer boxes;
        Session s(CommSettings::TCP, {}, Record::Factory);
        QVERIFY(s.ready);
        s.tool.window.move(250, 10);
        QTRY_COMPARE(s.tool.window.frameGeometry().topLeft(), QPoint(250, 10));

        QList<QPoint> corners;
        for (int i = 1; i <= 3; ++i) {
            s.tool.trigger(Command::GetInfo);
            QTRY_COMPARE(topLevel<DevInfo>().size(), i);
            DevInfo *newest = nullptr;
            for (DevInfo *window : topLevel<DevInfo>()) {
                const QPoint corner = window->frameGeometry().topLeft();
                if (!corners.contains(corner))
                    newest = window;
            }
            QVERIFY2(newest, "a new information window opened on top of an earlier one");
            QVERIFY(QTest::qWaitForWindowExposed(newest));
            corners << newest->frameGeometry().topLeft();
            QVERIFY(centredOver(newest, &s.tool.window, 2 + 32 * (i - 1)));
        }
        QVERIFY(corners.at(1).x() > corners.at(0).x() && corners.at(1).y() > corners.at(0).y());
        QVERIFY(corners.at(2).x() > corners.at(1).x() && corners.at(2).y() > corners.at(1).y());
        QVERIFY(boxes.seen().isEmpty());
    }
};

TELVOR_TEST_MAIN(TestWindowHandling)

#include "tst_windowhandling.moc"
