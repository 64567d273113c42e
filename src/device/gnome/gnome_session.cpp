// SPDX-FileCopyrightText: 2026 The Veloquill developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#include "device/gnome/gnome_session.h"

#include "device/gnome/gnome_backend.h"
#include "support/log.h"
#include "support/number_format.h"

#include <QStringList>

#include <algorithm>
#include <cmath>

namespace veloquill::gnome {

namespace {
const QString kNone = QStringLiteral("none");
const QString kFlat = QStringLiteral("flat");
const QString kAdaptive = QStringLiteral("adaptive");
// accel-profile's values, numbered as the journal keeps them.
const QStringList kProfiles{QStringLiteral("default"), kFlat, kAdaptive};

// The journal keeps every value of a key in the same size: a double's 8 bytes for a speed, one
// byte numbering the profile; zeros for none.
QByteArray bytesOf(SettingKey key, const QVariant& value)
{
    if (key.key == Key::AccelProfile)
        return QByteArray(
            1, static_cast<char>(std::max<qsizetype>(kProfiles.indexOf(value.toString()), 0)));
    const double number = value.toDouble();
    return QByteArray(reinterpret_cast<const char*>(&number), sizeof number);
}

// Invalid when the bytes are no value this program writes to the key.
QVariant valueOf(SettingKey key, const QByteArray& bytes)
{
    if (bytes.size() != bytesOf(key, {}).size())
        return {};
    if (key.key == Key::AccelProfile) {
        const int index = bytes.at(0);
        return index >= 0 && index < kProfiles.size() ? QVariant(kProfiles[index]) : QVariant();
    }
    const double number = journalDouble(bytes);
    return number >= libinput::kMinSpeed && number <= libinput::kMaxSpeed ? QVariant(number)
                                                                          : QVariant();
}

// A double read back from a text backend may differ in its last bit.
bool sameValue(const QVariant& a, const QVariant& b)
{
    if (a.typeId() == QMetaType::Double && b.typeId() == QMetaType::Double)
        return std::abs(a.toDouble() - b.toDouble()) <= 1e-9;
    return a == b;
}

// One journal entry per schema with written keys, one property per key.
std::vector<JournalDevice> journalEntries(const KeyStates& states)
{
    // The keys come in the order of their schemas: one entry for each schema's run of them.
    std::vector<JournalDevice> entries;
    for (const auto& [key, state] : states) {
        if (entries.empty() || entries.back().name != schemaId(key.schema))
            entries.emplace_back(0, schemaId(key.schema), std::vector<JournalProperty>{});
        const QByteArray original = bytesOf(key, state.original);
        JournalProperty property(keyName(key.key),
                                 state.original.isValid() ? QStringLiteral("value") : kNone, 8,
                                 static_cast<int>(original.size()), original);
        property.writtenState = JournalWritten::Value;
        property.written = bytesOf(key, state.written);
        entries.back().properties.push_back(std::move(property));
    }
    return entries;
}

// Why a property of the journal is none this backend writes; empty when it is one, and the state
// of the key it holds is then put in `states`, if given.
QString fromJournal(const JournalDevice& entry, const JournalProperty& property,
                    KeyStates* states = nullptr)
{
    const auto schema = schemaNamed(entry.name);
    if (!schema || entry.deviceId != 0 || entry.vendorProduct)
        return QStringLiteral("not one of GNOME's pointer settings");
    const auto key = keyNamed(*schema, property.name);
    const QVariant written = key && property.writtenState == JournalWritten::Value
                                 ? valueOf(*key, property.written)
                                 : QVariant();
    const bool hasOriginal = property.type != kNone;
    const QVariant original = key && property.type == QStringLiteral("value")
                                  ? valueOf(*key, property.bytes)
                                  : QVariant();
    if (!written.isValid() ||
        (hasOriginal ? !original.isValid() : property.bytes != bytesOf(*key, {})))
        return QStringLiteral("not as this program writes it");
    if (states)
        (*states)[*key] = {original, written, 0};
    return {};
}

QString describe(SettingKey key)
{
    return schemaId(key.schema) + QLatin1Char(' ') + keyName(key.key);
}

QString describe(const QVariant& value)
{
    return value.typeId() == QMetaType::Double
               ? formatReal(value.toDouble())
               : QLatin1Char('\'') + value.toString() + QLatin1Char('\'');
}

} // namespace

std::shared_ptr<GnomeSession> GnomeDevice::presentSession() const
{
    auto session = m_session.lock();
    return session && !hasLeft() && session->reachable() ? session : nullptr;
}

libinput::Values GnomeDevice::read(GnomeSettingsKeys::Reading reading) const
{
    const GnomeSettingsKeys& keys = presentSession()->keys();
    const QVariant speed = keys.read(speedKey(), reading);
    const QVariant profile = keys.read(profileKey(), reading);
    // GNOME's "default" profile is libinput's default for the device, adaptive for every
    // pointer it drives: only "flat" is acceleration off.
    libinput::Values values;
    if (speed.isValid())
        values.speed = speed.toDouble();
    if (profile.isValid())
        values.flat = profile.toString() == kFlat;
    return values;
}

bool GnomeDevice::speedWritable() const
{
    return presentSession()->keys().isWritable(speedKey());
}

bool GnomeDevice::profileWritable() const
{
    return presentSession()->keys().isWritable(profileKey());
}

QString GnomeDevice::writeSpeed(std::optional<double> speed)
{
    presentSession()->write(speedKey(), speed ? QVariant(*speed) : QVariant(), *this);
    return {};
}

QString GnomeDevice::writeProfile(std::optional<bool> flat)
{
    presentSession()->write(profileKey(), flat ? QVariant(*flat ? kFlat : kAdaptive) : QVariant(),
                            *this);
    return {};
}

RestoreOutcome GnomeDevice::restoreFirstSeen()
{
    const auto session = m_session.lock();
    if (!session || !session->reachable())
        return RestoreOutcome::Unreachable;
    return hasLeft() ? RestoreOutcome::Untouched
                     : session->restore(registryID(), speedKey(), profileKey());
}

GnomeSession::GnomeSession(const QString& journalDirectory)
    : m_journal(journalDirectory, {QStringLiteral("gnome"), kLogPrefix, QStringLiteral("boot")}),
      m_bootMark(bootMark())
{
    connect(&m_devices, &UdevPointerDevices::deviceAdded, this, &GnomeSession::deviceAdded);
    connect(&m_devices, &UdevPointerDevices::deviceRemoved, this, &GnomeSession::deviceRemoved);
    connect(&m_keys, &GnomeSettingsKeys::changed, this, &GnomeSession::keyChanged);
}

void GnomeSession::start()
{
    m_journal.load(m_bootMark, [](const JournalDevice& entry, const JournalProperty& property) {
        return fromJournal(entry, property);
    });
    for (const JournalDevice& entry : m_journal.devices()) {
        for (const JournalProperty& property : entry.properties)
            fromJournal(entry, property, &m_states);
    }
    // What a run that did not quit left written goes back now; the selected device, if it is
    // here, gets its record again once the settings are loaded.
    for (const auto& [key, state] : KeyStates(m_states)) {
        if (putBack(key))
            m_putBackAtStart.insert(key);
    }
    journal();
    if (!m_devices.start())
        logLine(kLogPrefix + QStringLiteral("cannot follow pointer devices: udev is unavailable"));
    for (const UdevPointerDevice& device : m_devices.devices())
        deviceAdded(device);
}

void GnomeSession::deviceAdded(const UdevPointerDevice& device)
{
    const auto self = shared_from_this(); // a callback may drop every other reference
    add(std::make_shared<GnomeDevice>(weak_from_this(), device, m_nextRegistryID++));
}

void GnomeSession::deviceRemoved(const QString& sysName)
{
    const auto self = shared_from_this();
    // Its kind's settings hold what they held before it was given its own.
    if (const auto service = find(sysName))
        putBackKeysOf(service->registryID());
    remove(sysName);
}

void GnomeSession::write(SettingKey key, const QVariant& value, const GnomeDevice& service)
{
    if (!value.isValid()) {
        putBack(key);
        return;
    }
    // Mutter reconfigures every device of the kind on each change: a drag of the speed slider
    // writes the profile it already holds again at every step.
    const auto held = m_states.find(key);
    if (held != m_states.end() && sameValue(held->second.written, value) &&
        sameValue(m_keys.read(key), value)) {
        held->second.owner = service.registryID();
        return;
    }
    const KeyStates before = m_states;
    m_states[key] = {held != m_states.end()
                         ? held->second.original
                         : m_keys.read(key, GnomeSettingsKeys::Reading::UserValue),
                     value, service.registryID()};
    // On record before it is written: after a crash the key may hold it.
    journal();
    if (m_keys.write(key, value))
        return;
    m_states = before;
    journal();
    logLine(kLogPrefix + QStringLiteral("GSettings refused ") + describe(key) +
            QStringLiteral(" = ") + describe(value) + QStringLiteral(" for ") + service.describe() +
            (m_keys.isWritable(key) ? QStringLiteral(": not a value the key takes")
                                    : QStringLiteral(": the key is locked")));
}

bool GnomeSession::putBack(SettingKey key)
{
    const auto found = m_states.find(key);
    if (found == m_states.end())
        return true;
    // Nothing can be put back without GNOME's schemas: it stays for another try.
    if (!m_keys.available())
        return false;
    // Off the record first: GSettings may tell of the write at once.
    const KeyState state = found->second;
    m_states.erase(found);
    const QVariant now = m_keys.read(key);
    const bool changedSince = !sameValue(now, state.written);
    if (changedSince)
        logLine(kLogPrefix + describe(key) +
                QStringLiteral(" keeps what another program set since: ") + describe(now));
    const bool back = changedSince || m_keys.write(key, state.original);
    if (!back)
        m_states[key] = state;
    journal();
    return back;
}

bool GnomeSession::putBackKeysOf(std::uint64_t owner)
{
    std::vector<SettingKey> owned;
    for (const auto& [key, state] : m_states) {
        if (state.owner == owner)
            owned.push_back(key);
    }
    for (const SettingKey key : owned)
        putBack(key);
    return !owned.empty();
}

RestoreOutcome GnomeSession::restore(std::uint64_t owner, SettingKey speed, SettingKey profile)
{
    // Its kind's keys an earlier run left written went back at start: restored all the same.
    if (!putBackKeysOf(owner) && !m_putBackAtStart.contains(speed) &&
        !m_putBackAtStart.contains(profile))
        return RestoreOutcome::Untouched;
    // A key GSettings would not take back stays ours, and in the journal.
    return m_states.contains(speed) || m_states.contains(profile) ? RestoreOutcome::Refused
                                                                  : RestoreOutcome::Restored;
}

std::size_t GnomeSession::restoreUnlisted()
{
    putBackKeysOf(0);
    const auto left = std::count_if(m_states.begin(), m_states.end(),
                                    [](const auto& entry) { return entry.second.owner == 0; });
    if (left > 0)
        logLine(kLogPrefix + QString::number(left) +
                QStringLiteral(" settings could not be put back; their originals stay in ") +
                m_journal.path());
    // Writes reach dconf in the background: the program is about to end.
    m_keys.sync();
    return static_cast<std::size_t>(left);
}

void GnomeSession::keyChanged(SettingKey key)
{
    const auto found = m_states.find(key);
    if (found != m_states.end() && !sameValue(m_keys.read(key), found->second.written)) {
        // Changed in GNOME's own Settings (or by another program): it stays, now and at quit.
        logLine(kLogPrefix + describe(key) + QStringLiteral(" was set to ") +
                describe(m_keys.read(key)) +
                QStringLiteral(" by another program; it stays as set"));
        m_states.erase(found);
        journal();
    }
}

void GnomeSession::journal()
{
    // Rewritten whole only when what it holds changes: a slider drag writes the same originals.
    std::vector<JournalDevice> entries = journalEntries(m_states);
    if (entries == m_journal.devices())
        return;
    for (const JournalDevice& kept : std::vector(m_journal.devices())) {
        if (std::none_of(entries.begin(), entries.end(),
                         [&](const JournalDevice& e) { return e.sameDevice(kept); }))
            m_journal.forget(kept);
    }
    for (JournalDevice& entry : entries)
        m_journal.record(std::move(entry), m_bootMark);
}

} // namespace veloquill::gnome

namespace veloquill {

GnomeBackend::GnomeBackend(const QString& journalDirectory)
    : DesktopBackend(startSession<gnome::GnomeSession>(journalDirectory),
                     ControlUnavailableReason::GnomeSettingsMissing,
                     gnome::kLogPrefix +
                         QStringLiteral("cannot control pointer devices: GNOME's pointer "
                                        "settings (org.gnome.desktop.peripherals) are not "
                                        "installed"))
{}

} // namespace veloquill
