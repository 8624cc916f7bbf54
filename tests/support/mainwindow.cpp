#include "mainwindow.h"

#include <QAction>
#include <QMenu>

namespace Driver {

QAction *commandAction(const QWidget &mainWindow, Command command)
{
    switch (command) {
    case Command::Restart:
        return child<QAction>(mainWindow, QStringLiteral("actionRESTART_DEVICE"));
    case Command::GetInfo:
        return child<QAction>(mainWindow, QStringLiteral("actionGET_INFO"));
    case Command::Ping:
        return child<QAction>(mainWindow, QStringLiteral("actionPING"));
    case Command::EthernetModel:
        return child<QAction>(mainWindow, QStringLiteral("actionEthernet_Modem"));
    case Command::GsmModel:
        break;
    }
    return child<QAction>(mainWindow, QStringLiteral("actionGSM_Modem"));
}

QMenu *menu(const QWidget &mainWindow, Menu menu)
{
    return child<QMenu>(mainWindow, menu == Menu::DeviceCommands ? QStringLiteral("menuDeviceCommands")
                                                                 : QStringLiteral("menuDevice_Select"));
}

} // namespace Driver
