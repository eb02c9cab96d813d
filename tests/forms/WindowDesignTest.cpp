#include "player/FrmMain.h"
#include "splash/FrmAbout.h"
#include "splash/Splash.h"
#include "support/WindowsFixture.h"
#include "toolbar/Menus.h"
#include "toolbar/SongName.h"
#include "toolbar/Toolbar.h"

#include <QFontInfo>
#include <QLabel>
#include <gtest/gtest.h>

using namespace quarn;

namespace {

struct ElementCase {
    const char* window;
    const char* element;
    QRect pixels; // left, top, width, height as designed
};

QWidget& windowNamed(const std::string& name) {
    if (name == "frmMain") {
        return frmMain();
    }
    if (name == "Toolbar") {
        return toolbar();
    }
    if (name == "SongName") {
        return songName();
    }
    if (name == "Splash") {
        return splash();
    }
    return frmAbout();
}

class WindowDesignTest : public test::WindowsFixture,
                         public ::testing::WithParamInterface<ElementCase> {};

// Elements that keep their designed place after their window has loaded.
const ElementCase kElements[] = {
    {"frmMain", "TheShow", {8, 8, 239, 181}},      {"frmMain", "HScroll1", {8, 200, 241, 9}},
    {"frmMain", "Picture3", {8, 224, 256, 299}},   {"Toolbar", "pToolbar", {0, 0, 244, 46}},
    {"Toolbar", "Play", {24, 8, 17, 21}},          {"Toolbar", "Pause", {40, 8, 17, 21}},
    {"Toolbar", "mStop", {56, 8, 17, 21}},         {"Toolbar", "Time", {80, 12, 81, 17}},
    {"Toolbar", "mOpen", {168, 8, 17, 21}},        {"Toolbar", "ScreenSavers", {184, 8, 17, 21}},
    {"Toolbar", "Options", {200, 8, 17, 21}},      {"SongName", "PicMainSkin", {0, 0, 244, 39}},
    {"SongName", "Label1", {9, 12, 225, 15}},      {"Splash", "Label1", {152, 352, 121, 33}},
    {"Splash", "Intro", {110, 409, 239, 179}},     {"frmAbout", "Picture2", {80, 208, 194, 81}},
    {"frmAbout", "Label3", {152, 40, 169, 145}},   {"frmAbout", "Label1", {48, 304, 137, 25}},
    {"frmAbout", "MyWinVer", {192, 304, 121, 25}}, {"frmAbout", "Label2", {48, 336, 265, 25}},
};

} // namespace

TEST_P(WindowDesignTest, ElementSitsWhereDesigned) {
    const ElementCase& c = GetParam();
    QWidget& window = windowNamed(c.window);
    auto* element = window.findChild<QWidget*>(QString::fromLatin1(c.element));
    ASSERT_NE(element, nullptr) << c.window << "." << c.element;
    EXPECT_EQ(element->geometry(), c.pixels) << c.window << "." << c.element;
}

INSTANTIATE_TEST_SUITE_P(AllWindows, WindowDesignTest, ::testing::ValuesIn(kElements),
                         [](const auto& info) {
                             return std::string(info.param.window) + "_" + info.param.element;
                         });

using WindowDesign = test::WindowsFixture;

TEST_F(WindowDesign, CaptionsAndSizes) {
    EXPECT_EQ(frmMain().windowTitle(), "QUARN Media Player");
    EXPECT_EQ(frmMain().size(), QSize(254, 214));
    EXPECT_EQ(toolbar().windowTitle(), "Form1");
    EXPECT_EQ(songName().windowTitle(), "Form1");
    EXPECT_EQ(splash().windowTitle(), "Intro");
    EXPECT_EQ(splash().size(), QSize(426, 416));
    EXPECT_EQ(menus().windowTitle(), "Menu");
    EXPECT_EQ(menus().size(), QSize(312, 206));
    EXPECT_FALSE(menus().isVisible());
}

TEST_F(WindowDesign, AllButTheMenuOwnerAreBorderless) {
    for (QWidget* window : std::initializer_list<QWidget*>{&frmMain(), &toolbar(), &songName(),
                                                           &splash(), &frmAbout()}) {
        EXPECT_TRUE(window->windowFlags() & Qt::FramelessWindowHint)
            << window->objectName().toStdString();
    }
    EXPECT_FALSE(menus().windowFlags() & Qt::FramelessWindowHint);
}

TEST_F(WindowDesign, ColoursAndFonts) {
    EXPECT_EQ(frmMain().palette().color(QPalette::Window), QColor(0, 0, 0));
    EXPECT_EQ(frmMain().palette().color(QPalette::WindowText), QColor(0, 255, 0));

    const QFont time = toolbar().Time().font();
    EXPECT_EQ(time.families().value(0), "MS Sans Serif");
    EXPECT_DOUBLE_EQ(time.pointSizeF(), 8.25);
    EXPECT_TRUE(time.bold());
    EXPECT_FALSE(time.italic());
    EXPECT_TRUE(QFontInfo(time).exactMatch() || QFontInfo(time).family() == "DejaVu Sans");

    const QFont title = songName().Label1().font();
    EXPECT_DOUBLE_EQ(title.pointSizeF(), 8.25);
    EXPECT_TRUE(title.bold() && title.italic());

    const QFont splashLabel = splash().Label1().font();
    EXPECT_DOUBLE_EQ(splashLabel.pointSizeF(), 9.75);
    EXPECT_TRUE(splashLabel.bold() && splashLabel.italic());
    EXPECT_EQ(splash().Label1().text(), "Media Player");
    EXPECT_EQ(splash().Label1().ForeColour(), 0x00C6965Au); // set at load

    const QFont about = frmAbout().Label2().font();
    EXPECT_EQ(about.families().value(0), "Comic Sans MS");
    EXPECT_DOUBLE_EQ(about.pointSizeF(), 9.75);
    EXPECT_TRUE(about.bold());
    EXPECT_EQ(QFontInfo(about).family(), "Comic Neue"); // the casual face stands in
}

TEST_F(WindowDesign, TimersAndMenuTree) {
    EXPECT_EQ(frmMain().Timer2.interval(), 100);
    EXPECT_FALSE(frmMain().Timer2.isActive());
    EXPECT_EQ(menus().mnuSavers().title(), "S_Saver");
    EXPECT_EQ(menus().mnuSaverItems(0).text(), "Melter");
    EXPECT_EQ(menus().mnuSaverItems(1).text(), "About...");
    EXPECT_EQ(menus().mnuSavers().actions().size(), 2);
}

TEST_F(WindowDesign, ToolTipsOfTheButtons) {
    EXPECT_EQ(toolbar().Play().toolTip(), "Play");
    EXPECT_EQ(toolbar().Pause().toolTip(), "Pause");
    EXPECT_EQ(toolbar().mStop().toolTip(), "Stop");
    EXPECT_EQ(toolbar().mOpen().toolTip(), "Open...");
    EXPECT_EQ(toolbar().ScreenSavers().toolTip(), "Screen Effects");
    EXPECT_EQ(toolbar().Options().toolTip(), "Exit");
}

TEST_F(WindowDesign, EachWindowIsMadeOnceAndFoundThroughItsAccessor) {
    EXPECT_FALSE(IsLoaded(Window::FrmAbout));
    FrmAbout* first = &frmAbout();
    EXPECT_EQ(&frmAbout(), first);
    // Loading the main window brings the toolbar, and the splash that carries the tray icon.
    EXPECT_FALSE(IsLoaded(Window::Toolbar));
    FrmMain* main = &frmMain();
    EXPECT_TRUE(IsLoaded(Window::Toolbar));
    EXPECT_TRUE(IsLoaded(Window::Splash));
    EXPECT_EQ(&frmMain(), main);
    EXPECT_EQ(engines.size(), 2u); // TheShow and the splash's Intro, one each
}
