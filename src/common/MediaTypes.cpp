#include "common/MediaTypes.h"

#include <algorithm>

#include <QRegularExpression>

namespace quarn {

QStringList MediaFilePatterns() {
    return {QStringLiteral("*.mp*"),  QStringLiteral("*.avi"), QStringLiteral("*.asf"),
            QStringLiteral("*.wmv"),  QStringLiteral("*.mkv"), QStringLiteral("*.webm"),
            QStringLiteral("*.mov"),  QStringLiteral("*.m4v"), QStringLiteral("*.ogv"),
            QStringLiteral("*.ogg"),  QStringLiteral("*.oga"), QStringLiteral("*.opus"),
            QStringLiteral("*.flac"), QStringLiteral("*.m4a"), QStringLiteral("*.wav"),
            QStringLiteral("*.3gp"),  QStringLiteral("*.ts"),  QStringLiteral("*.flv"),
            QStringLiteral("*.mpeg"), QStringLiteral("*.mpg")};
}

QString MediaFilter() {
    // Playlists open too: their entries become the queue.
    return QStringLiteral("Media Files |") + MediaFilePatterns().join(QLatin1Char(';')) +
           QStringLiteral(";*.m3u;*.m3u8;*.pls;*.xspf|All Files (*.*)|*.*|");
}

QStringList MediaMimeTypes() {
    return QStringLiteral(
               "video/mp4 video/x-m4v video/x-matroska audio/x-matroska video/webm audio/webm "
               "video/quicktime video/x-msvideo video/x-ms-wmv application/vnd.ms-asf "
               "video/x-ms-asf video/mpeg video/ogg video/x-theora+ogg audio/ogg "
               "audio/x-vorbis+ogg audio/x-opus+ogg application/ogg audio/flac audio/x-flac "
               "audio/mp4 audio/x-m4a audio/mpeg audio/x-wav audio/wav video/3gpp video/mp2t "
               "video/x-flv")
        .split(QLatin1Char(' '));
}

bool IsMediaFileName(const QString& name) {
    static const QList<QRegularExpression> patterns = [] {
        QList<QRegularExpression> list;
        for (const QString& pattern : MediaFilePatterns()) {
            list << QRegularExpression(QRegularExpression::wildcardToRegularExpression(pattern),
                                       QRegularExpression::CaseInsensitiveOption);
        }
        return list;
    }();
    for (const QRegularExpression& pattern : patterns) {
        if (pattern.match(name).hasMatch()) {
            return true;
        }
    }
    return false;
}

bool IsSoundFileName(const QString& name) {
    static const QStringList kEndings = {
        QStringLiteral(".mp3"), QStringLiteral(".flac"), QStringLiteral(".ogg"),
        QStringLiteral(".oga"), QStringLiteral(".opus"), QStringLiteral(".m4a"),
        QStringLiteral(".wav"), QStringLiteral(".wma"),  QStringLiteral(".aac"),
        QStringLiteral(".ape"), QStringLiteral(".wv"),   QStringLiteral(".mka"),
        QStringLiteral(".aif"), QStringLiteral(".aiff")};
    return std::any_of(kEndings.begin(), kEndings.end(), [&](const QString& ending) {
        return name.endsWith(ending, Qt::CaseInsensitive);
    });
}

bool IsSubtitleFileName(const QString& name) {
    static const QStringList kEndings = {QStringLiteral(".srt"), QStringLiteral(".ass"),
                                         QStringLiteral(".ssa"), QStringLiteral(".sub"),
                                         QStringLiteral(".vtt"), QStringLiteral(".idx")};
    return std::any_of(kEndings.begin(), kEndings.end(), [&](const QString& ending) {
        return name.endsWith(ending, Qt::CaseInsensitive);
    });
}

} // namespace quarn
