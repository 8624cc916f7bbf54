// The five entries of the panel in the native settings store of Windows, the
// registry under HKEY_CURRENT_USER\Software\Telvor\Configurator\Commsettings.
// Run in two processes by registry.sh: the first types the entries as a user
// does; between the runs Wine's `reg query` reads them from the registry; the
// second, a restart, finds them in the panel again.

#include "commsettings.h"
#include "panel.h"
#include "testsupport.h"

#include <QApplication>
#include <QLineEdit>
#include <QSettings>
#include <QtTest>

namespace {

using Driver::Panel;

struct Entry
{
    const char *key;
    Panel::Control lineEdit;
    const char *value;
};

// Values no fresh store holds; the addresses are documentation ranges and
// are only saved, never contacted.
const Entry Entries[] = {
    {"Ip", Panel::EthernetAddress, "192.0.2.10"},  {"Port", Panel::EthernetPort, "5001"},
    {"IpTcp", Panel::DataAddress, "198.51.100.7"}, {"Port232", Panel::Port232, "5232"},
    {"Port485", Panel::Port485, "5485"},
};

QLineEdit *entryField(CommSettings &panel, const Entry &entry)
{
    return Panel(panel).entry(entry.lineEdit);
}

} // namespace

class TestWinSettings : public QObject
{
    Q_OBJECT

private slots:
    // First run: the store is empty, the panel shows nothing; typed entries
    // are saved as text values in the registry.
    void typedEntriesAreSaved()
    {
        QSettings store(QStringLiteral("Telvor"), QStringLiteral("Configurator"));
        QCOMPARE(store.format(), QSettings::NativeFormat);
        QCOMPARE(store.fileName(), QStringLiteral("\\HKEY_CURRENT_USER\\Software\\Telvor\\Configurator"));
        QVERIFY2(store.allKeys().isEmpty(), qPrintable(store.allKeys().join(QLatin1Char(' '))));

        CommSettings panel;
        panel.show();
        for (const Entry &entry : Entries) {
            QLineEdit *field = entryField(panel, entry);
            QVERIFY2(field, qPrintable(Panel::nameOf(entry.lineEdit)));
            QVERIFY(field->text().isEmpty());
            field->setFocus();
            QTest::keyClicks(field, QLatin1String(entry.value));
            QTest::keyClick(field, Qt::Key_Return);
        }

        QSettings after(QStringLiteral("Telvor"), QStringLiteral("Configurator"));
        after.beginGroup(QStringLiteral("Commsettings"));
        QCOMPARE(after.childKeys().size(), 5);
        for (const Entry &entry : Entries)
            QCOMPARE(after.value(QLatin1String(entry.key)).toString(), QLatin1String(entry.value));
    }

    // Second run, after the program was restarted: the panel fills its
    // fields from the registry.
    void entriesSurviveRestart()
    {
        CommSettings panel;
        for (const Entry &entry : Entries) {
            QLineEdit *field = entryField(panel, entry);
            QVERIFY2(field, qPrintable(Panel::nameOf(entry.lineEdit)));
            QCOMPARE(field->text(), QLatin1String(entry.value));
        }
    }
};

TELVOR_TEST_MAIN(TestWinSettings)
#include "tst_winsettings.moc"
