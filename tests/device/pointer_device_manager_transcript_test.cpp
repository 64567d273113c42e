// The device layer's log wording, pinned once: people compare logs across versions.
#include "manager_fixture.h"

#include "device/hid_keys.h"

#include <cmath>

using namespace veloquill;
using namespace veloquill::test;

namespace {

// Two identical mice without serial numbers and a trackball whose resolution is unreadable
// come and go around a stop, a restart and two quits.
const char* const kTranscript =
    R"(PointerDeviceManager: Attempting to create IOHIDEventSystemClient for observation.
PointerDeviceManager: IOHIDEventSystemClient created successfully.
PointerDeviceManager: Found 3 initial services.
PointerDeviceManager: addDevice(forClient:) called for client: SimulatedService(id=4294968001, "Foot Mouse")
PointerDeviceManager: Created PointerDevice: Foot Mouse
[PointerDeviceManager] Recorded initial pointer resolution 400.0 for device Foot Mouse
PointerDeviceManager: Added device to serviceClientToPointerDevice map: Foot Mouse
PointerDeviceManager: Appended device to @Published devices array: Foot Mouse (stableID: 5-6-Foot Mouse-N/A)
PointerDeviceManager: Triggering deviceAdded callback for device: Foot Mouse
PointerDeviceManager: Registered removal block for client: SimulatedService(id=4294968001, "Foot Mouse")
PointerDeviceManager: addDevice(forClient:) called for client: SimulatedService(id=4294968002, "Trackball")
PointerDeviceManager: Created PointerDevice: Trackball
[PointerDeviceManager] Warning: Could not read initial pointer resolution for device Trackball
PointerDeviceManager: Added device to serviceClientToPointerDevice map: Trackball
PointerDeviceManager: Appended device to @Published devices array: Trackball (stableID: 7-8-Trackball-N/A)
PointerDeviceManager: Triggering deviceAdded callback for device: Trackball
PointerDeviceManager: Registered removal block for client: SimulatedService(id=4294968002, "Trackball")
PointerDeviceManager: addDevice(forClient:) called for client: SimulatedService(id=4294968003, "Foot Mouse")
PointerDeviceManager: Created PointerDevice: Foot Mouse
[PointerDeviceManager] Recorded initial pointer resolution 400.0 for device Foot Mouse
PointerDeviceManager: Added device to serviceClientToPointerDevice map: Foot Mouse
PointerDeviceManager: Device (stableID: 5-6-Foot Mouse-N/A) already in @Published devices array, not appending: Foot Mouse
PointerDeviceManager: Triggering deviceAdded callback for device: Foot Mouse
PointerDeviceManager: Registered removal block for client: SimulatedService(id=4294968003, "Foot Mouse")
PointerDeviceManager: Observation started and initial devices processed. Initialization complete.
PointerDeviceManager: startObservation called but eventSystemClient is already initialized. Observation likely active.
PointerDeviceManager: Re-scanning for existing services on active client.
PointerDeviceManager: addDevice(forClient:) called for client: SimulatedService(id=4294968001, "Foot Mouse")
PointerDeviceManager: Client already exists: SimulatedService(id=4294968001, "Foot Mouse")
PointerDeviceManager: addDevice(forClient:) called for client: SimulatedService(id=4294968002, "Trackball")
PointerDeviceManager: Client already exists: SimulatedService(id=4294968002, "Trackball")
PointerDeviceManager: addDevice(forClient:) called for client: SimulatedService(id=4294968003, "Foot Mouse")
PointerDeviceManager: Client already exists: SimulatedService(id=4294968003, "Foot Mouse")
PointerDeviceManager: Device removal callback triggered for client: SimulatedService(id=4294968003, "Foot Mouse")
PointerDeviceManager: removeDevice(forClient:) called for client: SimulatedService(id=4294968003, "Foot Mouse")
PointerDeviceManager: Found device to remove: Foot Mouse
PointerDeviceManager: Removed device from serviceClientToPointerDevice map: Foot Mouse
PointerDeviceManager: Device (stableID: 5-6-Foot Mouse-N/A) left but its listed twin is still connected, keeping it in @Published devices array: Foot Mouse
PointerDevice: Refusing to write nan under key 'HIDPointerResolution': not representable as 16.16 fixed point
[PointerDeviceManager] stopObservation: Stopping IOKit listening. Device list will persist.
[PointerDeviceManager] stopObservation: Unregistered device matching block.
[PointerDeviceManager] stopObservation: Event block unregistration handled by client release.
[PointerDeviceManager] stopObservation: Property changed callback unregistration handled by client release.
[PointerDeviceManager] stopObservation: Unscheduled eventSystemClient from dispatch queue.
[PointerDeviceManager] stopObservation: Set eventSystemClient to nil. IOKit listening stopped.
[PointerDeviceManager] stopObservation: eventSystemClient is already nil. Observation likely not active.
PointerDeviceManager: pointerDeviceFromIOHIDEvent called but eventSystemClient is nil
PointerDeviceManager: Manager eventSystemClient is nil during device removal, continuing anyway
PointerDeviceManager: Device removal callback triggered for client: SimulatedService(id=4294968001, "Foot Mouse")
PointerDeviceManager: removeDevice(forClient:) called for client: SimulatedService(id=4294968001, "Foot Mouse")
PointerDeviceManager: Found device to remove: Foot Mouse
PointerDeviceManager: Removed device from serviceClientToPointerDevice map: Foot Mouse
PointerDeviceManager: Removed device from @Published devices array: Foot Mouse (stableID: 5-6-Foot Mouse-N/A)
PointerDeviceManager: Remaining devices after removal (1 total):
  - Trackball (stableID: 7-8-Trackball-N/A)
[PointerDeviceManager] Attempting to restore initial pointer settings for 1 devices.
[PointerDeviceManager] Retrieved system HID property 'HIDPointerAcceleration' as IOFixed, converted to Double: Optional(0.6875)
[PointerDeviceManager] Retrieved system default acceleration (HIDPointerAcceleration): 0.6875
[PointerDeviceManager] No recorded initial pointer resolution to restore for device Trackball
[PointerDeviceManager] Restored pointer acceleration to system default (0.6875) for device Trackball
[PointerDeviceManager] Cleared stored initial resolutions.
PointerDeviceManager: Attempting to create IOHIDEventSystemClient for observation.
PointerDeviceManager: IOHIDEventSystemClient created successfully.
PointerDeviceManager: Found 2 initial services.
PointerDeviceManager: addDevice(forClient:) called for client: SimulatedService(id=4294968002, "Trackball")
PointerDeviceManager: Client already exists: SimulatedService(id=4294968002, "Trackball")
PointerDeviceManager: addDevice(forClient:) called for client: SimulatedService(id=4294968004, "Foot Mouse")
PointerDeviceManager: Created PointerDevice: Foot Mouse
[PointerDeviceManager] Recorded initial pointer resolution 3000.0 for device Foot Mouse
PointerDeviceManager: Added device to serviceClientToPointerDevice map: Foot Mouse
PointerDeviceManager: Appended device to @Published devices array: Foot Mouse (stableID: 5-6-Foot Mouse-N/A)
PointerDeviceManager: Triggering deviceAdded callback for device: Foot Mouse
PointerDeviceManager: Registered removal block for client: SimulatedService(id=4294968004, "Foot Mouse")
PointerDeviceManager: Observation started and initial devices processed. Initialization complete.
[PointerDeviceManager] Attempting to restore initial pointer settings for 2 devices.
[PointerDeviceManager] Failed to get IOHIDSystem service.
[PointerDeviceManager] Warning: Could not determine system default pointer acceleration via IOKit for key 'HIDPointerAcceleration'. Falling back.
[PointerDeviceManager] No recorded initial pointer resolution to restore for device Trackball
[PointerDeviceManager] Warning: System default pointer acceleration not found. Applied fallback (0.6875) for device Trackball
[PointerDeviceManager] Restored initial pointer resolution 3000.0 for device Foot Mouse
[PointerDeviceManager] Warning: System default pointer acceleration not found. Applied fallback (0.6875) for device Foot Mouse
[PointerDeviceManager] Cleared stored initial resolutions.
PointerDeviceManager: Device removal callback triggered for client: SimulatedService(id=4294968002, "Trackball")
PointerDeviceManager: removeDevice(forClient:) called for client: SimulatedService(id=4294968002, "Trackball")
PointerDeviceManager: Found device to remove: Trackball
PointerDeviceManager: Removed device from serviceClientToPointerDevice map: Trackball
PointerDeviceManager: Removed device from @Published devices array: Trackball (stableID: 7-8-Trackball-N/A)
PointerDeviceManager: Remaining devices after removal (1 total):
  - Foot Mouse (stableID: 5-6-Foot Mouse-N/A)
PointerDeviceManager: Device removal callback triggered for client: SimulatedService(id=4294968004, "Foot Mouse")
PointerDeviceManager: removeDevice(forClient:) called for client: SimulatedService(id=4294968004, "Foot Mouse")
PointerDeviceManager: Found device to remove: Foot Mouse
PointerDeviceManager: Removed device from serviceClientToPointerDevice map: Foot Mouse
PointerDeviceManager: Removed device from @Published devices array: Foot Mouse (stableID: 5-6-Foot Mouse-N/A)
PointerDeviceManager: Remaining devices after removal (0 total):
[No devices remaining - device switching may be needed]
)";

} // namespace

TEST_F(ManagerTest, LogTranscriptOfTwinsComingAndGoingAroundARestartAndTwoQuits)
{
    auto listed = plugIn("Foot Mouse", 5, 6);
    sim::ServiceSpec odd = sim::ServiceSpec::mouse("Trackball", 7, 8);
    odd.properties[HidKey::PointerResolution] = HidPropertyValue::text("fine");
    auto trackball = system->addService(odd);
    auto twin = plugIn("Foot Mouse", 5, 6);
    auto token = manager->observeDeviceAdded([](auto&, const auto&) {});

    manager->startObservation();
    manager->startObservation();
    unplug(twin);
    manager->devices()[0]->setPointerResolution(std::nan(""));
    manager->stopObservation();
    manager->stopObservation();
    manager->pointerDeviceFromIOHIDEvent(std::make_shared<HidEvent>());
    unplug(listed);
    system->setSystemParameter(
        HidKey::PointerAcceleration,
        {HidSystemParameterRead::Outcome::Copied, 0, HidPropertyValue::integer(45056)});
    manager->restoreInitialPointerSettings();

    auto returned = plugIn("Foot Mouse", 5, 6, std::nullopt, 3000.0);
    manager->startObservation();
    system->setSystemParameter(HidKey::PointerAcceleration, {});
    manager->restoreInitialPointerSettings();
    unplug(trackball);
    unplug(returned);

    EXPECT_EQ(log.lines().join('\n') + '\n', QString::fromUtf8(kTranscript));
}
