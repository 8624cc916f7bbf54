#pragma once

// What the fuzz targets share.
//
// Each target is its own libFuzzer program. LLVMFuzzerInitialize calls
// startApplication once: it creates the QApplication on the offscreen
// platform, with Qt's own start-up allocations kept out of leak reports, and
// opens and closes every window kind once so that Qt's lazily built caches
// (styles, fonts, icons) exist before the first input is measured. The
// tool's traces are switched off through the logging rules.
//
// Speed: the targets that drive windows build each window once and reuse it
// for every input, restoring its state in between (FormState), and show a
// window only where an input's behaviour depends on it. Building and showing
// a form per input made those targets about fifty times slower.
//
// ModalWatch stands in for the user at modal boxes: it records each box and
// dismisses it at once, so an input can never hang the fuzzer. A target
// decides whether a box is a finding.
//
// Check() reports a broken invariant as a crash: libFuzzer then keeps the
// input and the run fails.

#include <QApplication>
#include <QByteArray>
#include <QList>
#include <QObject>
#include <QString>
#include <QStringList>
#include <QVector>
#include <QWidget>

namespace FuzzSupport {

void startApplication(int *argc, char ***argv);

void runDeferredDeletes();

// Closes every visible top-level window of type T through its own close
// handling, then runs the deferred deletions that closing scheduled.
template <class T> void closeTopLevel()
{
    const QList<QWidget *> windows = QApplication::topLevelWidgets();
    for (QWidget *window : windows) {
        if (qobject_cast<T *>(window) && window->isVisible())
            window->close();
    }
    runDeferredDeletes();
}

// Top-level widgets of type T that still exist.
template <class T> int countTopLevel()
{
    int count = 0;
    const QList<QWidget *> windows = QApplication::topLevelWidgets();
    for (QWidget *window : windows)
        count += qobject_cast<T *>(window) ? 1 : 0;
    return count;
}

[[noreturn]] void fail(const char *what, const QByteArray &detail = QByteArray());

class ModalWatch : public QObject
{
public:
    ModalWatch();
    ~ModalWatch() override;

    // "title: text" of every box seen since the last clear().
    QStringList boxes;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
};

// Keeps the top-level windows of one class that the tool opens itself off
// the screen (Qt::WA_DontShowOnScreen, set at the first event such a window
// gets, before it is shown): they are still shown and visible as far as the
// tool and Qt's widgets know, and are closed and deleted the same way, but
// get no platform window, no backing store and no paint. A target uses it
// for windows whose looks none of its checks reads.
class OffScreen : public QObject
{
public:
    explicit OffScreen(const QMetaObject &windowClass);
    ~OffScreen() override;

    // Windows of the class made and not yet destroyed, counted without a
    // search through every widget of the application.
    int alive() const { return m_alive; }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    const QMetaObject &m_class;
    int m_alive = 0;
};

// Sends every posted event, as the event loop would between two reads of the
// tool: deferred deletions, layout requests and updates do not pile up over
// a run.
void runPostedEvents();

// A widget tree's user-visible state: the current index of every combo box,
// the value, range and suffix of every spin box, the text of every named line
// edit and the state of every check box, plus whether each of them is
// enabled, in a stable order. Two reads compare equal exactly when nothing a
// user sees in those widgets has changed.
//
// The widgets are looked up once, when the FormState is made, so reading the
// state of a page of a hundred widgets costs no search and no formatting;
// describe() formats it only for a report.
class FormState
{
public:
    struct Value
    {
        int number = 0, minimum = 0, maximum = 0;
        bool enabled = false;
        QString text;
        bool operator==(const Value &other) const
        {
            return number == other.number && minimum == other.minimum && maximum == other.maximum &&
                   enabled == other.enabled && text == other.text;
        }
        bool operator!=(const Value &other) const { return !(*this == other); }
    };
    using Values = QVector<Value>;

    explicit FormState(QWidget *root);

    Values read() const;
    // Puts the widgets back to the values read, through their own setters, so
    // that the form's handlers run as they would for a user.
    void restore(const Values &values) const;
    // "objectName=value" per widget whose value differs between the two reads
    // (all of b when a is empty), for a finding's report.
    QByteArray describe(const Values &a, const Values &b) const;

private:
    QVector<QWidget *> m_widgets;
    int m_combos = 0, m_spins = 0, m_edits = 0;
};

} // namespace FuzzSupport

#define FUZZ_CHECK(condition, detail)                                                                        \
    do {                                                                                                     \
        if (!(condition))                                                                                    \
            FuzzSupport::fail(#condition, detail);                                                           \
    } while (false)
