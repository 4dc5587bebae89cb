#pragma once
// The address of the host that ignores echo requests, which the test
// program's fixture (silent_host.cmake) set up; empty where it could not.
#include <cstdlib>
#include <fstream>
#include <string>

namespace vigilor::test {

inline std::string SilentHostAddress() {
    const char* file = std::getenv("VIGILOR_SILENT_HOST_FILE");
    std::string address;
    if (file) std::ifstream(file) >> address;
    return address == "unavailable" ? std::string() : address;
}

}  // namespace vigilor::test
