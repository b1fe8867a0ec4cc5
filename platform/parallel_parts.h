// Work split into parts run on the processor's cores at once: painting a
// frame of a big window converts and draws its bands on every core. The
// caller waits until every part is done, so the parts may read what the
// caller owns; each part must write only what no other part touches.
#pragma once

#include <functional>

namespace parallel {

// How many parts run at once at most: the caller's thread and the helper
// threads (1 on a single core, or when limited to 1).
int PartsAtOnce();

// Calls work(0) .. work(count - 1), each once, spread over the caller's
// thread and the helper threads, and returns when all have returned. A
// call made from inside a part, or while another thread's call is running,
// runs its parts in order on its own thread. Parts must not throw.
void RunParts(int count, const std::function<void(int part)>& work);

// Caps PartsAtOnce (1 runs everything on the caller's thread); 0 goes back
// to one per core. For tests and benchmarks comparing both.
void LimitPartsAtOnce(int limit);

} // namespace parallel
