#include "platform/FileNames.h"

#include <QFile>
#include <QTemporaryDir>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace quarn::platform;

namespace {

// Makes a file whose name is these bytes, holding these bytes.
void make(const QByteArray& path, const QByteArray& contents) {
    const int fd = ::open(path.constData(), O_CREAT | O_WRONLY | O_TRUNC, 0644);
    ASSERT_GE(fd, 0) << path.toStdString();
    ASSERT_EQ(::write(fd, contents.constData(), size_t(contents.size())), contents.size());
    ::close(fd);
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
    ASSERT_EQ(::mkdir(folder.constData(), 0755), 0);
    make(folder + "/caf\xE9.mp4", "x");
    const QString kept = FileNameFromBytes(folder + "/caf\xE9.mp4");
    // Qt's dialogs and drops read the name so.
    const QString lossy = QString::fromLocal8Bit(folder + "/caf\xE9.mp4");
    EXPECT_EQ(LocateFile(lossy), kept);
    EXPECT_EQ(LocateFile(kept), kept);
    EXPECT_TRUE(InspectFile(kept).regular);
    EXPECT_FALSE(InspectFile(lossy).exists);
    // Two names Qt reads alike: neither is taken for the other.
    make(folder + "/caf\xEA.mp4", "y");
    EXPECT_EQ(LocateFile(lossy), lossy);
    EXPECT_EQ(FileUrl(kept), "file://" + (folder + "/caf\xE9.mp4").toPercentEncoding("/"));
}

TEST(FileNamesTest, OnlyPlainFilesOnADiskAreRegularAndNothingIsOpenedToSee) {
    QTemporaryDir root;
    const QByteArray fifo = QFile::encodeName(root.filePath("pipe.mp4"));
    ASSERT_EQ(::mkfifo(fifo.constData(), 0644), 0);
    make(QFile::encodeName(root.filePath("empty.mp4")), "");
    make(QFile::encodeName(root.filePath("clip.mp4")), "data");
    const struct {
        QString path;
        bool exists, folder, regular;
    } cases[] = {
        {root.filePath("clip.mp4"), true, false, true},
        {root.filePath("empty.mp4"), true, false, true},
        {root.filePath("pipe.mp4"), true, false, false},
        {root.path(), true, true, false},
        {QStringLiteral("/dev/zero"), true, false, false},
        {root.filePath("missing.mp4"), false, false, false},
    };
    for (const auto& c : cases) {
        const FileFacts facts = InspectFile(c.path);
        EXPECT_EQ(facts.exists, c.exists) << c.path.toStdString();
        EXPECT_EQ(facts.folder, c.folder) << c.path.toStdString();
        EXPECT_EQ(facts.regular, c.regular) << c.path.toStdString();
    }
    EXPECT_EQ(InspectFile(root.filePath("clip.mp4")).size, 4);
}
