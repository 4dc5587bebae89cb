#pragma once
// Facts the program asks of the system it runs on.
#include <string>

namespace vigilor {

bool IsWindowsNT();
// Wine is told by the export of its own version routine in ntdll.
bool IsRunningUnderWine();
std::string LocalComputerName();
std::string CurrentUserName();
bool DirectoryExists(const std::string& path);
// The primary domain (or workgroup) of this computer from the local
// security policy; empty when the policy cannot be read.
std::string PrimaryDomainName();
// Empty when the system has no default printer.
std::string DefaultPrinterName();
std::string ProgramFilePath();

}  // namespace vigilor
