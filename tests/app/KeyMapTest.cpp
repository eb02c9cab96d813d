#include "app/KeyMap.h"

#include <gtest/gtest.h>

using namespace quarn;

// What the key table alone cannot show: which modifiers count.
TEST(KeyMapTest, ShiftCountsOnlyForArrowsAndSignsControlOnlyForOpenAndKeypadDigitsAreDigits) {
    using Kind = KeyAction::Kind;
    const struct {
        int key;
        Qt::KeyboardModifiers modifiers;
        std::optional<KeyAction> action;
    } cases[] = {
        {Qt::Key_Right, Qt::ShiftModifier, KeyAction{Kind::Seek, 60}},
        {Qt::Key_Right, Qt::NoModifier, KeyAction{Kind::Seek, 5}},
        {Qt::Key_NumberSign, Qt::ShiftModifier, KeyAction{Kind::NextAudio}},
        {Qt::Key_BracketRight, Qt::ShiftModifier, KeyAction{Kind::Speed, 10}},
        {Qt::Key_F, Qt::ShiftModifier, std::nullopt},
        {Qt::Key_O, Qt::ControlModifier, KeyAction{Kind::Open}},
        {Qt::Key_O, Qt::NoModifier, std::nullopt},
        {Qt::Key_M, Qt::ControlModifier, std::nullopt},
        {Qt::Key_Space, Qt::AltModifier, std::nullopt},
        {Qt::Key_1, Qt::KeypadModifier, KeyAction{Kind::Zoom, 50}},
        // The one Play/Pause key of most keyboards comes as "play": it toggles.
        {Qt::Key_MediaPlay, Qt::NoModifier, KeyAction{Kind::PlayPause}},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(ActionForKey(c.key, c.modifiers), c.action)
            << std::hex << c.key << " with " << c.modifiers.toInt();
    }
}
