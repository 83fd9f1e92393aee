#pragma once

// Sizes are designed in twips: 15 twips make one pixel at 96 dpi.
constexpr int twips(int t) {
    return (t + 7) / 15;
}
