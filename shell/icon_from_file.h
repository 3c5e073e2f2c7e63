// Icon handles from icon-file bytes held in memory, through the shared
// image-choice rule.
#pragma once

#include <windows.h>

#include "shell/icon_file.h"
#include "shell/win_handles.h"

namespace shell {

// The image the rule chooses for `preferredWidth`, created at its own size;
// nothing when no image can be chosen or created.
UniqueIcon CreateIconFromFile(ByteView file, int preferredWidth);

// The bytes of a resource of the executable; empty when it is missing.
ByteView ResourceBytes(HINSTANCE instance, const wchar_t* name, const wchar_t* type);

}  // namespace shell
