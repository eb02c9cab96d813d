#include "session/Settings.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace quarn;

TEST(SettingsTest, EachValueIsReadOnItsOwnRoundedIntoItsRangeOrElseItsDefault) {
    QTemporaryDir folder;
    const QString path = folder.filePath("config/quarn-media-player/settings.json");
    EXPECT_EQ(LoadSettings(path), PlayerSettings{}) << "no file yet";
    ASSERT_TRUE(SaveSettings(path, {35, true}).written);
    EXPECT_EQ(LoadSettings(path), (PlayerSettings{35, true}));

    const std::pair<QByteArray, PlayerSettings> files[] = {
        {"{\"volume\": 50.5, \"muted\": true}", {50, true}}, // half to even
        {"{\"volume\": 55.7}", {56, false}},
        {"{\"volume\": 1e10}", {100, false}},
        {"{\"volume\": -3}", {0, false}},
        {"{\"volume\": \"loud\", \"muted\": true}", {100, true}},
        {"{\"volume\": 250, \"muted\": 1}", {100, false}},
        {"{\"volume\": 4", {}},
        {"[1, 2]", {}},
        {QByteArray(1 << 20, ' '), {}},
    };
    for (const auto& [bytes, expected] : files) {
        ASSERT_TRUE(platform::WriteUserFile(path, bytes).written);
        EXPECT_EQ(LoadSettings(path), expected) << bytes.left(40).toStdString();
    }
}
