'''A StatusNotifierItem watcher with a registered host, for python3-dbusmock
(--template): complete before it answers its first call, as a desktop's is.'''

import dbus

BUS_NAME = 'org.kde.StatusNotifierWatcher'
MAIN_OBJ = '/StatusNotifierWatcher'
MAIN_IFACE = 'org.kde.StatusNotifierWatcher'
SYSTEM_BUS = False


def load(mock, _parameters):
    mock.AddProperties(MAIN_IFACE, {
        'IsStatusNotifierHostRegistered': dbus.Boolean(True),
        'ProtocolVersion': dbus.Int32(0),
    })
    mock.AddMethod(MAIN_IFACE, 'RegisterStatusNotifierItem', 's', '', '')
