#pragma once
// The error that operations raise with a text meant for the user; the
// window procedures catch it at their edge and show the text.
#include <stdexcept>
#include <string>

namespace vigilor {

class AppError : public std::runtime_error {
public:
    explicit AppError(const std::string& text) : std::runtime_error(text) {}
};

}  // namespace vigilor
