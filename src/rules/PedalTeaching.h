// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "rules/PedalModels.h"
#include "rules/SettingsStore.h"

#include <QList>
#include <QString>

#include <array>
#include <cstdint>
#include <optional>

// Teaching a foot control its layout. The typist presses each pedal in turn
// and lets it go; the code that went down last before that one came up is
// the pedal's. A code is a report bit (byte * 8 + bit) for a raw HID foot
// control, or a key code for one that types keys; "last" passes over the
// modifiers such a pedal holds down before its key.
class PedalTeacher
{
public:
    // Teaches the first `pedals` positions: 3, or 4 with the fourth.
    explicit PedalTeacher(int pedals = PedalCount);

    enum class Outcome {
        Waiting,      // nothing settled yet
        Learned,      // the pedal asked for is taught; the next is asked for
        SameAsBefore, // a pedal already taught was pressed again: ignored
        Done,         // every position is taught or skipped
    };
    Outcome codeChanged(int code, bool down);
    // The position asked for is not on this foot control.
    Outcome skip();

    // The pedal to press now; none once done.
    std::optional<Pedal> asking() const;
    // Per pedal, its code, or -1 where skipped or not yet taught.
    const std::array<int, PedalCount> &codes() const { return m_codes; }

private:
    Outcome advance();
    bool taught(int code) const;

    int m_pedals;
    int m_next = 0;
    int m_pending = -1;
    std::array<int, PedalCount> m_codes{-1, -1, -1, -1};
};

// What teaching leaves for one device, kept in the settings file's section
// "taught-pedals" by USB id, and preferred over the model table.
struct TaughtLayout
{
    std::uint16_t vendor = 0;
    std::uint16_t product = 0;
    bool keys = false; // key codes rather than report bits
    std::array<int, PedalCount> code{-1, -1, -1, -1};
    bool operator==(const TaughtLayout &) const = default;
};

// Rows that do not read as a layout are left out.
QList<TaughtLayout> LoadTaughtLayouts(const SettingsStore &store);
// Adds or replaces the device's layout; false when it could not be written.
bool SaveTaughtLayout(SettingsStore &store, const TaughtLayout &layout);
const TaughtLayout *findTaughtLayout(const QList<TaughtLayout> &layouts, std::uint16_t vendor, std::uint16_t product);

// A raw HID foot control read through a taught layout: the table's name when
// the model is known there, and reports of any length.
PedalModel taughtModel(const TaughtLayout &layout, const PedalModel *known);

// The udev line that lets the user at the seat read the device.
QString udevRuleLine(bool keys, std::uint16_t vendor, std::uint16_t product);
