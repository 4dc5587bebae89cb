#pragma once
// The update's local files: a download goes to a temporary file beside its
// target and takes the target's place only when complete.
#include "maint/ftp_update_form.h"

namespace vigilor {

class WindowsUpdateFiles : public UpdateFiles {
public:
    std::unique_ptr<DownloadFile> BeginDownload(const std::string& name) override;
    std::optional<std::string> ReadFirstLine(const std::string& name) override;
};

}  // namespace vigilor
