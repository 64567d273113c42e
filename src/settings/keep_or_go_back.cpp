// SPDX-FileCopyrightText: 2026 The Veloquill developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#include "settings/keep_or_go_back.h"

#include "settings/pointer_speed_mapping.h"
#include "settings/veloquill_pointer_settings_state.h"

#include <utility>

namespace veloquill {

namespace {
// Beyond these ratios of the slow-end gain a change asks before it stays.
constexpr double MostFaster = 2.0;
constexpr double MostSlower = 0.5;
} // namespace

KeepOrGoBack::KeepOrGoBack(VeloquillPointerSettingsState& state, QObject* parent)
    : KeepOrGoBack(state, Durations{}, parent)
{}

KeepOrGoBack::KeepOrGoBack(VeloquillPointerSettingsState& state, Durations durations,
                           QObject* parent)
    : QObject(parent), m_state(state), m_durations(durations), m_settled(current()),
      m_last(m_settled)
{
    using State = VeloquillPointerSettingsState;
    m_settleTimer.setSingleShot(true);
    m_settleTimer.setInterval(m_durations.settleMs);
    connect(&m_settleTimer, &QTimer::timeout, this, [this] {
        if (!m_asking)
            m_settled = current();
    });
    m_countdownTimer.setInterval(m_durations.secondMs);
    connect(&m_countdownTimer, &QTimer::timeout, this, &KeepOrGoBack::countDown);

    connect(&state, &State::currentPointerSpeedChanged, this, &KeepOrGoBack::valueChanged);
    connect(&state, &State::currentPointerAccelerationChanged, this, &KeepOrGoBack::valueChanged);
    connect(&state, &State::currentPointerDisableAccelerationChanged, this,
            &KeepOrGoBack::valueChanged);
    // The device about to be left gets its settled values; the next one's loaded values are
    // its settled ones.
    connect(&state, &State::selectedDeviceIDWillChange, this, &KeepOrGoBack::goBack);
    // What was loaded for a device is its settled state, unless a change still waits for an
    // answer (the same device's record, read again, holds that change).
    connect(&state, &State::settingsLoaded, this, [this] {
        if (!m_asking)
            keep();
    });
    connect(&state, &State::settingsReverted, this, &KeepOrGoBack::changed);
}

void KeepOrGoBack::setEnabled(bool enabled)
{
    m_enabled = enabled;
}

void KeepOrGoBack::keep()
{
    m_settleTimer.stop();
    m_settled = current();
    setAsking(false);
}

void KeepOrGoBack::goBack()
{
    if (!m_asking)
        return;
    m_writingBack = true;
    m_state.setCurrentPointerSpeed(m_settled.speed);
    m_state.setCurrentPointerAcceleration(m_settled.acceleration);
    m_state.setCurrentPointerDisableAcceleration(m_settled.disableAcceleration);
    m_writingBack = false;
    m_last = current();
    m_settleTimer.stop();
    setAsking(false);
}

KeepOrGoBack::Values KeepOrGoBack::current() const
{
    return {m_state.currentPointerSpeed(), m_state.currentPointerAcceleration(),
            m_state.currentPointerDisableAcceleration()};
}

void KeepOrGoBack::valueChanged()
{
    if (m_writingBack)
        return;
    // Loads and reverts assign with the state uninitialized; each announces itself when done.
    const bool loadOrRevert = !m_state.isInitialized();
    // Every assignment is announced, equal or not; only real changes count.
    const Values previous = std::exchange(m_last, current());
    if (previous == m_last || loadOrRevert)
        return;
    changed();
}

void KeepOrGoBack::changed()
{
    if (m_enabled)
        userChanged();
    else
        keep();
}

void KeepOrGoBack::userChanged()
{
    m_settleTimer.start();
    // Acceleration shapes only the fast end of the curve and switching it off leaves the slow
    // end as it was, so the slow-end gain, which a too slow or too fast pointer is judged by,
    // follows the speed alone.
    const double ratio =
        slowMotionGain(m_state.currentPointerSpeed()) / slowMotionGain(m_settled.speed);
    if (ratio <= MostFaster && ratio >= MostSlower) {
        setAsking(false);
        return;
    }
    m_secondsLeft = m_durations.countdownSeconds;
    m_countdownTimer.start();
    Q_EMIT secondsLeftChanged(m_secondsLeft);
    setAsking(true);
}

void KeepOrGoBack::setAsking(bool asking)
{
    if (!asking)
        m_countdownTimer.stop();
    if (std::exchange(m_asking, asking) != asking)
        Q_EMIT askingChanged(asking);
}

void KeepOrGoBack::countDown()
{
    --m_secondsLeft;
    Q_EMIT secondsLeftChanged(m_secondsLeft);
    if (m_secondsLeft <= 0)
        goBack();
}

} // namespace veloquill
