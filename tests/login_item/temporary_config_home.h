// SPDX-FileCopyrightText: 2026 The Veloquill developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QDir>
#include <QFile>
#include <QStringList>
#include <QTemporaryDir>

namespace veloquill::test {

// Points XDG_CONFIG_HOME at a fresh folder while it lives, so no test touches the user's own
// autostart folder.
class TemporaryConfigHome
{
public:
    TemporaryConfigHome() { qputenv("XDG_CONFIG_HOME", QFile::encodeName(m_dir.path())); }
    ~TemporaryConfigHome() { qunsetenv("XDG_CONFIG_HOME"); }

    QString autostartPath() const { return m_dir.path() + "/autostart"; }
    QString entryPath(const QString& name) const
    {
        return autostartPath() + "/" + name + ".desktop";
    }

    // An entry as the desktop, or an older version of the program, left it.
    void writeEntry(const QString& name, const QByteArray& text) const
    {
        QDir().mkpath(autostartPath());
        QFile file(entryPath(name));
        if (file.open(QIODevice::WriteOnly))
            file.write(text);
    }

    // A plain file in the autostart folder's place: nothing can be made inside it, not even
    // by root, whom permission bits would not stop.
    void blockAutostartFolder() const
    {
        QDir(autostartPath()).removeRecursively();
        QFile file(autostartPath());
        if (file.open(QIODevice::WriteOnly))
            file.write("not a folder\n");
    }

private:
    QTemporaryDir m_dir;
};

// Collects "<category>: <message>" for each critical message logged while it lives.
class CriticalLogCapture
{
public:
    CriticalLogCapture() : m_previous(qInstallMessageHandler(&handle)) { lines().clear(); }
    ~CriticalLogCapture() { qInstallMessageHandler(m_previous); }

    static QStringList& lines()
    {
        static QStringList captured;
        return captured;
    }

private:
    static void handle(QtMsgType type, const QMessageLogContext& context, const QString& text)
    {
        if (type == QtCriticalMsg)
            lines().append(QString::fromUtf8(context.category) + ": " + text);
    }

    QtMessageHandler m_previous;
};

} // namespace veloquill::test
