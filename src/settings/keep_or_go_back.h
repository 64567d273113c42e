// SPDX-FileCopyrightText: 2026 The Veloquill developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QObject>
#include <QTimer>

#include <functional>

namespace veloquill {

class VeloquillPointerSettingsState;

// Guards against a change that leaves the pointer too fast or too slow to undo it: every
// change still reaches the device at once, but one that makes slow hand movements more than
// twice as fast, or less than half as fast, as with the last settled values asks whether to
// keep it, and goes back to those values unless kept within a countdown. Precision mode
// counts: switching it on or changing its factor is judged by the slowed speed. While it
// asks, the stored record keeps the settled values; only keeping stores the new ones.
//
// Values settle when kept, when they stood unchanged for the settle time, and when they are
// loaded for a device (at start or when the selection changes); a run of small changes (a
// drag, repeated arrow keys) is therefore compared as a whole. Main thread only.
class KeepOrGoBack : public QObject
{
    Q_OBJECT

public:
    struct Durations
    {
        int settleMs = 15000; // unchanged this long, values are settled
        // Asked this long, the settled values come back; 0 takes the state's stored length.
        int countdownSeconds = 0;
        int secondMs = 1000; // one step of the countdown
    };
    struct Values
    {
        double speed = 0.0;
        double acceleration = 0.0;
        bool disableAcceleration = false;
        bool precisionMode = false;
        double precisionFactor = 0.0;
        friend bool operator==(const Values&, const Values&) = default;
    };

    explicit KeepOrGoBack(VeloquillPointerSettingsState& state, QObject* parent = nullptr);
    KeepOrGoBack(VeloquillPointerSettingsState& state, Durations durations,
                 QObject* parent = nullptr);

    bool isAsking() const { return m_asking; }
    // What the question is about: "Pointer speed", "Precision mode", ...; empty when not asking.
    QString askedAbout() const { return m_askedAbout; }
    int secondsLeft() const { return m_secondsLeft; }
    // The countdown's full length.
    int countdownSeconds() const;
    Values settledValues() const { return m_settled; }

    // Runs `change` (a precision switch from a key the user bound) without asking about it.
    void withoutAsking(const std::function<void()>& change);

public Q_SLOTS:
    // The current values become the settled ones; asking stops.
    void keep();
    // While asking, writes the settled values back through the state (to the device and its
    // stored record) and stops asking; otherwise does nothing.
    void goBack();
    // While asking, the countdown starts again from its full length (the user is answering).
    void moreTime();

Q_SIGNALS:
    void askingChanged(bool asking);
    void secondsLeftChanged(int seconds);

private:
    Values current() const;
    void valueChanged(const QString& about);
    void changed(const QString& about);
    void startCountdown();
    void setAsking(bool asking);
    void countDown();

    VeloquillPointerSettingsState& m_state;
    const Durations m_durations;
    Values m_settled;
    Values m_last; // as last seen, to tell changes from repeated assignments
    bool m_asking = false;
    int m_secondsLeft = 0;
    bool m_writingBack = false;
    bool m_unasked = false;
    QString m_askedAbout;
    QTimer m_settleTimer;
    QTimer m_countdownTimer;
};

} // namespace veloquill
