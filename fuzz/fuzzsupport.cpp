#include "fuzzsupport.h"

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

static void quietMessages(QtMsgType type, const QMessageLogContext &, const QString &message)
{
    // The reply handler writes every frame to the debug log; at millions of
    // inputs that is all the fuzzer would do. Warnings and worse still show.
    if (type == QtDebugMsg || type == QtInfoMsg)
        return;
    // The offscreen platform says this for every window shown.
    if (message == QLatin1String("This plugin does not support propagateSizeHints()"))
        return;
    std::fprintf(stderr, "%s\n", message.toLocal8Bit().constData());
    if (type == QtFatalMsg)
        std::abort();
}

void startApplication(int *argc, char ***argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    qInstallMessageHandler(quietMessages);
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

QStringList snapshot(const QWidget *root)
{
    QStringList state;
    for (const QComboBox *box : root->findChildren<QComboBox *>())
        state << box->objectName() + QLatin1Char('=') + QString::number(box->currentIndex());
    for (const QSpinBox *box : root->findChildren<QSpinBox *>())
        state << QStringLiteral("%1=%2 [%3..%4]%5")
                     .arg(box->objectName())
                     .arg(box->value())
                     .arg(box->minimum())
                     .arg(box->maximum())
                     .arg(box->suffix());
    for (const QLineEdit *edit : root->findChildren<QLineEdit *>()) {
        // The spin boxes' own line edits are covered above.
        if (!edit->objectName().isEmpty())
            state << edit->objectName() + QLatin1Char('=') + edit->text();
    }
    for (const QCheckBox *box : root->findChildren<QCheckBox *>())
        state << box->objectName() + QLatin1Char('=') + QString::number(box->checkState());
    return state;
}

} // namespace FuzzSupport
