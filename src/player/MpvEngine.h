#pragma once

#include "player/MediaEngine.h"

#include <QEventLoop>
#include <QPointer>
#include <QWidget>
#include <atomic>
#include <utility>
#include <vector>

struct mpv_handle;
struct mpv_event;

namespace quarn {

// Options handed to mpv before it starts, on top of the player's own.
using MpvOptions = std::vector<std::pair<QString, QString>>;

// The media engine over libmpv. With a display widget the video is drawn into
// it (mpv's own output embedded in the widget's native window); without one the
// engine plays sound only.
class MpvEngine final : public MediaEngine {
    Q_OBJECT
public:
    explicit MpvEngine(QWidget* display, const MpvOptions& extraOptions = {},
                       QObject* parent = nullptr);
    ~MpvEngine() override;

    void SetFileName(const QString& path) override;
    QString FileName() const override { return fileName_; }
    void Play() override;
    void Pause() override;
    void Stop() override;
    double CurrentPosition() const override;
    void SetCurrentPosition(double seconds) override;
    double Duration() const override;
    double Width() const override { return widthTwips_; }
    void SetWidth(double twips) override;
    double Height() const override { return heightTwips_; }
    void SetHeight(double twips) override;
    void SetVisible(bool visible) override;
    void SetSpeed(double factor) override;

    // How long SetFileName waits for mpv to accept or refuse a file.
    static constexpr int kOpenTimeoutMs = 5000;

private:
    enum class Load { None, Waiting, Loaded, Failed };

    void command(std::initializer_list<QByteArray> args);
    void setFlag(const char* name, bool value);
    void scheduleDrain();
    void drainEvents();
    void handleEvent(const mpv_event& event);
    void adoptVideoSize();
    void startLoading(const QString& target, const QByteArray& fileOptions = {});

    mpv_handle* mpv_ = nullptr;
    QPointer<QWidget> display_;
    QString fileName_;
    double widthTwips_ = 0;
    double heightTwips_ = 0;
    double position_ = 0;
    double duration_ = 0;
    bool stopped_ = false;

    Load load_ = Load::None;
    bool sawStart_ = false;  // the START_FILE of the file we are waiting for
    long long entryId_ = -1; // mpv's playlist entry id of the open file
    QString failure_;
    QEventLoop* waitLoop_ = nullptr; // while SetFileName waits for mpv's answer
    std::atomic<bool> drainPosted_{false};
};

} // namespace quarn
