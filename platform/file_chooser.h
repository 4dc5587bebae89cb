#pragma once
// The open-file dialog goes through this interface so that tests can
// answer it.
#include <string>

namespace vigilor {

struct OpenFileRequest {
    std::string filter;            // "Name|pattern|Name|pattern"
    std::string initialDirectory;  // empty: the system's choice
    std::string fileName;          // proposed
};

class FileChooser {
public:
    virtual ~FileChooser() = default;
    // The chosen file, whose folder must exist; empty when cancelled.
    virtual std::string ChooseOpenFile(const OpenFileRequest& request) = 0;
};

}  // namespace vigilor
