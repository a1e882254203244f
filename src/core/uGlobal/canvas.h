#pragma once

#include <cstdint>

namespace trassolin {

struct Colour {
    std::uint8_t r = 0, g = 0, b = 0;
    friend bool operator==(const Colour&, const Colour&) = default;
};

inline constexpr Colour kRed{255, 0, 0};
inline constexpr Colour kBlack{0, 0, 0};
inline constexpr Colour kWhite{255, 255, 255};

// The drawing surface of the cross-section graphic, in pixels with y growing downwards.
// The window implements it with QPainter; tests record the calls.
class Canvas {
public:
    virtual ~Canvas() = default;
    // Paints the whole surface in one colour (the background of a new drawing).
    virtual void fill(Colour colour) = 0;
    virtual void setPen(Colour colour, int width) = 0;
    virtual void moveTo(int x, int y) = 0;
    virtual void lineTo(int x, int y) = 0;
};

} // namespace trassolin
