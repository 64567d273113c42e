#pragma once

#include <QObject>

namespace veloquill {

class StartAtLogin;

// The face of StartAtLogin for views: it stores nothing, and says only that isEnabled is
// about to change, so a view reads it again once the change is done (on a later turn of the
// main loop) and shows what the file system holds.
class StartAtLoginObservable : public QObject
{
    Q_OBJECT
    Q_PROPERTY(bool isEnabled READ isEnabled WRITE setEnabled)

public:
    explicit StartAtLoginObservable(StartAtLogin& startAtLogin);

    bool isEnabled() const;
    void setEnabled(bool enabled);

Q_SIGNALS:
    void objectWillChange();

private:
    StartAtLogin& m_startAtLogin;
};

} // namespace veloquill
