#include "chooser.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QLabel>

namespace Driver {

QComboBox *Chooser::models() const
{
    return child<QComboBox>(m_window, QStringLiteral("comboBox_ChooseDevice"));
}

QAbstractButton *Chooser::continueButton() const
{
    return child<QAbstractButton>(m_window, QStringLiteral("pushButton_Login"));
}

QAbstractButton *Chooser::cancelButton() const
{
    return child<QAbstractButton>(m_window, QStringLiteral("pushButton_Cancel"));
}

QLabel *Chooser::picture() const
{
    return child<QLabel>(m_window, QStringLiteral("label_LoginPic"));
}

void Chooser::chooseModel(int index)
{
    models()->setCurrentIndex(index);
}

void Chooser::pressContinue()
{
    continueButton()->click();
}

void Chooser::pressCancel()
{
    cancelButton()->click();
}

} // namespace Driver
