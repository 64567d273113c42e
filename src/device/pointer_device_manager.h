// SPDX-FileCopyrightText: 2026 The Veloquill developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "device/pointer_backend.h"
#include "device/pointer_device.h"

#include <QObject>
#include <QPointer>

#include <memory>
#include <optional>
#include <unordered_map>
#include <vector>

namespace veloquill {

// The registry of pointer devices: watches a backend for pointing devices,
// keeps one PointerDevice per backend device and a published list of them all (identical devices
// share a stableID and are listed each), tells subscribers of arrivals, and puts every device
// it changed back at quit.
class PointerDeviceManager : public QObject
{
    Q_OBJECT

public:
    // Tests and the program build managers on an event system of their choice.
    explicit PointerDeviceManager(std::shared_ptr<PointerBackend> eventSystem);
    ~PointerDeviceManager() override;

    // The one manager the program uses, on the event system installed by
    // installSharedEventSystem before first use.
    static PointerDeviceManager& shared();
    static void installSharedEventSystem(std::shared_ptr<PointerBackend> eventSystem);

    void startObservation();
    void stopObservation();

    // In order of arrival, every device object: twins share a stableID.
    const std::vector<PointerDeviceRef>& devices() const { return m_devices; }

    // Puts every present device this program changed back exactly as it was first seen (by
    // this run, or by an earlier one that did not quit), then forgets the recorded
    // resolutions. False when anything is not back as found: see notPutBack().
    bool restoreInitialPointerSettings();
    // After a restore, what is not back as found, each with where its originals are kept, in
    // one line; empty when everything is.
    const QString& notPutBack() const { return m_notPutBack; }

    // Whether the devices take an amount of acceleration apart from their speed.
    bool supportsAccelerationAmount() const { return m_eventSystem->supportsAccelerationAmount(); }
    bool settingsSharedByKind() const { return m_eventSystem->settingsSharedByKind(); }

Q_SIGNALS:
    // After every change of devices().
    void devicesChanged();
    // A device arrived and is listed; sent inside the arrival, before devicesChanged's
    // receivers that are queued run.
    void deviceAdded(const PointerDeviceRef& device);

private:
    // Arrival and removal.
    void addDevice(const BackendDeviceRef& client);
    void removeFromListedDevices(const PointerDeviceRef& device);
    void logInitialResolution(const PointerDevice& device);

    // The device map: one device per known backend device, oldest first.
    PointerDeviceRef mappedDevice(const BackendDeviceRef& client) const;

    // What the event system calls, bound to this manager by the registrations below; the
    // arrival registration ends before the watch does, so arrivals come only while observing.
    void removalCallback(const BackendDeviceRef& client);

    std::shared_ptr<PointerBackend> m_eventSystem;
    // Everything below is touched on the main thread only, where the event system calls.
    std::unique_ptr<DeviceWatch> m_eventSystemClient;
    HidRegistration m_deviceMatchingRegistration;
    // Outlive observation, so that a device leaving while it is stopped still leaves the
    // list; end with the manager, so that nothing calls it once it is gone.
    std::unordered_map<BackendDeviceRef, HidRegistration> m_removalRegistrations;
    std::vector<PointerDeviceRef> m_mappedDevices;
    QString m_notPutBack;
    std::vector<PointerDeviceRef> m_devices;
};

} // namespace veloquill
