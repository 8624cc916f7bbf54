// The network window with whatever a device may send as its network record:
// ReadNetworkCfg fills the window, then the user presses Apply (and, as the
// input chooses, first flips the DHCP box or presses Read).
//
// Input: byte 0 chooses the route the window was opened on (bits 0-1: 0
// configuration service, 1 USB, 2 RS-232 data port, 3 RS-485 data port),
// whether DHCP is flipped before Apply (bit 2) and whether Read is pressed
// (bit 3). The rest is the record as the reply handler hands it over: the
// bytes after the first "=" of a READ_NETWORKCFG reply, line end removed.
//
// What the window may send, checked against the record itself:
// - Read: exactly AT+READ_NETWORKCFG CR LF.
// - Apply on the configuration service: nothing (the window only shows).
// - Apply elsewhere: one AT+WRITE_NETWORKCFG frame of 21 decimal values (the
//   static flag, then twenty octets of 0-255) and CR LF, or nothing and one
//   warning box when the record put something other than a dotted address
//   into an entry. A record of exactly 22 values is sent back octet for
//   octet; any other record leaves the window as it opened (DHCP off, every
//   address 0.0.0.0). The static flag reads as a signed 32-bit number, and
//   anything else as 0 (DHCP).
//
// One window per route is built once and reused: after every input it is put
// back to the state it opened with, and a window that does not come back to
// that state is a finding too, since the next input would not start where a
// newly opened window starts. The windows stay hidden: nothing they do
// depends on being shown, and the warning box opens over a hidden parent as
// it does over a shown one. The box itself is shown but kept off the screen
// (FuzzSupport::OffScreen): only its text is checked.

#include "fuzzsupport.h"

#include "commsettings.h"
#include "staticipconfig.h"

#include <QAbstractButton>
#include <QCheckBox>
#include <QMessageBox>

#include <cstddef>
#include <cstdint>
#include <memory>

namespace {

const CommSettings::eRoute_t Routes[] = {CommSettings::TCP, CommSettings::USB, CommSettings::TCP232,
                                         CommSettings::TCP485};

bool allDigits(const QByteArray &text)
{
    for (char c : text) {
        if (c < '0' || c > '9')
            return false;
    }
    return !text.isEmpty();
}

bool isOctet(const QByteArray &text)
{
    return text.size() <= 3 && allDigits(text) && text.toInt() <= 255;
}

// The static flag as the protocol reads it: a base-10 signed 32-bit number,
// anything else counting as 0. Non-zero means a static address.
bool isStatic(const QByteArray &field)
{
    const QByteArray digits = field.startsWith('+') || field.startsWith('-') ? field.mid(1) : field;
    if (!allDigits(digits))
        return false;
    bool ok = false;
    const qlonglong value = field.toLongLong(&ok);
    return ok && value >= -2147483648LL && value <= 2147483647LL && value != 0;
}

// The frame Apply must send for this record, or an empty array when it must
// refuse (an entry that is not a dotted address). An entry shows its group's
// four octets joined by dots, up to the first NUL byte (text taken from bytes
// ends there).
QByteArray expectedWrite(const QByteArray &record, bool flipDhcp)
{
    const QList<QByteArray> values = record.split(',');
    bool staticAddress = true;
    QList<QByteArray> groups;
    if (values.size() == 22) {
        staticAddress = isStatic(values.at(1));
        for (int group = 0; group < 5; ++group) {
            QByteArray text = values.mid(2 + 4 * group, 4).join('.');
            const int nul = text.indexOf('\0');
            groups << (nul < 0 ? text : text.left(nul));
        }
    } else {
        // Not a network record: the window keeps what it opened with.
        for (int group = 0; group < 5; ++group)
            groups << "0.0.0.0";
    }
    QList<QByteArray> octets;
    for (const QByteArray &group : groups) {
        const QList<QByteArray> parts = group.split('.');
        if (parts.size() != 4)
            return QByteArray();
        for (const QByteArray &octet : parts) {
            if (!isOctet(octet))
                return QByteArray();
            octets << octet;
        }
    }
    if (flipDhcp)
        staticAddress = !staticAddress;
    QByteArray frame = "AT+WRITE_NETWORKCFG=" + QByteArray(staticAddress ? "1" : "0");
    for (const QByteArray &octet : octets)
        frame += ',' + octet;
    return frame + "\r\n";
}

struct ReusedWindow
{
    std::unique_ptr<StaticIpConfig> window;
    std::unique_ptr<FuzzSupport::FormState> state;
    FuzzSupport::FormState::Values opened;
    QAbstractButton *read = nullptr, *apply = nullptr;
    QCheckBox *dhcp = nullptr;
    QList<QByteArray> sent;
    int closings = 0;
};

int windowsBuilt = 0;

ReusedWindow &windowFor(int index)
{
    static ReusedWindow windows[4];
    ReusedWindow &w = windows[index];
    if (!w.window) {
        ++windowsBuilt;
        w.window = std::make_unique<StaticIpConfig>(Routes[index]);
        w.state = std::make_unique<FuzzSupport::FormState>(w.window.get());
        w.opened = w.state->read();
        w.read = w.window->findChild<QAbstractButton *>(QStringLiteral("pushButton_Read"));
        w.apply = w.window->findChild<QAbstractButton *>(QStringLiteral("pushButton_Apply"));
        w.dhcp = w.window->findChild<QCheckBox *>(QStringLiteral("checkBox_Dhcp"));
        FUZZ_CHECK(w.read && w.apply && w.dhcp, "the network window lacks a button");
        ReusedWindow *self = &w;
        QObject::connect(w.window.get(), &StaticIpConfig::WriteData, w.window.get(),
                         [self](const QByteArray &frame) { self->sent << frame; });
        QObject::connect(w.window.get(), &StaticIpConfig::Close_StaticIpConfigWindow, w.window.get(),
                         [self] { ++self->closings; });
    }
    w.sent.clear();
    w.closings = 0;
    return w;
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int *argc, char ***argv)
{
    FuzzSupport::startApplication(argc, argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    if (size < 1)
        return 0;
    const CommSettings::eRoute_t route = Routes[data[0] & 3];
    const bool flipDhcp = (data[0] & 4) != 0;
    const bool pressRead = (data[0] & 8) != 0;
    const QByteArray record(reinterpret_cast<const char *>(data) + 1, int(size - 1));

    FuzzSupport::ModalWatch modal;
    static FuzzSupport::OffScreen boxes(QMessageBox::staticMetaObject);
    ReusedWindow &w = windowFor(data[0] & 3);
    StaticIpConfig *window = w.window.get();
    const QList<QByteArray> &sent = w.sent;
    const int &closings = w.closings;

    window->ReadNetworkCfg(record);
    if (pressRead) {
        w.read->click();
        FUZZ_CHECK(sent == QList<QByteArray>{"AT+READ_NETWORKCFG\r\n"}, sent.value(0));
        w.sent.clear();
    }
    if (flipDhcp)
        w.dhcp->click();
    w.apply->click();

    if (route == CommSettings::TCP) {
        FUZZ_CHECK(sent.isEmpty(), sent.value(0));
        FUZZ_CHECK(modal.boxes.isEmpty(), modal.boxes.join(QLatin1Char('\n')).toUtf8());
    } else {
        const QByteArray expected = expectedWrite(record, flipDhcp);
        if (expected.isEmpty()) {
            FUZZ_CHECK(sent.isEmpty(), sent.value(0));
            FUZZ_CHECK(modal.boxes.size() == 1, modal.boxes.join(QLatin1Char('\n')).toUtf8());
            FUZZ_CHECK(closings == 0, record);
        } else {
            FUZZ_CHECK(sent == QList<QByteArray>{expected}, sent.value(0) + " instead of " + expected);
            FUZZ_CHECK(modal.boxes.isEmpty(), modal.boxes.join(QLatin1Char('\n')).toUtf8());
            FUZZ_CHECK(closings == 1, record);
        }
    }

    // Back to the state the window opened with, for the next input.
    w.state->restore(w.opened);
    const FuzzSupport::FormState::Values now = w.state->read();
    FUZZ_CHECK(now == w.opened, "the reused window did not return to its opening state:\n" +
                                    w.state->describe(w.opened, now));
    FuzzSupport::runDeferredDeletes();
    FUZZ_CHECK(FuzzSupport::countTopLevel<StaticIpConfig>() == windowsBuilt,
               "a network window was deleted, or another one left behind");
    return 0;
}
