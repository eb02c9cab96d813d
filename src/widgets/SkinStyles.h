#pragma once

// The toolkit's style sheets for the skinned controls, made from a skin's
// colours at the size the skin is shown.

#include "widgets/Skin.h"

#include <QString>

class QLabel;

namespace quarn {

// A horizontal scroll bar `height` pixels high at 1x (the seek bar).
QString SeekBarStyle(const SkinSlider& slider, int height, double scale);
// A horizontal slider in the same colours (the volume).
// Reached by Tab, it is framed in `focus`.
QString SliderStyle(const SkinSlider& slider, int height, double scale, const QColor& focus);
QString MenuStyle(const MenuSkin& menu, double scale);
QString NoticeStyle(const NoticeSkin& notice, double scale);
// The playlist's list and its scroll bar.
QString ListStyle(const PlaylistSkin& playlist, double scale);

// A label takes a text element's place, font, colour and alignment.
void SetTextLook(QLabel& label, const SkinText& text, double scale);

} // namespace quarn
