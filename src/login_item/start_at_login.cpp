// SPDX-FileCopyrightText: 2026 The Veloquill developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#include "login_item/start_at_login.h"

#include "login_item/main_log_category.h"
#include "login_item/start_at_login_faces.h"
#include "settings/defaults_store.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QStandardPaths>
#include <QThread>

#include <atomic>
#include <mutex>
#include <optional>
#include <vector>

namespace veloquill {

namespace {
struct Subscription
{
    StartAtLogin::Receiver receiver;
    std::atomic<bool> cancelled = false;
};
using SubscriptionRef = std::shared_ptr<Subscription>;

// Queued on the service's (main) thread: a receiver never runs inside the write that caused it.
void deliver(QObject* context, const SubscriptionRef& to, bool value)
{
    QMetaObject::invokeMethod(
        context,
        [to, value] {
            if (!to->cancelled)
                to->receiver(value);
        },
        Qt::QueuedConnection);
}

// How the entry names the program: by its bare name when that is what the PATH runs, so
// the entry still works after a package update or a move along the PATH; by its absolute
// path otherwise (a build folder, an unpacked copy, a second copy earlier on the PATH).
QString launchCommand(const QString& programPath)
{
    const QString name = QStringLiteral("veloquill");
    const QString found = QFileInfo(QStandardPaths::findExecutable(name)).canonicalFilePath();
    if (!found.isEmpty() && found == QFileInfo(programPath).canonicalFilePath())
        return name;
    return programPath;
}
} // namespace

// The current value and who receives it. Tokens hold it weakly: one may outlive the service.
class StartAtLogin::Stream
{
public:
    // Adds the receiver and returns the current value, read through `read` if the stream
    // has not been used before.
    template <typename Read> bool add(const SubscriptionRef& subscription, const Read& read)
    {
        std::lock_guard lock(m_mutex);
        if (!m_current)
            m_current = read();
        m_subscriptions.push_back(subscription);
        return *m_current;
    }

    void remove(const SubscriptionRef& subscription)
    {
        std::lock_guard lock(m_mutex);
        std::erase(m_subscriptions, subscription);
    }

    // Makes the value current; returns who is to receive it.
    std::vector<SubscriptionRef> send(bool value)
    {
        std::lock_guard lock(m_mutex);
        m_current = value;
        return m_subscriptions;
    }

private:
    std::mutex m_mutex;
    std::optional<bool> m_current;
    std::vector<SubscriptionRef> m_subscriptions;
};

StartAtLogin& StartAtLogin::shared()
{
    static StartAtLogin* instance = [] {
        auto* startAtLogin = new StartAtLogin(QStringLiteral(VELOQUILL_APP_ID),
                                              QCoreApplication::applicationFilePath());
        // Stream values go out on the main loop, whichever thread asked first.
        startAtLogin->moveToThread(QCoreApplication::instance()->thread());
        return startAtLogin;
    }();
    return *instance;
}

StartAtLogin::StartAtLogin(const QString& appId, QString programPath, QObject* parent)
    : QObject(parent), m_entry(appId), m_legacyHelperEntry(appId + LegacyHelperSuffix),
      m_programPath(std::move(programPath)), m_observable(new StartAtLoginObservable(*this)),
      m_kvo(new StartAtLoginKvo(*this)), m_stream(std::make_shared<Stream>())
{}

StartAtLogin::~StartAtLogin() = default;

bool StartAtLogin::isEnabled() const
{
    return m_entry.isEnabled();
}

void StartAtLogin::setEnabled(bool enabled)
{
    Q_EMIT m_observable->objectWillChange();
    Q_EMIT m_kvo->isEnabledWillChange();
    registerForLogin(enabled);
    // What the file system now says, so that a refused write is not shown as done.
    const bool state = isEnabled();
    Q_EMIT m_kvo->isEnabledChanged(state);
    for (const auto& subscription : m_stream->send(state))
        deliver(this, subscription, state);
}

std::shared_ptr<ObservationToken> StartAtLogin::subscribe(Receiver receiver)
{
    auto subscription = std::make_shared<Subscription>();
    subscription->receiver = std::move(receiver);
    const bool current = m_stream->add(subscription, [this] { return isEnabled(); });
    deliver(this, subscription, current);
    const std::weak_ptr<Stream> stream = m_stream;
    return ObservationToken::create([stream, subscription] {
        subscription->cancelled = true;
        if (const auto alive = stream.lock())
            alive->remove(subscription);
    });
}

void StartAtLogin::migrateIfNeeded(DefaultsStore& defaults)
{
    if (defaults.boolean(HasMigratedKey).value_or(false))
        return;
    defaults.setBoolean(HasMigratedKey, true);
    if (m_legacyHelperEntry.isEnabled())
        registerForLogin(true);
    // Nothing depends on the old entry going; a leftover one is harmless.
    (void)m_legacyHelperEntry.remove();
}

void StartAtLogin::registerForLogin(bool enabled)
{
    const std::optional<QString> failure =
        enabled ? m_entry.write(launchCommand(m_programPath)) : m_entry.remove();
    if (failure)
        qCCritical(lcMain, "Failed to %s launch at login: %s", enabled ? "enable" : "disable",
                   qUtf8Printable(*failure));
}

} // namespace veloquill
