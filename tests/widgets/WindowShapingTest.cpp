#include "widgets/WindowShaping.h"
#include "widgets/Label.h"
#include "widgets/MessageBox.h"
#include "widgets/PictureBox.h"
#include "widgets/Pictures.h"
#include "widgets/WindowLook.h"

#include <QFile>
#include <QWidget>
#include <gtest/gtest.h>

using namespace quarn;

namespace {

// The outline scan done the slow, obvious way, pixel by pixel: the runs of
// pixels whose colour differs from the top-left pixel's.
std::vector<QRect> referenceScan(const QImage& image) {
    std::vector<QRect> runs;
    const QRgb key = image.pixel(0, 0) & 0xFFFFFF;
    for (int y = 0; y < image.height(); ++y) {
        bool inRun = false;
        int start = 0;
        for (int x = 0; x < image.width(); ++x) {
            const bool opaque = (image.pixel(x, y) & 0xFFFFFF) != key;
            if (opaque && !inRun) {
                inRun = true;
                start = x;
            } else if (!opaque && inRun) {
                inRun = false;
                runs.emplace_back(QPoint(start, y), QPoint(x - 1, y));
            }
        }
        if (inRun) {
            runs.emplace_back(QPoint(start, y), QPoint(image.width() - 1, y));
        }
    }
    return runs;
}

QImage picture(int w, int h, QRgb fill) {
    QImage image(w, h, QImage::Format_RGB32);
    image.fill(fill);
    return image;
}

const QRgb kRed = qRgb(255, 0, 0);
const QRgb kBlue = qRgb(20, 40, 200);

} // namespace

TEST(SkinRuns, AllKeyColourGivesNoRegion) {
    const QImage image = picture(17, 21, kRed);
    EXPECT_TRUE(SkinRuns(image).empty());
    EXPECT_TRUE(GetSkinRegion(image).isEmpty());
}

TEST(SkinRuns, TheTopLeftPixelIsAlwaysCut) {
    const QImage image = picture(4, 2, kBlue); // blue is the key here
    EXPECT_TRUE(SkinRuns(image).empty());
    QImage corner = picture(4, 2, kRed);
    corner.setPixel(0, 0, kBlue);
    const std::vector<QRect> runs = SkinRuns(corner);
    ASSERT_EQ(runs.size(), 2u);
    EXPECT_EQ(runs[0], QRect(1, 0, 3, 1));
    EXPECT_EQ(runs[1], QRect(0, 1, 4, 1));
}

TEST(SkinRuns, OneBitOfDifferenceIsOpaque) {
    QImage image = picture(3, 1, kRed);
    image.setPixel(1, 0, qRgb(254, 0, 0));
    EXPECT_EQ(SkinRuns(image), std::vector<QRect>{QRect(1, 0, 1, 1)});
    QImage withAlpha(3, 1, QImage::Format_ARGB32);
    withAlpha.fill(kRed);
    withAlpha.setPixel(1, 0, qRgba(255, 0, 0, 0)); // alpha is not part of the colour
    EXPECT_TRUE(SkinRuns(withAlpha).empty());
}

TEST(SkinRuns, MatchesThePixelByPixelScanOnARaggedPicture) {
    QImage image = picture(97, 61, kRed);
    quint32 seed = 12345;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            seed = seed * 1664525u + 1013904223u;
            if ((seed >> 28) < 9) {
                image.setPixel(x, y, qRgb(int(seed & 0xFF), int((seed >> 8) & 0xFF), 7));
            }
        }
    }
    image.setPixel(0, 0, kRed);
    EXPECT_EQ(SkinRuns(image), referenceScan(image));
}

TEST(SkinRuns, TheShippedSkinsGiveTheScannedOutlines) {
    for (const char* name :
         {":/skins/toolbar.png", ":/skins/songname.png", ":/skins/play.png", ":/skins/pause.png",
          ":/skins/stop.png", ":/skins/open.png", ":/skins/effects.png", ":/skins/exit.png",
          ":/skins/about-picture1.png", ":/skins/about-picture2.png"}) {
        const QImage skin(QString::fromLatin1(name));
        ASSERT_FALSE(skin.isNull()) << name;
        const std::vector<QRect> runs = SkinRuns(skin);
        EXPECT_EQ(runs, referenceScan(skin)) << name;
        EXPECT_FALSE(runs.empty()) << name;
    }
}

TEST(Shaping, ShapeFormFitsTheWindowToThePictureAndCutsIt) {
    QImage skin = picture(30, 10, kRed);
    for (int x = 5; x < 25; ++x) {
        for (int y = 2; y < 8; ++y) {
            skin.setPixel(x, y, kBlue);
        }
    }
    QWidget window;
    window.resize(50, 50);
    PictureBox box(&window, "skin", {0, 0, 600, 600}, skin, true);
    ShapeForm(box, window);
    EXPECT_FALSE(box.HasBorder());
    EXPECT_EQ(box.size(), QSize(30, 10));
    EXPECT_EQ(window.size(), QSize(30, 10));
    EXPECT_EQ(window.mask().boundingRect(), QRect(5, 2, 20, 6));
    const QRegion first = window.mask();
    ShapeForm(box, window);
    EXPECT_EQ(window.mask(), first);
}

TEST(Shaping, ShapeControlCutsTheElementOnly) {
    QImage skin = picture(17, 21, kRed);
    skin.setPixel(8, 10, kBlue);
    QWidget window;
    window.resize(100, 100);
    PictureBox box(&window, "button", {150, 150, 600, 600}, skin, false);
    ShapeControl(box);
    EXPECT_EQ(box.size(), QSize(17, 21));
    EXPECT_EQ(box.mask(), QRegion(8, 10, 1, 1));
    EXPECT_TRUE(window.mask().isEmpty());
    EXPECT_EQ(window.size(), QSize(100, 100));
}

TEST(Shaping, APictureWithNothingOpaqueLeavesTheWindowRectangular) {
    QWidget window;
    PictureBox box(&window, "skin", {0, 0, 300, 300}, picture(20, 20, kRed), false);
    window.setMask(QRegion(0, 0, 5, 5));
    ShapeForm(box, window);
    EXPECT_TRUE(window.mask().isEmpty());
    EXPECT_EQ(window.size(), QSize(20, 20));
}
