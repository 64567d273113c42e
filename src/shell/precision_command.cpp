// SPDX-FileCopyrightText: 2026 The Veloquill developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#include "shell/precision_command.h"

#include "shell/single_instance.h"

#include <QCoreApplication>

#include <cstdio>

namespace veloquill {

namespace {
// How long `--precision` waits for the running Veloquill's answer.
constexpr int kPrecisionAnswerPatienceMs = 3000;
} // namespace

int switchPrecision(int argc, char** argv, const QString& mode)
{
    QCoreApplication app(argc, argv);
    switch (SingleInstance::askPrecision(SingleInstance::defaultSocketPath(), mode,
                                         kPrecisionAnswerPatienceMs)) {
    case SingleInstance::PrecisionAnswer::On:
    case SingleInstance::PrecisionAnswer::Off:
        return 0;
    case SingleInstance::PrecisionAnswer::NoAnswer:
        std::fprintf(stderr,
                     "veloquill: the running Veloquill did not answer within %d s; precision "
                     "mode is unchanged\n",
                     kPrecisionAnswerPatienceMs / 1000);
        return 1;
    case SingleInstance::PrecisionAnswer::NoInstance:
        break;
    }
    std::fprintf(stderr, "veloquill: no Veloquill is running to switch precision mode in\n");
    return 1;
}

} // namespace veloquill
