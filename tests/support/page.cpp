#include "page.h"

#include "transparentconfig.h"

#include <QAbstractButton>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QSpinBox>

namespace Driver {

bool Control::operator==(const Control &other) const
{
    return Page::nameOf(*this) == Page::nameOf(other);
}

QString Page::nameOf(Setting setting, Port port)
{
    const QString number = port == Port::Rs485 ? QStringLiteral("485") : QStringLiteral("232");
    switch (setting) {
    case Setting::Enable:
        return QStringLiteral("comboBox_Enable_") + number;
    case Setting::TcpPort:
        return QStringLiteral("spinBox_Port_") + number;
    case Setting::EthTimeout:
        return QStringLiteral("spinBox_EthTimeout_") + number;
    case Setting::ModbusTimeout:
        return QStringLiteral("spinBox_ModbusTimeout_") + number;
    case Setting::Mode:
        return QStringLiteral("comboBox_Mod_") + number;
    case Setting::DataBits:
        return QStringLiteral("comboBox_Datab_") + number;
    case Setting::Parity:
        return QStringLiteral("comboBox_Parityb_") + number;
    case Setting::StopBits:
        return QStringLiteral("comboBox_Stopb_") + number;
    case Setting::Baud:
        return QStringLiteral("comboBox_Baud_") + number;
    case Setting::SilentInterval:
        return QStringLiteral("spinBox_SilentInterval_") + number;
    case Setting::RetryCount:
        return QStringLiteral("spinBox_RetryCount_") + number;
    case Setting::CommandInterval:
        return QStringLiteral("spinBox_IntervalTime_") + number;
    case Setting::PingInterval:
        return QStringLiteral("spinBox_%1_Ping_Interval").arg(number);
    case Setting::Header:
        // The form's names of the two titles are the other way round: the
        // RS-485 column's title is label_232Config.
        return port == Port::Rs485 ? QStringLiteral("label_232Config") : QStringLiteral("label_485Config");
    case Setting::Apn:
        return QStringLiteral("lineEdit_APN");
    case Setting::ApnLabel:
        return QStringLiteral("label_APN");
    case Setting::InfoResponse:
        return QStringLiteral("checkBox_InfoResponse");
    case Setting::RetryCountLabel:
        return QStringLiteral("label_Retry_Count");
    case Setting::CommandIntervalLabel:
        return QStringLiteral("label_Cmd_Interval_Tme");
    case Setting::PingIntervalLabel:
        return QStringLiteral("label_Ping_Interval");
    case Setting::StaticIpButton:
        return QStringLiteral("pushButton_StaticIPConfig");
    case Setting::ReadButton:
        return QStringLiteral("pushButton_ReadConfiguration");
    case Setting::ApplyButton:
        return QStringLiteral("pushButton_ConfigurationApply");
    }
    return QString();
}

Controls Page::serialSettings(Port port, bool withTcpPort)
{
    Controls controls;
    for (Setting setting :
         {Setting::EthTimeout, Setting::ModbusTimeout, Setting::SilentInterval, Setting::Mode,
          Setting::DataBits, Setting::Parity, Setting::StopBits, Setting::Baud})
        controls << Control{setting, port};
    if (withTcpPort)
        controls << Control{Setting::TcpPort, port};
    return controls;
}

Controls Page::gsmValues(Port port)
{
    return {{Setting::RetryCount, port}, {Setting::CommandInterval, port}, {Setting::PingInterval, port}};
}

Page::Page(QWidget &pageOrWindow)
    : m_page(qobject_cast<TransparentConfig *>(&pageOrWindow)
                 ? static_cast<TransparentConfig *>(&pageOrWindow)
                 : pageOrWindow.findChild<TransparentConfig *>())
{
    if (!m_page)
        missingWidget(pageOrWindow, QStringLiteral("configuration page"));
}

QWidget *Page::control(Setting setting, Port port) const
{
    return child<QWidget>(*m_page, nameOf(setting, port));
}

QComboBox *Page::comboBox(Setting setting, Port port) const
{
    return child<QComboBox>(*m_page, nameOf(setting, port));
}

QSpinBox *Page::spinBox(Setting setting, Port port) const
{
    return child<QSpinBox>(*m_page, nameOf(setting, port));
}

QLabel *Page::label(Setting setting, Port port) const
{
    return child<QLabel>(*m_page, nameOf(setting, port));
}

QAbstractButton *Page::button(Setting setting) const
{
    return child<QAbstractButton>(*m_page, nameOf(setting));
}

QLineEdit *Page::apn() const
{
    return child<QLineEdit>(*m_page, nameOf(Setting::Apn));
}

QCheckBox *Page::infoResponse() const
{
    return child<QCheckBox>(*m_page, nameOf(Setting::InfoResponse));
}

int Page::index(Setting setting, Port port) const
{
    return comboBox(setting, port)->currentIndex();
}

QString Page::shown(Setting setting, Port port) const
{
    QWidget *widget = control(setting, port);
    if (auto *combo = qobject_cast<QComboBox *>(widget))
        return QString::number(combo->currentIndex());
    if (auto *spin = qobject_cast<QSpinBox *>(widget))
        return QString::number(spin->value());
    if (auto *edit = qobject_cast<QLineEdit *>(widget))
        return edit->text();
    if (auto *check = qobject_cast<QCheckBox *>(widget))
        return QString::number(check->isChecked());
    return QString();
}

int Page::value(Setting setting, Port port) const
{
    return spinBox(setting, port)->value();
}

void Page::choose(Setting setting, Port port, int index)
{
    comboBox(setting, port)->setCurrentIndex(index);
}

void Page::apply()
{
    button(Setting::ApplyButton)->click();
}

void Page::read()
{
    button(Setting::ReadButton)->click();
}

void Page::openNetworkWindow()
{
    button(Setting::StaticIpButton)->click();
}

bool Page::isEnabled() const
{
    return m_page->isEnabled();
}

QStringList Page::state() const
{
    QStringList state;
    for (const QComboBox *box : m_page->findChildren<QComboBox *>())
        state << box->objectName() + QLatin1Char('=') + QString::number(box->currentIndex());
    for (const QSpinBox *box : m_page->findChildren<QSpinBox *>())
        state << QStringLiteral("%1=%2%3").arg(box->objectName()).arg(box->value()).arg(box->suffix());
    for (const QLineEdit *edit : m_page->findChildren<QLineEdit *>()) {
        if (!edit->objectName().isEmpty())
            state << edit->objectName() + QLatin1Char('=') + edit->text();
    }
    for (const QCheckBox *box : m_page->findChildren<QCheckBox *>())
        state << box->objectName() + QLatin1Char('=') + QString::number(box->checkState());
    return state;
}

} // namespace Driver
