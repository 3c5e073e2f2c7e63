// Placement and opacity rules of the form window, apart from the calls that
// apply them.
#pragma once

#include <optional>

namespace shell {

struct Point {
    int x = 0;
    int y = 0;
    bool operator==(const Point& other) const { return x == other.x && y == other.y; }
};

// Top-left corner that centres a window on the screen. Integer division
// truncates toward zero, so a window larger than the screen starts off it.
Point CentredOrigin(int screenWidth, int screenHeight, int windowWidth, int windowHeight);

// Opacity for a layered window: a missing or out-of-range alpha is opaque.
int EffectiveAlpha(std::optional<int> alpha);

}  // namespace shell
