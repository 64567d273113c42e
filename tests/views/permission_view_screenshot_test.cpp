// The permission view as the settings window shows it. A desktop session can always control
// its pointer devices, so the end-to-end test never sees this view: it is drawn here.
#include "views/permission_view.h"

#include <QDir>
#include <QImage>
#include <QPixmap>
#include <QPushButton>

#include <gtest/gtest.h>

using namespace veloquill;

namespace {
// The settings window's size, which the view fills.
constexpr QSize kSettingsWindowSize{580, 480};
} // namespace

TEST(PermissionViewPicture, PanelSitsInTheMiddleOfTheSettingsWindow)
{
    PermissionView view;
    view.resize(kSettingsWindowSize);
    const QImage picture = view.grab().toImage();
    ASSERT_EQ(picture.size(), kSettingsWindowSize);

    const QRect button(view.openSettingsButton()->mapTo(&view, QPoint()),
                       view.openSettingsButton()->size());
    EXPECT_TRUE(QRect(QPoint(), kSettingsWindowSize).contains(button));
    EXPECT_NEAR(button.center().x(), kSettingsWindowSize.width() / 2, 1);
    EXPECT_NEAR(button.width(), PermissionView::kPanelWidth, 30) << "the button fills the panel";

    // Kept for the documentation only when asked for, so test runs leave the tree alone.
    if (qEnvironmentVariable("VELOQUILL_UPDATE_SCREENSHOTS") == QLatin1String("1")) {
        const QString folder = QStringLiteral(VELOQUILL_SOURCE_DIR "/docs/screenshots");
        QDir().mkpath(folder);
        EXPECT_TRUE(picture.save(folder + QStringLiteral("/permission-view.png")));
    }
}
