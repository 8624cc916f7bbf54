#pragma once

// Helpers that every test program shares.
//
// TELVOR_TEST_MAIN(Class) replaces QTEST_MAIN: it makes sure the program runs
// with a settings home of its own (never the real user's), switches the
// tool's traces off, creates the application and the embedded icons, then
// runs the test class.
//
// MessageBoxAnswerer watches for modal message boxes, records each one's
// title, text and buttons, and presses the button a test asked for. A box that
// nobody expected fails the running test at once and is dismissed, so a test
// never hangs on a modal box.

#include <QApplication>
#include <QList>
#include <QMessageBox>
#include <QObject>
#include <QPointer>
#include <QQueue>
#include <QSet>
#include <QString>
#include <QStringList>
#include <QTest>
#include <QTimer>

namespace TestSupport {

// Runs before the application object exists: gives the process a private
// HOME and XDG_CONFIG_HOME when ctest did not already.
void isolateSettings();
void initResources();
// Around the creation of the application object: under LeakSanitizer the
// allocations Qt makes while starting (the platform plugin's screen, which
// the offscreen plugin never frees) are not leak-checked. Nothing otherwise.
void beginQtStartUp();
void endQtStartUp();
// Switches every trace of the tool off with the logging rule
// "telvor.*.debug=false"; a test that reads traces sets its own rules.
void quietTraces();
// Removes every saved entry of the tool from the (isolated) settings store.
void clearSettings();

// What a test program does (see TELVOR_TEST_MAIN), for a main() that has a
// step of its own to take first.
template <class TestObject> int runTestProgram(int argc, char **argv)
{
    isolateSettings();
    quietTraces();
    beginQtStartUp();
    QApplication app(argc, argv);
    endQtStartUp();
    initResources();
    TestObject tc;
    return QTest::qExec(&tc, argc, argv);
}

struct SeenBox
{
    QString title;
    QString text;
    QStringList buttons;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    bool expected = false;
};

class MessageBoxAnswerer : public QObject
{
    Q_OBJECT

public:
    explicit MessageBoxAnswerer(QObject *parent = nullptr);

    // The next box that appears is answered with this button. A non-empty
    // title must match the box's title, otherwise the box counts as unexpected.
    void expect(QMessageBox::StandardButton answer, const QString &title = QString());

    // Waits until `count` boxes have been seen since the last reset().
    bool waitForBoxes(int count, int timeoutMs = 5000);

    const QList<SeenBox> &seen() const { return m_seen; }
    QList<SeenBox> unexpected() const;
    int pendingExpectations() const { return m_expected.size(); }
    void reset();

private:
    void poll();

    struct Expectation
    {
        QMessageBox::StandardButton answer;
        QString title;
    };
    QQueue<Expectation> m_expected;
    QList<SeenBox> m_seen;
    QSet<QMessageBox *> m_handled;
    QTimer m_timer;
};

} // namespace TestSupport

#define TELVOR_TEST_MAIN(TestObject)                                                                              \
    int main(int argc, char **argv) { return TestSupport::runTestProgram<TestObject>(argc, argv); }
