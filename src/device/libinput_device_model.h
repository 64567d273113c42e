// SPDX-FileCopyrightText: 2026 The Veloquill developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

// One libinput device as this program changes it, in libinput's own terms (a speed −1…1 and a
// flat or adaptive profile): what it held when first seen, what the desktop last said it holds,
// and what this program last wrote. The KWin and Sway backends keep one per device; whichever
// transport carries the writes, the "still ours" comparison at quit is this one.

#include <optional>
#include <vector>

namespace veloquill::libinput {

// libinput's speed range; desktops clamp what they are given to it.
inline constexpr double kMinSpeed = -1.0;
inline constexpr double kMaxSpeed = 1.0;

// libinput's acceleration profiles; Other is one the desktop names as neither, which is never
// written back.
enum class Profile
{
    Adaptive,
    Flat,
    Other
};

struct Settings
{
    double speed = 0;
    Profile profile = Profile::Adaptive;
    friend bool operator==(const Settings&, const Settings&) = default;
};

// A value per setting, each of which may be missing: what this program last wrote (nothing for
// a setting never written), the defaults a desktop reports, or what it holds as far as it can
// be read.
struct Values
{
    std::optional<double> speed;
    std::optional<bool> flat;
    friend bool operator==(const Values&, const Values&) = default;
};

// One write per setting, the speed first.
std::vector<Values> eachSetting(const Values& values);

// What the restore at quit does with a device: the writes that put it back, and the settings
// another program changed since this program wrote them, which keep their value.
struct RestorePlan
{
    Values writes;
    bool speedKept = false;
    bool profileKept = false;
};

class DeviceModel
{
public:
    // `speedTolerance`: how far a speed read back may be from the one written and still be it
    // (a desktop may store it rounded).
    DeviceModel(Settings firstSeen, double speedTolerance);

    const Settings& firstSeen() const { return m_firstSeen; }
    Values heldValues() const { return {m_held.speed, m_held.profile == Profile::Flat}; }
    const Values& written() const { return m_written; }
    // Whether this program wrote to it (in this run, or an earlier one that did not put it back).
    bool changed() const { return m_changed; }

    // The desktop says the device now holds these.
    void hold(const Settings& settings) { m_held = settings; }
    // The desktop took a write.
    void took(const Values& write);
    // Originals an earlier run recorded, taken as first seen, and the device as changed.
    void adopt(const Settings& originals, const Values& written);
    // Records a write before it is sent, the speed clamped to libinput's range; true when what
    // is on record changed (the journal is written again).
    bool recordWrite(const Values& write);
    // The desktop refused the write: the device kept what it held, which stays the value
    // compared at quit.
    void refused(const Values& write, const Values& writtenBefore);
    // Only what still holds this program's last write goes back, and only where the device
    // does not hold the original already. `profiles` says which profiles the device can take.
    RestorePlan planRestore(bool canFlat = true, bool canAdaptive = true) const;
    // Everything is back as first seen.
    void restored();

private:
    Settings m_firstSeen;
    Settings m_held;
    Values m_written;
    bool m_changed = false;
    double m_speedTolerance;
};

// Whether the profile is flat, adaptive, or neither, from the two switches a desktop reports.
Profile profileOf(bool flat, bool adaptive);

} // namespace veloquill::libinput
