// The settings store when it fails: a store that cannot be written, and a
// store that holds what the tool never wrote. The tool starts and works in
// both; an entry it cannot save is reported once and kept for the session,
// and a foreign store is shown as far as it can be and left unchanged.
//
// Each case runs with a store under a temporary home of its own. On Linux
// the store is the file .config/Telvor/Configurator.conf there.

#include "commsettings.h"
#include "devicemodel.h"
#include "panel.h"
#include "telvorconfigurator.h"
#include "testsupport.h"

#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QSettings>
#include <QSignalSpy>
#include <QStatusBar>
#include <QTemporaryDir>
#include <QtTest>

#include <memory>

#ifdef Q_OS_UNIX
#include <unistd.h>
#endif

namespace {

using Driver::Panel;

const QString NotSavedText = QStringLiteral("Connection settings could not be saved: ");
const int NotSavedMs = 5000;

// Replaces the entry's text by typing, then finishes the edit with Return.
void typeInto(QLineEdit *entry, const QString &text)
{
    QTest::keyClick(entry, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClick(entry, Qt::Key_Backspace);
    QTest::keyClicks(entry, text);
    QTest::keyClick(entry, Qt::Key_Return);
}

// Finishes an edit without changing the text, as leaving the entry does.
void leave(QLineEdit *entry)
{
    QTest::keyClick(entry, Qt::Key_Return);
}

QByteArray readAll(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// The tool's main window with its status texts logged.
struct Tool
{
    Tool() : window(nullptr, eEthernetModem)
    {
        panel = window.findChild<CommSettings *>();
        QObject::connect(window.statusBar(), &QStatusBar::messageChanged, &window, [this](const QString &text) {
            if (!text.isEmpty())
                statusLog << text;
        });
        window.show();
    }
    QLineEdit *entry(Panel::Control control) const { return Panel(*panel).entry(control); }
    QAbstractButton *button(Panel::Control control) const { return Panel(*panel).button(control); }

    TelvorConfigurator window;
    CommSettings *panel = nullptr;
    QStringList statusLog;
};

} // namespace

class TestSettingsStore : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<QTemporaryDir> m_home;
    QString m_store; // the store's file

    void writeStore(const QByteArray &bytes)
    {
        QDir().mkpath(QFileInfo(m_store).path());
        QFile file(m_store);
        QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        QCOMPARE(file.write(bytes), qint64(bytes.size()));
    }

private slots:
    void init()
    {
        m_home = std::make_unique<QTemporaryDir>();
        QVERIFY(m_home->isValid());
        const QString config = m_home->path() + QStringLiteral("/.config");
        QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, config);
        m_store = config + QStringLiteral("/Telvor/Configurator.conf");
    }

    void cleanup()
    {
        // A read-only folder must be writable again to be removed.
        QFile::setPermissions(QFileInfo(m_store).path(),
                              QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
        m_home.reset();
    }

    void unwritableStore_data()
    {
        QTest::addColumn<bool>("folderInPlace");
        QTest::newRow("a folder where the file belongs") << true;
        QTest::newRow("read-only folder") << false;
    }

    // The tool starts and works; the first entry that cannot be saved is
    // reported with the store's path, later ones are not, and what the user
    // typed stays the entry's value for the session.
    void unwritableStore()
    {
        QFETCH(bool, folderInPlace);
        if (folderInPlace) {
            QVERIFY(QDir().mkpath(m_store));
        } else {
#ifdef Q_OS_UNIX
            if (geteuid() == 0)
                QSKIP("Permissions do not stop root from writing");
#endif
            writeStore("[Commsettings]\nPort=502\n");
            QVERIFY(QFile::setPermissions(m_store, QFileDevice::ReadOwner));
            QVERIFY(QFile::setPermissions(QFileInfo(m_store).path(),
                                          QFileDevice::ReadOwner | QFileDevice::ExeOwner));
        }

        Tool tool;
        QSignalSpy reports(tool.panel, &CommSettings::WriteStatusBar);
        QSignalSpy connects(tool.panel, &CommSettings::ConnectTcp);
        typeInto(tool.entry(Panel::EthernetPort), QStringLiteral("1502"));
        QCOMPARE(reports.size(), 1);
        QCOMPARE(reports.at(0).at(0).toString(), NotSavedText + m_store);
        QCOMPARE(reports.at(0).at(1).toInt(), NotSavedMs);
        QVERIFY(tool.statusLog.contains(NotSavedText + m_store));

        typeInto(tool.entry(Panel::EthernetAddress), QStringLiteral("10.0.0.5"));
        typeInto(tool.entry(Panel::DataAddress), QStringLiteral("10.0.0.6"));
        QCOMPARE(reports.size(), 1);
        QCOMPARE(tool.statusLog.count(NotSavedText + m_store), 1);

        // A rejected entry goes back to what was typed in this session, not
        // to the store's older value.
        typeInto(tool.entry(Panel::EthernetPort), QStringLiteral("abc"));
        QCOMPARE(tool.entry(Panel::EthernetPort)->text(), QStringLiteral("1502"));
        typeInto(tool.entry(Panel::EthernetAddress), QStringLiteral("10.0"));
        QCOMPARE(tool.entry(Panel::EthernetAddress)->text(), QStringLiteral("10.0.0.5"));

        QTest::mouseClick(tool.button(Panel::EthernetButton), Qt::LeftButton);
        QCOMPARE(connects.size(), 1);
        QCOMPARE(connects.at(0).at(0).toString(), QStringLiteral("10.0.0.5"));
        QCOMPARE(connects.at(0).at(1).toInt(), 1502);

        // Nothing was written in the store's place.
        if (folderInPlace)
            QVERIFY(QFileInfo(m_store).isDir());
        else
            QCOMPARE(readAll(m_store), QByteArray("[Commsettings]\nPort=502\n"));
    }

    void foreignStore_data()
    {
        QTest::addColumn<QByteArray>("store");
        QTest::addColumn<QString>("ip");
        QTest::addColumn<QString>("port");
        QTest::addColumn<QString>("port485");
        QTest::addColumn<int>("connectPort");

        const QByteArray huge(100 * 1024, '7');
        static const char garbage[] = "\x00\xff\xfe\x01garbage\x00\n\xc3\x28\xa0\xa1 ==\n[Commsettings]\n"
                                      "Ip=10.1.2.3\nPort=502\n\x01\x02\x03\xff\xfe\n";
        QTest::newRow("garbage bytes around the entries")
            << QByteArray(garbage, sizeof(garbage) - 1)
            << QStringLiteral("10.1.2.3") << QStringLiteral("502") << QString() << 502;
        QTest::newRow("values of 100 KB")
            << QByteArray("[Commsettings]\nIp=" + huge + "\nPort=" + huge + "\nPort485=500\n")
            << QString(32767, QLatin1Char('7')) << QString(32767, QLatin1Char('7')) << QStringLiteral("500") << 0;
        QTest::newRow("non-numeric ports")
            << QByteArray("[Commsettings]\nIp=10.1.2.3\nPort=abc\nPort232=12x\nPort485=-5\n")
            << QStringLiteral("10.1.2.3") << QStringLiteral("abc") << QStringLiteral("-5") << 0;
    }

    // The tool starts, shows what it can read (an entry holds at most 32767
    // characters), and writes nothing: not when it starts, not when the user
    // leaves an entry unchanged, not when an entry is rejected.
    void foreignStore()
    {
        QFETCH(QByteArray, store);
        QFETCH(QString, ip);
        QFETCH(QString, port);
        QFETCH(QString, port485);
        QFETCH(int, connectPort);
        writeStore(store);

        Tool tool;
        QSignalSpy reports(tool.panel, &CommSettings::WriteStatusBar);
        QSignalSpy connects(tool.panel, &CommSettings::ConnectTcp);
        QCOMPARE(tool.entry(Panel::EthernetAddress)->text(), ip);
        QCOMPARE(tool.entry(Panel::EthernetPort)->text(), port);
        QCOMPARE(tool.entry(Panel::Port485)->text(), port485);

        // The Ethernet model's entries are the ones the user can edit.
        leave(tool.entry(Panel::EthernetAddress));
        leave(tool.entry(Panel::EthernetPort));
        QTest::mouseClick(tool.button(Panel::EthernetButton), Qt::LeftButton);
        QCOMPARE(connects.size(), 1);
        QCOMPARE(connects.at(0).at(1).toInt(), connectPort);
        QCOMPARE(readAll(m_store), store);
        QCOMPARE(reports.size(), 0);

        // An entry the user changes is saved; the other entries stay as
        // they were. Lines that could not be read are not kept.
        typeInto(tool.entry(Panel::EthernetPort), QStringLiteral("601"));
        typeInto(tool.entry(Panel::EthernetPort), QStringLiteral("0"));
        QCOMPARE(tool.entry(Panel::EthernetPort)->text(), QStringLiteral("601"));
        QCOMPARE(reports.size(), 0);
        const QList<QByteArray> lines = readAll(m_store).split('\n');
        QVERIFY(lines.contains("Port=601"));
        for (const QByteArray &line : store.split('\n')) {
            if (line.startsWith("Ip=") || line.startsWith("Port232=") || line.startsWith("Port485="))
                QVERIFY2(lines.contains(line), line.left(40).constData());
        }
    }
};

TELVOR_TEST_MAIN(TestSettingsStore)
#include "tst_settingsstore.moc"
