// SPDX-License-Identifier: GPL-3.0-or-later
#include "pedals/PedalMonitor.h"

#include "pedals/KeyPedalDevice.h"
#include "pedals/PedalDevice.h"
#include "pedals/PedalLog.h"

#include <QFile>
#include <QSocketNotifier>

#include <libudev.h>

#include <cerrno>
#include <cstring>
#include <fcntl.h>

Q_LOGGING_CATEGORY(lcPedals, "murmelvox.pedals")

namespace {

// The model of a raw HID device from its HID parent's id ("0003:000005F3:000000FF":
// bus, vendor, product), which USB and virtual devices alike carry.
const PedalModel *ModelOf(udev_device *hidraw)
{
    udev_device *hid = udev_device_get_parent_with_subsystem_devtype(hidraw, "hid", nullptr);
    const char *id = hid ? udev_device_get_property_value(hid, "HID_ID") : nullptr;
    if (!id)
        return nullptr;
    const QList<QByteArray> parts = QByteArray(id).split(':');
    if (parts.size() != 3)
        return nullptr;
    bool vendorOk = false, productOk = false;
    const uint vendor = parts[1].toUInt(&vendorOk, 16);
    const uint product = parts[2].toUInt(&productOk, 16);
    if (!vendorOk || !productOk || vendor > 0xffff || product > 0xffff)
        return nullptr;
    return findPedalModel(std::uint16_t(vendor), std::uint16_t(product));
}

// The model of an input event node from its USB device's ids, as the udev
// rule matches them.
const KeyPedalModel *KeyModelOf(udev_device *input)
{
    if (!QByteArray(udev_device_get_sysname(input)).startsWith("event"))
        return nullptr;
    udev_device *usb = udev_device_get_parent_with_subsystem_devtype(input, "usb", "usb_device");
    const char *vendorText = usb ? udev_device_get_sysattr_value(usb, "idVendor") : nullptr;
    const char *productText = usb ? udev_device_get_sysattr_value(usb, "idProduct") : nullptr;
    if (!vendorText || !productText)
        return nullptr;
    bool vendorOk = false, productOk = false;
    const uint vendor = QByteArray(vendorText).toUInt(&vendorOk, 16);
    const uint product = QByteArray(productText).toUInt(&productOk, 16);
    if (!vendorOk || !productOk || vendor > 0xffff || product > 0xffff)
        return nullptr;
    return findKeyPedalModel(std::uint16_t(vendor), std::uint16_t(product));
}

} // namespace

PedalMonitor::PedalMonitor(QObject *parent) : QObject(parent) {}

PedalMonitor::~PedalMonitor()
{
    qDeleteAll(m_devices);
    qDeleteAll(m_keyDevices);
    if (m_udevMonitor)
        udev_monitor_unref(m_udevMonitor);
    if (m_udev)
        udev_unref(m_udev);
}

QString PedalMonitor::permissionMessage(const QString &model, const QString &node)
{
    return QStringLiteral("A foot pedal (%1) is plugged in, but Murmelvox is not allowed to read it (%2).\n\n"
                          "Install Murmelvox from its package, or run \"sudo cmake --install build\" in its "
                          "source folder: either adds the rule that lets you use the pedal. Then pull the pedal "
                          "out and plug it in again.\n\nUntil then Murmelvox works without the pedal.")
        .arg(model, node);
}

void PedalMonitor::start()
{
    if (!m_udev) {
        m_udev = udev_new();
        if (!m_udev) {
            qCWarning(lcPedals) << "udev is not available; foot pedals are not read";
            return;
        }
        // Watch first, so that nothing plugged in during the enumeration is missed.
        m_udevMonitor = udev_monitor_new_from_netlink(m_udev, "udev");
        if (m_udevMonitor && udev_monitor_filter_add_match_subsystem_devtype(m_udevMonitor, "hidraw", nullptr) >= 0
            && udev_monitor_filter_add_match_subsystem_devtype(m_udevMonitor, "input", nullptr) >= 0
            && udev_monitor_enable_receiving(m_udevMonitor) >= 0) {
            m_udevNotifier = new QSocketNotifier(udev_monitor_get_fd(m_udevMonitor), QSocketNotifier::Read, this);
            connect(m_udevNotifier, &QSocketNotifier::activated, this, &PedalMonitor::readUdevEvent);
        } else {
            qCWarning(lcPedals) << "cannot watch for pedals being plugged in";
        }
    }

    udev_enumerate *enumerate = udev_enumerate_new(m_udev);
    udev_enumerate_add_match_subsystem(enumerate, "hidraw");
    udev_enumerate_add_match_subsystem(enumerate, "input");
    udev_enumerate_scan_devices(enumerate);
    udev_list_entry *entry;
    udev_list_entry_foreach(entry, udev_enumerate_get_list_entry(enumerate))
    {
        if (udev_device *device = udev_device_new_from_syspath(m_udev, udev_list_entry_get_name(entry))) {
            openNode(device);
            udev_device_unref(device);
        }
    }
    udev_enumerate_unref(enumerate);
}

void PedalMonitor::openNode(udev_device *device)
{
    if (qstrcmp(udev_device_get_subsystem(device), "input") == 0) {
        openKeyNode(device);
        return;
    }
    const PedalModel *model = ModelOf(device);
    const char *devnode = udev_device_get_devnode(device);
    if (model && devnode)
        openPedal(*model, QString::fromLocal8Bit(devnode));
}

bool PedalMonitor::openPedal(const PedalModel &model, const QString &node)
{
    for (const PedalDevice *open : std::as_const(m_devices)) {
        if (open->node() == node)
            return true;
    }
    const int fd = openForReading(model.name, node);
    if (fd < 0)
        return false;
    addDevice(fd, model, node);
    return true;
}

void PedalMonitor::addDevice(int fd, const PedalModel &model, const QString &node)
{
    auto *device = new PedalDevice(fd, model, node, this);
    connect(device, &PedalDevice::pedalChanged, this, &PedalMonitor::pedalChanged);
    connect(device, &PedalDevice::lost, this, [this, device] {
        m_devices.removeOne(device);
        device->deleteLater();
        emit pedalsChanged();
    });
    m_devices.append(device);
    emit pedalsChanged();
}

void PedalMonitor::readUdevEvent()
{
    udev_device *device = udev_monitor_receive_device(m_udevMonitor);
    if (!device)
        return;
    const QByteArray action = udev_device_get_action(device);
    if (action == "add") {
        openNode(device);
    } else if (action == "remove") {
        if (const char *devnode = udev_device_get_devnode(device)) {
            removeNode(QString::fromLocal8Bit(devnode));
            removeKeyNode(QString::fromLocal8Bit(devnode));
        }
    }
    udev_device_unref(device);
}

void PedalMonitor::removeNode(const QString &node)
{
    for (PedalDevice *device : std::as_const(m_devices)) {
        if (device->node() == node) {
            device->close();
            m_devices.removeOne(device);
            device->deleteLater();
            emit pedalsChanged();
            return;
        }
    }
}

QList<PedalMonitor::Found> PedalMonitor::pedals() const
{
    QList<Found> found;
    for (const PedalDevice *device : m_devices)
        found.append({QString::fromLatin1(device->model().name), device->node()});
    for (const KeyPedalDevice *device : m_keyDevices)
        found.append({QString::fromLatin1(device->model().name), device->node()});
    return found;
}

void PedalMonitor::pedalChanged(Pedal pedal, bool down)
{
    int &held = m_held[int(pedal)];
    if (down) {
        if (++held == 1)
            emit pedalPressed(pedal);
    } else if (held > 0) {
        if (--held == 0)
            emit pedalReleased(pedal);
    }
}

void PedalMonitor::openKeyNode(udev_device *device)
{
    const KeyPedalModel *model = KeyModelOf(device);
    const char *devnode = udev_device_get_devnode(device);
    if (model && devnode)
        openKeyPedal(*model, QString::fromLocal8Bit(devnode));
}

bool PedalMonitor::openKeyPedal(const KeyPedalModel &model, const QString &node)
{
    for (const KeyPedalDevice *open : std::as_const(m_keyDevices)) {
        if (open->node() == node)
            return true;
    }
    const int fd = openForReading(model.name, node);
    if (fd < 0)
        return false;
    addKeyDevice(fd, model, node);
    return true;
}

void PedalMonitor::addKeyDevice(int fd, const KeyPedalModel &model, const QString &node)
{
    auto *device = new KeyPedalDevice(fd, model, node, this);
    connect(device, &KeyPedalDevice::pedalChanged, this, &PedalMonitor::pedalChanged);
    connect(device, &KeyPedalDevice::codeChanged, this,
            [this, node](int code, bool down) { emit rawCode(node, code, down); });
    connect(device, &KeyPedalDevice::lost, this, [this, device] {
        m_keyDevices.removeOne(device);
        device->deleteLater();
        emit pedalsChanged();
    });
    m_keyDevices.append(device);
    emit pedalsChanged();
}

void PedalMonitor::removeKeyNode(const QString &node)
{
    for (KeyPedalDevice *device : std::as_const(m_keyDevices)) {
        if (device->node() == node) {
            device->close();
            m_keyDevices.removeOne(device);
            device->deleteLater();
            emit pedalsChanged();
            return;
        }
    }
}

int PedalMonitor::openForReading(const char *model, const QString &node)
{
    const int fd = ::open(QFile::encodeName(node).constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        const int error = errno;
        qCWarning(lcPedals) << "cannot open pedal" << model << node << std::strerror(error);
        if ((error == EACCES || error == EPERM) && !m_toldCannotOpen) {
            m_toldCannotOpen = true;
            emit cannotOpen(permissionMessage(QString::fromLatin1(model), node));
        }
        return -1;
    }
    qCInfo(lcPedals) << "reading pedal" << model << node;
    return fd;
}
