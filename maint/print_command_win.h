#pragma once
// File > Print over the system: the print dialog, the printer it chose,
// the service manager's key names and the user's name.
#include <windows.h>

#include "maint/printed_report.h"

namespace vigilor {

void FilePrintCmdExecute(HWND owner, ReportHost& host);

}  // namespace vigilor
