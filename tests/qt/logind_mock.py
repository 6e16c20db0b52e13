'''python3-dbusmock's logind, with an Inhibit that keeps no copy of the
descriptor it hands out: the stock one closes its copy only once the mock is
idle, so an inhibitor could outlive its holder's close. Here it ends exactly
when the holder closes its descriptor.'''

import os

import dbus
from gi.repository import GLib
from dbusmock import mockobject
from dbusmock.templates.logind import *  # noqa: F401,F403 pylint: disable=wildcard-import,unused-wildcard-import


@dbus.service.method(MAIN_IFACE, in_signature='ssss', out_signature='h')  # noqa: F405
def Inhibit(_, what, who, why, mode):
    if not hasattr(mockobject, 'inhibitors'):
        mockobject.inhibitors = []
    read_end, write_end = os.pipe()
    inhibitor = (what, who, why, mode, 1000, 123456)
    mockobject.inhibitors.append(inhibitor)

    def dropped(fd, _condition):
        os.close(fd)
        mockobject.inhibitors.remove(inhibitor)
        return False

    # Before any later call: a test's check after its close sees the drop.
    GLib.unix_fd_add_full(GLib.PRIORITY_HIGH, read_end, GLib.IO_HUP, dropped)
    handed = dbus.types.UnixFd(write_end)  # a copy, closed once the reply is sent
    os.close(write_end)
    return handed
