// SPDX-FileCopyrightText: 2026 The Veloquill developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#include "shell/termination_signals.h"

#include <QSocketNotifier>

#include <csignal>
#include <fcntl.h>
#include <sys/signalfd.h>
#include <sys/socket.h>
#include <unistd.h>

namespace veloquill {

namespace {
int g_signalSockets[2] = {-1, -1};

// Only async-signal-safe work here: hand the signal number to the main loop.
void forwardSignal(int signalNumber)
{
    const unsigned char byte = static_cast<unsigned char>(signalNumber);
    const int savedErrno = errno;
    [[maybe_unused]] const ssize_t written = ::write(g_signalSockets[0], &byte, 1);
    errno = savedErrno;
}

constexpr int kSignals[] = {SIGTERM, SIGINT, SIGHUP};
} // namespace

TerminationSignals::TerminationSignals(QObject* parent) : QObject(parent)
{
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, g_signalSockets) != 0)
        return;
    ::fcntl(g_signalSockets[0], F_SETFL, O_NONBLOCK);
    m_notifier = new QSocketNotifier(g_signalSockets[1], QSocketNotifier::Read, this);
    connect(m_notifier, &QSocketNotifier::activated, this, [this] {
        unsigned char byte = 0;
        if (::read(g_signalSockets[1], &byte, 1) == 1)
            Q_EMIT terminationRequested(byte);
    });

    struct sigaction action = {};
    action.sa_handler = forwardSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    sigset_t wanted;
    sigemptyset(&wanted);
    for (int signalNumber : kSignals) {
        ::sigaction(signalNumber, &action, nullptr);
        sigaddset(&wanted, signalNumber);
    }
    // A signal that every thread blocks never reaches the handler: it stays pending, and is
    // read here. A launcher may start the program so (the mask is inherited across exec), and
    // a library may leave a thread's mask so.
    m_blockedSignals = ::signalfd(-1, &wanted, SFD_NONBLOCK | SFD_CLOEXEC);
    if (m_blockedSignals >= 0) {
        m_blockedNotifier = new QSocketNotifier(m_blockedSignals, QSocketNotifier::Read, this);
        connect(m_blockedNotifier, &QSocketNotifier::activated, this, [this] {
            signalfd_siginfo info = {};
            if (::read(m_blockedSignals, &info, sizeof info) == sizeof info)
                Q_EMIT terminationRequested(static_cast<int>(info.ssi_signo));
        });
    }
}

TerminationSignals::~TerminationSignals()
{
    delete m_notifier;
    delete m_blockedNotifier;
    if (m_blockedSignals >= 0)
        ::close(m_blockedSignals);
    for (int signalNumber : kSignals)
        std::signal(signalNumber, SIG_DFL);
    for (int& fd : g_signalSockets) {
        if (fd >= 0)
            ::close(fd);
        fd = -1;
    }
}

} // namespace veloquill
