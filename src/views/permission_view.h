// SPDX-FileCopyrightText: 2026 The Veloquill developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "device/control_unavailable_reason.h"
#include "views/desktop_settings_launcher.h"

#include <QWidget>

class QLabel;
class QPushButton;

namespace veloquill {

// Shown in the settings window while the program cannot control pointer devices: says what
// is missing in this session and what to do, and offers the desktop's mouse settings.
// Whether control is possible, and why not, is the settings window's question, not this
// view's.
class PermissionView : public QWidget
{
    Q_OBJECT

public:
    static constexpr int kPanelWidth = 400;

    explicit PermissionView(ControlUnavailableReason reason, DesktopSettingsLauncher launcher = {},
                            QWidget* parent = nullptr);

    // Opens the desktop's mouse settings; says so plainly when no known one is installed.
    void openAccessibilitySettings();

    QPushButton* openSettingsButton() const { return m_openButton; }
    // The note under the button, shown only when no settings program could be started.
    QLabel* unavailableNote() const { return m_unavailableNote; }

private:
    DesktopSettingsLauncher m_launcher;
    QPushButton* m_openButton = nullptr;
    QLabel* m_unavailableNote = nullptr;
};

} // namespace veloquill
