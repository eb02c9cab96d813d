#include "session/Settings.h"

#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace quarn;

namespace {

void write(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(bytes);
}

} // namespace

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
        write(path, bytes);
        EXPECT_EQ(LoadSettings(path), expected) << bytes.left(40).toStdString();
    }
}

TEST(SettingsTest, ALinkAtTheSettingsPathIsNeitherWrittenThroughNorReplaced) {
    QTemporaryDir folder;
    const QString outside = folder.filePath("elsewhere.txt");
    write(outside, "the user's own text");
    const QString path = folder.filePath("settings.json");
    ASSERT_TRUE(QFile::link(outside, path));
    const platform::WriteOutcome saved = SaveSettings(path, {20, true});
    EXPECT_FALSE(saved.written);
    EXPECT_TRUE(saved.problem.contains("settings.json")) << saved.problem.toStdString();
    EXPECT_EQ(QFile::symLinkTarget(path), outside);
    QFile kept(outside);
    ASSERT_TRUE(kept.open(QIODevice::ReadOnly));
    EXPECT_EQ(kept.readAll(), "the user's own text");
}
