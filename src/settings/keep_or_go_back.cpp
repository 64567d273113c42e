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

// Acceleration shapes only the fast end of the curve and switching it off leaves the slow end
// as it was, so the slow-end gain, which a too slow or too fast pointer is judged by, follows
// the speed and precision mode alone.
double slowEndGain(const KeepOrGoBack::Values& values)
{
    return slowMotionGain(values.speed) * (values.precisionMode ? values.precisionFactor : 1.0);
}
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

    const auto about = [this](const QString& what) { return [this, what] { valueChanged(what); }; };
    connect(&state, &State::currentPointerSpeedChanged, this, about(tr("Pointer speed")));
    connect(&state, &State::currentPointerAccelerationChanged, this,
            about(tr("Pointer acceleration")));
    connect(&state, &State::currentPointerDisableAccelerationChanged, this,
            about(tr("Disable pointer acceleration")));
    connect(&state, &State::precisionModeChanged, this, about(tr("Precision mode")));
    connect(&state, &State::precisionFactorChanged, this, about(tr("Precision factor")));
    // The device about to be left gets its settled values; the next one's loaded values are
    // its settled ones.
    connect(&state, &State::selectedDeviceIDWillChange, this, &KeepOrGoBack::goBack);
    // What was loaded for a device is its settled state, unless a change still waits for an
    // answer (the same device's record, read again, holds that change).
    connect(&state, &State::settingsLoaded, this, [this] {
        if (!m_asking)
            keep();
    });
    connect(&state, &State::settingsReverted, this,
            [this] { changed(tr("Revert to system defaults")); });
}

void KeepOrGoBack::withoutAsking(const std::function<void()>& change)
{
    const bool wasUnasked = std::exchange(m_unasked, true);
    change();
    m_unasked = wasUnasked;
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
    m_state.setPrecisionFactor(m_settled.precisionFactor);
    m_state.setPrecisionMode(m_settled.precisionMode);
    m_writingBack = false;
    // A device that had no record before the change has none again: its settled values were
    // read from it, and a record of them would keep the read-back's noise as if set.
    m_state.restoreHeldRecord();
    m_last = current();
    m_settleTimer.stop();
    setAsking(false);
}

void KeepOrGoBack::moreTime()
{
    if (m_asking)
        startCountdown();
}

KeepOrGoBack::Values KeepOrGoBack::current() const
{
    return {m_state.currentPointerSpeed(), m_state.currentPointerAcceleration(),
            m_state.currentPointerDisableAcceleration(), m_state.precisionMode(),
            m_state.precisionFactor()};
}

void KeepOrGoBack::valueChanged(const QString& about)
{
    if (m_writingBack)
        return;
    // Loads and reverts announce themselves when done.
    const bool loadOrRevert = !m_state.isLoaded() || m_state.isShowingValues();
    // Every assignment is announced, equal or not; only real changes count.
    const Values previous = std::exchange(m_last, current());
    if (previous == m_last || loadOrRevert)
        return;
    if (m_unasked) {
        // A switch the user bound to a key is theirs to make: it settles as it is.
        m_settled.precisionMode = m_last.precisionMode;
        m_settled.precisionFactor = m_last.precisionFactor;
        return;
    }
    // Leaving precision mode gives the device the speed the user already settled on.
    if (previous.precisionMode && !m_last.precisionMode && !m_asking) {
        keep();
        return;
    }
    changed(about);
}

void KeepOrGoBack::changed(const QString& about)
{
    m_settleTimer.start();
    const double ratio = slowEndGain(current()) / slowEndGain(m_settled);
    if (ratio <= MostFaster && ratio >= MostSlower) {
        setAsking(false);
        return;
    }
    if (!m_asking)
        m_askedAbout = about;
    // Counted from the full length before anyone hears the question.
    m_secondsLeft = countdownSeconds();
    setAsking(true);
    startCountdown();
}

int KeepOrGoBack::countdownSeconds() const
{
    return m_durations.countdownSeconds > 0 ? m_durations.countdownSeconds
                                            : m_state.answerSeconds();
}

void KeepOrGoBack::startCountdown()
{
    m_secondsLeft = countdownSeconds();
    m_countdownTimer.start();
    Q_EMIT secondsLeftChanged(m_secondsLeft);
}

void KeepOrGoBack::setAsking(bool asking)
{
    if (!asking)
        m_countdownTimer.stop();
    if (std::exchange(m_asking, asking) == asking)
        return;
    // The file keeps the settled values while asking; the answer decides what it stores.
    if (asking) {
        m_state.holdStoredRecord({m_settled.speed,
                                  m_settled.acceleration,
                                  m_settled.disableAcceleration,
                                  {},
                                  m_settled.precisionFactor});
    } else {
        m_state.releaseStoredRecord();
        m_askedAbout.clear();
    }
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
