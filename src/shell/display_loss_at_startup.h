// SPDX-FileCopyrightText: 2026 The Veloquill developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QByteArray>
#include <QString>
#include <QtGlobal>

#include <vector>

#include <signal.h>

namespace veloquill {

// Held while the application object is made. Qt ends the program with qFatal (an abort) when
// its X connection fails then: an X server that went away since it was checked. Its messages
// are held meanwhile, so that such a start says one line and ends with the lost display's
// status. Qt 6.4's xcb plugin may also crash (a null reply while it reads the screens) when
// the server goes in the middle of that; meanwhile a crash ends the program the same way.
class DisplayLossAtStartup
{
public:
    DisplayLossAtStartup();
    // Qt connected: what it said meanwhile is said now.
    ~DisplayLossAtStartup();

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

    static void handle(QtMsgType type, const QMessageLogContext& context, const QString& text);
    static void crashed(int);

    struct sigaction m_crashActions[2] = {};
    static inline QtMessageHandler s_previous = nullptr;
    static inline std::vector<Held> s_held;
};

} // namespace veloquill
