// SPDX-FileCopyrightText: 2026 The Veloquill developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#include "views/form_section.h"

#include "views/text_styles.h"

#include <QFrame>
#include <QLabel>
#include <QVBoxLayout>

namespace veloquill {

QVBoxLayout* addFormSection(QBoxLayout* form, const QString& header)
{
    if (!header.isEmpty()) {
        auto* label = new QLabel(header);
        label->setTextFormat(Qt::PlainText);
        label->setFont(headlineFont());
        form->addWidget(label);
    }
    auto* panel = new QFrame;
    panel->setFrameShape(QFrame::StyledPanel);
    form->addWidget(panel);
    return new QVBoxLayout(panel);
}

} // namespace veloquill
