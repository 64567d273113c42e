// SPDX-FileCopyrightText: 2026 The Veloquill developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QObject>

class QSocketNotifier;

namespace veloquill {

// Turns SIGTERM, SIGINT and SIGHUP (session logout) into a signal on the main loop, so that
// they take the same terminate path as the Quit item. Only one may exist.
class TerminationSignals : public QObject
{
    Q_OBJECT

public:
    explicit TerminationSignals(QObject* parent = nullptr);
    ~TerminationSignals() override;

Q_SIGNALS:
    void terminationRequested(int signalNumber);

private:
    QSocketNotifier* m_notifier = nullptr;
    int m_blockedSignals = -1;
    QSocketNotifier* m_blockedNotifier = nullptr;
};

} // namespace veloquill
