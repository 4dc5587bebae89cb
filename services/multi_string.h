#pragma once
// Multi-strings: texts each followed by a NUL, closed by an empty text.
#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace vigilor {

// With a list and a size other than 0: replaces the list's lines by the
// block's strings, the first one even when it is empty, stopping at the
// first pair of NULs or after size bytes (or at the end of the block, if
// that comes first). With size 0 or no list, nothing changes.
void SplitMultiString(std::string_view block, size_t size, std::vector<std::string>* list);

// A block of exactly size bytes, zero-filled, holding the lines each with
// its NUL; the first line that would bring the used length plus its own
// length plus 1 to size or beyond, and every line after it, is left out.
std::string JoinMultiString(const std::vector<std::string>& list, size_t size);

}  // namespace vigilor
