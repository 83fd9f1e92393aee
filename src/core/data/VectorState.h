#pragma once

namespace zelk {

// Qt's hashing with a seed (every QHash and QSet) leaves the upper halves of an x86
// processor's 256-bit vector registers in use, and nothing clears them after it. Until
// they are cleared, every older (SSE) vector instruction of that thread, which is most
// of the engine's and the C library's, waits on a false dependency: the engine reads a
// journal a third slower after the first QHash of a thread. Cleared where the engine is
// stepped, before each record of a large CSV file is checked, and where a worker thread
// starts (a thread begins with its parent's registers). One instruction; nothing on
// processors without AVX.
void clearVectorUppers();

} // namespace zelk
