#include "app/CommandLine.h"

#include <QFileInfo>
#include <gtest/gtest.h>

using namespace quarn;
using Action = CommandLine::Action;

namespace {

CommandLine parse(QStringList arguments) {
    arguments.prepend("quarn-media-player");
    return ParseCommandLine(arguments);
}

QString here(const QString& name) {
    return QFileInfo(name).absoluteFilePath();
}

} // namespace

// --help, --version and an unknown option as the program answers them:
// CommandLineE2ETest.
TEST(CommandLineTest, HelpAndVersionWinWhereverTheyStandAndAToolkitOptionNeedsItsValue) {
    EXPECT_EQ(parse({"clip.mp4", "-h"}).action, Action::Help);
    EXPECT_EQ(parse({"clip.mp4", "--version"}).action, Action::Version);
    EXPECT_EQ(parse({"-platform"}).action, Action::Usage);
}

TEST(CommandLineTest, AfterTheDoubleDashEverythingIsAFileAndOnlyWhatCameBeforeReachesTheToolkit) {
    const CommandLine line =
        parse({"-platform", "xcb", "-reverse", "--new-instance", "--skin", "light", "--size=2",
               "a.mp4", "--", "--help", "-stylesheet=evil.qss", "-reverse", "-", "--skin"});
    EXPECT_EQ(line.action, Action::Play);
    EXPECT_TRUE(line.newInstance);
    EXPECT_EQ(line.skin, "light");
    EXPECT_EQ(line.size, "2");
    EXPECT_EQ(parse({"--size"}).action, Action::Usage);
    EXPECT_EQ(line.toolkitArguments,
              (QStringList{"quarn-media-player", "-platform", "xcb", "-reverse"}));
    EXPECT_EQ(line.entries,
              (QStringList{here("a.mp4"), here("--help"), here("-stylesheet=evil.qss"),
                           here("-reverse"), here("-"), here("--skin")}));
}

TEST(CommandLineTest, FileUrisAreLocalFilesWebUrlsAreStreamsAndEverythingElseIsAPath) {
    const CommandLine line =
        parse({"file:///media/My%20Clip.mkv", "https://example.org/live.m3u8",
               "HTTP://example.org/a.mp3", "av://lavfi:testsrc", "/abs/x.mp4", "rel/y.mp4"});
    EXPECT_EQ(line.entries, (QStringList{"/media/My Clip.mkv", "https://example.org/live.m3u8",
                                         "HTTP://example.org/a.mp3", here("av://lavfi:testsrc"),
                                         "/abs/x.mp4", here("rel/y.mp4")}));
}
