// The quiescence search exactly as the engine builds it, plus one entry point
// for the fuzz targets. Its input poll runs on a counter of its own that lives
// from one search to the next, so the node at which a search first polls
// would otherwise depend on every search the process ran before. The targets
// set the counter before each search: the poll points, and a search cut short
// at one of them, then follow from the input alone.
#include "fuzz_support.h"
#include "search/quiescence.cpp"

void Fuzz_quiescence_poll_after(int32_t nodes) { quiescence_poll_count = QUIESCENCE_POLL_INTERVAL - nodes; }
