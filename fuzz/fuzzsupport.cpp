#include "fuzzsupport.h"

#include "commsettings.h"
#include "devinfo.h"
#include "staticipconfig.h"
#include "transparentconfig.h"

#include <QAbstractButton>
#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QEvent>
#include <QLineEdit>
#include <QLoggingCategory>
#include <QMessageBox>
#include <QSpinBox>

#include <sanitizer/lsan_interface.h>

#include <cstdio>
#include <cstdlib>

static void initIcons()
{
    Q_INIT_RESOURCE(Icons);
}

namespace FuzzSupport {

void startApplication(int *argc, char ***argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    // The tool traces every frame; at millions of inputs writing those traces
    // would be all the fuzzer does. Warnings and worse still show.
    QLoggingCategory::setFilterRules(QStringLiteral("telvor.*.debug=false"));
    {
        // Qt and the libraries below it (fontconfig, the platform plugin) make
        // allocations at start-up that they never free. Only these are hidden
        // from the leak checker; everything an input causes is checked.
        __lsan::ScopedDisabler startUp;
        new QApplication(*argc, *argv);
        initIcons();

        // Build Qt's lazy caches (style, fonts, icons, backing stores) once.
        TransparentConfig page;
        page.SetUSBSettings(true);
        page.show();
        StaticIpConfig network(CommSettings::USB);
        network.show();
        DevInfo info(QList<QByteArray>{"1", "2"});
        info.show();
        QMessageBox box(QMessageBox::Warning, QStringLiteral("Uyarı !"), QStringLiteral("ç ğ ı ö ş ü"));
        box.show();
        QCoreApplication::processEvents();
        box.close();
        info.close();
        network.close();
        page.close();
        runDeferredDeletes();
    }
}

void runDeferredDeletes()
{
    // Called outside any event loop, so every pending deleteLater is due.
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

void runPostedEvents()
{
    QCoreApplication::sendPostedEvents();
}

OffScreen::OffScreen(const QMetaObject &windowClass) : m_class(windowClass)
{
    qApp->installEventFilter(this);
}

OffScreen::~OffScreen()
{
    qApp->removeEventFilter(this);
}

bool OffScreen::eventFilter(QObject *watched, QEvent *event)
{
    // Most events go to the windows' children: a flag test turns them away
    // before the class test, which walks the class chain.
    if (watched->isWidgetType() && static_cast<QWidget *>(watched)->isWindow() && m_class.cast(watched)) {
        auto *window = static_cast<QWidget *>(watched);
        if (!window->testAttribute(Qt::WA_DontShowOnScreen)) {
            // Its first event: the window is being built.
            if (window->testAttribute(Qt::WA_WState_Created))
                fail("a window reached the screen before its first event", m_class.className());
            window->setAttribute(Qt::WA_DontShowOnScreen);
            ++m_alive;
            connect(window, &QObject::destroyed, this, [this] { --m_alive; });
        }
    }
    return QObject::eventFilter(watched, event);
}

void fail(const char *what, const QByteArray &detail)
{
    std::fprintf(stderr, "\n*** broken invariant: %s\n*** %s\n", what, detail.constData());
    std::abort();
}

ModalWatch::ModalWatch()
{
    qApp->installEventFilter(this);
}

ModalWatch::~ModalWatch()
{
    qApp->removeEventFilter(this);
}

bool ModalWatch::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::Show) {
        auto *dialog = qobject_cast<QDialog *>(watched);
        if (dialog && dialog->isModal()) {
            const auto *box = qobject_cast<QMessageBox *>(dialog);
            boxes << dialog->windowTitle() + QStringLiteral(": ") + (box ? box->text() : QString());
            // Dismissed from the box's own event loop, as a user would.
            QMetaObject::invokeMethod(
                dialog, [dialog] { dialog->done(QDialog::Rejected); }, Qt::QueuedConnection);
        }
    }
    return QObject::eventFilter(watched, event);
}

FormState::FormState(QWidget *root)
{
    // Grouped by kind, in a fixed order; the spin boxes' own line edits are
    // covered by their spin box, so only named line edits count.
    for (QComboBox *box : root->findChildren<QComboBox *>())
        m_widgets << box;
    m_combos = m_widgets.size();
    for (QSpinBox *box : root->findChildren<QSpinBox *>())
        m_widgets << box;
    m_spins = m_widgets.size();
    for (QLineEdit *edit : root->findChildren<QLineEdit *>()) {
        if (!edit->objectName().isEmpty())
            m_widgets << edit;
    }
    m_edits = m_widgets.size();
    for (QCheckBox *box : root->findChildren<QCheckBox *>())
        m_widgets << box;
}

FormState::Values FormState::read() const
{
    Values values(m_widgets.size());
    for (int i = 0; i < m_widgets.size(); ++i) {
        Value &v = values[i];
        QWidget *widget = m_widgets.at(i);
        v.enabled = widget->isEnabled();
        if (i < m_combos) {
            v.number = static_cast<QComboBox *>(widget)->currentIndex();
        } else if (i < m_spins) {
            const auto *box = static_cast<QSpinBox *>(widget);
            v.number = box->value();
            v.minimum = box->minimum();
            v.maximum = box->maximum();
            v.text = box->suffix();
        } else if (i < m_edits) {
            v.text = static_cast<QLineEdit *>(widget)->text();
        } else {
            v.number = static_cast<QCheckBox *>(widget)->checkState();
        }
    }
    return values;
}

void FormState::restore(const Values &values) const
{
    for (int i = 0; i < m_widgets.size() && i < values.size(); ++i) {
        const Value &v = values.at(i);
        QWidget *widget = m_widgets.at(i);
        if (i < m_combos) {
            static_cast<QComboBox *>(widget)->setCurrentIndex(v.number);
        } else if (i < m_spins) {
            auto *box = static_cast<QSpinBox *>(widget);
            box->setRange(v.minimum, v.maximum);
            box->setSuffix(v.text);
            box->setValue(v.number);
        } else if (i < m_edits) {
            static_cast<QLineEdit *>(widget)->setText(v.text);
        } else {
            static_cast<QCheckBox *>(widget)->setCheckState(Qt::CheckState(v.number));
        }
    }
    // Enabled states last: the handlers above may have switched some.
    for (int i = 0; i < m_widgets.size() && i < values.size(); ++i)
        m_widgets.at(i)->setEnabled(values.at(i).enabled);
}

QByteArray FormState::describe(const Values &a, const Values &b) const
{
    QStringList lines;
    for (int i = 0; i < m_widgets.size() && i < b.size(); ++i) {
        if (i < a.size() && a.at(i) == b.at(i))
            continue;
        const Value &v = b.at(i);
        lines << QStringLiteral("%1=%2 [%3..%4] '%5'%6")
                     .arg(m_widgets.at(i)->objectName())
                     .arg(v.number)
                     .arg(v.minimum)
                     .arg(v.maximum)
                     .arg(v.text, v.enabled ? QString() : QStringLiteral(" disabled"));
    }
    return lines.join(QLatin1Char('\n')).toUtf8();
}

} // namespace FuzzSupport
