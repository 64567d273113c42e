#pragma once

#include <QObject>

namespace veloquill {

class StartAtLogin;

// StartAtLogin's isEnabled as a Qt property: readable, writable and notifying, for property
// bindings and for code that watches properties by name.
class StartAtLoginKvo : public QObject
{
    Q_OBJECT
    Q_PROPERTY(bool isEnabled READ isEnabled WRITE setEnabled NOTIFY isEnabledChanged)

public:
    explicit StartAtLoginKvo(StartAtLogin& startAtLogin);

    bool isEnabled() const;
    void setEnabled(bool enabled);

Q_SIGNALS:
    void isEnabledWillChange();
    // After every write, with the state read back; also when it did not change.
    void isEnabledChanged(bool enabled);

private:
    StartAtLogin& m_startAtLogin;
};

} // namespace veloquill
