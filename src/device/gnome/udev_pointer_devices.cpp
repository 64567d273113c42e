#include "device/gnome/udev_pointer_devices.h"

namespace veloquill::gnome {

struct UdevPointerDevices::Udev
{};

UdevPointerDevices::UdevPointerDevices(QObject* parent) : QObject(parent) {}
UdevPointerDevices::~UdevPointerDevices() = default;

bool UdevPointerDevices::start()
{
    return false;
}

} // namespace veloquill::gnome
