// SPDX-FileCopyrightText: 2026 The Veloquill developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#include "views/permission_view.h"

#include "views/svg_icon.h"
#include "views/target_size.h"
#include "views/text_styles.h"

#include <QCoreApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QProcess>
#include <QPushButton>
#include <QStandardPaths>
#include <QVBoxLayout>

#include <algorithm>

namespace veloquill {

namespace {
constexpr int kIconSize = 50;
constexpr int kSpacing = 16;

QString needs(const QString& what)
{
    return PermissionView::tr("This application needs %1 to function correctly.").arg(what);
}

struct PermissionWording
{
    QString title;
    QString subtitle;
    QString explanation;
};

// What the view says for one reason.
PermissionWording wordingFor(ControlUnavailableReason reason)
{
    using Reason = ControlUnavailableReason;
    switch (reason) {
    case Reason::WaylandSession:
        return {PermissionView::tr("X11 Session Required"),
                needs(QCoreApplication::translate("PermissionView", "an X11 session")),
                QCoreApplication::translate(
                    "veloquill::PermissionView",
                    "Veloquill controls pointer devices through X11. This session uses "
                    "Wayland; log in to an X11 session to use it.")};
    case Reason::NoXInput22:
        return {PermissionView::tr("XInput 2.2 Required"),
                needs(QCoreApplication::translate("PermissionView", "XInput 2.2")),
                QCoreApplication::translate(
                    "veloquill::PermissionView",
                    "Veloquill controls pointer devices through the X server's XInput "
                    "extension, version 2.2 or later. This X server has an older one "
                    "or none; use a newer X server to use it.")};
    case Reason::GnomeSettingsMissing:
        return {PermissionView::tr("GNOME Settings Missing"),
                needs(PermissionView::tr("GNOME's pointer settings")),
                QCoreApplication::translate(
                    "veloquill::PermissionView",
                    "Veloquill sets GNOME's mouse and touchpad settings, which this "
                    "system does not have (org.gnome.desktop.peripherals, in the "
                    "package gsettings-desktop-schemas). Install them and start "
                    "Veloquill again.")};
    case Reason::KWinUnreachable:
        return {PermissionView::tr("KWin Not Answering"),
                needs(PermissionView::tr("KWin's input interface")),
                QCoreApplication::translate(
                    "veloquill::PermissionView",
                    "Veloquill controls pointer devices through KWin's input "
                    "interface, which does not answer. This window tries again every "
                    "second.")};
    case Reason::SwayUnreachable:
        return {PermissionView::tr("Sway Not Answering"),
                needs(QCoreApplication::translate("PermissionView", "Sway's IPC socket")),
                QCoreApplication::translate(
                    "veloquill::PermissionView",
                    "Veloquill controls pointer devices through Sway's IPC socket "
                    "($SWAYSOCK), which does not answer. This window tries again every "
                    "second.")};
    case Reason::DisplayLost:
    case Reason::NoReason:
        break;
    }
    return {PermissionView::tr("X Display Unavailable"),
            needs(QCoreApplication::translate("PermissionView", "its X display")),
            QCoreApplication::translate(
                "veloquill::PermissionView",
                "Veloquill needs to control your mouse pointer, and has lost its "
                "connection to the X server. Start Veloquill again in your X11 "
                "session.")};
}
// A desktop's own mouse settings program.
struct MouseSettingsCommand
{
    QString desktop; // as named in XDG_CURRENT_DESKTOP
    QString program;
    QStringList arguments;
};

// Starts the mouse settings of whichever desktop is installed, the running one first, otherwise
// in the order below; whether one started.
bool openMouseSettings(const DesktopPrograms& programs)
{
    std::vector<MouseSettingsCommand> ordered{
        {QStringLiteral("KDE"), QStringLiteral("systemsettings"), {QStringLiteral("kcm_mouse")}},
        {QStringLiteral("GNOME"),
         QStringLiteral("gnome-control-center"),
         {QStringLiteral("mouse")}},
        {QStringLiteral("XFCE"), QStringLiteral("xfce4-mouse-settings"), {}},
        {QStringLiteral("MATE"), QStringLiteral("mate-mouse-properties"), {}},
        {QStringLiteral("LXQt"), QStringLiteral("lxqt-config-input"), {}},
        {QStringLiteral("X-Cinnamon"),
         QStringLiteral("cinnamon-settings"),
         {QStringLiteral("mouse")}},
    };
    // XDG_CURRENT_DESKTOP lists names from most to least specific ("ubuntu:GNOME").
    const QStringList running = programs.currentDesktop.split(QLatin1Char(':'), Qt::SkipEmptyParts);
    const auto rank = [&](const MouseSettingsCommand& command) {
        for (qsizetype i = 0; i < running.size(); ++i) {
            if (running[i].compare(command.desktop, Qt::CaseInsensitive) == 0)
                return i;
        }
        return running.size();
    };
    std::ranges::stable_sort(ordered, {}, rank);
    for (const MouseSettingsCommand& command : ordered) {
        const QString path = programs.find(command.program);
        if (!path.isEmpty() && programs.start(path, command.arguments))
            return true;
    }
    return false;
}
} // namespace

DesktopPrograms DesktopPrograms::ofThisSession()
{
    return {[](const QString& program) { return QStandardPaths::findExecutable(program); },
            [](const QString& path, const QStringList& arguments) {
                return QProcess::startDetached(path, arguments);
            },
            qEnvironmentVariable("XDG_CURRENT_DESKTOP")};
}

PermissionView::PermissionView(ControlUnavailableReason reason, DesktopPrograms programs,
                               QWidget* parent)
    : QWidget(parent), m_programs(std::move(programs))
{
    const PermissionWording wording = wordingFor(reason);
    auto* icon = new QLabel;
    icon->setFixedSize(kIconSize, kIconSize);
    icon->setPixmap(renderSvg(QStringLiteral(":/veloquill/views/accessibility.svg"),
                              QSize(kIconSize, kIconSize)));

    auto* title = makeWrappedLabel(wording.title);
    title->setFont(headlineFont());
    QLabel* subtitle = makeNote(wording.subtitle);
    subtitle->setFont(subheadlineFont());

    auto* titles = new QVBoxLayout;
    titles->addWidget(title);
    titles->addWidget(subtitle);
    auto* header = new QHBoxLayout;
    header->addWidget(icon, 0, Qt::AlignVCenter);
    header->addLayout(titles, 1);

    m_openButton = new QPushButton(tr("Open Mouse Settings"));
    m_openButton->setDefault(true);
    m_openButton->setMinimumHeight(kMinimumTargetSize);
    m_openButton->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);

    m_unavailableNote = makeNote(
        tr("No mouse settings program of a known desktop (KDE Plasma, GNOME, Xfce, MATE, LXQt, "
           "Cinnamon) was found. Please open your desktop's mouse or accessibility settings "
           "from its menu."));
    m_unavailableNote->hide();
    // The desktop's mouse settings; said plainly when no known one is installed.
    connect(m_openButton, &QPushButton::clicked, this,
            [this] { m_unavailableNote->setVisible(!openMouseSettings(m_programs)); });

    auto* panel = new QWidget;
    panel->setFixedWidth(kPanelWidth);
    auto* panelLayout = new QVBoxLayout(panel);
    panelLayout->setSpacing(kSpacing);
    panelLayout->addLayout(header);
    panelLayout->addWidget(makeWrappedLabel(wording.explanation));
    panelLayout->addWidget(m_openButton);
    panelLayout->addWidget(m_unavailableNote);

    // The panel keeps its width and sits in the middle of whatever window holds it. Stretches
    // rather than an alignment centre it: an aligned item would get its one-line height and
    // cut off the wrapped text.
    auto* row = new QHBoxLayout;
    row->addStretch();
    row->addWidget(panel);
    row->addStretch();
    auto* layout = new QVBoxLayout(this);
    layout->addStretch();
    layout->addLayout(row);
    layout->addStretch();
}

} // namespace veloquill
