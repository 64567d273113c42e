// SPDX-FileCopyrightText: 2026 The Veloquill developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#include "device/libinput_device_model.h"

#include <algorithm>
#include <cmath>
#include <utility>

namespace veloquill::libinput {

namespace {
Profile profileFor(bool flat)
{
    return flat ? Profile::Flat : Profile::Adaptive;
}
} // namespace

std::vector<Values> eachSetting(const Values& values)
{
    std::vector<Values> writes;
    if (values.speed)
        writes.push_back({values.speed, std::nullopt});
    if (values.flat)
        writes.push_back({std::nullopt, values.flat});
    return writes;
}

Profile profileOf(bool flat, bool adaptive)
{
    return flat ? Profile::Flat : adaptive ? Profile::Adaptive : Profile::Other;
}

DeviceModel::DeviceModel(Settings firstSeen, double speedTolerance)
    : m_firstSeen(firstSeen), m_held(firstSeen), m_speedTolerance(speedTolerance)
{}

void DeviceModel::took(const Values& write)
{
    if (write.speed)
        m_held.speed = std::clamp(*write.speed, kMinSpeed, kMaxSpeed); // as desktops clamp
    if (write.flat)
        m_held.profile = profileFor(*write.flat);
}

void DeviceModel::adopt(const Settings& originals, const Values& written)
{
    m_firstSeen = originals;
    m_written = written;
    m_changed = true;
}

bool DeviceModel::recordWrite(const Values& write)
{
    const Values before = m_written;
    if (write.speed)
        m_written.speed = std::clamp(*write.speed, kMinSpeed, kMaxSpeed);
    if (write.flat)
        m_written.flat = *write.flat;
    return !std::exchange(m_changed, true) || m_written != before;
}

void DeviceModel::refused(const Values& write, const Values& writtenBefore)
{
    if (write.speed)
        m_written.speed = writtenBefore.speed;
    if (write.flat)
        m_written.flat = writtenBefore.flat;
}

RestorePlan DeviceModel::planRestore(bool canFlat, bool canAdaptive) const
{
    RestorePlan plan;
    if (m_written.speed) {
        plan.speedKept = std::abs(m_held.speed - *m_written.speed) > m_speedTolerance;
        if (!plan.speedKept && m_held.speed != m_firstSeen.speed)
            plan.writes.speed = m_firstSeen.speed;
    }
    if (m_written.flat) {
        plan.profileKept = m_held.profile != profileFor(*m_written.flat);
        const bool canGoBack = (m_firstSeen.profile == Profile::Flat && canFlat) ||
                               (m_firstSeen.profile == Profile::Adaptive && canAdaptive);
        if (!plan.profileKept && canGoBack && m_held.profile != m_firstSeen.profile)
            plan.writes.flat = m_firstSeen.profile == Profile::Flat;
    }
    return plan;
}

void DeviceModel::restored()
{
    m_changed = false;
    m_written = {};
}

} // namespace veloquill::libinput
