// SPDX-FileCopyrightText: 2026 The Veloquill developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#include "shell/command_line.h"

#include "shell/about_info.h"

#include <QCommandLineParser>
#include <QStringList>

#include <cstdio>

namespace veloquill {

namespace {
QStringList arguments(int argc, char** argv)
{
    QStringList list;
    for (int i = 0; i < argc; ++i)
        list.append(QString::fromLocal8Bit(argv[i]));
    return list;
}
} // namespace

CommandLine parseCommandLine(int argc, char** argv)
{
    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("%1, in %2.")
            .arg(QString::fromUtf8(about::kSummary), QString::fromUtf8(about::kSessions)));
    // Qt's own help option would also offer --help-all for Qt options this program refuses.
    const QCommandLineOption help({QStringLiteral("h"), QStringLiteral("help")},
                                  QStringLiteral("Displays help on command-line options."));
    parser.addOption(help);
    const QCommandLineOption version = parser.addVersionOption();
    const QCommandLineOption includeVirtual(
        QStringLiteral("include-virtual-devices"),
        QStringLiteral("Also list the XTEST devices that software input goes through."));
    parser.addOption(includeVirtual);
    const QCommandLineOption restore(
        QStringLiteral("restore"),
        QStringLiteral("Put every pointer device Veloquill changed back as it was found, then "
                       "exit: 0 when done or nothing was left changed, 1 with one line when not. "
                       "A Veloquill running on this display is asked first, puts its devices "
                       "back and quits; when none runs, or it does not answer within 3 s, the "
                       "devices are put back here from the journal it keeps against a crash. "
                       "The way back to a usable pointer."));
    parser.addOption(restore);
    const QCommandLineOption backend(
        QStringLiteral("backend"),
        QStringLiteral("Control devices through <backend>, x11 (XInput2), kwin (KDE Plasma on "
                       "Wayland), gnome (GNOME's mouse and touchpad settings) or sway (Sway's IPC "
                       "socket, $SWAYSOCK), instead of the one the session calls for."),
        QStringLiteral("backend"));
    parser.addOption(backend);
    const QCommandLineOption precision(
        QStringLiteral("precision"),
        QStringLiteral("Switch the running Veloquill's precision mode <mode> (on, off or toggle), "
                       "which slows the selected device by its precision factor, then exit. Bind "
                       "'veloquill --precision toggle' to a key in the desktop's keyboard "
                       "shortcut settings."),
        QStringLiteral("mode"));
    parser.addOption(precision);

    CommandLine options;
    const bool parsed = parser.parse(arguments(argc, argv));
    const QString backendName = parsed ? parser.value(backend) : QString();
    const bool knownBackend = backendName.isEmpty() || backendName == QStringLiteral("x11") ||
                              backendName == QStringLiteral("kwin") ||
                              backendName == QStringLiteral("gnome") ||
                              backendName == QStringLiteral("sway");
    const QString precisionMode = parsed ? parser.value(precision) : QString();
    const bool knownPrecision = precisionMode.isEmpty() || precisionMode == QStringLiteral("on") ||
                                precisionMode == QStringLiteral("off") ||
                                precisionMode == QStringLiteral("toggle");
    if (!parsed || !knownBackend || !knownPrecision) {
        const QString error =
            !parsed         ? parser.errorText()
            : !knownBackend ? QStringLiteral("--backend takes x11, kwin, gnome or sway, not '%1'.")
                                  .arg(backendName)
                            : QStringLiteral("--precision takes on, off or toggle, not '%1'.")
                                  .arg(precisionMode);
        std::fprintf(stderr, "veloquill: %s\nTry 'veloquill --help' for more information.\n",
                     qPrintable(error));
        options.exitStatus = kUsageErrorStatus;
    } else if (parser.isSet(version)) {
        std::printf("veloquill %s\n", VELOQUILL_VERSION);
        options.exitStatus = 0;
    } else if (parser.isSet(help)) {
        // Without an application object Qt cannot name the program in the usage line.
        QString text = parser.helpText();
        text.replace(QStringLiteral("<executable_name>"), QStringLiteral("veloquill"));
        std::fputs(qPrintable(text), stdout);
        options.exitStatus = 0;
    }
    options.x11Options.includeVirtualDevices = parser.isSet(includeVirtual);
    options.restore = parser.isSet(restore);
    options.backend = backendName;
    options.precision = precisionMode;
    return options;
}

} // namespace veloquill
