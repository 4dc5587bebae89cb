// The command line a launched program is started with.
//
// The whole input is the path the user chose.
//
// Properties: a line that starts with a quote or holds no blank is left as
// it is, any other is put in quotes; and for a path without quotes the
// program the system takes from the line (the quoted text when it starts
// with a quote, else everything up to the first blank) is the whole path.
#include <cstddef>
#include <cstdint>
#include <string>

#include "fuzz/fuzz_input.h"
#include "notify/app_launch.h"

namespace vigilor::fuzz {
namespace {

// How the system splits the program's name off a command line.
std::string ProgramOf(const std::string& line) {
    const std::string text = line.substr(0, line.find('\0'));
    if (text.starts_with('"')) return text.substr(1, text.find('"', 1) - 1);
    return text.substr(0, text.find_first_of(" \t"));
}

void Check(const std::string& path) {
    const std::string line = QuotedCommandLine(path);
    if (path.starts_with('"') || path.find_first_of(" \t") == std::string::npos) {
        FUZZ_REQUIRE(line == path, "a line changed that needs no quotes: " + Visible(path));
    } else {
        FUZZ_REQUIRE(line == "\"" + path + "\"", "a path with blanks not put in quotes: " + Visible(path));
    }
    if (path.find_first_of(std::string("\"\0", 2)) == std::string::npos)
        FUZZ_REQUIRE(ProgramOf(line) == path, "the system would start " + Visible(ProgramOf(line)) + ", not " +
                                                  Visible(path));
}

}  // namespace
}  // namespace vigilor::fuzz

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    vigilor::fuzz::Check(std::string(reinterpret_cast<const char*>(data), size));
    return 0;
}
