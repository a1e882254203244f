#pragma once

// Rules between parameters that a parameter file's load, the command line and the window all
// follow; each has its one home here.

namespace trassolin {

// Random mirroring and resetting of the road texture exclude each other: the switch just set
// turns the other off. Returns the other switch's state after `justSet` was set.
constexpr bool textureSwitchAfter(bool other, bool justSet) { return other && !justSet; }

// The end-face fill closes the body between both verges: it stays on only while both are on.
constexpr bool fillStaysOn(bool fill, bool rightEdge, bool leftEdge) {
    return fill && rightEdge && leftEdge;
}

} // namespace trassolin
