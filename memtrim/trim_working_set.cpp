#include "memtrim/trim_working_set.h"

#include <windows.h>

namespace memtrim {

void TrimWorkingSet() {
    // -1 for both sizes is the documented request to empty the working set.
    SetProcessWorkingSetSize(GetCurrentProcess(), static_cast<SIZE_T>(-1), static_cast<SIZE_T>(-1));
}

}  // namespace memtrim
