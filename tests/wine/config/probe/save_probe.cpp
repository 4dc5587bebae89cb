// Saves two monitored lists, one after the other, into the registry key
// given, until it is ended from outside: the test kills it mid-save.
//   save_probe <key path under HKEY_CURRENT_USER>
#include <windows.h>

#include "config/registry_store_win.h"
#include "config/settings.h"
#include "platform/wide_win.h"
#include "tests/wine/config/probe/save_lists.h"

int wmain(int argc, wchar_t** argv) {
    if (argc < 2) return 2;
    const std::string path = vigilor::Narrow(argv[1]);
    const vigilor::MonitoredList lists[] = {vigilor::test::ListBeforeEdit(), vigilor::test::ListAfterEdit()};
    vigilor::ProgramSettings settings;
    // Says it is about to save, so that the test's kills land in saves.
    std::printf("saving\n");
    std::fflush(stdout);
    for (unsigned n = 0;; ++n) {
        vigilor::RegistryStore raw(path);
        vigilor::SettingsStore store(raw);
        vigilor::SaveSettings(store, settings, lists[n % 2]);
    }
}
