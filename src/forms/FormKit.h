#pragma once

// Small building blocks from which the windows are made up from their designs.

#include "common/Twips.h"
#include "forms/Designs.h"

#include <QFont>
#include <QIcon>
#include <QImage>
#include <QLabel>
#include <QMouseEvent>
#include <QWidget>

namespace quarn {

// The pixel rectangle of a design element.
inline QRect pixelRect(const design::Element& e) {
    return toPixels(TwipsRect{double(e.left), double(e.top), double(e.width), double(e.height)});
}

// The designed face at the designed size, with a face of the same kind to
// fall back on where the designed one is not installed.
QFont designFont(const design::Font& font);

// Makes a top-level window borderless and keeps it out of the taskbar.
void makeBorderless(QWidget& window);

// Places a window at the centre of its screen.
void centerOnScreen(QWidget& window);

// Gives a window the designed background and text colours.
void setDesignColours(QWidget& widget, ColourWord back, ColourWord fore);

// Tells a click from other presses: a press and a release of the same
// button, the release on the widget too.
class ClickDetector {
public:
    void Pressed(const QMouseEvent& event);
    // Whether this release ends a click on the widget whose rectangle is given.
    bool Released(const QMouseEvent& event, const QRect& widget);

private:
    Qt::MouseButton button_ = Qt::NoButton;
};

// A text label: text drawn on its parent, transparent, in the designed font
// and colour. It takes the mouse presses made on it (they do not reach the
// window below) and tells of them.
class Label : public QLabel {
    Q_OBJECT
public:
    Label(QWidget* parent, const char* name, const design::Element& element,
          const design::Font& font, ColourWord colour, Qt::Alignment alignment);

    void SetForeColour(ColourWord colour);
    ColourWord ForeColour() const { return foreColour_; }

signals:
    void pressed(Qt::MouseButton button, QPoint globalPos);
    void clicked();
    void mouseMoved(Qt::MouseButtons buttons, QPoint pos);

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;

private:
    ColourWord foreColour_ = 0;
    ClickDetector click_;
};

// A picture element: a child that shows one picture at its origin, optionally
// inside a 2-pixel sunken frame, and takes the picture's size when it is set
// to size itself. Clicks (press and release on it) and presses are reported.
class PictureBox : public QWidget {
    Q_OBJECT
public:
    PictureBox(QWidget* parent, const char* name, const design::Element& element,
               const QImage& picture, bool border);

    const QImage& Picture() const { return picture_; }
    void SetPicture(const QImage& picture);
    bool HasBorder() const { return border_; }
    void SetBorder(bool border);
    // Sizes the element to its picture (plus the frame, if any).
    void AutoSize();

signals:
    void pressed(Qt::MouseButton button, QPoint globalPos);
    void clicked();
    void mouseMoved(Qt::MouseButtons buttons, QPoint pos);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;

private:
    QImage picture_;
    bool border_ = false;
    ClickDetector click_;
};

// A message box with the text, the title and one OK button; the detail, if
// any, goes under the text in smaller print.
void ShowMessageBox(const QString& text, const QString& title, const QString& detail);

// An icon from an ICO file: its 32-bit image with alpha where there is one
// (the toolkit shows a 24-bit image's transparency mask as black).
QIcon loadIcon(const QString& path);

// Loads an embedded picture as 32-bit RGB; a missing one gives a 1 x 1 black
// picture rather than nothing, so the windows still come up.
QImage loadPicture(const QString& path);

} // namespace quarn
