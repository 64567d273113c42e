#include "login_item/start_at_login_observable.h"

#include "login_item/start_at_login.h"

namespace veloquill {

StartAtLoginObservable::StartAtLoginObservable(StartAtLogin& startAtLogin)
    : QObject(&startAtLogin), m_startAtLogin(startAtLogin)
{}

bool StartAtLoginObservable::isEnabled() const
{
    return m_startAtLogin.isEnabled();
}

void StartAtLoginObservable::setEnabled(bool enabled)
{
    m_startAtLogin.setEnabled(enabled);
}

} // namespace veloquill
