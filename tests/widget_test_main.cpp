// SPDX-FileCopyrightText: 2026 The Veloquill developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#include "views/accessible_style.h"

#include <QApplication>

#include <gtest/gtest.h>

// Widget tests run with a full QApplication. They never reach the user's display: without
// an explicit platform they draw offscreen.
int main(int argc, char** argv)
{
    ::testing::InitGoogleTest(&argc, argv);
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    // As the program draws: its focus rings, outlines and sizes over the platform's style.
    veloquill::installAccessibleStyle(app);
    return RUN_ALL_TESTS();
}
