#pragma once
#include <string>

#include "maint/version_text.h"

namespace vigilor {

// The version record of a program file; not valid when it has none.
VersionRecord ReadVersionRecord(const std::string& path);

}  // namespace vigilor
