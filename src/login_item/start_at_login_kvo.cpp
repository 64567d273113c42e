#include "login_item/start_at_login_kvo.h"

#include "login_item/start_at_login.h"

namespace veloquill {

StartAtLoginKvo::StartAtLoginKvo(StartAtLogin& startAtLogin)
    : QObject(&startAtLogin), m_startAtLogin(startAtLogin)
{}

bool StartAtLoginKvo::isEnabled() const
{
    return m_startAtLogin.isEnabled();
}

void StartAtLoginKvo::setEnabled(bool enabled)
{
    m_startAtLogin.setEnabled(enabled);
}

} // namespace veloquill
