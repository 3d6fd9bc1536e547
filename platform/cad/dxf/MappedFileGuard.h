#pragma once

#include <cstddef>

namespace cad {

// A page of a mapped file that another program has cut short faults with SIGBUS when it is touched, which would
// end the program. While a mapping is guarded, such a page is replaced by one of zeros and the mapping is marked
// cut: the reader goes on to the end of what it holds and the user is told that the file changed.
// Returns a guard number, or -1 when too many mappings are guarded at once (the mapping then goes unguarded).
[[nodiscard]] int GuardMapping(const void* begin, std::size_t size);
// Whether a page of the guarded mapping has been replaced.
[[nodiscard]] bool MappingWasCut(int guard);
void UnguardMapping(int guard);

} // namespace cad
