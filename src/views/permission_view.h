#pragma once

#include "views/desktop_settings_launcher.h"

#include <QWidget>

class QLabel;
class QPushButton;

namespace veloquill {

// Shown in the settings window while the program cannot control pointer devices: says why
// it needs to, and offers the desktop's mouse settings. Whether control is possible is the
// settings window's question, not this view's.
class PermissionView : public QWidget
{
    Q_OBJECT

public:
    static constexpr int kPanelWidth = 400;

    explicit PermissionView(QWidget* parent = nullptr);
    explicit PermissionView(DesktopSettingsLauncher launcher, QWidget* parent = nullptr);

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
