#include "services/service_browser_win.h"

#include <commctrl.h>

#include "monitor/monitored_service.h"
#include "platform/report_error_win.h"
#include "platform/wide_win.h"
#include "resources/resource_ids.h"

namespace vigilor {

namespace {

constexpr int kDescriptionColumn = 1;

// Shows a cursor for as long as an operation blocks the window.
class CursorDuring {
public:
    explicit CursorDuring(const wchar_t* cursor) : previous_(SetCursor(LoadCursorW(nullptr, cursor))) {}
    ~CursorDuring() { SetCursor(previous_ ? previous_ : LoadCursorW(nullptr, IDC_ARROW)); }
    CursorDuring(const CursorDuring&) = delete;
    CursorDuring& operator=(const CursorDuring&) = delete;

private:
    HCURSOR previous_;
};

// A menu caption shows "&" as a mnemonic marker; a service's name keeps it.
std::wstring MenuText(const std::string& caption, const wchar_t* shortcut) {
    std::wstring text;
    for (wchar_t c : Wide(caption)) {
        if (c == L'&') text += L'&';
        text += c;
    }
    return text + L"\t" + shortcut;
}

void SetItemText(HWND list, int item, int column, const std::string& text) {
    std::wstring wide = Wide(text);
    LVITEMW cell{};
    cell.iSubItem = column;
    cell.pszText = wide.data();
    SendMessageW(list, LVM_SETITEMTEXTW, item, reinterpret_cast<LPARAM>(&cell));
}

}  // namespace

ServiceBrowserController::ServiceBrowserController(HWND list, HWND label, HMENU popup, TNTService& service,
                                                   ServiceBrowserHost& host)
    : list_(list), label_(label), popup_(popup), host_(host), browser_(service) {
    SetWindowSubclass(list_, ListProcedure, 1, 0);
}

ServiceBrowserController::~ServiceBrowserController() {
    if (IsWindow(list_)) RemoveWindowSubclass(list_, ListProcedure, 1);
}

LRESULT CALLBACK ServiceBrowserController::ListProcedure(HWND list, UINT message, WPARAM wParam, LPARAM lParam,
                                                         UINT_PTR, DWORD_PTR) {
    return ReportingErrors(list, LRESULT{0}, [&]() -> LRESULT {
        // The header asks the list, its parent, before a column is resized.
        if (message == WM_NOTIFY) {
            const auto& header = *reinterpret_cast<const NMHEADERW*>(lParam);
            const UINT code = header.hdr.code;
            if ((code == HDN_BEGINTRACKW || code == HDN_BEGINTRACKA || code == HDN_DIVIDERDBLCLICKW ||
                 code == HDN_DIVIDERDBLCLICKA) &&
                header.iItem != kDescriptionColumn)
                return TRUE;
        }
        return DefSubclassProc(list, message, wParam, lParam);
    });
}

void ServiceBrowserController::Reload(LoadClip clip) {
    const CursorDuring hourglass(IDC_WAIT);
    host_.ShowLoadAnimation(clip, true);
    struct BackToIdle {
        ServiceBrowserHost& host;
        LoadClip clip;
        ~BackToIdle() {
            host.ShowLoadAnimation(clip, false);
            host.ShowStatus("");
        }
    } idle{host_, clip};

    // The rows selected while loading are the load's own doing, not the
    // user's: they rewrite no captions.
    const struct Loading {
        bool& flag;
        explicit Loading(bool& f) : flag(f) { flag = true; }
        ~Loading() { flag = false; }
    } loading{reloading_};

    const int remembered = ListView_GetItemCount(list_) > 0 ? SelectedIndex() : 0;
    ListView_DeleteAllItems(list_);
    const std::string computer = host_.SelectedComputer();
    host_.ShowStatus("Getting ALL services on " + computer);
    browser_.Load(computer);
    FillList();
    if (!browser_.Rows().empty()) Select(0);
    SetWindowTextW(label_, Wide(browser_.LabelText()).c_str());
    host_.ShowStatus("Getting status...");
    if (remembered > 0) {
        if (remembered < static_cast<int>(browser_.Rows().size())) Select(remembered);
        SelectionChanged();
    }
}

void ServiceBrowserController::Refresh() {
    if (!host_.SelectedComputer().empty()) Reload();
}

void ServiceBrowserController::SelectionChanged() {
    const int index = SelectedIndex();
    if (index < 0 || index >= static_cast<int>(browser_.Rows().size())) return;
    const ServiceRowView view = ViewOfRow(browser_.Rows()[static_cast<size_t>(index)], host_.SelectedComputer());
    SetMenuItem(IDM_START_SERVICE, view.startCaption, L"F3", view.startEnabled);
    SetMenuItem(IDM_STOP_SERVICE, view.stopCaption, L"F4", view.stopEnabled);
    SetMenuItem(IDM_ADD_TO_MONITOR, view.addCaption, L"Ins", true);
    host_.ShowStatusQuietly(view.statusText);
}

void ServiceBrowserController::StartSelected() {
    // F3 arrives here whether or not the menu offers the start; the row
    // says, since the menu is rewritten only when the selection changes.
    const int index = SelectedIndex();
    if (browser_.RowRulesOutStart(index)) return;
    const std::string computer = host_.SelectedComputer();
    if (browser_.ServiceIsDisabled(index, computer)) {
        host_.ShowError(browser_.DisabledText(index, computer));
        return;
    }
    const CursorDuring starting(IDC_APPSTARTING);
    // Armed before the request, so that a failed start is followed by the
    // reload too.
    host_.StartWaitAnimation();
    browser_.StartAt(index);
    SelectionChanged();
}

void ServiceBrowserController::StopSelected() {
    const int index = SelectedIndex();
    if (browser_.RowRulesOutStop(index)) return;
    const CursorDuring starting(IDC_APPSTARTING);
    browser_.StopAt(index);
    host_.StartWaitAnimation();
    SelectionChanged();
}

int ServiceBrowserController::SelectedIndex() const {
    return static_cast<int>(SendMessageW(list_, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED));
}

std::optional<std::string> ServiceBrowserController::SelectedDisplayName() const {
    const int index = SelectedIndex();
    if (index < 0 || index >= static_cast<int>(browser_.Rows().size())) return std::nullopt;
    return FieldOf(browser_.Rows()[static_cast<size_t>(index)], 1);
}

std::string ServiceBrowserController::SelectedKeyName() const { return browser_.KeyNameAt(SelectedIndex()); }

void ServiceBrowserController::FillList() {
    const std::vector<std::string>& rows = browser_.Rows();
    SendMessageW(list_, WM_SETREDRAW, FALSE, 0);
    for (size_t i = 0; i < rows.size(); ++i) {
        std::wstring key = Wide(FieldOf(rows[i], 0));
        LVITEMW item{};
        item.mask = LVIF_TEXT;
        item.iItem = static_cast<int>(i);
        item.pszText = key.data();
        const int at = static_cast<int>(SendMessageW(list_, LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item)));
        SetItemText(list_, at, 1, FieldOf(rows[i], 1));
        SetItemText(list_, at, 2, FieldOf(rows[i], 2));
    }
    SendMessageW(list_, WM_SETREDRAW, TRUE, 0);
    InvalidateRect(list_, nullptr, TRUE);
}

void ServiceBrowserController::Select(int index) {
    ListView_SetItemState(list_, -1, 0, LVIS_SELECTED | LVIS_FOCUSED);
    ListView_SetItemState(list_, index, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
    ListView_EnsureVisible(list_, index, FALSE);
}

void ServiceBrowserController::SetMenuItem(UINT command, const std::string& caption, const wchar_t* shortcut,
                                           bool enabled) {
    std::wstring text = MenuText(caption, shortcut);
    MENUITEMINFOW info{};
    info.cbSize = sizeof info;
    info.fMask = MIIM_STRING | MIIM_STATE;
    info.dwTypeData = text.data();
    info.fState = enabled ? MFS_ENABLED : MFS_GRAYED;
    SetMenuItemInfoW(popup_, command, FALSE, &info);
}

}  // namespace vigilor
