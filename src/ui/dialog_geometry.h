// Colours and positions of the dialogs, worked out without the window system.
#pragma once

#include <cstdint>
#include <optional>
#include <span>

namespace launcher {

// A link colour as the user's browser settings store it: a string value of at
// most 24 bytes holding "R,G,B" in decimal, zero-terminated. Only the low byte of
// each number counts. The COLORREF (R + 256 G + 65536 B), or nothing when the
// value is of another type, too long, of odd length, unterminated, or not three
// numbers.
std::optional<uint32_t> parseLinkColour(bool stringType, std::span<const uint8_t> data);

struct ScreenRect {
    int32_t left = 0, top = 0, right = 0, bottom = 0;
    int32_t width() const { return right - left; }
    int32_t height() const { return bottom - top; }
};

// The top-left corner of a window of `size` centred on `reference`, then moved so
// that its right and bottom edges, and after them its left and top edges, stay
// inside `workArea`.
void centreWithin(const ScreenRect& window, const ScreenRect& reference, const ScreenRect& workArea,
                  int32_t& x, int32_t& y);

} // namespace launcher
