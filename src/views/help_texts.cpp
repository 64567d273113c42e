// SPDX-FileCopyrightText: 2026 The Veloquill developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#include "views/help_texts.h"

#include <QCoreApplication>
#include <QStringList>

namespace veloquill {

namespace {
QString joinedLines(const QStringList& lines)
{
    return lines.join(QLatin1Char('\n'));
}
} // namespace

QString accelerationHelpText()
{
    return joinedLines({
        QCoreApplication::translate(
            "HelpTexts", "Pointer Acceleration controls how the cursor speed changes based on how "
                         "fast you move your mouse."),
        QString(),
        QCoreApplication::translate(
            "HelpTexts", "• Higher values (10-20): Cursor moves much faster when you move the "
                         "mouse quickly, but stays precise for slow movements"),
        QCoreApplication::translate(
            "HelpTexts", "• Lower values (0-5): More consistent speed regardless of how fast you "
                         "move the mouse"),
        QCoreApplication::translate("HelpTexts",
                                    "• Value of 0: Linear response with no acceleration"),
        QString(),
        QCoreApplication::translate(
            "HelpTexts", "When acceleration is enabled, it works together with Pointer Speed to "
                         "determine the overall cursor behavior. Fast mouse movements get "
                         "multiplied by the acceleration factor, while slow movements remain close "
                         "to the base speed setting."),
    });
}

QString precisionFactorHelpText()
{
    return joinedLines({
        QCoreApplication::translate(
            "HelpTexts", "Precision mode slows the pointer for a fine task: the selected device "
                         "moves at this fraction of its speed while it is on."),
        QString(),
        QCoreApplication::translate(
            "HelpTexts", "Switch it with the check box, the tray menu's \"Precision mode\" item, "
                         "or from anywhere with a key: in the desktop's keyboard shortcut "
                         "settings, add a custom shortcut that runs"),
        QStringLiteral("    veloquill --precision toggle"),
        QCoreApplication::translate(
            "HelpTexts", "It works on X11 and Wayland alike. Precision mode is off at every start "
                         "and is never stored; the fraction is stored with the device."),
    });
}

QString speedHelpText()
{
    return joinedLines({
        QCoreApplication::translate(
            "HelpTexts", "Pointer Speed sets the base sensitivity of your mouse cursor."),
        QString(),
        QCoreApplication::translate(
            "HelpTexts", "• Higher values (0.7-1.0): Cursor moves farther for each unit of mouse "
                         "movement"),
        QCoreApplication::translate(
            "HelpTexts", "• Lower values (0.1-0.3): More precise control, cursor moves shorter "
                         "distances"),
        QCoreApplication::translate(
            "HelpTexts",
            "• Very low values: Useful for detailed work like photo editing or design"),
        QString(),
        QCoreApplication::translate(
            "HelpTexts", "This setting determines the baseline cursor speed before acceleration is "
                         "applied. When acceleration is enabled, this acts as the foundation speed "
                         "that gets multiplied during fast movements."),
    });
}

QString trackingSpeedHelpText()
{
    return joinedLines({
        QCoreApplication::translate(
            "HelpTexts", "Tracking Speed controls cursor movement when acceleration is disabled."),
        QString(),
        QCoreApplication::translate("HelpTexts",
                                    "• Higher values (0.7-1.0): Faster cursor movement"),
        QCoreApplication::translate(
            "HelpTexts", "• Lower values (0.1-0.3): Slower, more precise cursor movement"),
        QCoreApplication::translate(
            "HelpTexts", "• This provides direct 1:1 mapping between mouse movement and cursor "
                         "movement"),
        QString(),
        QCoreApplication::translate(
            "HelpTexts", "When acceleration is disabled, this becomes the primary control for "
                         "cursor speed. Unlike when acceleration is enabled, the cursor speed "
                         "remains constant regardless of how fast you move the mouse."),
    });
}

} // namespace veloquill
