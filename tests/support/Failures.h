#pragma once

#include <functional>

#include "platform/Failure.h"

namespace fake {

// The error number of the failure that action raises, or 0 when it raises none.
inline platform::ErrorNumber failureOf(const std::function<void()>& action) {
    try {
        action();
    } catch (const platform::RuntimeError& error) {
        return error.number();
    }
    return platform::ErrorNumber{0};
}

} // namespace fake
