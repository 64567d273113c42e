// SPDX-FileCopyrightText: 2026 The Veloquill developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QLocale>

#include <memory>
#include <vector>

class QTranslator;

namespace veloquill {

// The windows' words in `locale`'s language where there is a translation, and Qt's own (the
// standard buttons and menus) beside them. Log lines stay English: they are not translated.
class Translations
{
public:
    explicit Translations(const QLocale& locale = QLocale());
    ~Translations();
    Translations(const Translations&) = delete;
    Translations& operator=(const Translations&) = delete;

private:
    std::vector<std::unique_ptr<QTranslator>> m_installed;
};

} // namespace veloquill
