#include "app/CommandLine.h"

#include "common/StreamUrl.h"
#include "platform/FileNames.h"

#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>

namespace quarn {

namespace {

// The toolkit's own options: those that take a value, and those that do not.
const QStringList kToolkitOptionsWithValue = {QStringLiteral("platform"),
                                              QStringLiteral("platformpluginpath"),
                                              QStringLiteral("platformtheme"),
                                              QStringLiteral("plugin"),
                                              QStringLiteral("qwindowgeometry"),
                                              QStringLiteral("qwindowicon"),
                                              QStringLiteral("qwindowtitle"),
                                              QStringLiteral("session"),
                                              QStringLiteral("display"),
                                              QStringLiteral("geometry"),
                                              QStringLiteral("style"),
                                              QStringLiteral("stylesheet"),
                                              QStringLiteral("name"),
                                              QStringLiteral("title")};
const QStringList kToolkitFlags = {QStringLiteral("reverse"), QStringLiteral("nograb"),
                                   QStringLiteral("dograb"), QStringLiteral("sync"),
                                   QStringLiteral("widgetcount")};

// "-platform", "--platform" or "-platform=xcb" as the option's bare name.
QString optionName(const QString& argument) {
    QString name = argument.mid(argument.startsWith(QLatin1String("--")) ? 2 : 1);
    return name.section(QLatin1Char('='), 0, 0);
}

} // namespace

QString EntryFor(const QString& argument) {
    if (IsStreamUrl(argument)) {
        return argument;
    }
    const QLatin1String scheme("file://");
    if (!argument.startsWith(scheme, Qt::CaseInsensitive)) {
        return QFileInfo(argument).absoluteFilePath();
    }
    QString path = argument.mid(scheme.size());
    if (path.startsWith(QLatin1String("localhost/"), Qt::CaseInsensitive)) {
        path = path.mid(9);
    }
    if (!path.startsWith(QLatin1Char('/'))) {
        return argument; // another machine's file: none of ours
    }
    // Desktops hand over URIs percent-encoded; people type them as they
    // are ("my clip 100% #1.mp4"). A name that is there as written is
    // taken as written; else the percent-encoded bytes it stands for.
    const QByteArray bytes = platform::FileNameToBytes(path);
    static const QRegularExpression badEscape(QStringLiteral("%(?![0-9A-Fa-f]{2})"));
    if (platform::InspectFile(path).exists || path.contains(badEscape)) {
        return path;
    }
    return platform::FileNameFromBytes(QByteArray::fromPercentEncoding(bytes));
}

CommandLine ParseCommandLine(const QStringList& arguments) {
    CommandLine line;
    line.toolkitArguments << arguments.value(0);
    bool optionsOver = false;
    for (qsizetype i = 1; i < arguments.size(); ++i) {
        const QString& argument = arguments.at(i);
        if (optionsOver || argument == QLatin1String("-") || !argument.startsWith(u'-')) {
            line.entries << EntryFor(argument);
            continue;
        }
        if (argument == QLatin1String("--")) {
            optionsOver = true;
        } else if (argument == QLatin1String("--help") || argument == QLatin1String("-h")) {
            line.action = CommandLine::Action::Help;
            return line;
        } else if (argument == QLatin1String("--version")) {
            line.action = CommandLine::Action::Version;
            return line;
        } else if (argument == QLatin1String("--new-instance")) {
            line.newInstance = true;
        } else if (argument == QLatin1String("--enqueue")) {
            line.enqueue = true;
        } else if (const QString name = optionName(argument);
                   argument.startsWith(QLatin1String("--")) &&
                   (name == QLatin1String("skin") || name == QLatin1String("size"))) {
            QString value = argument.section(u'=', 1);
            if (!argument.contains(u'=')) {
                if (i + 1 >= arguments.size()) {
                    line.action = CommandLine::Action::Usage;
                    line.problem = QStringLiteral("%1 needs a value").arg(argument);
                    return line;
                }
                value = arguments.at(++i);
            }
            (name == QLatin1String("skin") ? line.skin : line.size) = value;
        } else if (kToolkitFlags.contains(optionName(argument))) {
            line.toolkitArguments << argument;
        } else if (kToolkitOptionsWithValue.contains(optionName(argument))) {
            line.toolkitArguments << argument;
            if (!argument.contains(u'=')) {
                if (i + 1 >= arguments.size()) {
                    line.action = CommandLine::Action::Usage;
                    line.problem = QStringLiteral("%1 needs a value").arg(argument);
                    return line;
                }
                line.toolkitArguments << arguments.at(++i);
            }
        } else {
            line.action = CommandLine::Action::Usage;
            line.problem = QStringLiteral("unknown option %1").arg(argument);
            return line;
        }
    }
    return line;
}

QString UsageText() {
    return QStringLiteral("Usage: quarn-media-player [--new-instance] [--enqueue] [--skin SKIN] "
                          "[--size SIZE] [--] [FILE|FOLDER|URL...]\n"
                          "       quarn-media-player --help | --version\n"
                          "\n"
                          "Plays audio and video files. Several files, or the media files of a\n"
                          "folder, play one after the other; http:// and https:// URLs play as\n"
                          "streams, file:// URIs as the files they name. Everything after \"--\"\n"
                          "is a file, whatever its name.\n"
                          "\n"
                          "Options:\n"
                          "  --new-instance  start a player of its own even when one is running\n"
                          "  --enqueue       add the files to the end of the running player's\n"
                          "                  queue instead of playing them at once\n"
                          "  --skin SKIN     show the player in this skin for this run: the name\n"
                          "                  of a bundled or installed skin, or the path of a\n"
                          "                  skin's folder or .zip archive\n"
                          "  --size SIZE     show it at this size for this run: 1, 1.5 or 2\n"
                          "  --help          show this text and end\n"
                          "  --version       show the name and version and end\n");
}

QString VersionText() {
    return QStringLiteral("QUARN Media Player " QUARN_VERSION "\n");
}

} // namespace quarn
