#pragma once

#include "player/MediaEngine.h"

#include <QStringList>
#include <functional>

namespace quarn::test {

// A media engine that plays nothing: it records the commands it is given and
// reports whatever position, length and size the test sets.
class FakeEngine : public MediaEngine {
    Q_OBJECT
public:
    void SetFileName(const QString& path) override {
        calls << QStringLiteral("FileName=") + path;
        if (refuse && !path.isEmpty()) {
            throw EngineError(refuseCode, QStringLiteral("refused by the test"));
        }
        fileName = path;
        playing = !path.isEmpty();
        if (playing) {
            emit Opened();
        }
    }
    QString FileName() const override { return fileName; }
    void Play() override {
        calls << QStringLiteral("Play");
        playing = !fileName.isEmpty();
    }
    void Pause() override {
        calls << QStringLiteral("Pause");
        playing = false;
    }
    void Stop() override {
        calls << QStringLiteral("Stop");
        playing = false;
    }
    bool Playing() const override { return playing; }
    double CurrentPosition() const override { return position; }
    void SetCurrentPosition(double seconds) override {
        calls << QStringLiteral("Seek=%1").arg(seconds);
        position = seconds;
    }
    double Duration() const override { return duration; }
    double Width() const override { return width; }
    void SetWidth(double twips) override { width = twips; }
    double Height() const override { return height; }
    void SetHeight(double twips) override { height = twips; }
    void SetVisible(bool v) override { visible = v; }
    void SetSpeed(double factor) override { speed = factor; }
    void RestartAfterOutputLoss() override { calls << QStringLiteral("Restart"); }

    void EmitEndOfStream() { emit EndOfStream(0); }

    QStringList calls;
    QString fileName;
    bool playing = false;
    bool refuse = false;
    int refuseCode = EngineError::kCannotPlay;
    double position = 0;
    double duration = 0;
    double width = 3585;
    double height = 2715;
    bool visible = true;
    double speed = 1.0;
};

} // namespace quarn::test
