#pragma once

#include <QStringList>
#include <QtGlobal>

namespace veloquill::test {

// Collects "<category>: <message>" for each critical message logged while it lives.
class CriticalLogCapture
{
public:
    CriticalLogCapture() : m_previous(qInstallMessageHandler(&handle)) { lines().clear(); }
    ~CriticalLogCapture() { qInstallMessageHandler(m_previous); }
    CriticalLogCapture(const CriticalLogCapture&) = delete;
    CriticalLogCapture& operator=(const CriticalLogCapture&) = delete;

    static QStringList& lines()
    {
        static QStringList captured;
        return captured;
    }

private:
    static void handle(QtMsgType type, const QMessageLogContext& context, const QString& text)
    {
        if (type == QtCriticalMsg)
            lines().append(QString::fromUtf8(context.category) + QStringLiteral(": ") + text);
    }

    QtMessageHandler m_previous;
};

} // namespace veloquill::test
