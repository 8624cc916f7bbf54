// The windows at the screen's scaling (100 %, 125 %, 150 %, 200 %): every
// caption's text fits its label or button, the main window fits the
// available area of the screen, the page's three buttons and the status bar
// can be reached, and the start window's logo and the window icon are drawn
// from at least as many pixels as the screen shows them with.
//
// ctest runs it at each scaling: on Linux with QT_SCALE_FACTOR, under Wine
// with the prefix's LogPixels (windows/wine-run, TELVOR_WINE_DPI), where
// Qt takes the scaling from Windows as it does for the user. Both name the
// scaling they set in TELVOR_EXPECTED_SCALE, which the test checks first.
// The program sets the same high-DPI attributes as the tool's own start-up.

#include "chooser.h"
#include "devicechoose.h"
#include "screenfit.h"
#include "devinfo.h"
#include "staticipconfig.h"
#include "telvorconfigurator.h"
#include "testsupport.h"

#include <QAbstractButton>
#include <QCheckBox>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QScrollArea>
#include <QStatusBar>
#include <QStyleOptionButton>
#include <QTextDocument>
#include <QtTest>

#include <memory>

namespace {

// The text as drawn: rich text as its plain text, a mnemonic without its "&".
QString shownText(const QString &text, bool richText)
{
    if (richText) {
        QTextDocument document;
        document.setHtml(text);
        return document.toPlainText();
    }
    QString shown;
    for (int i = 0; i < text.size(); ++i) {
        if (text.at(i) == QLatin1Char('&') && i + 1 < text.size())
            ++i;
        shown += text.at(i);
    }
    return shown;
}

int widestLine(const QFontMetrics &metrics, const QString &text)
{
    int widest = 0;
    for (const QString &line : text.split(QLatin1Char('\n')))
        widest = qMax(widest, metrics.horizontalAdvance(line));
    return widest;
}

// Every shown label and button of the window whose text is wider than the
// room it has, as "objectName "text": needs N, has M".
QStringList clippedCaptions(const QWidget &window)
{
    QStringList clipped;
    const QList<QWidget *> widgets = window.findChildren<QWidget *>();
    for (QWidget *widget : widgets) {
        if (!widget->isVisibleTo(&window))
            continue;
        QString text;
        int room = widget->contentsRect().width();
        if (auto *label = qobject_cast<QLabel *>(widget)) {
            // A wrapped label breaks its text into the room it has.
            if (label->wordWrap())
                continue;
            const bool rich = label->textFormat() == Qt::RichText
                              || (label->textFormat() == Qt::AutoText && Qt::mightBeRichText(label->text()));
            text = shownText(label->text(), rich);
        } else if (auto *button = qobject_cast<QAbstractButton *>(widget)) {
            text = shownText(button->text(), false);
            // A check or radio box's text has the room beside its indicator.
            QStyleOptionButton option;
            option.initFrom(button);
            option.text = button->text();
            if (qobject_cast<QCheckBox *>(button))
                room = button->style()->subElementRect(QStyle::SE_CheckBoxContents, &option, button).width();
            else if (qobject_cast<QRadioButton *>(button))
                room = button->style()->subElementRect(QStyle::SE_RadioButtonContents, &option, button).width();
        } else {
            continue;
        }
        if (text.trimmed().isEmpty())
            continue;
        const int needed = widestLine(widget->fontMetrics(), text);
        if (needed > room)
            clipped << QStringLiteral("%1 \"%2\": needs %3, has %4").arg(widget->objectName(), text).arg(needed).arg(room);
    }
    return clipped;
}

QRect globalRect(const QWidget *widget)
{
    return QRect(widget->mapToGlobal(QPoint(0, 0)), widget->size());
}

} // namespace

class TestHighDpi : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        bool named = false;
        const double expected = qEnvironmentVariable("TELVOR_EXPECTED_SCALE").toDouble(&named);
        QVERIFY2(named, "TELVOR_EXPECTED_SCALE names the scaling the test runs at");
        const double scale = QGuiApplication::primaryScreen()->devicePixelRatio();
        QVERIFY2(qAbs(scale - expected) < 0.01,
                 qPrintable(QStringLiteral("the screen's scaling is %1, not %2").arg(scale).arg(expected)));
    }

    void init() { TestSupport::clearSettings(); }

    void captionsFit_data()
    {
        QTest::addColumn<int>("window");
        QTest::newRow("main window, Ethernet model") << 1;
        QTest::newRow("main window, GSM model") << 2;
        QTest::newRow("network window") << 3;
        QTest::newRow("information window") << 4;
    }

    void captionsFit()
    {
        QFETCH(int, window);
        std::unique_ptr<QWidget> shown;
        if (window <= 2)
            shown = std::make_unique<TelvorConfigurator>(nullptr, window);
        else if (window == 3)
            shown = std::make_unique<StaticIpConfig>(CommSettings::TCP);
        else
            shown = std::make_unique<DevInfo>();
        shown->show();
        QVERIFY(QTest::qWaitForWindowExposed(shown.get()));
        const QStringList clipped = clippedCaptions(*shown);
        QVERIFY2(clipped.isEmpty(), qPrintable(clipped.join(QStringLiteral("; "))));
        // The check itself: a label made narrower than its text is found.
        auto *probe = new QLabel(QStringLiteral("PING INTERVAL TIME"), shown.get());
        probe->setObjectName(QStringLiteral("probe"));
        probe->setGeometry(0, 0, probe->fontMetrics().horizontalAdvance(probe->text()) - 1, 20);
        probe->show();
        QCOMPARE(clippedCaptions(*shown).size(), 1);
    }

    void logoAndIconHaveThePixelsTheScreenNeeds()
    {
        const qreal ratio = QGuiApplication::primaryScreen()->devicePixelRatio();
        DeviceChoose chooser;
        chooser.show();
        QVERIFY(QTest::qWaitForWindowExposed(&chooser));
        QLabel *label = Driver::Chooser(chooser).picture();
        const QPixmap logo = label->pixmap(Qt::ReturnByValue);
        QVERIFY(!logo.isNull());
        // One pixel of the picture for each pixel of the screen: neither
        // enlarged nor reduced when the label is painted.
        QCOMPARE(logo.devicePixelRatio(), ratio);
        QCOMPARE(logo.size(), QSize(161, 161) * ratio);
        if (ratio == 1.0) {
            // 100 %: the picture as it always was, pixel for pixel.
            const QPixmap original(QStringLiteral(":/Button/Icons/telvorloging-.png"));
            QCOMPARE(logo.toImage(), original.toImage());
        } else {
            // Scaled down from a picture of twice the size (up to 200 %).
            const QImage source(QStringLiteral(":/Button/Icons/telvorloging-@2x.png"));
            QVERIFY(source.width() >= logo.width() && source.height() >= logo.height());
        }

        // The window icon, which the platform asks for in screen pixels: the
        // 128 pixels of 100 %, and the 256-pixel picture whenever the screen
        // scales, so that it keeps that detail at 150 % and 200 %.
        TelvorConfigurator window(nullptr, 1);
        const QList<QSize> sizes = window.windowIcon().availableSizes();
        QVERIFY(sizes.contains(QSize(128, 128)));
        QCOMPARE(sizes.contains(QSize(256, 256)), ratio > 1.0);
        const QSize largest = QSize(128, 128) * ratio;
#if QT_VERSION >= QT_VERSION_CHECK(6, 0, 0)
        // Qt 6 answers in device-independent pixels of the application's ratio.
        const QSize chosen = window.windowIcon().actualSize(largest) * ratio;
#else
        const QSize chosen = window.windowIcon().actualSize(largest);
#endif
        QCOMPARE(chosen, largest);
    }

    void mainWindowFitsScreen()
    {
        for (int model : {1, 2}) {
            TelvorConfigurator window(nullptr, model);
            window.show();
            QVERIFY(QTest::qWaitForWindowExposed(&window));
            const QRect available = window.screen()->availableGeometry();
            QVERIFY2(available.contains(window.frameGeometry()),
                     qPrintable(QStringLiteral("window %1,%2 %3x%4 outside the available %5,%6 %7x%8")
                                    .arg(window.frameGeometry().x())
                                    .arg(window.frameGeometry().y())
                                    .arg(window.frameGeometry().width())
                                    .arg(window.frameGeometry().height())
                                    .arg(available.x())
                                    .arg(available.y())
                                    .arg(available.width())
                                    .arg(available.height())));
        }
    }

    void pageButtonsAndStatusBarReachable()
    {
        for (int model : {1, 2}) {
            TelvorConfigurator window(nullptr, model);
            window.show();
            QVERIFY(QTest::qWaitForWindowExposed(&window));
            const QRect available = window.screen()->availableGeometry();
            QVERIFY(window.statusBar()->isVisible());
            QVERIFY(available.contains(globalRect(window.statusBar())));

            auto *area = window.findChild<QScrollArea *>();
            QVERIFY(area);
            for (const char *caption : {"Static IP Settings", "Read Configuration", "Apply Configuration"}) {
                QPushButton *button = nullptr;
                for (QPushButton *candidate : window.findChildren<QPushButton *>()) {
                    if (candidate->text() == QLatin1String(caption) && candidate->isVisibleTo(&window))
                        button = candidate;
                }
                QVERIFY2(button, caption);
                const QPoint inContents = button->mapTo(area->widget(), QPoint(0, 0));
                area->ensureVisible(inContents.x() + button->width() / 2, inContents.y() + button->height() / 2,
                                    button->width() / 2, button->height() / 2);
                QCoreApplication::processEvents();
                const QRect rect = globalRect(button);
                QVERIFY2(globalRect(area->viewport()).contains(rect) && available.contains(rect),
                         qPrintable(QStringLiteral("\"%1\" cannot be scrolled into view").arg(QLatin1String(caption))));
            }
            QVERIFY(available.contains(globalRect(window.statusBar())));
        }
    }
};

int main(int argc, char **argv)
{
    // As the tool starts (main.cpp): fractional scales kept as they are.
    prepareScreenScaling();
    return TestSupport::runTestProgram<TestHighDpi>(argc, argv);
}

#include "tst_highdpi.moc"
