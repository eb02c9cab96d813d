// Where the program looks for its intro and About frames: beside itself in the
// build tree, in <prefix>/share/quarn-media-player when installed.

#include "platform/Desktop.h"
#include "platform/UserFiles.h"

#include <QDir>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

TEST(DataDirectory, BesideTheProgramThenTheInstalledDataFolderThenTheProgramFolder) {
    QTemporaryDir root;
    const QString bin = root.filePath("usr/bin");
    const QString data = root.filePath("usr/share/quarn-media-player");
    ASSERT_TRUE(QDir().mkpath(bin));

    // Nothing anywhere: the program's folder, so that what is missing is named there.
    EXPECT_EQ(quarn::platform::DataDirectoryFor(bin), bin);

    // Installed: the data folder, as a plain path without "..".
    ASSERT_TRUE(QDir().mkpath(data));
    EXPECT_EQ(quarn::platform::DataDirectoryFor(bin), QDir(data).canonicalPath());

    // Built: the files beside the program win over an installed copy.
    ASSERT_TRUE(quarn::platform::WriteUserFile(bin + "/intro.mp3", {}).written);
    EXPECT_EQ(quarn::platform::DataDirectoryFor(bin), bin);
}

} // namespace
