// SPDX-FileCopyrightText: 2026 The Veloquill developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

// A client of the XInput backend: matching and arrival callbacks.
// The registrations live in a state object the session holds weakly, so a client destroyed
// inside one of its own callbacks is never called again.

#include "device/hid_event_system.h"

#include <QStringList>

#include <memory>
#include <optional>
#include <vector>

namespace veloquill::x11 {

class X11Session;
class X11ServiceClient;

struct X11ClientState
{
    bool destroyed = false;
    bool scheduled = false;
    // Until matching is set every service matches; an empty list matches none.
    std::optional<std::vector<HidMatchingDictionary>> matching;
    HidCallbackList<void(const HidServiceClientRef&)> matchingCallbacks;

    bool matches(const HidServiceClient& service) const;
    bool isListening() const { return !destroyed && scheduled; }

    // Called by the session on the main loop.
    void deliverArrival(const HidServiceClientRef& service);
};

class X11EventSystemClient : public HidEventSystemClient
{
public:
    explicit X11EventSystemClient(std::shared_ptr<X11Session> session);
    ~X11EventSystemClient() override;

    void setMatchingMultiple(const std::vector<HidMatchingDictionary>& matching) override;
    HidRegistration registerDeviceMatchingCallback(HidServiceCallback callback) override;
    void scheduleWithMainLoop() override;
    void unscheduleFromMainLoop() override;
    std::optional<std::vector<HidServiceClientRef>> copyServices() override;

private:
    std::shared_ptr<X11Session> m_session;
    std::shared_ptr<X11ClientState> m_state;
};

} // namespace veloquill::x11
