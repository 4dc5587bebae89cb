#pragma once
// Files of the Linux side as the Wine test programs see them.
#include <windows.h>

#include <chrono>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>

namespace vigilor::test {

// A Linux path as the Wine program sees it (through drive Z:).
inline std::string WinePath(const std::string& linuxPath) {
    std::string path = "Z:" + linuxPath;
    for (char& c : path)
        if (c == '/') c = '\\';
    return path;
}

inline std::string ReadWholeFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

inline bool FileThere(const std::string& path) { return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

// Polls for a file for at most the given time.
inline bool WaitForFile(const std::string& path, std::chrono::milliseconds limit = std::chrono::seconds(20)) {
    const auto deadline = std::chrono::steady_clock::now() + limit;
    while (std::chrono::steady_clock::now() < deadline) {
        if (FileThere(path)) return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return FileThere(path);
}

}  // namespace vigilor::test
