// SPDX-FileCopyrightText: 2026 The Veloquill developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#include "shell/translations.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QTranslator>

namespace veloquill {

Translations::Translations(const QLocale& locale)
{
    auto own = std::make_unique<QTranslator>();
    // Tries each of the user's languages in turn, "de_AT" before "de"; without one of them the
    // windows stay English throughout, Qt's buttons and the layout's direction included.
    if (!own->load(locale, QStringLiteral("veloquill"), QStringLiteral("_"),
                   QStringLiteral(":/veloquill/translations")))
        return;
    auto qt = std::make_unique<QTranslator>();
    if (qt->load(QStringLiteral("qtbase_") + own->language(),
                 QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        m_installed.push_back(std::move(qt));
    m_installed.push_back(std::move(own));
    // The last one installed is asked first.
    for (const auto& translator : m_installed)
        QCoreApplication::installTranslator(translator.get());
}

Translations::~Translations()
{
    for (const auto& translator : m_installed)
        QCoreApplication::removeTranslator(translator.get());
}

} // namespace veloquill
