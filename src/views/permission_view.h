// SPDX-FileCopyrightText: 2026 The Veloquill developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "device/control_unavailable_reason.h"
#include <QWidget>

#include <QStringList>

#include <functional>

class QLabel;
class QPushButton;

namespace veloquill {

// How the view reaches the desktops' mouse settings programs: a program's full path (empty when
// it is not installed), starting one without waiting (whether it started), and the running
// desktop as XDG_CURRENT_DESKTOP names it.
struct DesktopPrograms
{
    std::function<QString(const QString& program)> find;
    std::function<bool(const QString& path, const QStringList& arguments)> start;
    QString currentDesktop;

    // PATH, a detached process and the environment.
    static DesktopPrograms ofThisSession();
};

// Shown in the settings window while the program cannot control pointer devices: says what
// is missing in this session and what to do, and offers the desktop's mouse settings.
// Whether control is possible, and why not, is the settings window's question, not this
// view's.
class PermissionView : public QWidget
{
    Q_OBJECT

public:
    static constexpr int kPanelWidth = 400;

    explicit PermissionView(ControlUnavailableReason reason,
                            DesktopPrograms programs = DesktopPrograms::ofThisSession(),
                            QWidget* parent = nullptr);

    QPushButton* openSettingsButton() const { return m_openButton; }
    // The note under the button, shown only when no settings program could be started.
    QLabel* unavailableNote() const { return m_unavailableNote; }

private:
    DesktopPrograms m_programs;
    QPushButton* m_openButton = nullptr;
    QLabel* m_unavailableNote = nullptr;
};

} // namespace veloquill
