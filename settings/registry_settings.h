// The stored root path in the current user's registry:
// HKEY_CURRENT_USER\SOFTWARE\Tovarik\<title>, value "path", REG_SZ.
#pragma once

#include "control/app_state.h"

namespace hm {

// Sets the path edit's text to the stored path, if there is a usable one and
// the key opens for full access; otherwise the edit is left as it is.
void LoadSettings(AppState& state);

// Stores the path edit's text (its first 259 units) with its terminator,
// creating the key when needed. Failures leave the stored value as it was.
void SaveSettings(AppState& state);

}  // namespace hm
