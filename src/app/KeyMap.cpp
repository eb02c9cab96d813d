#include "app/KeyMap.h"

namespace quarn {

std::optional<KeyAction> ActionForKey(int key, Qt::KeyboardModifiers modifiers) {
    using Kind = KeyAction::Kind;
    // The keypad's digits are the digits.
    modifiers &= ~Qt::KeypadModifier;
    // Signs typed with Shift on some keyboards ("#", "[") are the signs.
    switch (key) {
    case Qt::Key_NumberSign:
        return KeyAction{Kind::NextAudio};
    case Qt::Key_BracketLeft:
        return KeyAction{Kind::Speed, -10};
    case Qt::Key_BracketRight:
        return KeyAction{Kind::Speed, 10};
    default:
        break;
    }
    const bool shift = modifiers == Qt::ShiftModifier;
    if (modifiers == Qt::ControlModifier) {
        return key == Qt::Key_O ? std::optional(KeyAction{Kind::Open}) : std::nullopt;
    }
    if (modifiers != Qt::NoModifier && !shift) {
        return std::nullopt;
    }
    switch (key) {
    case Qt::Key_Left:
        return KeyAction{Kind::Seek, shift ? -60 : -5};
    case Qt::Key_Right:
        return KeyAction{Kind::Seek, shift ? 60 : 5};
    default:
        break;
    }
    if (shift) {
        return std::nullopt;
    }
    switch (key) {
    case Qt::Key_Space:
    case Qt::Key_MediaTogglePlayPause:
    // Most keyboards' one Play/Pause key comes as "play".
    case Qt::Key_MediaPlay:
        return KeyAction{Kind::PlayPause};
    case Qt::Key_MediaPause:
        return KeyAction{Kind::Pause};
    case Qt::Key_MediaStop:
        return KeyAction{Kind::Stop};
    case Qt::Key_Up:
    case Qt::Key_VolumeUp:
        return KeyAction{Kind::Volume, 5};
    case Qt::Key_Down:
    case Qt::Key_VolumeDown:
        return KeyAction{Kind::Volume, -5};
    case Qt::Key_M:
    case Qt::Key_VolumeMute:
        return KeyAction{Kind::Mute};
    case Qt::Key_F:
        return KeyAction{Kind::FullScreen};
    case Qt::Key_Escape:
        return KeyAction{Kind::LeaveFullScreen};
    case Qt::Key_N:
    case Qt::Key_PageDown:
    case Qt::Key_MediaNext:
        return KeyAction{Kind::Next};
    case Qt::Key_P:
    case Qt::Key_PageUp:
    case Qt::Key_MediaPrevious:
        return KeyAction{Kind::Previous};
    case Qt::Key_1:
        return KeyAction{Kind::Zoom, 50};
    case Qt::Key_2:
        return KeyAction{Kind::Zoom, 100};
    case Qt::Key_3:
        return KeyAction{Kind::Zoom, 200};
    case Qt::Key_V:
        return KeyAction{Kind::ToggleSubtitles};
    case Qt::Key_J:
        return KeyAction{Kind::NextSubtitle};
    case Qt::Key_Backspace:
        return KeyAction{Kind::Speed, 0};
    case Qt::Key_L:
        return KeyAction{Kind::CycleLoop};
    case Qt::Key_S:
        return KeyAction{Kind::Screenshot};
    case Qt::Key_Period:
        return KeyAction{Kind::Frame, 1};
    case Qt::Key_Comma:
        return KeyAction{Kind::Frame, -1};
    case Qt::Key_E:
        return KeyAction{Kind::TogglePlaylist};
    default:
        return std::nullopt;
    }
}

} // namespace quarn
