// The main window on screens of different sizes: unchanged where the screen
// holds its 585 x 940 form, scrolling where it does not, with every control,
// the page's buttons and the status bar within reach.

#include "screenfit.h"
#include "telvorconfigurator.h"
#include "testsupport.h"

#include <QAbstractButton>
#include <QAbstractSpinBox>
#include <QComboBox>
#include <QLineEdit>
#include <QProcess>
#include <QPushButton>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QStatusBar>
#include <QtTest>

namespace {

const QSize Form(585, 940);

QList<QWidget *> userControls(const QWidget &window)
{
    QList<QWidget *> controls;
    for (QWidget *w : window.findChildren<QWidget *>()) {
        const bool control = qobject_cast<QAbstractButton *>(w) || qobject_cast<QLineEdit *>(w)
                             || qobject_cast<QComboBox *>(w) || qobject_cast<QAbstractSpinBox *>(w);
        // Line edits inside spin and combo boxes are reached through their box.
        const bool inner = qobject_cast<QAbstractSpinBox *>(w->parentWidget())
                           || qobject_cast<QComboBox *>(w->parentWidget());
        if (control && !inner && w->isVisibleTo(&window))
            controls << w;
    }
    return controls;
}

QRect globalRect(const QWidget *w)
{
    return QRect(w->mapToGlobal(QPoint(0, 0)), w->size());
}

} // namespace

class TestScreenFit : public QObject
{
    Q_OBJECT

private slots:
    void plainSizes_data()
    {
        QTest::addColumn<QRect>("available");
        QTest::addColumn<int>("frame");
        QTest::addColumn<QSize>("expected");
        QTest::newRow("desktop 1920x1200") << QRect(0, 0, 1920, 1160) << 30 << Form;
        QTest::newRow("exactly enough room") << QRect(0, 0, 1280, 970) << 30 << Form;
        QTest::newRow("one pixel short") << QRect(0, 0, 1280, 969) << 30 << QSize(600, 939);
        QTest::newRow("laptop 1366x768 with a panel") << QRect(0, 0, 1366, 728) << 30 << QSize(600, 698);
        QTest::newRow("1920x1080 at 150 %") << QRect(0, 0, 1280, 690) << 28 << QSize(600, 662);
        QTest::newRow("no frame known") << QRect(0, 32, 1366, 736) << 0 << QSize(600, 736);
    }

    void plainSizes()
    {
        QFETCH(QRect, available);
        QFETCH(int, frame);
        QFETCH(QSize, expected);
        QCOMPARE(ScreenFit::fittedSize(Form, available, frame, 15), expected);
    }

    // On a screen that holds the form nothing differs from the form itself.
    void formOnLargeScreen()
    {
        QVERIFY2(QGuiApplication::primaryScreen()->availableGeometry().height() >= 1100,
                 "run this on a screen of 1920 x 1200");
        for (int model : {1, 2}) {
            TelvorConfigurator window(nullptr, model);
            window.show();
            QVERIFY(QTest::qWaitForWindowExposed(&window));
            QCOMPARE(window.size(), Form);
            QCOMPARE(window.minimumSize(), Form);
            QCOMPARE(window.maximumSize(), Form);
            QVERIFY(!window.findChild<QScrollArea *>()->verticalScrollBar()->isVisible());
        }
    }

    // The screen's available area changes under a shown window (a panel is
    // added to the desktop, as the X server's work area says): the window is
    // fitted again, scrolling while the area is too low for the form, and
    // back to the plain form once the area holds it again.
    void refitsWhenTheWorkAreaChanges()
    {
#ifdef Q_OS_WIN
        QSKIP("The work area here is the X server's (_NET_WORKAREA); Windows sets its own");
#endif
        QScreen *screen = QGuiApplication::primaryScreen();
        QVERIFY2(screen->geometry().height() >= 1100, "run this on a screen of 1920 x 1200");
        const auto setWorkArea = [](const QRect &area) {
            const QString value =
                QStringLiteral("%1,%2,%3,%4").arg(area.x()).arg(area.y()).arg(area.width()).arg(area.height());
            return QProcess::execute(QStringLiteral("xprop"),
                                     {QStringLiteral("-root"), QStringLiteral("-format"),
                                      QStringLiteral("_NET_WORKAREA"), QStringLiteral("32c"), QStringLiteral("-set"),
                                      QStringLiteral("_NET_WORKAREA"), value}) == 0;
        };
        const QRect full = screen->geometry();
        TelvorConfigurator window(nullptr, 1);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        QCOMPARE(window.size(), Form);
        auto *scrollBar = window.findChild<QScrollArea *>()->verticalScrollBar();
        QVERIFY(!scrollBar->isVisible());

        QVERIFY2(setWorkArea(QRect(0, 0, full.width(), 700)), "xprop could not set the work area");
        QTRY_COMPARE(screen->availableGeometry().height(), 700);
        QTRY_VERIFY(window.height() < Form.height());
        QVERIFY(window.frameGeometry().height() <= 700);
        QCOMPARE(window.minimumSize(), window.maximumSize());
        QTRY_VERIFY(scrollBar->isVisible());

        QVERIFY(setWorkArea(full));
        QTRY_COMPARE(screen->availableGeometry(), full);
        QTRY_COMPARE(window.size(), Form);
        QTRY_VERIFY(!scrollBar->isVisible());
    }

    void everyControlReachableOnLaptop()
    {
        const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
        QVERIFY2(screen.height() <= 800, "run this on a screen of 1366 x 768");
        for (int model : {1, 2}) {
            TelvorConfigurator window(nullptr, model);
            window.show();
            QVERIFY(QTest::qWaitForWindowExposed(&window));

            // Fixed, no taller than the screen, at most a scroll bar wider.
            QCOMPARE(window.minimumSize(), window.maximumSize());
            QVERIFY2(window.frameGeometry().bottom() <= screen.bottom(), "window reaches below the screen");
            QVERIFY(window.width() <= Form.width() + 30);
            QVERIFY(window.height() < Form.height());

            auto *area = window.findChild<QScrollArea *>();
            QVERIFY(area->verticalScrollBar()->isVisible());
            QVERIFY(screen.contains(globalRect(window.statusBar())));
            QVERIFY(window.statusBar()->isVisible());

            const QList<QWidget *> controls = userControls(window);
            QVERIFY(controls.size() > 40);
            QStringList pageButtons;
            for (QWidget *control : controls) {
                // Scroll as a user would, to the whole control (ensureWidgetVisible
                // stops at a text cursor).
                const QPoint inContents = control->mapTo(area->widget(), QPoint(0, 0));
                area->ensureVisible(inContents.x() + control->width() / 2, inContents.y() + control->height() / 2,
                                    control->width() / 2, control->height() / 2);
                QCoreApplication::processEvents();
                const QRect rect = globalRect(control);
                const QRect viewport = globalRect(area->viewport());
                QVERIFY2(viewport.contains(rect) && screen.contains(rect),
                         qPrintable(control->objectName() + QStringLiteral(" cannot be scrolled into view")));
                if (auto *button = qobject_cast<QPushButton *>(control))
                    pageButtons << button->text();
            }
            for (const char *text : {"Static IP Settings", "Read Configuration", "Apply Configuration"})
                QVERIFY2(pageButtons.contains(QString::fromUtf8(text)), text);
        }
    }
};

TELVOR_TEST_MAIN(TestScreenFit)
#include "tst_screenfit.moc"
