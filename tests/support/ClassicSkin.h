#pragma once

#include "widgets/Skin.h"

namespace quarn::test {

// The bundled Classic skin, read once from the source tree.
inline const Skin& ClassicSkin() {
    static const Skin skin = ReadSkin(QStringLiteral(QUARN_SKINS_DIR "/classic"));
    return skin;
}

} // namespace quarn::test
