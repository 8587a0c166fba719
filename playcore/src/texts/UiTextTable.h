// The filled part of the text table, shared by the lookup functions.
#pragma once

#include "playcore/UiText.h"

namespace playcore::detail {

extern const char* const kUiTexts[kUiTextCount];

} // namespace playcore::detail
