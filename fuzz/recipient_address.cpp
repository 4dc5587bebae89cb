// The address taken from a recipient entry ("Name <address>", "SMTP:address"
// or a bare address).
//
// The whole input is one entry; its fields (name, address) also build
// entries whose address is known.
//
// Properties: the address is a piece of the entry; with a "<" it starts
// right after the first one and holds no "<" or ">"; else with a ":" it
// starts right after the first one and holds no ":"; else it is the whole
// entry; "Name <address>" and "SMTP:address" give the address back.
#include <cstddef>
#include <cstdint>
#include <string>

#include "fuzz/fuzz_input.h"
#include "notify/smtp_message.h"

namespace vigilor::fuzz {
namespace {

void CheckAnyEntry(const std::string& entry) {
    const std::string address = ExtractAddress(entry);
    const size_t angle = entry.find('<');
    const size_t colon = entry.find(':');
    if (angle != std::string::npos) {
        FUZZ_REQUIRE(entry.compare(angle + 1, address.size(), address) == 0,
                     "not the text after the first \"<\": " + Visible(address) + " from " + Visible(entry));
        FUZZ_REQUIRE(address.find_first_of("<>") == std::string::npos,
                     "an angle bracket in " + Visible(address) + " from " + Visible(entry));
    } else if (colon != std::string::npos) {
        FUZZ_REQUIRE(entry.compare(colon + 1, address.size(), address) == 0,
                     "not the text after the first \":\": " + Visible(address) + " from " + Visible(entry));
        FUZZ_REQUIRE(address.find(':') == std::string::npos, "a colon in " + Visible(address));
    } else {
        FUZZ_REQUIRE(address == entry, "a bare address changed: " + Visible(entry));
    }
}

void CheckBuiltEntries(const uint8_t* data, size_t size) {
    Fields fields(data, size);
    std::string name = fields.Next();
    std::string address = fields.Next();
    std::erase(name, '<');
    std::erase_if(address, [](char c) { return c == '<' || c == '>'; });
    const std::string named = name + "<" + address + ">";
    FUZZ_REQUIRE(ExtractAddress(named) == address, "address lost from " + Visible(named));
    std::erase(address, ':');
    const std::string typed = "SMTP:" + address;
    FUZZ_REQUIRE(ExtractAddress(typed) == address, "address lost from " + Visible(typed));
}

}  // namespace
}  // namespace vigilor::fuzz

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    vigilor::fuzz::CheckAnyEntry(std::string(reinterpret_cast<const char*>(data), size));
    vigilor::fuzz::CheckBuiltEntries(data, size);
    return 0;
}
