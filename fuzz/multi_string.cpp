// Multi-strings: a block of texts each ended by a NUL, closed by an empty
// one, as a service's dependencies come from the system.
//
// Fields: options, the list for the join (entries), then the block for the
// split (the rest, NULs and all). Option bytes 0-1 give the size passed to
// both (big-endian); bit 0 of byte 2 passes no list to the split.
//
// Properties of the split: without a list or with size 0 nothing changes;
// otherwise the list is the first text (even empty) and every further one
// up to the first empty text, within size bytes and the block, none with a
// NUL. Properties of the join: exactly size bytes, the leading entries
// that fit with room for the closing NUL, zeros after them; and the split
// of the join gives those entries back.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "fuzz/fuzz_input.h"
#include "services/multi_string.h"

namespace vigilor::fuzz {
namespace {

std::vector<std::string> ExpectedSplit(std::string_view block, size_t size) {
    const std::string_view data = block.substr(0, size);
    std::vector<std::string> texts;
    std::string text;
    for (size_t i = 0; i <= data.size(); ++i) {
        if (i < data.size() && data[i] != '\0') {
            text += data[i];
            continue;
        }
        if (!texts.empty() && text.empty()) break;
        texts.push_back(text);
        text.clear();
        if (i + 1 >= data.size()) break;
    }
    return texts;
}

void CheckSplit(const std::string& block, size_t size, bool withList) {
    const std::vector<std::string> before{"left as it was"};
    std::vector<std::string> list = before;
    SplitMultiString(block, size, withList ? &list : nullptr);
    if (!withList || size == 0) {
        FUZZ_REQUIRE(list == before, "the list changed without a list or with size 0");
        return;
    }
    FUZZ_REQUIRE(list == ExpectedSplit(block, size), "wrong split of " + Visible(block));
}

void CheckJoin(const std::vector<std::string>& entries, size_t size) {
    const std::string block = JoinMultiString(entries, size);
    FUZZ_REQUIRE(block.size() == size, "a block of " + std::to_string(block.size()) + " bytes, not " +
                                           std::to_string(size));
    std::string expected;
    size_t fitted = 0;
    for (const auto& entry : entries) {
        if (expected.size() + entry.size() + 1 >= size) break;
        expected += entry + '\0';
        ++fitted;
    }
    expected.resize(size, '\0');
    FUZZ_REQUIRE(block == expected, "wrong join: " + Visible(block));

    // Texts with a NUL, or empty after the first, cannot come back.
    for (size_t i = 0; i < fitted; ++i)
        if (entries[i].find('\0') != std::string::npos || (i > 0 && entries[i].empty())) return;
    std::vector<std::string> back;
    SplitMultiString(block, size, &back);
    std::vector<std::string> want(entries.begin(), entries.begin() + static_cast<std::ptrdiff_t>(fitted));
    if (want.empty() && size > 0) want.emplace_back();
    FUZZ_REQUIRE(back == want, "the split of the join lost entries: " + Visible(block));
}

}  // namespace
}  // namespace vigilor::fuzz

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace vigilor::fuzz;
    Fields fields(data, size);
    const std::string options = fields.Next();
    const size_t blockSize = Option(options, 0) << 8 | Option(options, 1);
    const std::vector<std::string> entries = fields.NextList();
    const std::string block = fields.Rest();
    CheckSplit(block, blockSize, !(Option(options, 2) & 1));
    CheckJoin(entries, blockSize);
    return 0;
}
