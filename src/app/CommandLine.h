#pragma once

#include <QString>
#include <QStringList>

namespace quarn {

// What the program was asked to do on its command line.
struct CommandLine {
    enum class Action { Play, Help, Version, Usage };
    Action action = Action::Play;
    // The program's name and the toolkit's own options (-platform xcb, ...),
    // which may only come before "--".
    QStringList toolkitArguments;
    // Files (absolute paths), folders and http(s) streams, in order.
    QStringList entries;
    // Start a player of its own even when one runs.
    bool newInstance = false;
    // Add the entries to the end of the running player's queue instead of
    // replacing it.
    bool enqueue = false;
    // The skin for this run: a skin's name or id, or the path of a skin's
    // folder, its skin.json or a .zip of it; and its size ("1", "1.5", "2").
    // Checked when the player starts; "" where not given.
    QString skin;
    QString size;
    // With Usage: what was wrong.
    QString problem;
};

// Reads the arguments (the program's name first). "--" ends the options:
// everything after it is a file, whatever it looks like. file:// URIs
// (file:///path or file://localhost/path, percent-encoded or not) stand for
// the local files they name; http:// and https:// URLs are streams; every
// other argument is a local path (an "av://x" too).
CommandLine ParseCommandLine(const QStringList& arguments);

// What one argument stands for: a local file's absolute path, or a stream's URL.
QString EntryFor(const QString& argument);

QString UsageText();
QString VersionText();

} // namespace quarn
