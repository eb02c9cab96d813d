#pragma once

#include <QObject>
#include <QString>
#include <stdexcept>

namespace quarn {

// The error a media engine raises when it cannot do what it was asked.
class EngineError : public std::runtime_error {
public:
    // The code of a file that cannot be played.
    static constexpr int kCannotPlay = 5;

    EngineError(int code, const QString& reason)
        : std::runtime_error(reason.toStdString()), code_(code), reason_(reason) {}

    int code() const { return code_; }
    QString reason() const { return reason_; }

private:
    int code_;
    QString reason_;
};

// What the player's windows ask of a media engine: open a file and play it,
// transport commands, position and length, and the display area's size.
// Positions and lengths are seconds; sizes are twips.
class MediaEngine : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;
    // Destroying an engine stops playback at once and releases everything.
    ~MediaEngine() override = default;

    // Opens the file and starts playing it at once. Returns once the file has
    // been accepted; throws EngineError(kCannotPlay, reason) when it is refused,
    // and then what was open before plays on. An empty path closes whatever is
    // open.
    virtual void SetFileName(const QString& path) = 0;
    // The path last set; "" before any.
    virtual QString FileName() const = 0;

    virtual void Play() = 0;
    virtual void Pause() = 0;
    virtual void Stop() = 0;

    // Above 0 while something is playing (or paused past its start).
    virtual double CurrentPosition() const = 0;
    virtual void SetCurrentPosition(double seconds) = 0;
    // Length of the open media, 0 when none.
    virtual double Duration() const = 0;

    virtual double Width() const = 0;
    virtual void SetWidth(double twips) = 0;
    virtual double Height() const = 0;
    virtual void SetHeight(double twips) = 0;
    virtual void SetVisible(bool visible) = 0;

    // Playback speed, 1.0 being normal.
    virtual void SetSpeed(double factor) = 0;

signals:
    // Playback of the open file reached its natural end. Not raised by Stop, by
    // replacing the file or by an error. The argument carries nothing.
    void EndOfStream(int result);
};

} // namespace quarn
