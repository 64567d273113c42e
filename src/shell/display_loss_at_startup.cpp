// SPDX-FileCopyrightText: 2026 The Veloquill developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#include "shell/display_loss_at_startup.h"

#include "shell/exit_status.h"
#include "support/log.h"

#include <cstdio>
#include <cstdlib>
#include <utility>

#include <unistd.h>

namespace veloquill {

DisplayLossAtStartup::DisplayLossAtStartup()
{
    s_previous = qInstallMessageHandler(&DisplayLossAtStartup::handle);
    struct sigaction crash = {};
    crash.sa_handler = &DisplayLossAtStartup::crashed;
    for (const int signal : {SIGSEGV, SIGBUS})
        sigaction(signal, &crash, &m_crashActions[signal == SIGSEGV ? 0 : 1]);
}

DisplayLossAtStartup::~DisplayLossAtStartup()
{
    sigaction(SIGSEGV, &m_crashActions[0], nullptr);
    sigaction(SIGBUS, &m_crashActions[1], nullptr);
    qInstallMessageHandler(s_previous);
    for (const Held& message : std::exchange(s_held, {})) {
        const QMessageLogContext context(message.file.constData(), message.line,
                                         message.function.constData(),
                                         message.category.constData());
        s_previous(message.type, context, message.text);
    }
}

void DisplayLossAtStartup::handle(QtMsgType type, const QMessageLogContext& context,
                                  const QString& text)
{
    if (type == QtFatalMsg) {
        std::fprintf(stderr, "veloquill: cannot control pointer devices: the X display went "
                             "away during start-up\n");
        flushLogLines();
        std::_Exit(kDisplayUnusableStatus);
    }
    s_held.push_back({type, context.file, context.function, context.category, context.line, text});
}

// Only what is safe in a signal handler: one write, and out.
void DisplayLossAtStartup::crashed(int)
{
    static constexpr char line[] = "veloquill: cannot control pointer devices: the X "
                                   "connection failed during start-up\n";
    [[maybe_unused]] const auto written = ::write(STDERR_FILENO, line, sizeof line - 1);
    std::_Exit(kDisplayUnusableStatus);
}

} // namespace veloquill
