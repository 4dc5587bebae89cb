#pragma once
// A log file that is begun anew when it would pass its limit: the older
// files are kept under numbered names, the oldest dropped. Lines are UTF-8,
// each ended by CR LF. Used by one thread at a time.
#include <cstdint>
#include <filesystem>
#include <string>

namespace vigilor {

class RotatingLog {
public:
    static constexpr std::uintmax_t kDefaultLimit = 10 * 1024 * 1024;
    static constexpr int kDefaultKept = 3;  // files in all, the current one included

    // path "...\failure-reports.log": the older ones are
    // "failure-reports.1.log" (the newest of them), "failure-reports.2.log" ...
    explicit RotatingLog(std::filesystem::path path, std::uintmax_t limit = kDefaultLimit, int kept = kDefaultKept);

    // Appends the line; raises AppError with the file's name when it cannot.
    void Append(const std::string& line);

    std::filesystem::path Older(int n) const;

private:
    void Rotate();

    std::filesystem::path path_;
    std::uintmax_t limit_;
    int kept_;
};

}  // namespace vigilor
