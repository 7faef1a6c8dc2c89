#pragma once

#include <cstdint>
#include <span>

// The window's icon: the bytes of Form1.ico, a quill over a sheet, 16 x 16 pixels in a 16-colour
// and a 256-colour version. Compiled in from the file by app/CMakeLists.txt.
std::span<const std::uint8_t> form1Icon();
