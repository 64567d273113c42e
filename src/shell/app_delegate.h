#pragma once

#include <QObject>

#include <functional>

namespace veloquill {

class PointerDeviceManager;

// Drives the device side of the program: observation from launch, and every device put
// back the way it was found before observation stops at quit.
class AppDelegate : public QObject
{
    Q_OBJECT

public:
    explicit AppDelegate(PointerDeviceManager& manager, QObject* parent = nullptr);

    void applicationDidFinishLaunching();
    void applicationWillTerminate();

private:
    PointerDeviceManager& m_manager;
    bool m_terminated = false;
};

} // namespace veloquill
