#include "notify/rotating_log.h"

#include <fstream>
#include <system_error>

#include "platform/app_error.h"

namespace vigilor {

RotatingLog::RotatingLog(std::filesystem::path path, std::uintmax_t limit, int kept)
    : path_(std::move(path)), limit_(limit), kept_(kept < 1 ? 1 : kept) {}

std::filesystem::path RotatingLog::Older(int n) const {
    std::filesystem::path older = path_;
    older.replace_filename(path_.stem().string() + "." + std::to_string(n) + path_.extension().string());
    return older;
}

void RotatingLog::Rotate() {
    std::error_code ignored;
    if (kept_ == 1) {
        std::filesystem::remove(path_, ignored);
        return;
    }
    std::filesystem::remove(Older(kept_ - 1), ignored);
    for (int n = kept_ - 2; n >= 1; --n) std::filesystem::rename(Older(n), Older(n + 1), ignored);
    std::filesystem::rename(path_, Older(1), ignored);
}

void RotatingLog::Append(const std::string& line) {
    const std::string bytes = line + "\r\n";
    std::error_code error;
    const std::uintmax_t size = std::filesystem::file_size(path_, error);
    // A file that has lines already is never made to pass the limit.
    if (!error && size > 0 && size + bytes.size() > limit_) Rotate();
    std::ofstream out(path_, std::ios::binary | std::ios::app);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    out.close();
    if (!out) throw AppError("Cannot write to " + path_.string());
}

}  // namespace vigilor
