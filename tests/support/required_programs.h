#pragma once

#include <QString>

#include <initializer_list>

namespace veloquill::test {

// A program a test runs, and the Debian package that installs it.
struct RequiredProgram
{
    QString program;
    QString package;
};

// Fails the current test with one line naming the missing packages and scripts/setup when
// any program is not on the PATH. Use as ASSERT_NO_FATAL_FAILURE(requirePrograms({...})).
void requirePrograms(std::initializer_list<RequiredProgram> programs);

} // namespace veloquill::test
