#pragma once
// The window layouts were drawn in dialog units of an 8-point dialog font
// (about 6 x 13 pixels per average character); these convert them to pixels
// so the controls keep their drawn proportions.
namespace ml {

constexpr int DluX(int units) { return units * 3 / 2; }
constexpr int DluY(int units) { return units * 13 / 8; }

}  // namespace ml
