#include "joblist/Module1.h"

#include "platform/Failure.h"
#include "platform/Paths.h"
#include "platform/Strings.h"

namespace {

constexpr char16_t Nul = u'\0';

// Length characters of text from the 1-based position start; a start below 1 is an invalid
// argument, a start past the end gives the empty string.
std::u16string Mid(const std::u16string& text, std::int32_t start, std::int32_t length) {
    if (start < 1 || length < 0) {
        platform::raise(platform::ErrorNumber::InvalidProcedureCall);
    }
    if (static_cast<std::size_t>(start) > text.size()) {
        return {};
    }
    return text.substr(static_cast<std::size_t>(start - 1), static_cast<std::size_t>(length));
}

} // namespace

std::int16_t CountSelectedFiles(std::u16string selection) {
    const std::int16_t length = platform::toInt16(static_cast<std::int64_t>(selection.size()));
    std::int16_t count = 0;
    // A wider loop counter, so that a string of exactly 32767 characters is scanned to its end.
    for (std::int32_t position = 1; position <= length; ++position) {
        if (selection[static_cast<std::size_t>(position - 1)] == Nul) {
            ++count;
        }
    }
    if (count == 0) {
        return 1;
    }
    return count;
}

std::u16string GetSelectedFile(std::u16string selection, std::int16_t k) {
    const std::size_t firstNul = selection.find(Nul);
    if (firstNul == std::u16string::npos) {
        return selection;
    }

    const std::int16_t directoryLength = platform::toInt16(static_cast<std::int64_t>(firstNul));
    std::u16string directory = selection.substr(0, static_cast<std::size_t>(directoryLength));
    if (directory.empty() || directory.back() != platform::DirectorySeparator) {
        directory += platform::DirectorySeparator;
    }

    // Now every file name is followed by a NUL.
    selection += Nul;

    const std::int16_t length = platform::toInt16(static_cast<std::int64_t>(selection.size()));
    std::int16_t count = 0;
    // Held wider: after a NUL at position 32767, start lies one past the end and is valid there.
    std::int32_t start = 0;
    std::int32_t nameLength = 0;
    for (std::int32_t position = 1; position <= length; ++position) {
        if (selection[static_cast<std::size_t>(position - 1)] != Nul) {
            continue;
        }
        ++count;
        // Compared in 32 bits: k = 32767 is out of range like any other, not an overflow.
        if (count == k) {
            start = position + 1;
        }
        if (count == static_cast<std::int32_t>(k) + 1) {
            nameLength = position - start;
            break;
        }
    }

    return directory + Mid(selection, start, nameLength);
}
