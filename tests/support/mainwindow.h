#pragma once

// The main window's menus and their commands, found by object name.

#include "widgetdriver.h"

class QAction;
class QMenu;

namespace Driver {

// The main window's menu commands.
enum class Command
{
    Restart,
    GetInfo,
    Ping,
    EthernetModel,
    GsmModel
};

// The main window's two menus.
enum class Menu
{
    DeviceCommands, // restart, information, ping
    DeviceSelect    // the two models
};

// The menu command's action in a main window.
QAction *commandAction(const QWidget &mainWindow, Command command);
QMenu *menu(const QWidget &mainWindow, Menu menu);

} // namespace Driver

Q_DECLARE_METATYPE(Driver::Command)
