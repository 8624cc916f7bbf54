#pragma once

// What the fuzz targets share.
//
// Each target is its own libFuzzer program. LLVMFuzzerInitialize calls
// startApplication once: it creates the QApplication on the offscreen
// platform, with Qt's own start-up allocations kept out of leak reports, and
// opens and closes every window kind once so that Qt's lazily built caches
// (styles, fonts, icons) exist before the first input is measured.
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

// A widget tree's user-visible state: the current index of every combo box,
// the value, range and suffix of every spin box, the text of every line edit
// and the state of every check box, in a stable order. Two snapshots compare
// equal exactly when nothing a user sees has changed.
QStringList snapshot(const QWidget *root);

} // namespace FuzzSupport

#define FUZZ_CHECK(condition, detail)                                                                        \
    do {                                                                                                     \
        if (!(condition))                                                                                    \
            FuzzSupport::fail(#condition, detail);                                                           \
    } while (false)
