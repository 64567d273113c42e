#include "views/permission_view.h"

#include "views/svg_icon.h"
#include "views/text_styles.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace veloquill {

namespace {
constexpr int kIconSize = 50;
constexpr int kSpacing = 16;
constexpr int kLargeControlHeight = 32;

QLabel* wrappingLabel(const QString& text)
{
    auto* label = new QLabel;
    label->setTextFormat(Qt::PlainText);
    label->setText(text);
    label->setWordWrap(true);
    return label;
}
} // namespace

PermissionView::PermissionView(QWidget* parent) : PermissionView(DesktopSettingsLauncher(), parent)
{}

PermissionView::PermissionView(DesktopSettingsLauncher launcher, QWidget* parent)
    : QWidget(parent), m_launcher(std::move(launcher))
{
    auto* icon = new QLabel;
    icon->setFixedSize(kIconSize, kIconSize);
    icon->setPixmap(renderSvg(QStringLiteral(":/veloquill/views/accessibility.svg"),
                              QSize(kIconSize, kIconSize)));

    auto* title = wrappingLabel(QStringLiteral("Accessibility Permission Required"));
    title->setFont(headlineFont());
    auto* subtitle = wrappingLabel(
        QStringLiteral("This application needs Accessibility permission to function correctly."));
    subtitle->setFont(subheadlineFont());
    makeSecondary(subtitle);

    auto* titles = new QVBoxLayout;
    titles->addWidget(title);
    titles->addWidget(subtitle);
    auto* header = new QHBoxLayout;
    header->addWidget(icon, 0, Qt::AlignVCenter);
    header->addLayout(titles, 1);

    auto* explanation = wrappingLabel(
        QStringLiteral("Veloquill needs to control your mouse pointer. To enable this "
                       "functionality, please grant Accessibility permission in System Settings."));

    m_openButton = new QPushButton(QStringLiteral("Open System Settings"));
    m_openButton->setDefault(true);
    m_openButton->setMinimumHeight(kLargeControlHeight);
    m_openButton->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    connect(m_openButton, &QPushButton::clicked, this, &PermissionView::openAccessibilitySettings);

    m_unavailableNote = wrappingLabel(
        tr("No mouse settings program of a known desktop (KDE Plasma, GNOME, Xfce, MATE, LXQt, "
           "Cinnamon) was found. Please open your desktop's mouse or accessibility settings "
           "from its menu."));
    makeSecondary(m_unavailableNote);
    m_unavailableNote->hide();

    auto* panel = new QWidget;
    panel->setFixedWidth(kPanelWidth);
    auto* panelLayout = new QVBoxLayout(panel);
    panelLayout->setSpacing(kSpacing);
    panelLayout->addLayout(header);
    panelLayout->addWidget(explanation);
    panelLayout->addWidget(m_openButton);
    panelLayout->addWidget(m_unavailableNote);

    // The panel keeps its width and sits in the middle of whatever window holds it. Stretches
    // rather than an alignment centre it: an aligned item would get its one-line height and
    // cut off the wrapped text.
    auto* row = new QHBoxLayout;
    row->addStretch();
    row->addWidget(panel);
    row->addStretch();
    auto* layout = new QVBoxLayout(this);
    layout->addStretch();
    layout->addLayout(row);
    layout->addStretch();
}

void PermissionView::openAccessibilitySettings()
{
    m_unavailableNote->setVisible(!m_launcher.open().has_value());
}

} // namespace veloquill
