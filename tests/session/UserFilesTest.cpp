#include "platform/UserFiles.h"
#include "platform/FileNames.h"
#include "session/RecentFiles.h"
#include "session/ResumeStore.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <csignal>
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

using namespace quarn;
using platform::ReadUserFile;
using platform::WriteUserFile;

namespace {

struct stat lstatOf(const QString& path) {
    struct stat info {};
    ::lstat(QFile::encodeName(path).constData(), &info);
    return info;
}

// Every name in the folder, so that a temporary file left behind shows.
QStringList namesIn(const QString& folder) {
    return QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::System |
                                  QDir::NoDotAndDotDot);
}

} // namespace

TEST(UserFilesTest, WritesFilesForTheUserAloneInFoldersItMakesAndKeepsAnOldFilesMode) {
    QTemporaryDir root;
    const QString path = root.filePath("a/b/state.json");
    // The narrowest umask, which must not narrow an old file's mode.
    const mode_t mask = ::umask(077);
    ASSERT_TRUE(WriteUserFile(path, "first").written);
    EXPECT_EQ(ReadUserFile(path, 5), QByteArray("first"));
    EXPECT_FALSE(ReadUserFile(path, 4)) << "longer than the limit";
    EXPECT_EQ(lstatOf(root.filePath("a")).st_mode & 0777, 0700u);
    EXPECT_EQ(lstatOf(path).st_mode & 0777, 0600u);
    ASSERT_EQ(::chmod(QFile::encodeName(path).constData(), 0644), 0);
    ASSERT_TRUE(WriteUserFile(path, "second").written);
    EXPECT_EQ(ReadUserFile(path, 100), QByteArray("second"));
    ::umask(mask);
    EXPECT_EQ(lstatOf(path).st_mode & 0777, 0644u);
    EXPECT_EQ(namesIn(root.filePath("a/b")), QStringList{"state.json"});
}

TEST(UserFilesTest, NothingButARegularFileOfTheUsersOwnIsWrittenThroughOrReplaced) {
    QTemporaryDir root;
    QTemporaryDir elsewhere;
    ASSERT_TRUE(WriteUserFile(elsewhere.filePath("target.json"), "theirs").written);
    const auto at = [&](const char* name) { return QFile::encodeName(root.filePath(name)); };
    ASSERT_EQ(::symlink(QFile::encodeName(elsewhere.filePath("target.json")), at("link")), 0);
    ASSERT_EQ(::symlink(QFile::encodeName(elsewhere.filePath("new.json")), at("dangling")), 0);
    ASSERT_EQ(::mkfifo(at("pipe"), 0600), 0);
    ASSERT_EQ(::mkdir(at("folder"), 0700), 0);
    QStringList names{"link", "dangling", "pipe", "folder"};
    // Only root can give a file away or make a device.
    ASSERT_TRUE(WriteUserFile(root.filePath("others"), "theirs").written);
    if (::geteuid() == 0 && ::chown(at("others"), 65534, 65534) == 0) {
        names << "others";
    }
    if (::mknod(at("device"), S_IFCHR | 0600, makedev(1, 3)) == 0) {
        names << "device";
    }
    const QStringList before = namesIn(root.path());
    for (const QString& name : names) {
        const struct stat was = lstatOf(root.filePath(name));
        const platform::WriteOutcome outcome = WriteUserFile(root.filePath(name), "mine");
        EXPECT_FALSE(outcome.written) << name.toStdString();
        EXPECT_TRUE(outcome.problem.contains(root.filePath(name))) << name.toStdString();
        const struct stat is = lstatOf(root.filePath(name));
        EXPECT_TRUE(is.st_ino == was.st_ino && is.st_mode == was.st_mode) << name.toStdString();
    }
    EXPECT_EQ(namesIn(root.path()), before);
    EXPECT_EQ(QFile::symLinkTarget(root.filePath("link")), elsewhere.filePath("target.json"));
    EXPECT_EQ(ReadUserFile(root.filePath("link"), 100), QByteArray("theirs")) << "read through";
    EXPECT_EQ(ReadUserFile(elsewhere.filePath("target.json"), 100), QByteArray("theirs"));
    EXPECT_EQ(namesIn(elsewhere.path()), QStringList{"target.json"});
}

TEST(UserFilesTest, ALinkedFolderOfTheUsersOwnIsWrittenIntoOneOfAnotherOrOpenToAllIsNot) {
    QTemporaryDir root;
    const auto at = [&](const QString& name) { return QFile::encodeName(root.filePath(name)); };
    ASSERT_EQ(::mkdir(at("own"), 0700), 0);
    ASSERT_EQ(::mkdir(at("open"), 0700), 0);
    ASSERT_EQ(::chmod(at("open"), 0777), 0);
    // Another user's folder: one made and given away by root, else one of the system's.
    QString theirs = "/usr/share";
    if (::geteuid() == 0 && ::mkdir(at("theirs"), 0755) == 0 &&
        ::chown(at("theirs"), 65534, 65534) == 0) {
        theirs = root.filePath("theirs");
    }
    for (const auto& [target, link] : {std::pair{root.filePath("own"), "mine"},
                                       {root.filePath("open"), "public"},
                                       {theirs, "other"}}) {
        ASSERT_EQ(::symlink(QFile::encodeName(target).constData(), at(link)), 0);
    }
    EXPECT_TRUE(WriteUserFile(root.filePath("mine/settings.json"), "kept").written);
    EXPECT_EQ(ReadUserFile(root.filePath("own/settings.json"), 100), QByteArray("kept"));
    const auto refused = [&](const char* link) {
        const auto outcome = WriteUserFile(root.filePath(link) + "/settings.json", "kept");
        return outcome.written ? QString() : outcome.problem;
    };
    EXPECT_TRUE(refused("other").contains("another user")) << refused("other").toStdString();
    EXPECT_TRUE(refused("public").contains("other users may write"));
    EXPECT_FALSE(QFile::exists(theirs + "/settings.json"));
    EXPECT_TRUE(namesIn(root.filePath("open")).isEmpty());
}

TEST(UserFilesTest, AWriteThatFailsPartWayLeavesTheOldFileWholeAndNoTemporaryFile) {
    QTemporaryDir root;
    const QString path = root.filePath("state.json");
    const QByteArray old(1000, 'o');
    ASSERT_TRUE(WriteUserFile(path, old).written);
    // No file may grow past 64 KiB for a moment: the write stops part way,
    // as it does on a full disk.
    rlimit saved{};
    ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &saved), 0);
    rlimit small = saved;
    small.rlim_cur = 64 * 1024;
    const auto handler = std::signal(SIGXFSZ, SIG_IGN);
    ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &small), 0);
    const platform::WriteOutcome outcome = WriteUserFile(path, QByteArray(1 << 20, 'n'));
    ::setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, handler);
    EXPECT_FALSE(outcome.written);
    EXPECT_FALSE(outcome.problem.isEmpty() || outcome.problem.contains(u'\n'));
    EXPECT_EQ(ReadUserFile(path, 1 << 21), old);
    EXPECT_EQ(namesIn(root.path()), QStringList{"state.json"});
}

TEST(ResumeStoreTest, RemembersOnlyLocalFilesLeftWellWithinAndForgetsTheRest) {
    const QString film = "/videos/film.mkv";
    const struct {
        double position, length;
        bool remembered;
    } cases[] = {
        {30, 120, true},     {5, 60, true},     {50, 60, true},    {4.9, 120, false},
        {110.1, 120, false}, {30, 59.9, false}, {NAN, 120, false}, {30, INFINITY, false},
    };
    QTemporaryDir root;
    ResumeStore store(root.filePath("resume.json"));
    for (const auto& c : cases) {
        store.Left(film, 20, 120); // remembered first, so that a refusal must forget it
        store.Left(film, c.position, c.length);
        EXPECT_EQ(store.PositionFor(film).has_value(), c.remembered)
            << c.position << " " << c.length;
    }
    store.ForgetPosition(film);
    EXPECT_FALSE(store.PositionFor(film));
    for (const char* entry : {"https://example.org/live", "a.mkv"}) {
        store.Left(entry, 30, 120);
        EXPECT_FALSE(store.PositionFor(entry)) << entry;
    }
}

// Odd names: not UTF-8, percent signs, a line break, quotes.
const QString kOddNames[] = {
    platform::FileNameFromBytes("/v/caf\xE9 \xFF.mkv"),
    QString::fromUtf8("/v/f\xC3\xBCr \xE2\x98\x83.mkv"),
    "/v/100% a%2Fb%zz.mkv",
    "/v/line\nbreak \"quoted\" back\\slash:colon.mkv",
};

TEST(ResumeStoreTest, KeepsTheThousandFilesLeftMostRecentlyAndAlwaysAFileItCanReadBack) {
    QTemporaryDir root;
    ResumeStore store(root.filePath("resume.json"));
    const auto name = [](int i) { return QStringLiteral("/v/%1.mkv").arg(i); };
    for (int i = 0; i < 1000; ++i) {
        store.Left(name(i), 30, 120);
    }
    store.Left(name(0), 31, 120);
    for (const QString& odd : kOddNames) {
        store.Left(odd, 30, 120);
    }
    ASSERT_TRUE(store.Save().written);
    const ResumeStore loaded(root.filePath("resume.json"));
    EXPECT_FALSE(loaded.PositionFor(name(4)));
    EXPECT_EQ(loaded.PositionFor(name(0)), 31);
    for (const QString& odd : kOddNames) {
        EXPECT_EQ(loaded.PositionFor(odd), 30) << odd.toStdString();
    }
    // Names as long as they come, in bytes that are not UTF-8 (three times as
    // long stored): the newest are written, as many as loading takes.
    const auto longest = [](int i) {
        return platform::FileNameFromBytes("/" + QByteArray::number(i) + QByteArray(4000, '\xE9'));
    };
    for (int i = 0; i <= 1000; ++i) {
        store.Left(longest(i), 30, 120);
    }
    ASSERT_TRUE(store.Save().written);
    EXPECT_LE(QFileInfo(root.filePath("resume.json")).size(), ResumeStore::kLargestFile);
    EXPECT_EQ(ResumeStore(root.filePath("resume.json")).PositionFor(longest(1000)), 30);
}

TEST(ResumeStoreTest, KeepsWhatWasChosenBesideThePositionAndReadsEachValueOnItsOwn) {
    QTemporaryDir root;
    const QString path = root.filePath("resume.json");
    ResumeStore store(path);
    const FileChoices chosen{2, std::nullopt, kOddNames[0], 0.3, -0.1, 1.25};
    store.Chose("/v/film.mkv", chosen);
    store.Left("/v/film.mkv", 754, 7200);
    store.Chose("/v/off.mkv", {std::nullopt, 0});
    store.Left("/v/off.mkv", 2, 7200); // too early for a position; the choice stays
    store.Chose("/v/nan.mkv", {1, 1, "", NAN, INFINITY, NAN});
    store.Chose("/v/none.mkv", {0, -1, "relative.srt", 1e9, 0, 1e10});
    ASSERT_TRUE(store.Save().written);
    const ResumeStore loaded(path);
    EXPECT_EQ(loaded.ChoicesFor("/v/film.mkv"), chosen);
    EXPECT_EQ(loaded.PositionFor("/v/film.mkv"), 754);
    EXPECT_EQ(loaded.ChoicesFor("/v/off.mkv"), (FileChoices{std::nullopt, 0}));
    EXPECT_FALSE(loaded.PositionFor("/v/off.mkv"));
    EXPECT_EQ(loaded.ChoicesFor("/v/nan.mkv"), (FileChoices{1, 1}));
    EXPECT_FALSE(loaded.ChoicesFor("/v/none.mkv")) << "nothing in range: nothing kept";
    store.ForgetPosition("/v/film.mkv"); // started over
    EXPECT_EQ(store.ChoicesFor("/v/film.mkv"), chosen);

    // Positions alone, as kept before, and values of the wrong kind or range.
    ASSERT_TRUE(WriteUserFile(path, R"({"version":1,"files":[{"path":"/v/old.mkv","position":40},
        {"path":"/v/odd.mkv","position":"x","audio":2.5,"subtitle":-1,"subtitleFile":5,
         "subtitleDelay":1e9,"audioDelay":-0.5,"speed":1e10},
        {"path":"/v/odd2.mkv","position":1e300,"audio":"two","subtitle":3,"speed":0,
         "subtitleDelay":true},
        {"path":"/v/junk.mkv","position":-3,"audio":0,"subtitle":null}]})")
                    .written);
    const ResumeStore old(path);
    EXPECT_EQ(old.PositionFor("/v/old.mkv"), 40);
    EXPECT_FALSE(old.ChoicesFor("/v/old.mkv"));
    EXPECT_FALSE(old.PositionFor("/v/odd.mkv"));
    EXPECT_EQ(old.ChoicesFor("/v/odd.mkv"), (FileChoices{{}, {}, "", 0, -0.5}));
    EXPECT_FALSE(old.PositionFor("/v/odd2.mkv"));
    EXPECT_EQ(old.ChoicesFor("/v/odd2.mkv"), (FileChoices{std::nullopt, 3}));
    EXPECT_FALSE(old.PositionFor("/v/junk.mkv") || old.ChoicesFor("/v/junk.mkv"));
}

TEST(ResumeStoreTest, DamagedOversizedOrOddFilesGiveAnEmptyStoreAndRecentList) {
    QTemporaryDir root;
    const QByteArray valid = R"({"version":1,"files":[{"path":"/v/a.mkv","position":30}],)"
                             R"("entries":["/v/a.mkv"]})";
    const std::pair<const char*, QByteArray> files[] = {
        {"garbage", "\x00\xFF\xFE{{["},
        {"truncated", valid.left(30)},
        {"newer", QByteArray(valid).replace(R"("version":1)", R"("version":2)")},
        {"huge", QByteArray(valid).append(QByteArray(4 * 1024 * 1024, ' '))},
        {"wrong types", R"({"version":1,"files":{"path":1},"entries":"/v/a.mkv"})"}};
    for (const auto& [name, bytes] : files) {
        ASSERT_TRUE(WriteUserFile(root.filePath(name), bytes).written);
    }
    ASSERT_EQ(::mkfifo(QFile::encodeName(root.filePath("pipe")).constData(), 0600), 0);
    ASSERT_TRUE(WriteUserFile(root.filePath("valid"), valid).written);
    EXPECT_EQ(ResumeStore(root.filePath("valid")).PositionFor("/v/a.mkv"), 30);
    for (const char* name : {"garbage", "truncated", "newer", "huge", "wrong types", "pipe", "."}) {
        EXPECT_FALSE(ResumeStore(root.filePath(name)).PositionFor("/v/a.mkv")) << name;
        EXPECT_TRUE(RecentFiles(root.filePath(name)).Entries().isEmpty()) << name;
    }
}

TEST(RecentFilesTest, HoldsTheTenOpenedLastMostRecentFirstEachOnceOddNamesToo) {
    QTemporaryDir root;
    RecentFiles recent(root.filePath("recent.json"));
    for (int i = 0; i < 12; ++i) {
        recent.Add(QStringLiteral("/v/%1").arg(i));
    }
    recent.Add("/v/5");
    recent.Add("https://example.org/live");
    recent.Remove("/v/9");
    recent.Remove("/v/missing");
    QStringList expected =
        QString("https://example.org/live /v/5 /v/11 /v/10 /v/8 /v/7 /v/6 /v/4 /v/3").split(' ');
    EXPECT_EQ(recent.Entries(), expected);
    for (const QString& odd : kOddNames) {
        recent.Add(odd);
        expected.prepend(odd);
    }
    expected = expected.mid(0, 10);
    EXPECT_EQ(recent.Entries(), expected);
    ASSERT_TRUE(recent.Save().written);
    EXPECT_EQ(RecentFiles(root.filePath("recent.json")).Entries(), expected);
}
