#pragma once

#include <exception>

// The base exceptions: plain structs thrown by value. They derive from std::exception, so that
// a handler of the standard's exceptions (a test framework's, a thread's last resort) names
// them instead of taking them for something unknown.
namespace x {

struct Exception : std::exception {
    const char* what() const noexcept override { return "x::Exception"; }
};

// An index past one of the ends of a sequence.
struct BadBound : Exception {
    const char* what() const noexcept override { return "x::BadBound: index out of bounds"; }
};

}  // namespace x
