// SPDX-FileCopyrightText: 2026 The Veloquill developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#include "observation/observation_token.h"

#include "observation/lifetime_association.h"

#include <utility>

namespace veloquill {

std::shared_ptr<ObservationToken>
ObservationToken::create(std::function<void()> cancellationClosure)
{
    return std::shared_ptr<ObservationToken>(new ObservationToken(std::move(cancellationClosure)));
}

ObservationToken::ObservationToken(std::function<void()> cancellationClosure)
    : m_cancellationClosure(std::move(cancellationClosure))
{}

ObservationToken::~ObservationToken()
{
    runCancellation();
    m_lifetimeAssociation.reset();
}

std::shared_ptr<ObservationToken> ObservationToken::tieToLifetime(QObject* owner)
{
    auto self = shared_from_this();
    removeLifetime();
    const std::weak_ptr<ObservationToken> weakSelf = self;
    auto handler = [weakSelf] {
        if (const auto token = weakSelf.lock())
            token->runCancellation();
    };
    m_lifetimeAssociation = std::make_unique<LifetimeAssociation>(self, owner, std::move(handler));
    return self;
}

void ObservationToken::removeLifetime()
{
    // Detaching drops the owner's hold on this token, which may have been the only one.
    const auto keepAlive = weak_from_this().lock();
    if (m_lifetimeAssociation)
        m_lifetimeAssociation->cancel();
}

void ObservationToken::runCancellation() const
{
    if (m_cancellationClosure)
        m_cancellationClosure();
}

} // namespace veloquill
