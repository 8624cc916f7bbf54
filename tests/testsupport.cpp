#include "testsupport.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QLoggingCategory>
#include <QSettings>
#include <QTest>
#include <QTemporaryDir>

#if defined(__SANITIZE_ADDRESS__)
#define TELVOR_LEAK_CHECKED 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define TELVOR_LEAK_CHECKED 1
#endif
#endif
#ifdef TELVOR_LEAK_CHECKED
#include <sanitizer/lsan_interface.h>
#endif
#ifdef Q_OS_WIN
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>
#endif

static void initIcons()
{
    Q_INIT_RESOURCE(Icons);
}

namespace TestSupport {

// Whether the tool's settings store, as this process sees it, is one that
// only tests use; `where` names it for the refusal.
static bool settingsStoreIsPrivate(QString *where)
{
#ifdef Q_OS_WIN
    // The native store is the registry of the user running the program, so
    // only a Wine prefix that windows/wine-run set up for tests keeps a
    // real user's entries out of reach: it says which one in
    // TELVOR_WINE_PREFIX. On Windows itself there is no such store.
    const HMODULE ntdll = GetModuleHandleW(L"ntdll.dll");
    const bool underWine = ntdll != nullptr && GetProcAddress(ntdll, "wine_get_version") != nullptr;
    const QString prefix = QDir::fromNativeSeparators(qEnvironmentVariable("TELVOR_WINE_PREFIX"));
    *where = underWine ? QStringLiteral("the registry of the Wine prefix \"%1\"").arg(prefix)
                       : QStringLiteral("this Windows user's registry");
    return underWine && !prefix.isEmpty() && !prefix.endsWith(QLatin1String("/.wine"));
#else
    const QString file = QSettings(QStringLiteral("Telvor"), QStringLiteral("Configurator")).fileName();
    *where = file;
    const QString home = QDir(qEnvironmentVariable("TELVOR_TEST_HOME")).absolutePath();
    return !qEnvironmentVariableIsEmpty("TELVOR_TEST_HOME") && file.startsWith(home + QLatin1Char('/'));
#endif
}

void isolateSettings()
{
    // ctest gives every test its own home. Run by hand, a test program makes
    // a temporary one, so the real user's settings are never read or written.
    if (qEnvironmentVariableIsEmpty("TELVOR_TEST_HOME")) {
        static QTemporaryDir home;
        qputenv("TELVOR_TEST_HOME", home.path().toUtf8());
        qputenv("HOME", home.path().toUtf8());
        qputenv("XDG_CONFIG_HOME", (home.path() + QStringLiteral("/.config")).toUtf8());
    }
    const QString home = qEnvironmentVariable("TELVOR_TEST_HOME");
    QDir().mkpath(home + QStringLiteral("/.config"));
    QDir().mkpath(home + QStringLiteral("/run"));
    QFile::setPermissions(home + QStringLiteral("/run"), QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                                                             QFileDevice::ExeOwner);
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    // Tests write and clear the tool's entries: never where a user keeps them.
    QString store;
    if (!settingsStoreIsPrivate(&store))
        qFatal("Refusing to run: the settings store is %s, not one of a test's own "
               "(run the test through ctest, or on Windows through windows/wine-run)",
               qPrintable(store));
}

void quietTraces()
{
    QLoggingCategory::setFilterRules(QStringLiteral("telvor.*.debug=false"));
}

void beginQtStartUp()
{
#ifdef TELVOR_LEAK_CHECKED
    __lsan_disable();
#endif
}

void endQtStartUp()
{
#ifdef TELVOR_LEAK_CHECKED
    __lsan_enable();
#endif
}

void initResources()
{
    initIcons();
}

void clearSettings()
{
    QString store;
    if (!settingsStoreIsPrivate(&store))
        qFatal("Refusing to clear the settings store %s: it is not a test's own", qPrintable(store));
    QSettings settings(QStringLiteral("Telvor"), QStringLiteral("Configurator"));
    settings.clear();
    settings.sync();
}

MessageBoxAnswerer::MessageBoxAnswerer(QObject *parent) : QObject(parent)
{
    m_timer.setInterval(20);
    connect(&m_timer, &QTimer::timeout, this, &MessageBoxAnswerer::poll);
    m_timer.start();
}

void MessageBoxAnswerer::expect(QMessageBox::StandardButton answer, const QString &title)
{
    m_expected.enqueue({answer, title});
}

bool MessageBoxAnswerer::waitForBoxes(int count, int timeoutMs)
{
    QDeadlineTimer deadline(timeoutMs);
    while (m_seen.size() < count && !deadline.hasExpired())
        QTest::qWait(10);
    return m_seen.size() >= count;
}

QList<SeenBox> MessageBoxAnswerer::unexpected() const
{
    QList<SeenBox> result;
    for (const SeenBox &box : m_seen) {
        if (!box.expected)
            result.append(box);
    }
    return result;
}

void MessageBoxAnswerer::reset()
{
    m_expected.clear();
    m_seen.clear();
}

void MessageBoxAnswerer::poll()
{
    const auto widgets = QApplication::topLevelWidgets();
    for (QWidget *widget : widgets) {
        auto *box = qobject_cast<QMessageBox *>(widget);
        if (!box || !box->isVisible() || m_handled.contains(box))
            continue;
        m_handled.insert(box);
        connect(box, &QObject::destroyed, this, [this, box] { m_handled.remove(box); });

        SeenBox seen;
        seen.title = box->windowTitle();
        seen.text = box->text();
        seen.icon = box->icon();
        const auto buttons = box->buttons();
        for (QAbstractButton *button : buttons)
            seen.buttons.append(button->text());

        QAbstractButton *toPress = nullptr;
        if (!m_expected.isEmpty() && (m_expected.head().title.isEmpty() || m_expected.head().title == seen.title)) {
            const Expectation expectation = m_expected.dequeue();
            toPress = box->button(expectation.answer);
            seen.expected = toPress != nullptr;
        }
        m_seen.append(seen);

        if (!seen.expected) {
            const QByteArray message = QStringLiteral("Unexpected message box \"%1\": \"%2\"")
                                           .arg(seen.title, seen.text)
                                           .toUtf8();
            QTest::qFail(message.constData(), __FILE__, __LINE__);
            toPress = box->escapeButton() ? box->escapeButton() : (buttons.isEmpty() ? nullptr : buttons.first());
        }
        if (toPress)
            toPress->click();
        else
            box->reject();
    }
}

} // namespace TestSupport
