#pragma once

#include <QString>

#include "seam/Seam.h"

namespace tessaro {

// Why no seam can be made between the two inputs, or behind `earlier` where `later` is null and
// the join ends there, in words that finish "joined as they are, not seamlessly: "; empty when
// one can.
[[nodiscard]] QString Refusal(const SeamInput& earlier, const SeamInput* later);

}  // namespace tessaro
