#include "net/network_platform_win.h"

#include <windows.h>
#include <lm.h>
#include <winnetwk.h>

#include "platform/wide_win.h"

namespace vigilor {

namespace {
// The browse call takes the server name in a buffer of this many characters.
constexpr size_t kServerNameChars = 512;
constexpr DWORD kPreferredBrowseBytes = 8192;
}  // namespace

unsigned long Win32NetworkPlatform::AddConnection(const std::string& remoteName, const std::string& password,
                                                  const std::string& userName) {
    std::wstring remote = Wide(remoteName);
    const std::wstring pass = Wide(password);
    const std::wstring user = Wide(userName);
    NETRESOURCEW resource{};
    resource.dwType = RESOURCETYPE_ANY;
    resource.lpLocalName = const_cast<wchar_t*>(L"");
    resource.lpRemoteName = remote.data();
    resource.lpProvider = nullptr;
    return WNetAddConnection2W(&resource, pass.c_str(), user.c_str(), 0);
}

unsigned long Win32NetworkPlatform::CancelConnection(const std::string& remoteName) {
    return WNetCancelConnection2W(Wide(remoteName).c_str(), 0, FALSE);
}

NetworkPlatform::BrowseRound Win32NetworkPlatform::ServerEnum(const std::string& server, unsigned long& resumeHandle) {
    std::wstring name = Wide(server);
    if (name.size() >= kServerNameChars) name.resize(kServerNameChars - 1);
    BYTE* buffer = nullptr;
    DWORD read = 0;
    DWORD total = 0;
    DWORD resume = resumeHandle;
    BrowseRound round;
    round.status = NetServerEnum(name.empty() ? nullptr : name.c_str(), 100, &buffer, kPreferredBrowseBytes, &read,
                                 &total, SV_TYPE_ALL, nullptr, &resume);
    resumeHandle = resume;
    if (buffer) {
        if (round.status == NERR_Success || round.status == ERROR_MORE_DATA) {
            const auto* entries = reinterpret_cast<const SERVER_INFO_100*>(buffer);
            for (DWORD i = 0; i < read; ++i) round.names.push_back(Narrow(entries[i].sv100_name));
        }
        NetApiBufferFree(buffer);
    }
    return round;
}

std::optional<std::string> Win32NetworkPlatform::ComputerName() {
    wchar_t name[MAX_COMPUTERNAME_LENGTH + 1];
    DWORD size = MAX_COMPUTERNAME_LENGTH + 1;
    if (!GetComputerNameW(name, &size)) return std::nullopt;
    return Narrow(std::wstring_view(name, size));
}

Win32NetworkPlatform& SystemNetwork() {
    static Win32NetworkPlatform network;
    return network;
}

}  // namespace vigilor
