#include "manager_fixture.h"

using namespace veloquill;
using namespace veloquill::test;
using sim::PropertyWrite;

namespace {
HidPropertyValue fixed(std::int64_t value)
{
    return HidPropertyValue::integer(value);
}
} // namespace

using ManagerRestore = ManagerTest;

TEST_F(ManagerRestore, PutsBackFirstSeenResolutionAndSystemDefaultAcceleration)
{
    system->setSystemParameterValue("HIDPointerAcceleration", fixed(45056));
    auto mouse = plugIn("Head Mouse", 1, 2, std::nullopt, 400.0);
    manager->startObservation();
    // The program changes the device...
    manager->devices()[0]->setPointerResolution(56.33802816901409);
    manager->devices()[0]->setPointerAcceleration(-1.0);
    mouse->clearWrites();
    log.clear();

    manager->restoreInitialPointerSettings();
    EXPECT_EQ(mouse->writes(),
              (std::vector<PropertyWrite>{{"HIDPointerResolution", fixed(26214400)},
                                          {"HIDPointerAcceleration", fixed(45056)}}));
    EXPECT_EQ(log.lines(),
              QStringList({
                  "[PointerDeviceManager] Attempting to restore initial pointer settings for 1 "
                  "devices.",
                  "[PointerDeviceManager] Retrieved system HID property 'HIDPointerAcceleration' "
                  "as IOFixed, converted to Double: Optional(0.6875)",
                  "[PointerDeviceManager] Retrieved system default acceleration "
                  "(HIDPointerAcceleration): 0.6875",
                  "[PointerDeviceManager] Restored initial pointer resolution 400.0 for device "
                  "Head Mouse",
                  "[PointerDeviceManager] Restored pointer acceleration to system default (0.6875) "
                  "for device Head Mouse",
                  "[PointerDeviceManager] Cleared stored initial resolutions.",
              }));

    // A second restore finds nothing recorded and only resets the acceleration.
    mouse->clearWrites();
    log.clear();
    manager->restoreInitialPointerSettings();
    EXPECT_EQ(mouse->writes(),
              (std::vector<PropertyWrite>{{"HIDPointerAcceleration", fixed(45056)}}));
    EXPECT_TRUE(log.contains("[PointerDeviceManager] No recorded initial pointer resolution to "
                             "restore for device Head Mouse"));
}

TEST_F(ManagerRestore, RecordedResolutionsOutsideTheBoundsAreWrittenBounded)
{
    system->setSystemParameterValue("HIDPointerAcceleration", fixed(65536));
    auto slow = plugIn("Slow", 1, 1, std::nullopt, 5.0);
    auto fast = plugIn("Fast", 2, 2, std::nullopt, 3000.0);
    manager->startObservation();
    slow->clearWrites();
    fast->clearWrites();
    manager->restoreInitialPointerSettings();
    EXPECT_EQ(slow->writes().front(), (PropertyWrite{"HIDPointerResolution", fixed(655360)}));
    EXPECT_EQ(fast->writes().front(), (PropertyWrite{"HIDPointerResolution", fixed(130744320)}));
    EXPECT_TRUE(log.contains("[PointerDeviceManager] Restored initial pointer resolution 5.0 for "
                             "device Slow"));
    EXPECT_TRUE(log.contains("[PointerDeviceManager] Restored initial pointer resolution 3000.0 "
                             "for device Fast"));
}

TEST_F(ManagerRestore, WithoutSystemDefaultEachDeviceGetsTheFallbackUnderItsOwnKey)
{
    sim::ServiceSpec typed = sim::ServiceSpec::mouse("Typed", 1, 1);
    typed.properties["HIDPointerAccelerationType"] =
        HidPropertyValue::text("HIDTrackpadAcceleration");
    sim::ServiceSpec plain = sim::ServiceSpec::mouse("Plain", 2, 2);
    sim::ServiceSpec bare = sim::ServiceSpec::mouse("Bare", 3, 3);
    bare.properties.erase("HIDPointerAcceleration");
    auto typedService = system->addService(typed);
    auto plainService = system->addService(plain);
    auto bareService = system->addService(bare);
    manager->startObservation();
    for (auto& s : {typedService, plainService, bareService})
        s->clearWrites();

    manager->restoreInitialPointerSettings();
    EXPECT_EQ(typedService->writes().back(),
              (PropertyWrite{"HIDTrackpadAcceleration", fixed(45056)}));
    EXPECT_EQ(plainService->writes().back(),
              (PropertyWrite{"HIDPointerAcceleration", fixed(45056)}));
    EXPECT_EQ(bareService->writes().back(), (PropertyWrite{"HIDMouseAcceleration", fixed(45056)}));
    // Resolutions are restored all the same.
    EXPECT_EQ(plainService->writes().front(),
              (PropertyWrite{"HIDPointerResolution", fixed(26214400)}));
    EXPECT_TRUE(log.contains("[PointerDeviceManager] Failed to get IOHIDSystem service."));
    EXPECT_TRUE(log.contains("[PointerDeviceManager] Warning: Could not determine system default "
                             "pointer acceleration via IOKit for key 'HIDPointerAcceleration'. "
                             "Falling back."));
    EXPECT_EQ(log.linesStartingWith("[PointerDeviceManager] Warning: System default pointer "
                                    "acceleration not found. Applied fallback (0.6875) for device ")
                  .size(),
              3);
}

TEST_F(ManagerRestore, EachWayOfFailingToReadTheSystemDefaultHasItsLine)
{
    using Outcome = HidSystemParameterRead::Outcome;
    const QString key = "HIDPointerAcceleration";
    const std::vector<std::pair<HidSystemParameterRead, QString>> cases{
        {{Outcome::OpenFailed, -536870201, {}},
         "[PointerDeviceManager] Failed to open IOHIDSystem service connection: -536870201"},
        {{Outcome::CopyFailed, -536870160, {}},
         "[PointerDeviceManager] Failed to copy HID parameter 'HIDPointerAcceleration': "
         "-536870160 (valueCFTypeUnmanaged: nil)"},
        {{Outcome::Copied, 0, HidPropertyValue::real(0.5)},
         "[PointerDeviceManager] Failed to get IOFixed from CFNumber for key "
         "'HIDPointerAcceleration'."},
        {{Outcome::Copied, 0, HidPropertyValue::integer(1LL << 33)},
         "[PointerDeviceManager] Failed to get IOFixed from CFNumber for key "
         "'HIDPointerAcceleration'."},
        {{Outcome::Copied, 0, HidPropertyValue::text("fast")},
         "[PointerDeviceManager] Retrieved system HID property 'HIDPointerAcceleration' but type "
         "mismatch or unhandled CFType. Expected Double, got 4"},
    };
    for (const auto& [read, line] : cases) {
        system->setSystemParameter(key, read);
        log.clear();
        EXPECT_EQ(manager->getSystemDefaultPointerAcceleration(), std::nullopt);
        EXPECT_EQ(log.lines().value(0), line);
        EXPECT_EQ(log.lines().size(), 2);
    }
}

TEST_F(ManagerRestore, NoDevicesStillClearsTheRecord)
{
    auto mouse = plugIn("Head Mouse");
    manager->startObservation();
    unplug(mouse);
    log.clear();
    manager->restoreInitialPointerSettings();
    EXPECT_EQ(
        log.lines().first(),
        "[PointerDeviceManager] Attempting to restore initial pointer settings for 0 devices.");
    EXPECT_EQ(log.lines().last(), "[PointerDeviceManager] Cleared stored initial resolutions.");
    EXPECT_EQ(manager->initialResolution(mouse), std::nullopt);
    // A device that left is not touched.
    EXPECT_TRUE(mouse->writes().empty());
}

TEST_F(ManagerRestore, ReturningDeviceKeepsBothRecordsAndOnlyTheListedOneIsUsed)
{
    auto before = plugIn("Head Mouse", 1, 2, std::nullopt, 400.0);
    manager->startObservation();
    unplug(before);
    // It comes back already slowed down by an earlier run of ours.
    auto after = plugIn("Head Mouse", 1, 2, std::nullopt, 800.0);
    drainMainLoop();
    EXPECT_EQ(manager->initialResolution(before), 400.0);
    EXPECT_EQ(manager->initialResolution(after), 800.0);
    after->clearWrites();
    manager->restoreInitialPointerSettings();
    EXPECT_EQ(after->writes().front(), (PropertyWrite{"HIDPointerResolution", fixed(800 * 65536)}));
}

TEST_F(ManagerRestore, UnreadableResolutionIsNotRecorded)
{
    sim::ServiceSpec spec = sim::ServiceSpec::mouse("Odd", 1, 2);
    spec.properties["HIDPointerResolution"] = HidPropertyValue::text("fine");
    auto odd = system->addService(spec);
    manager->startObservation();
    EXPECT_TRUE(log.contains("[PointerDeviceManager] Warning: Could not read initial pointer "
                             "resolution for device Odd"));
    odd->clearWrites();
    manager->restoreInitialPointerSettings();
    for (const auto& write : odd->writes())
        EXPECT_NE(write.key, "HIDPointerResolution");
}
