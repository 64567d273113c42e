// SPDX-FileCopyrightText: 2026 The Veloquill developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <gtest/gtest.h>

#include <QStandardPaths>
#include <QString>
#include <QStringList>

#include <initializer_list>
#include <utility>

namespace veloquill::test {

// Fails the current test with one line naming the missing Debian packages and scripts/setup
// when any program is not on the PATH. Each pair is a program and the package that installs
// it: ASSERT_NO_FATAL_FAILURE(requirePrograms({{"Xvfb", "xvfb"}})).
inline void requirePrograms(std::initializer_list<std::pair<QString, QString>> programsAndPackages)
{
    QStringList missing;
    for (const auto& [program, package] : programsAndPackages) {
        if (QStandardPaths::findExecutable(program).isEmpty() && !missing.contains(package))
            missing.append(package);
    }
    if (!missing.isEmpty())
        FAIL() << "missing Debian package(s) " << missing.join(", ").toStdString()
               << ": run scripts/setup";
}

} // namespace veloquill::test
