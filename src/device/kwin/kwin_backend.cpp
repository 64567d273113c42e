// SPDX-FileCopyrightText: 2026 The Veloquill developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#include "device/kwin/kwin_backend.h"

#include "device/kwin/kwin_session.h"

#include <QDBusMessage>

namespace veloquill {

KWinBackend::KWinBackend(KWinBackendOptions options)
    : DesktopBackend(
          startSession<kwin::KWinSession>(options.busAddress, options.journalDirectory,
                                          options.restoreLimit),
          ControlUnavailableReason::KWinUnreachable,
          kwin::kLogPrefix +
              QStringLiteral("cannot control pointer devices: KWin is not on the session bus"))
{}

bool KWinBackend::managerAnswers(const QString& busAddress)
{
    // A connection of its own, usable before the QApplication exists, and silent: a session
    // without KWin is no error. It waits, but before the program has anything to serve.
    const QString name = QStringLiteral("veloquill-kwin-probe");
    const QDBusConnection bus =
        busAddress.isEmpty() ? QDBusConnection::connectToBus(QDBusConnection::SessionBus, name)
                             : QDBusConnection::connectToBus(busAddress, name);
    const bool answers =
        bus.isConnected() && bus.call(kwin::devicesSysNamesCall(), QDBus::Block, 2000).type() ==
                                 QDBusMessage::ReplyMessage;
    QDBusConnection::disconnectFromBus(name);
    return answers;
}

} // namespace veloquill
