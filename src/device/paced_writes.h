// SPDX-FileCopyrightText: 2026 The Veloquill developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

// The writes of one device to a desktop that answers each one later (KWin over D-Bus, Sway over
// IPC). A slider drag writes faster than the desktop may answer: one write per setting is on
// its way at a time, and of those asked for meanwhile only the last is sent, once the one
// before is answered.

#include "device/libinput_device_model.h"

#include <functional>
#include <optional>
#include <utility>

namespace veloquill::libinput {

// What became of a write sent.
enum class WriteAnswer
{
    Taken,
    Refused,   // the desktop said no: the device keeps what it held
    Unanswered // no answer: the desktop is gone, or the call timed out
};

class PacedWrites
{
public:
    // `send` carries one write (one setting) to the desktop.
    explicit PacedWrites(std::function<void(const Values&)> send) : m_send(std::move(send)) {}

    // Sent now, or kept as the next of its setting.
    void write(const Values& write)
    {
        Setting& setting = of(write);
        if (setting.onTheirWay > 0)
            setting.waiting = write;
        else
            send(setting, write);
    }
    // The desktop answered a write of that setting; the one kept meanwhile goes when
    // `sendWaiting`.
    void answered(const Values& write, bool sendWaiting)
    {
        Setting& setting = of(write);
        if (--setting.onTheirWay == 0 && setting.waiting && sendWaiting)
            send(setting, *std::exchange(setting.waiting, std::nullopt));
    }
    bool onTheirWay() const { return m_speed.onTheirWay > 0 || m_profile.onTheirWay > 0; }
    // What is kept back is never sent (the restore comes after what is on its way).
    void dropWaiting()
    {
        m_speed.waiting.reset();
        m_profile.waiting.reset();
    }

private:
    struct Setting
    {
        int onTheirWay = 0;
        std::optional<Values> waiting;
    };
    Setting& of(const Values& write) { return write.speed ? m_speed : m_profile; }
    void send(Setting& setting, const Values& write)
    {
        ++setting.onTheirWay;
        m_send(write);
    }

    std::function<void(const Values&)> m_send;
    Setting m_speed;
    Setting m_profile;
};

} // namespace veloquill::libinput
