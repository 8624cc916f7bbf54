// reply_to_screen: the time the reply handler takes to check, identify and
// apply one complete reply to the live page of a shown main window
// (offscreen), per kind of reply, against the time the same reply takes on
// the wire at 115200 baud.
//
// Each kind alternates between two replies that differ in every value, so
// every reply really moves the widgets (re-applying an unchanged record would
// be cheaper than any read the user makes). After each reply the event loop
// runs once, outside the timed part, as it does between two replies in the
// tool: the repaint the reply caused happens there, and is reported on its
// own for the GSM record, with how many repaint passes a record causes.
//
// The GSM record is judged against a floor measured in the same run: the
// page's widgets set to the same record's values with plain setters (the
// values taken from the widgets once the tool has shown each record, so no
// parsing and no page rule runs; signals blocked), and the repaint that
// causes. Floor samples alternate with the tool's, every one of them moving
// every widget. Targets (medians): the tool within 1.3x of the floor, and
// within 1.3x with the repaint. The absolute figures against the wire time
// are printed beside them, without a target: they move with the machine.
//
//   reply_to_screen [--samples N] [--only TEXT] [--tsv]
//
// --only keeps the kinds whose name holds TEXT (for a profiler run).

#include "benchsupport.h"

#include "commsettings.h"
#include "devicemodel.h"
#include "networkwindow.h"
#include "page.h"
#include "staticipconfig.h"
#include "telvorconfigurator.h"
#include "transparentconfig.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QSignalBlocker>
#include <QSpinBox>
#include <QStatusBar>

namespace {

constexpr int WireBaud = 115200;
// The GSM port record against plain setters of the same widgets, without
// and with the repaint.
constexpr double TargetAgainstSetters = 1.3;

enum class Route
{
    Ethernet,
    DataPort
};

struct Case
{
    QString figure;
    Route route;
    QByteArray a, b; // alternated
    TransparentConfig::TrpErr_t expected;
    bool networkWindow;
    bool carriesTarget;
};

// Replies typed out as the device sends them. Ethernet port record: 11 values
// for RS-485, 11 for RS-232, the information response. GSM port record: 14
// values a port (the Ethernet eleven, retry count, command interval in ms,
// ping interval in s), the APN, the information response.
const QByteArray EthernetRecordA =
    QByteArrayLiteral("+READALL=1,10502,0,8,0,1,7,8,400,1000,60,1,10503,4,8,2,2,5,16,800,2000,120,1\r\n");
const QByteArray EthernetRecordB =
    QByteArrayLiteral("+READALL=1,4001,3,7,1,2,9,20,1200,3000,30,1,4002,1,7,1,1,3,32,1500,500,10,0\r\n");
const QByteArray GsmRecordA = QByteArrayLiteral(
    "+READALL=1,10502,0,8,0,1,7,8,400,1000,60,3,5000,120,1,10503,4,8,2,2,5,16,800,2000,120,2,4000,300,"
    "iot.telvor.example,1\r\n");
const QByteArray GsmRecordB = QByteArrayLiteral(
    "+READALL=1,4001,3,7,1,2,9,20,1200,3000,30,0,800,600,1,4002,1,7,1,1,3,32,1500,500,10,5,10000,7200,"
    "apn.example,0\r\n");
const QByteArray NetworkRecordA = QByteArrayLiteral(
    "+READ_NETWORKCFG=00:1A:2B:3C:4D:5E,1,192,168,1,100,255,255,255,0,192,168,1,1,8,8,8,8,8,8,4,4\r\n");
const QByteArray NetworkRecordB = QByteArrayLiteral(
    "+READ_NETWORKCFG=00:1A:2B:3C:4D:5F,0,10,0,0,200,255,0,0,0,10,0,0,1,1,1,1,1,9,9,9,9\r\n");
const QByteArray Acknowledgement = QByteArrayLiteral("+OK\r\n");
const QByteArray DeviceError = QByteArrayLiteral("+ERR=5\r\n");
// The GSM record without its leading "+": refused by the frame check.
const QByteArray NotAReply = GsmRecordA.mid(1);

// Counts the events of one type a single object receives (an event filter
// on that object alone, so that no other event pays for it).
class EventTally : public QObject
{
public:
    EventTally(QObject *target, QEvent::Type type) : m_type(type) { target->installEventFilter(this); }
    int count = 0;

protected:
    bool eventFilter(QObject *, QEvent *event) override
    {
        if (event->type() == m_type)
            ++count;
        return false;
    }

private:
    QEvent::Type m_type;
};

// What a record leaves on one widget of the page, as plain setters give it.
struct WidgetState
{
    QWidget *widget = nullptr;
    bool enabled = false;
    int index = -1;              // combo box
    int value = 0, min = 0, max = 0; // spin box
    QString text;                // line edit; spin box suffix
    bool checked = false;        // check box
};

QList<WidgetState> snapshot(QWidget *page)
{
    QList<WidgetState> states;
    for (QWidget *widget : page->findChildren<QWidget *>()) {
        if (widget->objectName().startsWith(QLatin1String("qt_")))
            continue;
        WidgetState state;
        state.widget = widget;
        state.enabled = widget->isEnabled();
        if (auto *combo = qobject_cast<QComboBox *>(widget)) {
            state.index = combo->currentIndex();
        } else if (auto *spin = qobject_cast<QSpinBox *>(widget)) {
            state.value = spin->value();
            state.min = spin->minimum();
            state.max = spin->maximum();
            state.text = spin->suffix();
        } else if (auto *edit = qobject_cast<QLineEdit *>(widget)) {
            state.text = edit->text();
        } else if (auto *check = qobject_cast<QCheckBox *>(widget)) {
            state.checked = check->isChecked();
        } else {
            continue;
        }
        states.append(state);
    }
    return states;
}

// The floor: every widget set to its state with plain setters and its
// signals blocked, so that none of the page's rules runs.
void applyPlain(const QList<WidgetState> &states)
{
    for (const WidgetState &state : states) {
        const QSignalBlocker blocker(state.widget);
        if (state.widget->isEnabled() != state.enabled)
            state.widget->setEnabled(state.enabled);
        if (auto *combo = qobject_cast<QComboBox *>(state.widget)) {
            combo->setCurrentIndex(state.index);
        } else if (auto *spin = qobject_cast<QSpinBox *>(state.widget)) {
            if (spin->minimum() != state.min || spin->maximum() != state.max)
                spin->setRange(state.min, state.max);
            if (spin->suffix() != state.text)
                spin->setSuffix(state.text);
            spin->setValue(state.value);
        } else if (auto *edit = qobject_cast<QLineEdit *>(state.widget)) {
            edit->setText(state.text);
        } else if (auto *check = qobject_cast<QCheckBox *>(state.widget)) {
            check->setChecked(state.checked);
        }
    }
}

// Proves that the measured path applied the reply: values read back from the
// widgets against the values typed into reply A.
void checkApplied(const Case &c, TelvorConfigurator &window, StaticIpConfig &network)
{
    using Driver::Port;
    using Driver::Setting;
    bool ok = true;
    if (c.a == GsmRecordA || c.a == EthernetRecordA) {
        const Driver::Page page(window);
        ok = page.value(Setting::TcpPort, Port::Rs485) == 10502 &&
             page.value(Setting::TcpPort, Port::Rs232) == 10503 && page.baud(Port::Rs485) == 7 &&
             page.index(Setting::Mode, Port::Rs232) == 4 && page.infoResponse()->isChecked();
        if (c.a == GsmRecordA)
            ok = ok && page.apn()->text() == QLatin1String("iot.telvor.example");
    } else if (c.a == NetworkRecordA) {
        const Driver::NetworkWindow driver(network);
        ok = driver.text(Driver::NetworkWindow::Address) == QLatin1String("192.168.1.100") &&
             driver.text(Driver::NetworkWindow::Dns2) == QLatin1String("8.8.4.4");
    } else if (c.a == Acknowledgement) {
        ok = window.statusBar()->currentMessage() == QLatin1String("Successfully written");
    } else if (c.a == DeviceError) {
        ok = window.statusBar()->currentMessage() == QLatin1String("Receive_Callback Error : 5");
    }
    if (!ok)
        Bench::fail(QStringLiteral("%1: the reply did not reach the screen as sent").arg(c.figure));
}

} // namespace

int main(int argc, char *argv[])
{
#if QT_VERSION < QT_VERSION_CHECK(6, 0, 0)
    QCoreApplication::setAttribute(Qt::AA_EnableHighDpiScaling);
#endif
    QApplication app(argc, argv);
    Bench::prepareRun(QStringLiteral("reply_to_screen"));
    Q_INIT_RESOURCE(Icons);

    const int samples = Bench::intArgument(QStringLiteral("samples"), 1500);
    const int warmup = 100;

    TelvorConfigurator window(nullptr, eEthernetModem);
    Bench::showExposed(window, QStringLiteral("the main window"));
    auto *page = Driver::Page(window).widget();
    page->setEnabled(true);

    StaticIpConfig network(CommSettings::TCP);
    Bench::showExposed(network, QStringLiteral("the network window"));

    const QList<Case> cases = {
        {QStringLiteral("Ethernet port record"), Route::Ethernet, EthernetRecordA, EthernetRecordB,
         TransparentConfig::err_OK, false, false},
        {QStringLiteral("network record, window open"), Route::Ethernet, NetworkRecordA, NetworkRecordB,
         TransparentConfig::err_OK, true, false},
        {QStringLiteral("acknowledgement +OK"), Route::Ethernet, Acknowledgement, Acknowledgement,
         TransparentConfig::err_OK, false, false},
        {QStringLiteral("device error +ERR=5"), Route::Ethernet, DeviceError, DeviceError,
         TransparentConfig::err_Unknown, false, false},
        {QStringLiteral("GSM port record"), Route::DataPort, GsmRecordA, GsmRecordB,
         TransparentConfig::err_OK, false, true},
        {QStringLiteral("rejected frame (no leading +)"), Route::DataPort, NotAReply, NotAReply,
         TransparentConfig::err_BeginChr, false, false},
    };

    Bench::Table table;
    const QString only = Bench::stringArgument(QStringLiteral("only"));
    for (const Case &c : cases) {
        if (!c.figure.contains(only))
            continue;
        if (c.route == Route::Ethernet)
            page->SetETHSettings(true);
        else
            page->Set232Settings(true);

        // Repaint passes of the main window (one per update request to the
        // window, which repaints every widget marked since the last pass) and
        // paint events of the page itself.
        EventTally passes(&window, QEvent::UpdateRequest);
        EventTally pagePaints(page, QEvent::Paint);
        int passesCounted = 0, pagePaintsCounted = 0;
        QVector<double> handler, withRepaint, plain, plainWithRepaint;
        handler.reserve(samples);
        withRepaint.reserve(samples);
        // The floor's widget states: what the tool left on the page for
        // each record, taken during the warm-up.
        QList<WidgetState> states[2];
        // Ends on reply A, which checkApplied reads back.
        const int total = warmup + samples + (samples % 2 ? 0 : 1);
        for (int i = 0; i < total; ++i) {
            const QByteArray &source = i % 2 ? c.b : c.a;
            QByteArray frame(source.constData(), source.size()); // unshared, as read from a socket
            const auto t0 = Bench::Clock::now();
            const TransparentConfig::TrpErr_t result =
                page->Receive_Callback(frame, c.networkWindow ? &network : nullptr);
            const auto t1 = Bench::Clock::now();
            QCoreApplication::processEvents();
            const auto t2 = Bench::Clock::now();
            if (c.carriesTarget && i < 2)
                states[i % 2] = snapshot(page);
            // The floor takes the page back to the previous record and
            // forward again, so that the tool's next record moves every
            // widget as before.
            if (c.carriesTarget && i >= 2) {
                // The repaint passes counted are the tool's alone.
                const int passesBefore = passes.count, pagePaintsBefore = pagePaints.count;
                for (const QList<WidgetState> *target : {&states[(i + 1) % 2], &states[i % 2]}) {
                    const auto f0 = Bench::Clock::now();
                    applyPlain(*target);
                    const auto f1 = Bench::Clock::now();
                    QCoreApplication::processEvents();
                    const auto f2 = Bench::Clock::now();
                    if (i >= warmup) {
                        plain.append(Bench::microsecondsBetween(f0, f1));
                        plainWithRepaint.append(Bench::microsecondsBetween(f0, f2));
                    }
                }
                passes.count = passesBefore;
                pagePaints.count = pagePaintsBefore;
            }
            if (result != c.expected)
                Bench::fail(QStringLiteral("%1: result %2, expected %3")
                                .arg(c.figure, TransparentConfig::TrpErrString[result],
                                     TransparentConfig::TrpErrString[c.expected]));
            if (i >= warmup) {
                handler.append(Bench::microsecondsBetween(t0, t1));
                withRepaint.append(Bench::microsecondsBetween(t0, t2));
            }
            if (i == warmup - 1) {
                passes.count = 0;
                pagePaints.count = 0;
            }
        }
        passesCounted = passes.count;
        pagePaintsCounted = pagePaints.count;
        checkApplied(c, window, network);

        const int bytes = std::max(c.a.size(), c.b.size());
        const double wire = Bench::wireMicroseconds(bytes, WireBaud);
        const double m = Bench::median(handler);
        const double ratio = m / wire;
        table.add({QStringLiteral("reply_to_screen: %1 (%2 B), median").arg(c.figure).arg(bytes),
                   QStringLiteral("%1 (p95 %2)")
                       .arg(Bench::formatMicroseconds(m),
                            Bench::formatMicroseconds(Bench::percentile(handler, 95))),
                   QStringLiteral("wire at 115200: %1").arg(Bench::formatMicroseconds(wire)),
                   Bench::formatPercent(ratio), QStringLiteral("-"), QStringLiteral("-")});
        if (c.carriesTarget) {
            const double mr = Bench::median(withRepaint);
            table.add(
                {QStringLiteral("reply_to_screen: %1 incl. the repaint it causes, median").arg(c.figure),
                 QStringLiteral("%1 (p95 %2)")
                     .arg(Bench::formatMicroseconds(mr),
                          Bench::formatMicroseconds(Bench::percentile(withRepaint, 95))),
                 QStringLiteral("wire at 115200: %1").arg(Bench::formatMicroseconds(wire)),
                 Bench::formatPercent(mr / wire), QStringLiteral("-"), QStringLiteral("-")});
            const double fm = Bench::median(plain), fmr = Bench::median(plainWithRepaint);
            const QString target = QStringLiteral("<= %1").arg(Bench::formatRatio(TargetAgainstSetters));
            table.add({QStringLiteral("reply_to_screen: %1 against plain setters, median").arg(c.figure),
                       Bench::formatMicroseconds(m),
                       QStringLiteral("same widgets, plain setters: %1").arg(Bench::formatMicroseconds(fm)),
                       Bench::formatRatio(m / fm), target, Bench::verdict(m / fm <= TargetAgainstSetters)});
            table.add(
                {QStringLiteral("reply_to_screen: %1 incl. repaint against plain setters incl. repaint, median")
                     .arg(c.figure),
                 Bench::formatMicroseconds(mr),
                 QStringLiteral("same widgets, plain setters: %1").arg(Bench::formatMicroseconds(fmr)),
                 Bench::formatRatio(mr / fmr), target, Bench::verdict(mr / fmr <= TargetAgainstSetters)});
            table.add({QStringLiteral("reply_to_screen: %1, repaint passes and page paints per record").arg(c.figure),
                       QStringLiteral("%1 passes, %2 page paints")
                           .arg(double(passesCounted) / handler.size(), 0, 'f', 2)
                           .arg(double(pagePaintsCounted) / handler.size(), 0, 'f', 2),
                       QStringLiteral("-"), QStringLiteral("-"), QStringLiteral("-"), QStringLiteral("-")});
        }
    }
    table.print();
    return 0;
}
