// SPDX-FileCopyrightText: 2026 The Veloquill developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

// The backend's own connection to the X server. Everything it reads is handled on the Qt
// main loop: a socket notifier wakes it when the server sends something, and a queued drain
// picks up events Xlib read while waiting for a reply. The server sends nothing unless
// asked, so a connection with no raw-input selection stays silent while the pointer moves.

#include "device/control_unavailable_reason.h"

#include <QObject>
#include <QString>

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <utility>
#include <vector>

class QSocketNotifier;
struct _XDisplay;
union _XEvent;

namespace veloquill::x11 {

class X11PropertyCache;

class X11Connection : public QObject
{
    Q_OBJECT

public:
    // Opens the display (empty name: $DISPLAY) and checks for XInput 2.2 or later. On failure
    // returns null and says why in `failure`, and in `reason` the kind of problem.
    static std::unique_ptr<X11Connection> open(const QString& displayName, QString* failure,
                                               ControlUnavailableReason* reason);
    // Whether the display could be opened, without keeping it or watching it (no event loop
    // needed): empty when it can, else why not.
    static QString probe(const QString& displayName);
    ~X11Connection() override;

    _XDisplay* display() const { return m_display; }
    int inputExtensionOpcode() const { return m_xiOpcode; }
    QString displayName() const { return m_displayName; }
    // Whether the server runs on this machine (device nodes it names are ours to look at).
    bool isLocal() const;

    // Called for every event read, on the main loop.
    void setEventHandler(std::function<void(_XEvent&)> handler)
    {
        m_eventHandler = std::move(handler);
    }
    // Called once, queued on the main loop, after the connection broke.
    void setConnectionLostHandler(std::function<void()> handler)
    {
        m_connectionLostHandler = std::move(handler);
    }
    bool isLost() const { return m_lost; }
    // How many requests the server has refused so far; a write checks it around a sync.
    std::uint64_t errorCount() const { return m_errorCount; }
    // Requests sent without waiting for each (a batch of writes) are told apart by the serials
    // of the errors: kept from here until taken.
    void keepErrorSerials() { m_keepErrorSerials = true; }
    std::vector<unsigned long> takeErrorSerials()
    {
        m_keepErrorSerials = false;
        return std::exchange(m_errorSerials, {});
    }
    // The serial the next request will carry.
    unsigned long nextRequestSerial() const;
    // What was read and written of device properties; current() says whether it may be used
    // now: no property event has come (unhandled as yet) beyond those of this program's own
    // writes, and no change of the devices. One look at what the server sent, no round trip;
    // within one turn of the main loop, none while nothing new has been queued since.
    X11PropertyCache& properties() { return *m_properties; }
    bool propertiesCurrent();

    // Call after every request: sends it, waits for the server so errors are reported right
    // away, and makes sure events Xlib read meanwhile are handled soon.
    void sync();
    void afterReply();

private:
    friend struct X11ErrorRouting; // Xlib's error handlers, which note errors here
    X11Connection(_XDisplay* display, int xiOpcode);
    void drain();
    void scheduleDrain();
    // The main loop is about to wait: what the server sends next is news again.
    void endTurn();
    void noteLost();

    _XDisplay* m_display = nullptr;
    int m_xiOpcode = 0;
    QString m_displayName;
    QSocketNotifier* m_notifier = nullptr;
    std::function<void(_XEvent&)> m_eventHandler;
    std::function<void()> m_connectionLostHandler;
    bool m_draining = false;
    bool m_drainScheduled = false;
    bool m_lost = false;
    bool m_lostReported = false;
    std::uint64_t m_errorCount = 0;
    bool m_keepErrorSerials = false;
    std::vector<unsigned long> m_errorSerials;
    std::unique_ptr<X11PropertyCache> m_properties;
    // What the last look at the queued events found, this turn.
    struct Look
    {
        int queued = 0;
        int propertyEvents = 0;
        bool hierarchyChanged = false;
    };
    std::optional<Look> m_look;
};

} // namespace veloquill::x11
