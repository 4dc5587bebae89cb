// The numbers the FTP client reads out of a reply line: its code, the size
// announced when a transfer opens ("150 ... (1234 bytes)") and the port of
// a passive-mode reply.
//
// The whole input is one reply line; its fields (words, digits, blank
// count, four address bytes, two port bytes, rest) also build well-formed
// replies whose numbers are known.
//
// Properties: the code is the first three characters when they are a
// number from 100 to 599, else none; a size is the digits just before the
// first "BYTE" (any case, blanks between), never more than 18 of them, and
// is read back exactly from a well-formed reply; a passive port lies in
// 1-65535 and the port written by PortArgument is read back.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "fuzz/fuzz_input.h"
#include "maint/ftp_client.h"

namespace vigilor::fuzz {
namespace {

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

char Upper(char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c; }

void CheckCode(const std::string& reply) {
    std::optional<int> expected;
    if (reply.size() >= 3 && IsDigit(reply[0]) && IsDigit(reply[1]) && IsDigit(reply[2])) {
        const int value = std::stoi(reply.substr(0, 3));
        if (value >= 100 && value <= 599) expected = value;
    }
    FUZZ_REQUIRE(FtpReplyCode(reply) == expected, "wrong code for " + Visible(reply));
}

void CheckSize(const std::string& reply) {
    const std::uint64_t size = ExpectedSizeOf(reply);
    static constexpr std::string_view kByte = "BYTE";
    const auto byte = std::search(reply.begin(), reply.end(), kByte.begin(), kByte.end(),
                                  [](char a, char b) { return Upper(a) == b; });
    std::string digits;
    if (byte != reply.end()) {
        auto before = std::make_reverse_iterator(byte);
        while (before != reply.rend() && *before == ' ') ++before;
        while (before != reply.rend() && IsDigit(*before)) digits.insert(digits.begin(), *before++);
    }
    std::uint64_t expected = 0;
    if (!digits.empty() && digits.size() <= 18) expected = std::stoull(digits);
    FUZZ_REQUIRE(size == expected, "size " + std::to_string(size) + " instead of " + std::to_string(expected) +
                                       " from " + Visible(reply));
}

void CheckPassivePort(const std::string& reply) {
    const std::optional<int> port = PassivePortOf(reply);
    if (port) FUZZ_REQUIRE(*port >= 1 && *port <= 65535, "port " + std::to_string(*port) + " from " + Visible(reply));
}

void CheckWellFormed(const uint8_t* data, size_t size) {
    Fields fields(data, size);
    std::string words = fields.Next();
    // No digit and no B in the words, so that the only size is ours.
    std::erase_if(words, [](char c) { return IsDigit(c) || c == 'b' || c == 'B' || c == '\0'; });
    std::string digits = fields.Next();
    std::erase_if(digits, [](char c) { return !IsDigit(c); });
    if (digits.size() > 18) digits.resize(18);
    const std::string blanks(Option(fields.Next(), 0) % 4, ' ');
    const std::string address = fields.Next();
    const std::string portBytes = fields.Next();
    const std::string rest = fields.Rest();

    if (!digits.empty()) {
        const std::string reply = "150 " + words + " (" + digits + blanks + "bytes)" + rest;
        FUZZ_REQUIRE(ExpectedSizeOf(reply) == std::stoull(digits), "size not read back from " + Visible(reply));
    }

    const std::string dotted = std::to_string(Option(address, 0)) + "." + std::to_string(Option(address, 1)) + "." +
                               std::to_string(Option(address, 2)) + "." + std::to_string(Option(address, 3));
    const int port = static_cast<int>(Option(portBytes, 0) << 8 | Option(portBytes, 1));
    const std::string reply = "227 Entering Passive Mode (" + PortArgument(dotted, port) + ")" + rest;
    const std::optional<int> read = PassivePortOf(reply);
    if (port == 0) {
        FUZZ_REQUIRE(!read, "port 0 taken from " + Visible(reply));
    } else {
        FUZZ_REQUIRE(read == port, "port " + std::to_string(port) + " not read back from " + Visible(reply));
    }
}

}  // namespace
}  // namespace vigilor::fuzz

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string reply(reinterpret_cast<const char*>(data), size);
    vigilor::fuzz::CheckCode(reply);
    vigilor::fuzz::CheckSize(reply);
    vigilor::fuzz::CheckPassivePort(reply);
    vigilor::fuzz::CheckWellFormed(data, size);
    return 0;
}
