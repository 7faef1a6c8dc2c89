#pragma once

#include <string>

namespace platform {

// The platform's directory separator; a relative name is joined to a directory by plain
// concatenation of the directory, this separator and the name.
inline constexpr char16_t DirectorySeparator = u'/';

inline std::u16string joinPath(const std::u16string& directory, const std::u16string& name) {
    return directory + DirectorySeparator + name;
}

} // namespace platform
