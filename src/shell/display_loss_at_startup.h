// SPDX-FileCopyrightText: 2026 The Veloquill developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "shell/exit_status.h"
#include "support/log.h"

#include <QByteArray>
#include <QString>
#include <QtGlobal>

#include <cstdio>
#include <cstdlib>
#include <utility>
#include <vector>

#include <signal.h>
#include <unistd.h>

namespace veloquill {

// Held while the application object is made. Qt ends the program with qFatal (an abort) when
// its X connection fails then: an X server that went away since it was checked. Its messages
// are held meanwhile, so that such a start says one line and ends with the lost display's
// status. Qt 6.4's xcb plugin may also crash (a null reply while it reads the screens) when
// the server goes in the middle of that; meanwhile a crash ends the program the same way.
class DisplayLossAtStartup
{
public:
    DisplayLossAtStartup()
    {
        s_previous = qInstallMessageHandler(&DisplayLossAtStartup::handle);
        struct sigaction crash = {};
        crash.sa_handler = &DisplayLossAtStartup::crashed;
        for (const int signal : {SIGSEGV, SIGBUS})
            sigaction(signal, &crash, &m_crashActions[signal == SIGSEGV ? 0 : 1]);
    }
    // Qt connected: what it said meanwhile is said now.
    ~DisplayLossAtStartup()
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

    DisplayLossAtStartup(const DisplayLossAtStartup&) = delete;
    DisplayLossAtStartup& operator=(const DisplayLossAtStartup&) = delete;

private:
    struct Held
    {
        QtMsgType type;
        QByteArray file, function, category;
        int line;
        QString text;
    };

    static void handle(QtMsgType type, const QMessageLogContext& context, const QString& text)
    {
        if (type == QtFatalMsg) {
            std::fprintf(stderr, "veloquill: cannot control pointer devices: the X display went "
                                 "away during start-up\n");
            flushLogLines();
            std::_Exit(kDisplayUnusableStatus);
        }
        s_held.push_back(
            {type, context.file, context.function, context.category, context.line, text});
    }

    // Only what is safe in a signal handler: one write, and out.
    static void crashed(int)
    {
        static constexpr char line[] = "veloquill: cannot control pointer devices: the X "
                                       "connection failed during start-up\n";
        [[maybe_unused]] const auto written = ::write(STDERR_FILENO, line, sizeof line - 1);
        std::_Exit(kDisplayUnusableStatus);
    }

    struct sigaction m_crashActions[2] = {};
    static inline QtMessageHandler s_previous = nullptr;
    static inline std::vector<Held> s_held;
};

} // namespace veloquill
