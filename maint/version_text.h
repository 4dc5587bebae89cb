#pragma once
// The program's version record and the text made from it.
#include <cstdint>
#include <string>

namespace vigilor {

struct VersionRecord {
    bool valid = false;
    uint16_t major = 0, minor = 0, release = 0, build = 0;
};

// The four numbers from the file version's two 32-bit halves.
VersionRecord VersionFromFileVersion(uint32_t mostSignificant, uint32_t leastSignificant);

// "1.0.0.27", or empty when the record is not valid.
std::string VersionText(const VersionRecord& record);

}  // namespace vigilor
