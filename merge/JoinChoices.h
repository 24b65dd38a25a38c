#pragma once

#include <cstddef>
#include <vector>

#include "merge/JoinOptions.h"

namespace tessaro {

// A choice of what the joined file carries, declared once for all who offer it: the tool as an
// option, the window as a box on its preferences page, kept in the window's settings.
struct JoinChoice {
    const char* option;     // the tool's --option; null where the tool has another way to it
    const char* valueName;  // of the value the option may take; null for none
    const char* help;       // the tool's explanation of the option
    const char* label;      // the window's box, its access key marked with '&'
    const char* key;        // under "joinedFile/" in the window's settings
    bool (*isOn)(const JoinOptions& options);
    void (*turn)(JoinOptions& options, bool on);
};

// In the order the window shows them.
const std::vector<JoinChoice>& JoinChoices();
// Where the choice kept under `key` stands among JoinChoices(); raises std::out_of_range for a
// key that is none.
size_t JoinChoiceIndex(const char* key);

}  // namespace tessaro
