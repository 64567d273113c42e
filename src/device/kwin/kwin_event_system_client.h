#pragma once

// A client of the KWin backend: matching, arrival and property-changed callbacks. KWin
// reports no input events, so event callbacks are accepted and never called.

#include "device/hid_event_system.h"

#include <memory>

namespace veloquill::kwin {

class KWinSession;
struct KWinClientState;

class KWinEventSystemClient : public HidEventSystemClient
{
public:
    explicit KWinEventSystemClient(std::shared_ptr<KWinSession> session);
    ~KWinEventSystemClient() override;

    void setMatchingMultiple(const std::vector<HidMatchingDictionary>& matching) override;
    HidRegistration registerDeviceMatchingCallback(HidServiceCallback callback) override;
    HidRegistration registerEventCallback(HidEventCallback callback) override;
    void setEventDeliveryEnabled(bool) override {}
    HidRegistration registerPropertyChangedCallback(const QString& key,
                                                    HidPropertyChangedCallback callback) override;
    void scheduleWithMainLoop() override;
    void unscheduleFromMainLoop() override;
    std::optional<std::vector<HidServiceClientRef>> copyServices() override;
    HidServiceClientRef copyServiceForRegistryID(std::uint64_t registryID) override;

private:
    std::shared_ptr<KWinSession> m_session;
    std::shared_ptr<KWinClientState> m_state;
};

} // namespace veloquill::kwin
