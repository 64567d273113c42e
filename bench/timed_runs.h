// SPDX-FileCopyrightText: 2026 The Veloquill developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

// What the whole-program benchmarks share: a runtime folder where a real session keeps it, and
// the median of the runs as their figure.

#include <benchmark/benchmark.h>

#include <QDir>
#include <QTemporaryDir>

#include <algorithm>
#include <memory>
#include <vector>

namespace veloquill::test {

// On tmpfs, as $XDG_RUNTIME_DIR is in a real session, where /dev/shm is one.
inline std::unique_ptr<QTemporaryDir> runtimeFolderOnTmpfs()
{
    return std::make_unique<QTemporaryDir>(QDir(QStringLiteral("/dev/shm")).exists()
                                               ? QStringLiteral("/dev/shm/veloquill-XXXXXX")
                                               : QString());
}

// Sorts the times (so a caller may read other ranks after).
inline void reportMedianMs(benchmark::State& state, std::vector<double>& times)
{
    std::sort(times.begin(), times.end());
    state.counters["median_ms"] = times[times.size() / 2];
}

} // namespace veloquill::test
