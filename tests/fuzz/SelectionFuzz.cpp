// Unpacking Open dialog selections: CountSelectedFiles and GetSelectedFile on arbitrary strings,
// every index from 0 to n + 2. Failures may only be the runtime's own (overflow past 32767
// characters, invalid argument for an index outside 1 .. n + 1), and every answer must equal a
// plain reference split of the string.

#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "joblist/Module1.h"
#include "platform/Failure.h"

namespace {

using platform::ErrorNumber;

// Each input byte one character; 0xFE and 0xFF stand for a surrogate and a separator, so that
// those turn up often.
std::u16string selectionFrom(const std::uint8_t* data, std::size_t size) {
    std::u16string text;
    text.reserve(size);
    for (std::size_t i = 0; i < size; ++i) {
        text += data[i] == 0xFE ? u'\xd83d' : data[i] == 0xFF ? u'/' : char16_t{data[i]};
    }
    return text;
}

// The answer, or the error number of the failure; anything but a runtime error is a fault.
struct Outcome {
    std::u16string path;
    ErrorNumber failure{0};
};

Outcome select(const std::u16string& selection, std::int16_t k) {
    try {
        return {GetSelectedFile(selection, k)};
    } catch (const platform::RuntimeError& error) {
        return {{}, error.number()};
    }
}

void check(bool holds) {
    if (!holds) {
        std::abort();
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::u16string selection = selectionFrom(data, size);

    // Reference: the directory and the names between NULs.
    std::vector<std::u16string> parts;
    std::size_t start = 0;
    for (std::size_t nul = selection.find(u'\0'); nul != std::u16string::npos;
         nul = selection.find(u'\0', start)) {
        parts.push_back(selection.substr(start, nul - start));
        start = nul + 1;
    }
    parts.push_back(selection.substr(start));
    const bool hasNul = parts.size() > 1;
    const std::size_t nuls = parts.size() - 1;
    std::u16string directory = parts[0];
    if (directory.empty() || directory.back() != u'/') {
        directory += u'/';
    }

    std::int32_t n;
    try {
        n = CountSelectedFiles(selection);
        check(selection.size() <= 32767);
        check(n == static_cast<std::int32_t>(hasNul ? nuls : 1));
    } catch (const platform::RuntimeError& error) {
        check(selection.size() > 32767 && error.number() == ErrorNumber::Overflow);
        n = static_cast<std::int32_t>(hasNul ? nuls : 1);
    }

    // Every index while that stays quick; otherwise a sample, as each answer scans the whole
    // string.
    std::vector<std::int32_t> indexes;
    if (static_cast<std::size_t>(n) * selection.size() <= 1000000) {
        for (std::int32_t k = 0; k <= n + 2; ++k) {
            indexes.push_back(k);
        }
    } else {
        indexes = {0, 1, 2, n / 2, n - 1, n, n + 1, n + 2};
    }
    indexes.push_back(-1);
    indexes.push_back(32767);

    for (const std::int32_t k : indexes) {
        if (k > 32767) {
            continue;
        }
        const Outcome outcome = select(selection, static_cast<std::int16_t>(k));
        if (!hasNul) {
            check(outcome.failure == ErrorNumber{0} && outcome.path == selection);
        } else if (selection.size() + 1 > 32767) {
            check(outcome.failure == ErrorNumber::Overflow);
        } else if (k < 1 || k > n + 1) {
            check(outcome.failure == ErrorNumber::InvalidProcedureCall);
        } else if (k == n + 1) {
            check(outcome.failure == ErrorNumber{0} && outcome.path == directory);
        } else {
            check(outcome.failure == ErrorNumber{0} &&
                  outcome.path == directory + parts[static_cast<std::size_t>(k)]);
        }
    }
    return 0;
}
