#include "support/required_programs.h"

#include <gtest/gtest.h>

#include <QStandardPaths>
#include <QStringList>

namespace veloquill::test {

void requirePrograms(std::initializer_list<RequiredProgram> programs)
{
    QStringList missing;
    for (const RequiredProgram& required : programs) {
        if (QStandardPaths::findExecutable(required.program).isEmpty() &&
            !missing.contains(required.package))
            missing.append(required.package);
    }
    if (!missing.isEmpty())
        FAIL() << "missing Debian package(s) " << missing.join(", ").toStdString()
               << ": run scripts/setup";
}

} // namespace veloquill::test
