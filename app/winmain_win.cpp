#include <windows.h>

#include <shellapi.h>

#include "app/application_win.h"
#include "platform/wide_win.h"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    std::vector<std::string> arguments;
    int count = 0;
    if (wchar_t** words = CommandLineToArgvW(GetCommandLineW(), &count)) {
        for (int i = 1; i < count; ++i) arguments.push_back(vigilor::Narrow(words[i]));
        LocalFree(words);
    }
    return vigilor::RunApplication(arguments);
}
