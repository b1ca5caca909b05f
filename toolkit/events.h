#pragma once
// Mouse button states, mouse answers and key events shared by views and back ends.
#include <cstdint>

// Bits of a mouse event's button state.
enum CButton : std::int32_t {
    kLButton = 1 << 1,
    kMButton = 1 << 2,
    kRButton = 1 << 3,
    kShift = 1 << 4,
    kControl = 1 << 5,
    kAlt = 1 << 6,
    kApple = 1 << 7,
    kDoubleClick = 1 << 10,
};

inline constexpr std::int32_t kModifierMask = 0xF0;  // Shift, Control, Alt, Apple

class CButtonState {
public:
    constexpr CButtonState(std::int32_t bits = 0) : state_(bits) {}
    constexpr std::int32_t getButtonState() const { return state_; }
    constexpr std::int32_t getModifierState() const { return state_ & kModifierMask; }
    constexpr bool isLeftButton() const { return (state_ & kLButton) != 0; }
    constexpr bool isRightButton() const { return (state_ & kRButton) != 0; }
    constexpr bool isDoubleClick() const { return (state_ & kDoubleClick) != 0; }
    constexpr std::int32_t operator&(std::int32_t mask) const { return state_ & mask; }
    constexpr bool operator==(const CButtonState&) const = default;
    constexpr operator std::int32_t() const { return state_; }

private:
    std::int32_t state_;
};

enum CMouseEventResult {
    kMouseEventNotHandled = 0,
    kMouseEventHandled,
};

// Keys a text editor or a focused view cares about beyond plain characters.
enum class VirtualKey : std::uint8_t {
    NoKey, Back, Tab, Return, Escape, Left, Right, Home, End, Delete, Up, Down,
};

struct CKeyEvent {
    char32_t character = 0;          // Unicode code point typed, 0 when none
    VirtualKey virtualKey = VirtualKey::NoKey;
    std::int32_t modifiers = 0;      // kShift, kControl, kAlt bits
};
