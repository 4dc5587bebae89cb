#include "tests/support/form_fixture_win.h"

#include <commctrl.h>

#include "app/application_win.h"
#include "app/main_form_ids.h"
#include "config/registry_store_win.h"
#include "platform/report_error_win.h"
#include "platform/wide_win.h"
#include "resources/resource_ids.h"

#include <algorithm>

namespace vigilor::test {

using namespace main_form;

FormFixture::FormFixture() : key(::testing::UnitTest::GetInstance()->current_test_info()->name()) {
    SetErrorDialogs(&dialogs);
}

FormFixture::~FormFixture() {
    form.reset();
    SetErrorDialogs(nullptr);
    Pump();
}

TMainForm& FormFixture::Open(std::vector<std::string> arguments, const std::string& version) {
    const std::string path = key.Path();
    form = std::make_unique<TMainForm>(MainFormContext{
        dialogs, system, [path] { return std::make_unique<RegistryStore>(path); }, version, std::move(arguments),
        false});
    form->Create();
    form->Show(SW_SHOWNORMAL);
    Pump();
    return *form;
}

void FormFixture::Pump() {
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
        if (form) {
            HandleQueuedMessage(*form, message);
            continue;
        }
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
}

bool FormFixture::PumpUntil(const std::function<bool()>& done) {
    const ULONGLONG deadline = GetTickCount64() + 30000;
    for (;;) {
        Pump();
        if (done()) return true;
        const ULONGLONG now = GetTickCount64();
        if (now >= deadline) return false;
        // Wakes for the engine's message as for any other.
        MsgWaitForMultipleObjects(0, nullptr, FALSE, static_cast<DWORD>(std::min<ULONGLONG>(deadline - now, 100)),
                                  QS_ALLINPUT);
    }
}

void FormFixture::ForcedPass() {
    const std::uint64_t before = form->PassesShown();
    Command(IDM_FORCE_CHECK);
    ASSERT_TRUE(PumpUntil([&] { return form->PassesShown() > before; })) << "no pass ended within 30 s";
}

void FormFixture::TimedPass() {
    const std::uint64_t before = form->PassesShown();
    form->Engine().TimerFired();
    ASSERT_TRUE(PumpUntil([&] { return form->PassesShown() > before; })) << "no pass ended within 30 s";
}

void FormFixture::Command(int id) {
    PostMessageW(form->Handle(), WM_COMMAND, id, 0);
    Pump();
}

std::vector<std::string> FormFixture::ListColumn(int listId, int column) const {
    const HWND list = form->Control(listId);
    std::vector<std::string> values;
    const int count = ListView_GetItemCount(list);
    for (int i = 0; i < count; ++i) {
        wchar_t text[512] = {};
        ListView_GetItemText(list, i, column, text, 512);
        values.push_back(Narrow(text));
    }
    return values;
}

void FormFixture::SelectRow(int listId, int index) {
    ListView_SetItemState(form->Control(listId), index, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
}

std::optional<std::string> FormFixture::Stored(const std::string& name) const {
    RegistryStore store(key.Path());
    return store.Read(name);
}

}  // namespace vigilor::test
