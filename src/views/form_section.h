// SPDX-FileCopyrightText: 2026 The Veloquill developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QString>
#include <QWidget>

class QVBoxLayout;

namespace veloquill {

// One group of a settings form: an optional header over a framed panel of rows.
class FormSection : public QWidget
{
    Q_OBJECT

public:
    explicit FormSection(const QString& header = QString(), QWidget* parent = nullptr);

    // Where the section's rows go, top to bottom.
    QVBoxLayout* rows() const { return m_rows; }

private:
    QVBoxLayout* m_rows = nullptr;
};

} // namespace veloquill
