#pragma once

// The start window (DeviceChoose): the model list and its two buttons.

#include "widgetdriver.h"

class QAbstractButton;
class QComboBox;
class QLabel;

namespace Driver {

class Chooser
{
public:
    explicit Chooser(QWidget &window) : m_window(window) {}

    QWidget &window() const { return m_window; }
    QComboBox *models() const;
    QAbstractButton *continueButton() const;
    QAbstractButton *cancelButton() const;
    // The company picture beside the list.
    QLabel *picture() const;

    // Picks the model by its place in the list (0 the prompt, 1 the Ethernet
    // modem, 2 the GSM modem), as the program does: no keys.
    void chooseModel(int index);
    // Presses the continue button (QAbstractButton::click, no mouse events).
    void pressContinue();
    void pressCancel();

private:
    QWidget &m_window;
};

} // namespace Driver
