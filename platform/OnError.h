#pragma once

#include <exception>
#include <utility>

// The program's failure handlers. Every procedure has one of these shapes (or none, so that a
// failure goes up to its caller); each is written the same way wherever it occurs.
namespace platform {

namespace detail {

template <typename Body> bool runTrapped(Body&& body) noexcept {
    try {
        std::forward<Body>(body)();
        return true;
    } catch (const std::exception&) {
        return false;
    }
}

} // namespace detail

// One handler at the end of the procedure: a failure anywhere in body ends it quietly.
// Returns false when body failed, for procedures whose handler has closing steps.
template <typename Body> bool onFailureEndQuietly(Body&& body) noexcept {
    return detail::runTrapped(std::forward<Body>(body));
}

// A batch loop's handler: a failure abandons the rest of this entry; the loop goes on.
template <typename Body> void onFailureSkipEntry(Body&& body) noexcept {
    detail::runTrapped(std::forward<Body>(body));
}

// Failures ignored statement by statement: a failing statement leaves what it would have set
// unchanged, and the next statement runs.
template <typename Statement> void onFailureResumeNext(Statement&& statement) noexcept {
    detail::runTrapped(std::forward<Statement>(statement));
}

} // namespace platform
