// The properties every unit kind has (place, size, visible, disabled, tag,
// pointer shape), carried from their stored values to the unit's window.
#pragma once

#include <windows.h>

#include <cstddef>
#include <functional>

#include "shell/form_model.h"

namespace shell {

using StoredProperty = std::function<PropertyValue(std::size_t number)>;

// After a write of shared property `number`: moves, shows or enables
// `window` as the values read through `stored` say. The tag and the pointer
// shape are only stored.
void ApplySharedProperty(HWND window, std::size_t number, const StoredProperty& stored);

}  // namespace shell
