#pragma once

#include "dialogs/Cmdlg.h"
#include "dialogs/DLGs.h"
#include "player/PlaybackMonitor.h"

#include <QImage>
#include <QScrollBar>
#include <QTimer>
#include <QWidget>
#include <memory>

namespace quarn {

class MediaEngine;
class PictureBox;

// The player's main window: a borderless black window holding the video
// display of the media engine `TheShow`, the seek bar `HScroll1` below it and
// a tiled background. It runs the playback monitor and the title marquee.
class FrmMain : public QWidget, private MonitorView {
    Q_OBJECT
public:
    FrmMain();
    ~FrmMain() override;

    // Runs once, when the window is first referred to.
    void Load();

    MediaEngine& TheShow() { return *theShow_; }
    QWidget& TheShowDisplay() { return *display_; }
    QScrollBar& HScroll1() { return *hScroll1_; }
    // Timer1 drives the playback monitor, Timer2 the title marquee.
    QTimer Timer1;
    QTimer Timer2;
    Cmdlg CMDLG;
    DLGs DLGs1;
    // The source tile of the background, a picture element that is never shown.
    PictureBox& Picture3() { return *picture3_; }

    // Public procedures used by the other windows.
    static QString TimeString(std::int32_t seconds);
    void RePaint();
    void CenterForm(QWidget& form);
    static QString GetFileName(const QString& path);
    void SetSpeed(std::int32_t speed);

    // The seek bar and the marquee, switched by the toolbar's Open command.
    void EnableSeekBar(bool enabled) override;
    void EnableMarquee(bool enabled) override;

    PlaybackMonitor& Monitor() { return monitor_; }
    // The monitor rests while nothing changes; anything that may change what
    // it shows wakes it up.
    void WakeMonitor();
    bool MonitorAwake() const { return Timer1.isActive(); }

    // How often the monitor ticks while awake, and how long it stays awake
    // once nothing changes any more.
    static constexpr int kTickMs = 15;
    static constexpr int kQuietTicksBeforeRest = 40;

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void moveEvent(QMoveEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void changeEvent(QEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void Timer1_Timer();
    void Timer2_Timer();
    void HScroll1_Scroll(int value);
    void TheShow_EndOfStream();
    void TheShow_Failed(const QString& reason);

    // MonitorView
    void SetTimeCaption(const QString& caption) override;
    void SetSeekMaximum(std::int32_t seconds) override;
    void SetSeekValue(std::int32_t seconds) override;
    void PlaceSeekBar(double top, double width) override;
    WindowState MainState() const override;
    TwipsRect MainGeometry() const override;
    void ResizeMain(double width, double height) override;
    TwipsRect SongNameGeometry() const override;
    void MoveSongName(double left, double top) override;
    TwipsRect ToolbarGeometry() const override;
    void MoveToolbar(double left, double top) override;
    QString Title() const override;
    void SetTitle(const QString& title) override;

    struct Snapshot {
        double position = 0;
        QRect main;
        QPoint songName;
        QPoint toolbar;
        bool operator==(const Snapshot&) const = default;
    };
    Snapshot snapshot();

    QWidget* display_ = nullptr;
    QScrollBar* hScroll1_ = nullptr;
    PictureBox* picture3_ = nullptr;
    std::unique_ptr<MediaEngine> theShow_;
    PlaybackMonitor monitor_;
    Snapshot last_;
    int quietTicks_ = 0;
};

} // namespace quarn
