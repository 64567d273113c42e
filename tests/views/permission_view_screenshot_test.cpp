// The permission view at the settings window's size. A desktop session can always control
// its pointer devices, so the end-to-end test never sees this view: it is drawn here, and its
// picture goes to docs/screenshots when VELOQUILL_UPDATE_SCREENSHOTS=1.
#include "views/permission_view.h"

#include <QDir>
#include <QPushButton>

#include <gtest/gtest.h>

using namespace veloquill;

TEST(PermissionViewPicture, PanelSitsInTheMiddleOfTheSettingsWindow)
{
    PermissionView view;
    view.resize(580, 480);
    const QImage picture = view.grab().toImage();
    const QRect button(view.openSettingsButton()->mapTo(&view, QPoint()),
                       view.openSettingsButton()->size());
    EXPECT_TRUE(view.rect().contains(button));
    EXPECT_NEAR(button.center().x(), 290, 1);
    EXPECT_NEAR(button.width(), PermissionView::kPanelWidth, 30) << "the button fills the panel";
    if (qEnvironmentVariable("VELOQUILL_UPDATE_SCREENSHOTS") == "1") {
        QDir().mkpath(VELOQUILL_SOURCE_DIR "/docs/screenshots");
        EXPECT_TRUE(picture.save(VELOQUILL_SOURCE_DIR "/docs/screenshots/permission-view.png"));
    }
}
