#include "platform/FileNames.h"
#include "platform/UserFiles.h"

#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace quarn::platform;

namespace {

// Makes a file whose name is these bytes, and the folders it lies in.
void make(const QByteArray& path, const QByteArray& contents) {
    ASSERT_TRUE(WriteUserFile(FileNameFromBytes(path), contents).written) << path.toStdString();
}

} // namespace

TEST(FileNamesTest, EveryNameComesBackToItsOwnBytesAndReadsWithReplacementCharacters) {
    const QByteArray names[] = {
        "plain.mp4", "f\xC3\xBCr \xE2\x98\x83.mp4", "caf\xE9.mp4",       "\xFF\xFE",
        "\xC3",      "\xED\xA0\x80 surrogate",      "\xC0\xAF overlong", "\xF4\x90\x80\x80 beyond",
        ""};
    for (const QByteArray& bytes : names) {
        EXPECT_EQ(FileNameToBytes(FileNameFromBytes(bytes)), bytes) << bytes.toStdString();
    }
    EXPECT_EQ(FileNameFromBytes("f\xC3\xBCr.mp4"), QString::fromUtf8("f\xC3\xBCr.mp4"));
    EXPECT_EQ(ReadableFileName(FileNameFromBytes("caf\xE9.mp4")),
              QString::fromUtf8("caf\xEF\xBF\xBD.mp4"));
}

TEST(FileNamesTest, ANameQtReadWithReplacementCharactersLeadsBackToTheFileOnTheDisk) {
    QTemporaryDir root;
    const QByteArray folder = QFile::encodeName(root.path()) + "/d\xE9j\xE0";
    make(folder + "/caf\xE9.mp4", "x");
    const QString kept = FileNameFromBytes(folder + "/caf\xE9.mp4");
    // Qt's dialogs and drops read the name so.
    const QString lossy = QString::fromLocal8Bit(folder + "/caf\xE9.mp4");
    EXPECT_EQ(LocateFile(lossy), kept);
    EXPECT_EQ(LocateFile(kept), kept);
    // Two names Qt reads alike: neither is taken for the other.
    make(folder + "/caf\xEA.mp4", "y");
    EXPECT_EQ(LocateFile(lossy), lossy);
    EXPECT_EQ(FileUrl(kept), "file://" + (folder + "/caf\xE9.mp4").toPercentEncoding("/"));
}
