// The program's sources include only downward: the platform layer, the shared
// units, the building blocks, the windows, and the player that owns them on
// top. No window includes another window's header.
#include <QDirIterator>
#include <QFile>
#include <QRegularExpression>
#include <gtest/gtest.h>

namespace {

enum Layer { kPlatform, kCommon, kBlocks, kWindows, kApp };

// The layer of a file under src/, by its path there.
Layer layerOf(const QString& path) {
    if (path.startsWith(QLatin1String("platform/"))) {
        return kPlatform;
    }
    if (path.startsWith(QLatin1String("common/"))) {
        return kCommon;
    }
    if (path.startsWith(QLatin1String("app/"))) {
        return kApp;
    }
    for (const char* window : {"player/MainWindow.", "toolbar/", "tray/", "effects/Melter.",
                               "splash/Splash.", "splash/AboutBox."}) {
        if (path.startsWith(QLatin1String(window))) {
            return kWindows;
        }
    }
    return kBlocks; // forms, shaping, dialogs, the engine, layout, readouts, melt steps
}

struct Include {
    QString file;
    QString included;
};

std::vector<Include> includes() {
    const QString root = QStringLiteral(QUARN_SOURCE_DIR "/src/");
    static const QRegularExpression line(QStringLiteral("^\\s*#\\s*include\\s+\"([^\"]+)\""),
                                         QRegularExpression::MultilineOption);
    std::vector<Include> found;
    QDirIterator files(root, {QStringLiteral("*.h"), QStringLiteral("*.cpp")}, QDir::Files,
                       QDirIterator::Subdirectories);
    while (files.hasNext()) {
        const QString path = files.next();
        QFile file(path);
        file.open(QIODevice::ReadOnly);
        const QString text = QString::fromUtf8(file.readAll());
        for (auto match = line.globalMatch(text); match.hasNext();) {
            found.push_back({path.mid(root.size()), match.next().captured(1)});
        }
    }
    return found;
}

QString stem(const QString& path) {
    return path.left(path.lastIndexOf(QLatin1Char('.')));
}

} // namespace

TEST(SourceLayers, NoFileIncludesAFileOfAHigherLayer) {
    const std::vector<Include> all = includes();
    ASSERT_GT(all.size(), 50u);
    for (const Include& include : all) {
        EXPECT_LE(layerOf(include.included), layerOf(include.file))
            << qPrintable(include.file) << " includes " << qPrintable(include.included);
    }
}

TEST(SourceLayers, NoWindowIncludesAnotherWindowsHeader) {
    for (const Include& include : includes()) {
        if (layerOf(include.file) == kWindows && layerOf(include.included) == kWindows) {
            EXPECT_EQ(stem(include.file), stem(include.included))
                << qPrintable(include.file) << " includes " << qPrintable(include.included);
        }
    }
}
