// SPDX-FileCopyrightText: 2026 The Veloquill developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QString>

#include <initializer_list>
#include <utility>

namespace veloquill::test {

// Fails the current test with one line naming the missing Debian packages and scripts/setup
// when any program is not on the PATH. Each pair is a program and the package that installs
// it: ASSERT_NO_FATAL_FAILURE(requirePrograms({{"Xvfb", "xvfb"}})).
void requirePrograms(std::initializer_list<std::pair<QString, QString>> programsAndPackages);

} // namespace veloquill::test
