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
#include <utility>
#include <fcntl.h>
#include <unistd.h>

Q_LOGGING_CATEGORY(lcPedals, "murmelvox.pedals")

namespace {

struct UsbId
{
    std::uint16_t vendor;
    std::uint16_t product;
};

// A raw HID device's USB id from its HID parent's id ("0003:000005F3:000000FF":
// bus, vendor, product), which USB and virtual devices alike carry.
std::optional<UsbId> IdOf(udev_device *hidraw)
{
    udev_device *hid = udev_device_get_parent_with_subsystem_devtype(hidraw, "hid", nullptr);
    const char *id = hid ? udev_device_get_property_value(hid, "HID_ID") : nullptr;
    if (!id)
        return std::nullopt;
    const QList<QByteArray> parts = QByteArray(id).split(':');
    if (parts.size() != 3)
        return std::nullopt;
    bool vendorOk = false, productOk = false;
    const uint vendor = parts[1].toUInt(&vendorOk, 16);
    const uint product = parts[2].toUInt(&productOk, 16);
    if (!vendorOk || !productOk || vendor > 0xffff || product > 0xffff)
        return std::nullopt;
    return UsbId{std::uint16_t(vendor), std::uint16_t(product)};
}

QString NameOf(udev_device *hidraw)
{
    udev_device *hid = udev_device_get_parent_with_subsystem_devtype(hidraw, "hid", nullptr);
    const char *name = hid ? udev_device_get_property_value(hid, "HID_NAME") : nullptr;
    return name ? QString::fromUtf8(name) : QStringLiteral("Unnamed device");
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

bool PedalMonitor::ensureUdev()
{
    if (m_udev)
        return true;
    m_udev = udev_new();
    if (!m_udev)
        qCWarning(lcPedals) << "udev is not available; foot pedals are not read";
    return m_udev;
}

void PedalMonitor::start()
{
    if (!std::exchange(m_started, true)) {
        if (!ensureUdev())
            return;
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
    if (!m_udev)
        return;

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

std::optional<PedalModel> PedalMonitor::modelFor(std::uint16_t vendor, std::uint16_t product) const
{
    const PedalModel *known = findPedalModel(vendor, product);
    if (const TaughtLayout *taught = findTaughtLayout(m_taught, vendor, product); taught && !taught->keys)
        return taughtModel(*taught, known);
    if (known)
        return *known;
    return std::nullopt;
}

void PedalMonitor::openNode(udev_device *device)
{
    if (qstrcmp(udev_device_get_subsystem(device), "input") == 0) {
        openKeyNode(device);
        return;
    }
    const std::optional<UsbId> id = IdOf(device);
    const std::optional<PedalModel> model = id ? modelFor(id->vendor, id->product) : std::nullopt;
    const char *devnode = udev_device_get_devnode(device);
    if (model && devnode)
        openPedal(*model, QString::fromLocal8Bit(devnode));
}

PedalDevice *PedalMonitor::deviceAt(const QString &node) const
{
    for (PedalDevice *device : m_devices) {
        if (device->node() == node)
            return device;
    }
    return nullptr;
}

bool PedalMonitor::openPedal(const PedalModel &model, const QString &node)
{
    if (deviceAt(node))
        return true;
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
    connect(device, &PedalDevice::codeChanged, this,
            [this, device](int code, bool down) { emit rawCode(device->node(), code, down); });
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
        found.append({QString::fromLatin1(device->model().name), device->node(), needsTeaching(device->model())});
    for (const KeyPedalDevice *device : m_keyDevices)
        found.append({QString::fromLatin1(device->model().name), device->node()});
    return found;
}

void PedalMonitor::setTaughtLayouts(const QList<TaughtLayout> &layouts)
{
    m_taught = layouts;
    for (PedalDevice *device : std::as_const(m_devices)) {
        if (const std::optional<PedalModel> model = modelFor(device->model().vendor, device->model().product))
            device->setModel(*model);
    }
    for (KeyPedalDevice *device : std::as_const(m_keyDevices)) {
        if (const KeyPedalModel *known = findKeyPedalModel(device->model().vendor, device->model().product))
            device->setModel(keysFor(*known));
    }
    if (m_started)
        start();
    emit pedalsChanged();
}

QList<PedalMonitor::Teachable> PedalMonitor::teachable()
{
    QList<Teachable> found;
    for (const PedalDevice *device : std::as_const(m_devices)) {
        found.append({QString::fromLatin1(device->model().name), device->node(), device->model().vendor,
                      device->model().product, false, true});
    }
    // Only the models known to type keys: any other keyboard stays the
    // desktop's.
    for (const KeyPedalDevice *device : std::as_const(m_keyDevices)) {
        found.append({QString::fromLatin1(device->model().name), device->node(), device->model().vendor,
                      device->model().product, true, true});
    }
    if (!ensureUdev())
        return found;
    udev_enumerate *enumerate = udev_enumerate_new(m_udev);
    udev_enumerate_add_match_subsystem(enumerate, "hidraw");
    udev_enumerate_scan_devices(enumerate);
    udev_list_entry *entry;
    udev_list_entry_foreach(entry, udev_enumerate_get_list_entry(enumerate))
    {
        udev_device *device = udev_device_new_from_syspath(m_udev, udev_list_entry_get_name(entry));
        if (!device)
            continue;
        const std::optional<UsbId> id = IdOf(device);
        const char *devnode = udev_device_get_devnode(device);
        if (id && devnode && !deviceAt(QString::fromLocal8Bit(devnode))) {
            const PedalModel *known = findPedalModel(id->vendor, id->product);
            found.append({known ? QString::fromLatin1(known->name) : NameOf(device), QString::fromLocal8Bit(devnode),
                          id->vendor, id->product, false, ::access(devnode, R_OK) == 0});
        }
        udev_device_unref(device);
    }
    udev_enumerate_unref(enumerate);
    return found;
}

bool PedalMonitor::beginTeaching(const Teachable &device)
{
    endTeaching();
    // A pedal held now must not stay held while its presses teach.
    for (int pedal = 0; pedal < PedalCount; ++pedal) {
        if (std::exchange(m_held[pedal], 0) > 0)
            emit pedalReleased(Pedal(pedal));
    }
    m_teachingNode = device.node;
    if (deviceAt(device.node) || keyDeviceAt(device.node))
        return true;
    if (device.keys) {
        m_teachingNode.clear();
        return false;
    }
    const PedalModel unread{"Foot control being taught", device.vendor, device.product, 0, {-1, -1, -1, -1}};
    m_openedForTeaching = openPedal(unread, device.node);
    if (!m_openedForTeaching)
        m_teachingNode.clear();
    return m_openedForTeaching;
}

void PedalMonitor::endTeaching()
{
    const QString node = std::exchange(m_teachingNode, QString());
    if (!std::exchange(m_openedForTeaching, false))
        return;
    PedalDevice *device = deviceAt(node);
    if (!device)
        return;
    if (const std::optional<PedalModel> model = modelFor(device->model().vendor, device->model().product))
        device->setModel(*model);
    else
        removeNode(node);
}

void PedalMonitor::pedalChanged(Pedal pedal, bool down)
{
    // Presses that teach a layout act on nothing.
    if (!m_teachingNode.isEmpty())
        return;
    int &held = m_held[int(pedal)];
    if (down) {
        if (++held == 1)
            emit pedalPressed(pedal);
    } else if (held > 0) {
        if (--held == 0)
            emit pedalReleased(pedal);
    }
}

KeyPedalModel PedalMonitor::keysFor(const KeyPedalModel &model) const
{
    KeyPedalModel taught = model;
    if (const TaughtLayout *layout = findTaughtLayout(m_taught, model.vendor, model.product); layout && layout->keys)
        taught.keys = layout->code;
    return taught;
}

void PedalMonitor::openKeyNode(udev_device *device)
{
    const KeyPedalModel *model = KeyModelOf(device);
    const char *devnode = udev_device_get_devnode(device);
    if (model && devnode)
        openKeyPedal(keysFor(*model), QString::fromLocal8Bit(devnode));
}

KeyPedalDevice *PedalMonitor::keyDeviceAt(const QString &node) const
{
    for (KeyPedalDevice *device : m_keyDevices) {
        if (device->node() == node)
            return device;
    }
    return nullptr;
}

bool PedalMonitor::openKeyPedal(const KeyPedalModel &model, const QString &node)
{
    if (keyDeviceAt(node))
        return true;
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
