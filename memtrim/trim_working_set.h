// "内存优化": hands as many of the launcher's pages back to Windows as it
// will take; they come back by ordinary paging when touched again.
#pragma once

namespace memtrim {

void TrimWorkingSet();

}  // namespace memtrim
