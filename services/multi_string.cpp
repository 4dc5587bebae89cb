#include "services/multi_string.h"

#include <algorithm>
#include <cstring>

namespace vigilor {

void SplitMultiString(std::string_view block, size_t size, std::vector<std::string>* list) {
    if (!list || size == 0) return;
    list->clear();
    const std::string_view data = block.substr(0, std::min(size, block.size()));
    size_t start = 0;
    for (;;) {
        const size_t nul = data.find('\0', start);
        const size_t end = nul == std::string_view::npos ? data.size() : nul;
        const std::string_view text = data.substr(start, end - start);
        // The first string always counts; later an empty one closes the block.
        if (start != 0 && text.empty()) return;
        list->emplace_back(text);
        if (nul == std::string_view::npos || nul + 1 >= data.size()) return;
        start = nul + 1;
    }
}

std::string JoinMultiString(const std::vector<std::string>& list, size_t size) {
    std::string block(size, '\0');
    size_t used = 0;
    for (const std::string& line : list) {
        if (used + line.size() + 1 >= size) break;
        std::memcpy(block.data() + used, line.data(), line.size());
        used += line.size() + 1;
    }
    return block;
}

}  // namespace vigilor
