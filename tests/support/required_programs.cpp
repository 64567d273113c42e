// SPDX-FileCopyrightText: 2026 The Veloquill developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#include "support/required_programs.h"

#include <gtest/gtest.h>

#include <QStandardPaths>
#include <QStringList>

namespace veloquill::test {

void requirePrograms(std::initializer_list<std::pair<QString, QString>> programsAndPackages)
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
