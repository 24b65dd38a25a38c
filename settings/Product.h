#pragma once

#include "Version.h"

// The product's name and version: the main window's title, the About box's headline and the
// name of the folder that keeps the preference.
inline constexpr char kProductTitle[] = TESSARO_PRODUCT_TITLE;
