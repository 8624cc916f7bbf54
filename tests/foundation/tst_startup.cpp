// The start window and the main window right after construction.

#include "chooser.h"
#include "devicechoose.h"
#include "telvorconfigurator.h"
#include "testsupport.h"
#include "tool.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QStatusBar>
#include <QtTest>

using namespace Driver;

namespace {

TelvorConfigurator *visibleMainWindow()
{
    const auto widgets = QApplication::topLevelWidgets();
    for (QWidget *widget : widgets) {
        if (auto *window = qobject_cast<TelvorConfigurator *>(widget); window && window->isVisible())
            return window;
    }
    return nullptr;
}

QImage iconImage(const QIcon &icon)
{
    return icon.pixmap(QSize(16, 16)).toImage();
}

} // namespace

class TestStartup : public QObject
{
    Q_OBJECT

private slots:
    void cleanup()
    {
        QVERIFY(m_boxes.unexpected().isEmpty());
        // Windows the chooser opened on the heap; owned windows (menus) go with them.
        QList<QPointer<QWidget>> windows;
        for (QWidget *widget : QApplication::topLevelWidgets()) {
            if (!widget->parentWidget())
                windows.append(widget);
        }
        for (const QPointer<QWidget> &window : windows)
            delete window.data();
    }

    void chooserStartsWithNothingChosen()
    {
        DeviceChoose chooser;
        chooser.show();
        const Chooser driver(chooser);
        auto *combo = driver.models();
        auto *login = driver.continueButton();
        auto *cancel = driver.cancelButton();
        QVERIFY(combo && login && cancel);
        QCOMPARE(chooser.windowTitle(), QStringLiteral("Corvanta"));
        QCOMPARE(combo->count(), 3);
        QCOMPARE(combo->itemText(0), QStringLiteral("-Seçiniz-"));
        QCOMPARE(combo->itemText(1), QStringLiteral("Ethernet Modem"));
        QCOMPARE(combo->itemText(2), QStringLiteral("GSM Modem"));
        QCOMPARE(combo->currentText(), QStringLiteral("-Seçiniz-"));
        QCOMPARE(login->text(), QStringLiteral("Devam Et"));
        QCOMPARE(cancel->text(), QStringLiteral("İptal"));
        QVERIFY(!login->isEnabled());
        QVERIFY(cancel->isEnabled());

        auto *logo = driver.picture();
        QVERIFY(logo);
        QVERIFY(!logo->pixmap(Qt::ReturnByValue).isNull());
        QVERIFY(logo->pixmap(Qt::ReturnByValue).width() <= 161);
        QVERIFY(logo->pixmap(Qt::ReturnByValue).height() <= 161);
    }

    void continueFollowsTheChoice()
    {
        DeviceChoose chooser;
        chooser.show();
        const Chooser driver(chooser);
        auto *combo = driver.models();
        auto *login = driver.continueButton();
        for (int index : {1, 0, 2, 0}) {
            combo->setCurrentIndex(index);
            QCOMPARE(login->isEnabled(), index >= 1);
        }
    }

    void continueOpensTheMainWindow_data()
    {
        QTest::addColumn<int>("model");
        QTest::addColumn<Command>("checkedAction");
        QTest::addColumn<Command>("uncheckedAction");
        QTest::newRow("Ethernet Modem") << 1 << Command::EthernetModel << Command::GsmModel;
        QTest::newRow("GSM Modem") << 2 << Command::GsmModel << Command::EthernetModel;
    }

    void continueOpensTheMainWindow()
    {
        QFETCH(int, model);
        QFETCH(Command, checkedAction);
        QFETCH(Command, uncheckedAction);

        auto *chooser = new DeviceChoose;
        chooser->show();
        QVERIFY(QTest::qWaitForWindowExposed(chooser));
        Chooser(*chooser).chooseModel(model);
        // Clicked through the chooser's platform window, as a user clicks: the
        // window that delivers the click is the one the chooser lets go of.
        const auto *login = Chooser(*chooser).continueButton();
        QTest::mouseClick(chooser->windowHandle(), Qt::LeftButton, {},
                          login->mapTo(chooser, login->rect().center()));

        QVERIFY(!chooser->isVisible());
        TelvorConfigurator *window = visibleMainWindow();
        QVERIFY(window);
        // Once the click is handled, the closed chooser holds no platform
        // window (and so no backing store) any more; the object stays.
        QTRY_VERIFY(chooser->windowHandle() == nullptr);
        QVERIFY(window->isVisible());
        const QImage check = iconImage(QIcon(QStringLiteral(":/Button/Icons/apply.png")));
        QCOMPARE(iconImage(commandAction(*window, checkedAction)->icon()), check);
        QVERIFY(commandAction(*window, uncheckedAction)->icon().isNull());
    }

    void cancelEndsTheEventLoopWithZero()
    {
        DeviceChoose chooser;
        chooser.show();
        QTimer::singleShot(0, &chooser, [&chooser] { click(Chooser(chooser).cancelButton()); });
        QTimer watchdog;
        watchdog.setSingleShot(true);
        connect(&watchdog, &QTimer::timeout, qApp, [] { QCoreApplication::exit(99); });
        watchdog.start(5000);
        QCOMPARE(QApplication::exec(), 0);
        QVERIFY(visibleMainWindow() == nullptr);
    }

    void chooserCannotBeResized()
    {
        DeviceChoose chooser;
        chooser.show();
        QCOMPARE(chooser.size(), QSize(390, 390));
        chooser.resize(600, 500);
        QCOMPARE(chooser.size(), QSize(390, 390));
        chooser.resize(100, 100);
        QCOMPARE(chooser.size(), QSize(390, 390));
    }

    void mainWindowAfterConstruction_data()
    {
        QTest::addColumn<int>("model");
        QTest::newRow("no model") << 0;
        QTest::newRow("Ethernet") << 1;
        QTest::newRow("GSM") << 2;
    }

    void mainWindowAfterConstruction()
    {
        QFETCH(int, model);
        TelvorConfigurator window(nullptr, model);
        window.show();
        QCOMPARE(window.windowTitle(), QStringLiteral("Corvanta"));
        QCOMPARE(window.size(), QSize(585, 940));
        QCOMPARE(window.minimumSize(), QSize(585, 940));
        QCOMPARE(window.maximumSize(), QSize(585, 940));
        QVERIFY(!window.windowIcon().isNull());

        for (const Command command : {Command::Restart, Command::GetInfo, Command::Ping}) {
            const QAction *action = commandAction(window, command);
            QVERIFY2(!action->isEnabled(), qPrintable(action->objectName()));
        }
        for (const Command command : {Command::EthernetModel, Command::GsmModel}) {
            const QAction *action = commandAction(window, command);
            QVERIFY2(action->isEnabled(), qPrintable(action->objectName()));
        }

        auto *page = window.findChild<TransparentConfig *>();
        QVERIFY(page);
        QVERIFY(!page->isEnabled());

        const QImage check = iconImage(QIcon(QStringLiteral(":/Button/Icons/apply.png")));
        auto *ethernet = commandAction(window, Command::EthernetModel);
        auto *gsm = commandAction(window, Command::GsmModel);
        QCOMPARE(!ethernet->icon().isNull() && iconImage(ethernet->icon()) == check, model == 1);
        QCOMPARE(!gsm->icon().isNull() && iconImage(gsm->icon()) == check, model == 2);

        // No route is active: a request from any window is refused.
        window.Transmit_Callback(QByteArrayLiteral("AT+PING\r\n"));
        QCOMPARE(window.statusBar()->currentMessage(), QStringLiteral("Önce bağlantı sağlayın !! "));
    }

    void menusAndActions()
    {
        TelvorConfigurator window(nullptr, 1);
        auto *commands = menu(window, Menu::DeviceCommands);
        auto *select = menu(window, Menu::DeviceSelect);
        QVERIFY(commands && select);
        QCOMPARE(commands->title(), QStringLiteral("Device Commands"));
        QCOMPARE(select->title(), QStringLiteral("Device Select"));
        const auto commandActions = commands->actions();
        QCOMPARE(commandActions.size(), 3);
        QCOMPARE(commandActions.at(0)->text(), QStringLiteral("RESTART DEVICE"));
        QCOMPARE(commandActions.at(1)->text(), QStringLiteral("GET INFO"));
        QCOMPARE(commandActions.at(2)->text(), QStringLiteral("PING"));
        for (QAction *action : commandActions)
            QVERIFY(!action->icon().isNull());
        const auto selectActions = select->actions();
        QCOMPARE(selectActions.size(), 3);
        QVERIFY(selectActions.at(0)->isSeparator());
        QCOMPARE(selectActions.at(1)->text(), QStringLiteral("Ethernet Modem"));
        QCOMPARE(selectActions.at(2)->text(), QStringLiteral("GSM Modem"));
        QCOMPARE(window.statusBar()->styleSheet(), QStringLiteral("background-color: rgb(199, 255, 253);"));
    }

    void checkIconFollowsTheModelMenu()
    {
        TelvorConfigurator window(nullptr, 1);
        auto *ethernet = commandAction(window, Command::EthernetModel);
        auto *gsm = commandAction(window, Command::GsmModel);
        const QImage check = iconImage(QIcon(QStringLiteral(":/Button/Icons/apply.png")));

        gsm->trigger();
        QVERIFY(ethernet->icon().isNull());
        QCOMPARE(iconImage(gsm->icon()), check);

        ethernet->trigger();
        QVERIFY(gsm->icon().isNull());
        QCOMPARE(iconImage(ethernet->icon()), check);
    }

    void deviceCommandsWithoutRoute()
    {
        TelvorConfigurator window(nullptr, 1);
        // With no TCP route the commands go to the serial port, which is not open.
        QVERIFY(QMetaObject::invokeMethod(&window, "RestartDevice_Triggered"));
        QCOMPARE(window.statusBar()->currentMessage(), QStringLiteral("Cannot write via USB"));
        window.statusBar()->clearMessage();
        QVERIFY(QMetaObject::invokeMethod(&window, "GetInfo_Triggered"));
        QCOMPARE(window.statusBar()->currentMessage(), QStringLiteral("Cannot write via USB"));
        window.statusBar()->clearMessage();
        // Ping has no meaning on USB: nothing is sent, nothing reported.
        QVERIFY(QMetaObject::invokeMethod(&window, "Ping_Triggered"));
        QCOMPARE(window.statusBar()->currentMessage(), QString());
    }

    void everyIconLoads_data()
    {
        QTest::addColumn<QString>("path");
        const QStringList names = {"telvorloging-.png", "telvor icon.jpg",       "reset.png",        "info.png",
                                   "ping.png",          "apply.png",             "ethernet.png",     "ethernet_disconnect.png",
                                   "usb_connect.png",   "usb_disconnect.png",    "Refresh-icon.png", "reading.png",
                                   "setting.png",       "ip-address.png",        "on-button.png",    "off-button.png"};
        for (const QString &name : names)
            QTest::newRow(qPrintable(name)) << QStringLiteral(":/Button/Icons/") + name;
    }

    void everyIconLoads()
    {
        QFETCH(QString, path);
        const QImage image(path);
        QVERIFY2(!image.isNull(), qPrintable(path));
        QVERIFY(image.width() >= 16 && image.height() >= 16);
    }

private:
    TestSupport::MessageBoxAnswerer m_boxes;
};

TELVOR_TEST_MAIN(TestStartup)
#include "tst_startup.moc"
