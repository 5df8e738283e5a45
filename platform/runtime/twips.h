#pragma once

namespace rt {

// Positions and sizes stored for the windows are twips; the screen counts
// pixels at 15 twips each.
constexpr int TwipsPerPixel = 15;

}  // namespace rt
