#pragma once

#include "common/ColourWord.h"
#include "forms/FormKit.h"

#include <QImage>
#include <QString>
#include <QTimer>
#include <QWidget>
#include <cstdint>

namespace quarn {

// What the About box works out, free of the window.
namespace about {

// The animation's frames are numbered 1 to 4; after the last comes the first.
inline constexpr std::int32_t kFrameCount = 4;
std::int32_t NextFrame(std::int32_t frame);

// The picture file of a frame: "quarn N.bmp" in the given folder.
QString FramePath(const QString& folder, std::int32_t frame);

// The version line under "Windows Version": only Windows XP ("5.01") is
// named, as "5.01 XP"; every other version leaves the line empty.
QString WinVerCaption(const QString& version);

// The colour readout: the colour word as a signed number, four spaces and the
// pointer position in twips, shortest form: "16777215    [1500,750]".
QString ColourReadout(std::int32_t colour, float xTwips, float yTwips);

} // namespace about

// The About box: a borderless picture window with a small animation in
// Picture1, a second picture, the version line and an "OK" that hides it.
// It is loaded once and then only hidden and shown again; its animation goes
// on all the while.
class FrmAbout : public QWidget {
    Q_OBJECT
public:
    FrmAbout();
    void Load();

    // The frame shown last; one for the whole program.
    static std::int32_t AboutFrame;

    PictureBox& Picture1() { return *picture1_; }
    PictureBox& Picture2() { return *picture2_; }
    Label& Label1() { return *label1_; }
    Label& MyWinVer() { return *myWinVer_; }
    Label& Label2() { return *label2_; }
    Label& Label3() { return *label3_; }
    QTimer Timer1;

    // Where the frame pictures are read from: the program's folder unless
    // told otherwise.
    void SetFrameFolder(const QString& folder) { frameFolder_ = folder; }
    QString FrameFolder() const { return frameFolder_; }

    // The handlers.
    void Timer1_Timer();
    void Label2_Click();

protected:
    void paintEvent(QPaintEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;

private:
    // The colour word of what the window shows at a pixel; -1 off the window.
    std::int32_t PixelColour(QPoint pixel);

    QImage picture_;
    PictureBox* picture1_;
    PictureBox* picture2_;
    Label* label3_;
    Label* label1_;
    Label* myWinVer_;
    Label* label2_;
    QString frameFolder_;
};

} // namespace quarn
