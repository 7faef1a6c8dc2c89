#pragma once

#include <cstdint>

namespace platform {

// Scale modes of the printer and the picture box, under their published values.
inline constexpr std::int16_t vbTwips = 1;
inline constexpr std::int16_t vbPoints = 2;
inline constexpr std::int16_t vbPixels = 3;
inline constexpr std::int16_t vbInches = 5;
inline constexpr std::int16_t vbMillimeters = 6;
inline constexpr std::int16_t vbCentimeters = 7;

// Twips per unit of a scale mode; pixels need the device's resolution along the axis.
// Fails with an invalid procedure call for a mode that is not listed above.
double twipsPerUnit(std::int16_t scaleMode, double pixelsPerInch);

// A length converted from one scale mode to another.
double convertScale(double value, std::int16_t fromMode, std::int16_t toMode, double pixelsPerInch);

} // namespace platform
