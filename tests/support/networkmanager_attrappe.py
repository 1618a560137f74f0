'''NetworkManager for the connection tests.

The template of python3-dbusmock, plus calls that put up devices and active
connections the way NetworkManager shows a modem, a tethered phone or a home
network, and take a connection through its states.
'''

import dbus
import dbusmock
from dbusmock import MOCK_IFACE
from dbusmock.templates.networkmanager import *  # noqa: F401,F403 (its calls stay callable)
from dbusmock.templates import networkmanager as nm

BUS_NAME = nm.BUS_NAME
MAIN_OBJ = nm.MAIN_OBJ
SYSTEM_BUS = True
IS_OBJECT_MANAGER = True

DEVICES = '/org/freedesktop/NetworkManager/Devices/'
ACTIVE = '/org/freedesktop/NetworkManager/ActiveConnection/'
IP4 = '/org/freedesktop/NetworkManager/IP4Config/'
IP4_IFACE = 'org.freedesktop.NetworkManager.IP4Config'


def load(mock, parameters):
    nm.load(mock, parameters)


def _append(iface, name, path):
    manager = dbusmock.get_object(nm.MANAGER_OBJ)
    values = manager.Get(iface, name)
    values.append(dbus.ObjectPath(path))
    manager.Set(iface, name, values)


@dbus.service.method(MOCK_IFACE, in_signature='ssuu', out_signature='o')
def AddKwDevice(self, name, interface, device_type, metered):
    path = DEVICES + name
    self.AddObject(path, nm.DEVICE_IFACE, {
        'DeviceType': dbus.UInt32(device_type),
        'Interface': interface,
        'IpInterface': interface,
        'Metered': dbus.UInt32(metered),
        'State': dbus.UInt32(nm.DeviceState.DISCONNECTED),
        'ActiveConnection': dbus.ObjectPath('/'),
        'Ip4Config': dbus.ObjectPath('/'),
    }, [])
    self.object_manager_emit_added(path)
    _append(nm.MANAGER_IFACE, 'Devices', path)
    return path


@dbus.service.method(MOCK_IFACE, in_signature='ssou', out_signature='o')
def AddKwActive(self, name, conn_type, device, state):
    path = ACTIVE + name
    self.AddObject(path, nm.ACTIVE_CONNECTION_IFACE, {
        'Id': name,
        'Type': conn_type,
        'Uuid': name,
        'Devices': dbus.Array([dbus.ObjectPath(device)], signature='o'),
        'State': dbus.UInt32(state),
        'Ip4Config': dbus.ObjectPath('/'),
        'Vpn': False,
    }, [])
    self.object_manager_emit_added(path)
    _append(nm.MANAGER_IFACE, 'ActiveConnections', path)
    return path


@dbus.service.method(MOCK_IFACE, in_signature='ous', out_signature='')
def SetKwActiveState(self, path, state, address):
    active = dbusmock.get_object(path)
    if address:
        ip4 = IP4 + path.rsplit('/', 1)[1]
        if ip4 not in dbusmock.get_objects():
            self.AddObject(ip4, IP4_IFACE, {
                'AddressData': dbus.Array([dbus.Dictionary({
                    'address': dbus.String(address, variant_level=1),
                    'prefix': dbus.UInt32(32, variant_level=1)}, signature='sv')], signature='a{sv}'),
            }, [])
            self.object_manager_emit_added(ip4)
        active.Set(nm.ACTIVE_CONNECTION_IFACE, 'Ip4Config', dbus.ObjectPath(ip4))
    active.Set(nm.ACTIVE_CONNECTION_IFACE, 'State', dbus.UInt32(state))
    active.EmitSignal(nm.ACTIVE_CONNECTION_IFACE, 'StateChanged', 'uu', [dbus.UInt32(state), dbus.UInt32(0)])


@dbus.service.method(MOCK_IFACE, in_signature='o', out_signature='')
def RemoveKwActive(self, path):
    manager = dbusmock.get_object(nm.MANAGER_OBJ)
    values = manager.Get(nm.MANAGER_IFACE, 'ActiveConnections')
    values.remove(dbus.ObjectPath(path))
    manager.Set(nm.MANAGER_IFACE, 'ActiveConnections', values)
    self.object_manager_emit_removed(path)
    self.RemoveObject(path)


@dbus.service.method(MOCK_IFACE, in_signature='s', out_signature='')
def SetKwNestedActive(self, path):
    '''ActiveConnections of the wrong type: an array of arrays of paths.'''
    manager = dbusmock.get_object(nm.MANAGER_OBJ)
    manager.Set(nm.MANAGER_IFACE, 'ActiveConnections',
                dbus.Array([dbus.Array([dbus.ObjectPath(path)], signature='o')], signature='ao'))


STATS_IFACE = 'org.freedesktop.NetworkManager.Device.Statistics'


@dbus.service.method(MOCK_IFACE, in_signature='ott', out_signature='')
def SetKwStatistics(self, path, rx, tx):
    device = dbusmock.get_object(path)
    if STATS_IFACE not in device.props:
        device.AddProperties(STATS_IFACE, {
            'RefreshRateMs': dbus.UInt32(0),
            'RxBytes': dbus.UInt64(rx),
            'TxBytes': dbus.UInt64(tx),
        })
        return
    device.Set(STATS_IFACE, 'RxBytes', dbus.UInt64(rx))
    device.Set(STATS_IFACE, 'TxBytes', dbus.UInt64(tx))
