// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "rules/KeyPedalModels.h"
#include "rules/PedalModels.h"
#include "rules/PedalTeaching.h"

#include <QList>
#include <QObject>
#include <QString>

#include <array>
#include <cstdint>
#include <optional>

class KeyPedalDevice;
class PedalDevice;
class QSocketNotifier;
struct udev;
struct udev_device;
struct udev_monitor;

// Finds the foot controls of the known models among the raw HID devices
// and, for those that type keys, the input event nodes (libudev), reads
// every one plugged in, and keeps watching for pedals being
// plugged in and pulled out. Pedals of all devices act as one set: a pedal
// is pressed when the first device presses it and released when the last
// one lets it go.
class PedalMonitor : public QObject
{
    Q_OBJECT
public:
    explicit PedalMonitor(QObject *parent = nullptr);
    ~PedalMonitor() override;

    // Opens the pedals present now and watches for more; nothing is read
    // before it. Called again, it looks again for pedals not yet open (where
    // no udev daemon tells of new ones).
    void start();

    // Opens a foot control's node and reads it. Where the user may not read
    // it, says so (once per run, however many pedals and nodes) and goes on
    // without it. True when it is read (or already was).
    bool openPedal(const PedalModel &model, const QString &node);
    // Reads a foot control from an open descriptor, which it takes over.
    void addDevice(int fd, const PedalModel &model, const QString &node);
    // The same for a foot control that types keys, from one of its event
    // nodes, taken from the desktop while read.
    bool openKeyPedal(const KeyPedalModel &model, const QString &node);
    void addKeyDevice(int fd, const KeyPedalModel &model, const QString &node);

    struct Found
    {
        QString model;
        QString node;
        bool needsTeaching = false;
    };
    QList<Found> pedals() const;

    // Layouts the typist taught, preferred over the model table: pedals
    // open now read by them at once, and devices they name are opened.
    void setTaughtLayouts(const QList<TaughtLayout> &layouts);

    // The devices a layout may be taught to: those read now (foot controls
    // that type keys among them), then every other raw HID device there is,
    // readable or not.
    struct Teachable
    {
        QString name;
        QString node;
        std::uint16_t vendor = 0;
        std::uint16_t product = 0;
        bool keys = false;
        bool readable = false;
    };
    QList<Teachable> teachable();
    // While a device is taught, no pedal acts (those held count as
    // released). A device not read before is opened for it, and closed
    // again at the end unless it has been taught. False when it cannot be
    // opened.
    bool beginTeaching(const Teachable &device);
    void endTeaching();
    bool isDown(Pedal pedal) const { return m_held[int(pedal)] > 0; }

    // What the user is told when a pedal is present but may not be read.
    static QString permissionMessage(const QString &model, const QString &node);

signals:
    void pedalPressed(Pedal pedal);
    void pedalReleased(Pedal pedal);
    void pedalsChanged();
    // A pedal is plugged in that cannot be opened: told once per run.
    void cannotOpen(const QString &message);
    // A report bit or a key of a device changed, whether or not it is one
    // of its pedals': what teaching listens to.
    void rawCode(const QString &node, int code, bool down);

private:
    bool ensureUdev();
    void openNode(udev_device *device);
    std::optional<PedalModel> modelFor(std::uint16_t vendor, std::uint16_t product) const;
    PedalDevice *deviceAt(const QString &node) const;
    KeyPedalDevice *keyDeviceAt(const QString &node) const;
    KeyPedalModel keysFor(const KeyPedalModel &model) const;
    void readUdevEvent();
    void removeNode(const QString &node);
    void pedalChanged(Pedal pedal, bool down);
    void openKeyNode(udev_device *device);
    void removeKeyNode(const QString &node);
    // The node opened for reading, or -1; tells of a permission problem.
    int openForReading(const char *model, const QString &node);

    udev *m_udev = nullptr;
    udev_monitor *m_udevMonitor = nullptr;
    QSocketNotifier *m_udevNotifier = nullptr;
    QList<PedalDevice *> m_devices;
    QList<KeyPedalDevice *> m_keyDevices;
    std::array<int, PedalCount> m_held{};
    bool m_started = false;
    bool m_toldCannotOpen = false;
    QList<TaughtLayout> m_taught;
    QString m_teachingNode;
    bool m_openedForTeaching = false;
};
