#pragma once

// The configuration page (TransparentConfig): each port's settings by what
// they are, the page-wide entries and buttons, and the edits a technician
// makes. Works on the page alone or on a window that holds one.

#include "widgetdriver.h"

#include <QList>
#include <QString>
#include <QStringList>

class QAbstractButton;
class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QSpinBox;
class TransparentConfig;

namespace Driver {

// The page's two serial ports.
enum class Port
{
    Rs485,
    Rs232
};

// What a control of the page is for. The first group exists once per port;
// the rest once on the page, whatever port is named with them.
enum class Setting
{
    Enable,
    TcpPort,
    EthTimeout,
    ModbusTimeout,
    Mode,
    DataBits,
    Parity,
    StopBits,
    Baud,
    SilentInterval,
    RetryCount,
    CommandInterval,
    PingInterval,
    Header, // the column's title over the port's settings
    // once on the page
    Apn,
    ApnLabel,
    InfoResponse,
    RetryCountLabel,
    CommandIntervalLabel,
    PingIntervalLabel,
    StaticIpButton,
    ReadButton,
    ApplyButton,
};

struct Control
{
    Setting setting;
    Port port = Port::Rs485;
    bool operator==(const Control &other) const;
};
using Controls = QList<Control>;

// One edit of a control: a value typed into a spin box or the APN, an index
// chosen in a combo box, "1" or "0" for the check box.
struct Edit
{
    Setting setting;
    Port port;
    QString value;
};
using Edits = QList<Edit>;

class Page
{
public:
    static QString nameOf(Setting setting, Port port = Port::Rs485);
    static QString nameOf(const Control &control) { return nameOf(control.setting, control.port); }
    static Port otherPort(Port port) { return port == Port::Rs485 ? Port::Rs232 : Port::Rs485; }
    // A port's serial settings: the timeouts, mode, framing, baud rate and
    // silent interval, and with withTcpPort its TCP port.
    static Controls serialSettings(Port port, bool withTcpPort);
    // A port's settings that only the GSM record carries: retry count,
    // command interval and ping interval.
    static Controls gsmValues(Port port);

    explicit Page(QWidget &pageOrWindow);
    TransparentConfig *widget() const { return m_page; }

    QWidget *control(Setting setting, Port port = Port::Rs485) const;
    QWidget *control(const Control &c) const { return control(c.setting, c.port); }
    QComboBox *comboBox(Setting setting, Port port) const;
    QSpinBox *spinBox(Setting setting, Port port) const;
    QLabel *label(Setting setting, Port port = Port::Rs485) const;
    QAbstractButton *button(Setting setting) const;
    QLineEdit *apn() const;
    QCheckBox *infoResponse() const;

    int index(Setting setting, Port port) const;
    // What the control shows as an Edit would set it: a combo box's index, a
    // spin box's value, a line edit's text, 1 or 0 for the check box.
    QString shown(Setting setting, Port port = Port::Rs485) const;
    int value(Setting setting, Port port) const;
    int baud(Port port) const { return index(Setting::Baud, port); }

    // Sets a combo box as a device record or a program does (no keys).
    void choose(Setting setting, Port port, int index);
    void setBaud(Port port, int index) { choose(Setting::Baud, port, index); }
    // Types into a spin box or the APN: keys only, the focus not moved first.
    void retype(Setting setting, Port port, const QString &text);

    // A user's edit: spin boxes and the APN are typed into, combo boxes moved
    // with the arrow keys (set directly when locked, as a device record
    // does), the check box toggled with the space bar. Records a test
    // failure (QTest) when the edit cannot be made.
    void edit(const Edit &edit);

    // The page's three buttons, pressed as a program does (click()).
    void apply();
    void read();
    void openNetworkWindow();
    // The same with a mouse click.
    void clickApply();
    void click(Setting buttonSetting);
    bool isEnabled() const;

    // What the page shows: every combo box, spin box, line edit and check
    // box, as "objectName=value".
    QStringList state() const;

private:
    TransparentConfig *m_page;
};

} // namespace Driver

Q_DECLARE_METATYPE(Driver::Port)
Q_DECLARE_METATYPE(Driver::Control)
Q_DECLARE_METATYPE(Driver::Controls)
Q_DECLARE_METATYPE(Driver::Edit)
Q_DECLARE_METATYPE(Driver::Edits)
