// Reads, inside Wine, what the install test and the release benchmark look
// at, and prints it on one line each:
//   install_probe window <milliseconds>
//       "ready", then waits that long at most for a visible main window of
//       Vigilor and prints the time it saw it (milliseconds since 1970).
//   install_probe shortcut <file.lnk>      the target, then the arguments
//   install_probe version <program file>   the file's version text
//   install_probe message <program file> <event id> <string>
//       the event's text from the file's message table, the string put in
//   install_probe pointer <x> <y>   puts the mouse pointer there
//   install_probe close <milliseconds>
//       closes Vigilor's main window as an installer's Restart Manager
//       does (WM_QUERYENDSESSION, then WM_ENDSESSION, with
//       ENDSESSION_CLOSEAPP), prints the window's answer to the question,
//       and "ended" once the program has ended, within that time
#include <windows.h>
#include <objbase.h>
#include <shlobj.h>

#include <cstdio>
#include <string>

#include "maint/version_info_win.h"
#include "maint/version_text.h"
#include "platform/handles_win.h"
#include "platform/wide_win.h"

namespace {

void Print(const std::string& line) {
    std::fputs((line + "\n").c_str(), stdout);
    std::fflush(stdout);
}

int Fail(const std::string& why) {
    std::fputs((why + "\n").c_str(), stderr);
    return 1;
}

unsigned long long UnixMilliseconds() {
    FILETIME now;
    GetSystemTimePreciseAsFileTime(&now);
    const ULONGLONG ticks = (ULONGLONG{now.dwHighDateTime} << 32) | now.dwLowDateTime;
    return (ticks - 116444736000000000ULL) / 10000;
}

// Another process's window appears when that process gets to it; nothing
// here can be told, so the window list is looked at every few milliseconds.
int WaitForWindow(DWORD milliseconds) {
    Print("ready");
    const ULONGLONG deadline = GetTickCount64() + milliseconds;
    while (GetTickCount64() < deadline) {
        const HWND window = FindWindowW(L"Vigilor.TMainForm", nullptr);
        if (window && IsWindowVisible(window)) {
            Print(std::to_string(UnixMilliseconds()));
            return 0;
        }
        Sleep(5);
    }
    return Fail("no main window within " + std::to_string(milliseconds) + " ms");
}

int CloseAsInstaller(DWORD milliseconds) {
    const HWND window = FindWindowW(L"Vigilor.TMainForm", nullptr);
    if (!window) return Fail("no main window");
    DWORD processId = 0;
    GetWindowThreadProcessId(window, &processId);
    const vigilor::KernelHandle process(OpenProcess(SYNCHRONIZE, FALSE, processId));
    if (!process) return Fail("cannot open the program's process");
    DWORD_PTR answer = 0;
    if (!SendMessageTimeoutW(window, WM_QUERYENDSESSION, 0, ENDSESSION_CLOSEAPP, SMTO_ABORTIFHUNG, milliseconds,
                             &answer))
        answer = 0;
    Print(answer ? "may close" : "refused");
    DWORD_PTR ignored = 0;
    SendMessageTimeoutW(window, WM_ENDSESSION, TRUE, ENDSESSION_CLOSEAPP, SMTO_ABORTIFHUNG, milliseconds, &ignored);
    if (WaitForSingleObject(process.Get(), milliseconds) != WAIT_OBJECT_0)
        return Fail("still running after " + std::to_string(milliseconds) + " ms");
    Print("ended");
    return 0;
}

int ReadShortcut(const std::wstring& path) {
    if (FAILED(CoInitialize(nullptr))) return Fail("no COM");
    IShellLinkW* link = nullptr;
    IPersistFile* file = nullptr;
    int result = Fail("cannot read " + vigilor::Narrow(path));
    if (SUCCEEDED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                                   reinterpret_cast<void**>(&link))) &&
        SUCCEEDED(link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file))) &&
        SUCCEEDED(file->Load(path.c_str(), STGM_READ))) {
        wchar_t target[MAX_PATH] = L"";
        wchar_t arguments[1024] = L"";
        if (SUCCEEDED(link->GetPath(target, MAX_PATH, nullptr, 0)) &&
            SUCCEEDED(link->GetArguments(arguments, 1024))) {
            Print(vigilor::Narrow(target));
            Print(vigilor::Narrow(arguments));
            result = 0;
        }
    }
    if (file) file->Release();
    if (link) link->Release();
    CoUninitialize();
    return result;
}

int EventText(const std::wstring& program, DWORD id, const std::wstring& insertion) {
    const HMODULE module = LoadLibraryExW(program.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    if (!module) return Fail("cannot load " + vigilor::Narrow(program));
    DWORD_PTR arguments[] = {reinterpret_cast<DWORD_PTR>(insertion.c_str())};
    wchar_t* text = nullptr;
    const DWORD length = FormatMessageW(
        FORMAT_MESSAGE_FROM_HMODULE | FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_ARGUMENT_ARRAY, module, id, 0,
        reinterpret_cast<wchar_t*>(&text), 0, reinterpret_cast<va_list*>(arguments));
    const DWORD error = GetLastError();
    FreeLibrary(module);
    if (length == 0) return Fail("no text for event " + std::to_string(id) + ", error " + std::to_string(error));
    Print(vigilor::Narrow(std::wstring(text, length)));
    LocalFree(text);
    return 0;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    const std::wstring command = argc > 1 ? argv[1] : L"";
    if (command == L"window" && argc == 3) return WaitForWindow(std::wcstoul(argv[2], nullptr, 10));
    if (command == L"shortcut" && argc == 3) return ReadShortcut(argv[2]);
    if (command == L"version" && argc == 3) {
        Print(vigilor::VersionText(vigilor::ReadVersionRecord(vigilor::Narrow(argv[2]))));
        return 0;
    }
    if (command == L"pointer" && argc == 4) {
        return SetCursorPos(std::wcstol(argv[2], nullptr, 10), std::wcstol(argv[3], nullptr, 10)) ? 0
                                                                                                 : Fail("no pointer");
    }
    if (command == L"close" && argc == 3) return CloseAsInstaller(std::wcstoul(argv[2], nullptr, 10));
    if (command == L"message" && argc == 5) return EventText(argv[2], std::wcstoul(argv[3], nullptr, 10), argv[4]);
    return Fail("usage: install_probe window <ms> | shortcut <lnk> | version <file> | message <file> <id> <text> | "
                "pointer <x> <y> | close <ms>");
}
