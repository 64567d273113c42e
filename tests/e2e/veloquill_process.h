// SPDX-FileCopyrightText: 2026 The Veloquill developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "settings/device_specific_settings.h"
#include "settings/pointer_speed_mapping.h"
#include "settings/qsettings_defaults_store.h"
#include "settings/veloquill_pointer_settings_state.h"
#include "support/main_loop.h"

#include <gtest/gtest.h>

#include <QProcess>
#include <QProcessEnvironment>

#include <csignal>
#include <functional>
#include <string>
#include <utility>

namespace veloquill::test {

const QString kStarted = "[AppDelegate] Called PointerDeviceManager.shared.startObservation()";

// The program's settings file in `home`, with these records and, when given, this selection,
// as an earlier run left them.
inline QSettingsDefaultsStore storeSettings(const QString& home, const DeviceSettingsTable& records,
                                            const QString& selected = {})
{
    QSettingsDefaultsStore store(home + "/Veloquill/Veloquill.conf");
    store.setData(VeloquillPointerSettingsState::DeviceSettingsKey,
                  *encodeDeviceSettingsTable(records).data);
    if (!selected.isEmpty())
        store.setString(VeloquillPointerSettingsState::SelectedDeviceIDKey, selected);
    return store;
}

// What a libinput backend holds for a speed of the slider: the gain − 1.
inline double libinputSpeedFor(double sliderSpeed)
{
    return slowMotionGain(sliderSpeed) - 1;
}

// The veloquill program in a session of its own: none of this one's desktop variables, its
// settings, single-instance socket and journal in `home`, then `variables`. Two programs given
// one home are two starts of one user's program.
class VeloquillProcess
{
public:
    VeloquillProcess(const QString& home, const QList<std::pair<QString, QString>>& variables,
                     const QStringList& arguments = {})
        : m_home(home)
    {
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        for (const char* name :
             {"DISPLAY", "WAYLAND_DISPLAY", "XDG_SESSION_TYPE", "XDG_CURRENT_DESKTOP", "SWAYSOCK",
              "QT_QPA_PLATFORM", "QT_QPA_PLATFORMTHEME", "QT_STYLE_OVERRIDE",
              "DBUS_SESSION_BUS_ADDRESS"})
            environment.remove(name);
        environment.insert("XDG_CONFIG_HOME", home);
        environment.insert("XDG_RUNTIME_DIR", home);
        for (const auto& [name, value] : variables)
            environment.insert(name, value);
        m_process.setProcessEnvironment(environment);
        m_process.start(VELOQUILL_BINARY, arguments);
        m_process.waitForStarted();
    }
    // A program still running leaves the way a logout would, restoring its devices.
    ~VeloquillProcess()
    {
        signal(SIGTERM);
        if (!ended())
            m_process.kill();
    }

    qint64 pid() const { return m_process.processId(); }
    QProcess& process() { return m_process; }
    QString settingsFile() const { return m_home + "/Veloquill/Veloquill.conf"; }
    void signal(int signalNumber)
    {
        if (m_process.state() != QProcess::NotRunning)
            ::kill(static_cast<pid_t>(pid()), signalNumber);
    }

    QStringList output()
    {
        m_stdout += m_process.readAllStandardOutput();
        return QString::fromUtf8(m_stdout).split('\n', Qt::SkipEmptyParts);
    }
    // Each wait that fails tells what the program was doing meanwhile.
    testing::AssertionResult waitUntil(const std::function<bool()>& done, int timeoutMs = 15000)
    {
        return told(runMainLoopUntil(done, timeoutMs));
    }
    testing::AssertionResult waitForLine(const QString& line)
    {
        return waitUntil([&] { return output().contains(line); });
    }
    // Some line holds `part`.
    testing::AssertionResult waitForOutput(const QString& part)
    {
        return waitUntil([&] { return !output().filter(part).isEmpty(); });
    }
    // The main loop runs meanwhile: a stand-in in this process may have to answer.
    testing::AssertionResult waitForEnd() { return told(ended()); }
    testing::AssertionResult exitedCleanly()
    {
        return told(ended() && m_process.exitStatus() == QProcess::NormalExit &&
                    m_process.exitCode() == 0);
    }
    // Ended by the signal, as a logout ends it, and cleanly.
    testing::AssertionResult quit(int signalNumber = SIGTERM)
    {
        signal(signalNumber);
        return exitedCleanly();
    }
    // What the program was doing when something did not happen.
    std::string tail()
    {
        const QStringList lines = output()
                                  << QString::fromLocal8Bit(m_process.readAllStandardError());
        return lines.mid(qMax(0, lines.size() - 25)).join('\n').toStdString();
    }

private:
    bool ended()
    {
        return runMainLoopUntil([&] { return m_process.state() == QProcess::NotRunning; }, 15000);
    }
    testing::AssertionResult told(bool success)
    {
        return success ? testing::AssertionSuccess()
                       : testing::AssertionFailure() << tail() << '\n';
    }

    QString m_home;
    QProcess m_process;
    QByteArray m_stdout;
};

} // namespace veloquill::test
