// SPDX-FileCopyrightText: 2026 The Veloquill developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#include "views/form_section.h"

#include "views/text_styles.h"

#include <QFrame>
#include <QLabel>
#include <QVBoxLayout>

namespace veloquill {

FormSection::FormSection(const QString& header, QWidget* parent) : QWidget(parent)
{
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    if (!header.isEmpty()) {
        auto* label = new QLabel(header);
        label->setTextFormat(Qt::PlainText);
        label->setFont(headlineFont());
        layout->addWidget(label);
    }
    auto* panel = new QFrame;
    panel->setFrameShape(QFrame::StyledPanel);
    m_rows = new QVBoxLayout(panel);
    layout->addWidget(panel);
}

} // namespace veloquill
