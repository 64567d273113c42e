// SPDX-FileCopyrightText: 2026 The Veloquill developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

// The backend of a KDE Plasma Wayland session: KWin's pointer devices on the session
// bus as services (docs/kwin-backend.md). No call waits for KWin but the restore at quit, and
// that for a bounded time.

#include "device/desktop_session.h"

#include <chrono>

namespace veloquill {

struct KWinBackendOptions
{
    // The bus KWin is on; empty means the session bus.
    QString busAddress;
    // Where the originals of changed devices are kept against a crash; empty means
    // $XDG_RUNTIME_DIR.
    QString journalDirectory;
    // How long the restore at quit waits, in all, for KWin's device list and answers.
    std::chrono::milliseconds restoreLimit{5000};
};

// Create it after the QCoreApplication. Never fails: without KWin it lists nothing, and lists
// KWin's devices once KWin appears; KWinUnreachable while KWin is not on the bus.
class KWinBackend : public DesktopBackend
{
public:
    explicit KWinBackend(KWinBackendOptions options = {});

    // Whether KWin's input device manager answers on that bus (empty: the session bus): the
    // question that picks this backend at start.
    static bool managerAnswers(const QString& busAddress = {});
};

} // namespace veloquill
