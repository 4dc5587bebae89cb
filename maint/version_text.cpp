#include "maint/version_text.h"

namespace vigilor {

VersionRecord VersionFromFileVersion(uint32_t mostSignificant, uint32_t leastSignificant) {
    return {true, static_cast<uint16_t>(mostSignificant >> 16), static_cast<uint16_t>(mostSignificant & 0xFFFF),
            static_cast<uint16_t>(leastSignificant >> 16), static_cast<uint16_t>(leastSignificant & 0xFFFF)};
}

std::string VersionText(const VersionRecord& record) {
    if (!record.valid) return {};
    return std::to_string(record.major) + "." + std::to_string(record.minor) + "." + std::to_string(record.release) +
           "." + std::to_string(record.build);
}

}  // namespace vigilor
