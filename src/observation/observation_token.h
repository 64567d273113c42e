// SPDX-FileCopyrightText: 2026 The Veloquill developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <functional>
#include <memory>

class QObject;

namespace veloquill {

class LifetimeAssociation;

// Keeps a subscription alive: the subscription ends when the token is destroyed. A token can
// be tied to a QObject owner so that the subscription also ends when the owner goes, whoever
// else still holds the token.
class ObservationToken : public std::enable_shared_from_this<ObservationToken>
{
public:
    static std::shared_ptr<ObservationToken> create(std::function<void()> cancellationClosure);
    ~ObservationToken();
    ObservationToken(const ObservationToken&) = delete;
    ObservationToken& operator=(const ObservationToken&) = delete;

    // The owner keeps the token alive and ends the subscription when it is destroyed.
    // Tying an already tied token moves it to the new owner without ending the subscription.
    std::shared_ptr<ObservationToken> tieToLifetime(QObject* owner);

    // Detaches from the owner without ending the subscription; the token then lives exactly
    // as long as its holders. Does nothing on a token that is not tied.
    void removeLifetime();

private:
    explicit ObservationToken(std::function<void()> cancellationClosure);

    void runCancellation() const;

    const std::function<void()> m_cancellationClosure;
    std::unique_ptr<LifetimeAssociation> m_lifetimeAssociation;
};

} // namespace veloquill
