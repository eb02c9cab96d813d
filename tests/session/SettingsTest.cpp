#include "session/Settings.h"

#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace quarn;

TEST(SettingsTest, RoundTripAndADamagedFileIsIgnored) {
    QTemporaryDir folder;
    const QString path = folder.filePath("config/quarn-media-player/settings.json");
    EXPECT_EQ(LoadSettings(path), PlayerSettings{}) << "no file yet";
    ASSERT_TRUE(SaveSettings(path, {35, true}));
    EXPECT_EQ(LoadSettings(path), (PlayerSettings{35, true}));
    EXPECT_EQ(QDir(folder.filePath("config/quarn-media-player")).entryList(QDir::Files),
              QStringList{"settings.json"})
        << "written whole, nothing left beside it";

    auto write = [&](const QByteArray& bytes) {
        QFile file(path);
        file.open(QIODevice::WriteOnly | QIODevice::Truncate);
        file.write(bytes);
    };
    write("{\"volume\": 4");
    EXPECT_EQ(LoadSettings(path), PlayerSettings{});
    write("[1, 2]");
    EXPECT_EQ(LoadSettings(path), PlayerSettings{});
    write("{\"volume\": \"loud\", \"muted\": 1}");
    EXPECT_EQ(LoadSettings(path), PlayerSettings{});
    write("{\"volume\": 250, \"muted\": true}");
    EXPECT_EQ(LoadSettings(path), (PlayerSettings{100, true}));
    write(QByteArray(1 << 20, ' '));
    EXPECT_EQ(LoadSettings(path), PlayerSettings{});
    EXPECT_FALSE(SaveSettings(QStringLiteral("/proc/no/such/place/settings.json"), {}));
}
