// SPDX-FileCopyrightText: 2026 The Veloquill developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#include "device/x11/x11_backend.h"

#include "device/x11/x11_connection.h"
#include "device/x11/x11_device.h"
#include "device/x11/x11_session.h"
#include "support/log.h"

#include <QPointer>

#include <X11/Xlib.h>

namespace veloquill {

namespace {
const QString kStandInPrefix = QStringLiteral("xwayland-");

class X11DeviceWatch : public DeviceWatch
{
public:
    explicit X11DeviceWatch(std::shared_ptr<x11::X11Session> session)
        : m_session(std::move(session)), m_state(std::make_shared<x11::X11ClientState>())
    {
        m_session->attachClient(m_state);
    }
    ~X11DeviceWatch() override { m_state->destroyed = true; }

    HidRegistration onDeviceAdded(BackendDeviceCallback callback) override
    {
        return m_state->arrivalCallbacks.add(std::move(callback));
    }
    void start() override { m_state->scheduled = true; }
    void stop() override { m_state->scheduled = false; }
    // Every slave pointer the session lists.
    std::optional<std::vector<BackendDeviceRef>> devices() override
    {
        if (m_session->connection().isLost())
            return std::nullopt;
        return std::vector<BackendDeviceRef>(m_session->services().begin(),
                                             m_session->services().end());
    }

private:
    std::shared_ptr<x11::X11Session> m_session;
    std::shared_ptr<x11::X11ClientState> m_state;
};
} // namespace

void X11Backend::logCannotControl(const QString& why)
{
    // The settings window asks every second; say why once, and again only when it changes.
    if (why == m_lastCannotControlReason)
        return;
    m_lastCannotControlReason = why;
    logLine(QStringLiteral("X11HidEventSystem: cannot control pointer devices: ") + why);
}

X11Backend::X11Backend(X11BackendOptions options, QObject* parent) : QObject(parent)
{
    m_session = x11::X11Session::open(options.displayName, options.includeVirtualDevices,
                                      options.journalDirectory, &m_failureReason, &m_openFailure);
    if (!m_session)
        return;
    QPointer<X11Backend> self(this);
    m_session->connection().setConnectionLostHandler([self] {
        if (self)
            Q_EMIT self->connectionLost();
    });
}

X11Backend::~X11Backend()
{
    // Clients may outlive this object and keep the session; it must not call back here.
    if (m_session)
        m_session->connection().setConnectionLostHandler({});
}

bool X11Backend::isConnected() const
{
    return m_session && !m_session->connection().isLost();
}

std::unique_ptr<DeviceWatch> X11Backend::watchDevices()
{
    if (!isConnected())
        return nullptr;
    return std::make_unique<X11DeviceWatch>(m_session);
}

QString X11Backend::displayProblem(const QString& displayName)
{
    return x11::X11Connection::probe(displayName);
}

std::size_t X11Backend::restoreUnlisted()
{
    if (!m_session)
        return 0;
    return m_session->restoreUnlisted();
}

void X11Backend::prepareRestore()
{
    if (!m_session)
        return;
    // Every device's writes go out together, and the server is waited for once.
    m_session->sendListedRestores();
}

void X11Backend::forgetOriginals()
{
    if (m_session)
        m_session->forgetOriginals();
}

QStringList X11Backend::notPutBack() const
{
    return m_session ? m_session->notPutBack() : QStringList();
}

ControlUnavailableReason X11Backend::controlUnavailableReason()
{
    if (!m_session) {
        logCannotControl(m_failureReason);
        return m_openFailure;
    }
    if (m_session->connection().isLost()) {
        logCannotControl(QStringLiteral("the connection to the X server was lost"));
        return ControlUnavailableReason::DisplayLost;
    }
    // Xwayland's devices only stand in for the compositor's; settings on them do nothing.
    const auto devices = x11::listSlavePointers(m_session->connection(), m_session->atoms());
    for (const x11::X11DeviceFacts& device : devices) {
        if (device.name.startsWith(kStandInPrefix)) {
            logCannotControl(QStringLiteral("X display \"") +
                             m_session->connection().displayName() +
                             QStringLiteral("\" is Xwayland, whose devices stand in for the "
                                            "Wayland compositor's"));
            return ControlUnavailableReason::WaylandSession;
        }
    }
    m_lastCannotControlReason.clear();
    return ControlUnavailableReason::NoReason;
}

} // namespace veloquill
