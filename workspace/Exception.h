#pragma once

// The base exceptions: plain structs thrown by value and carrying no data.
namespace x {

struct Exception {};

// An index past one of the ends of a sequence.
struct BadBound : Exception {};

}  // namespace x
