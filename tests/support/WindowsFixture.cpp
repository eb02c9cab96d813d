#include "support/WindowsFixture.h"

#include "player/FrmMain.h"

namespace quarn::test {

FakeEngine& WindowsFixture::theShow() {
    return static_cast<FakeEngine&>(frmMain().TheShow());
}

} // namespace quarn::test
