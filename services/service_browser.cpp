#include "services/service_browser.h"

#include <algorithm>

#include "monitor/monitored_service.h"
#include "platform/app_error.h"
#include "platform/text.h"
#include "services/then_close.h"

namespace vigilor {

namespace {

using enum TDesiredManagerAccess;
using enum TDesiredServiceAccess;

// A tab inside a name would shift the fields after it: it shows as a blank.
std::string AsField(std::string text) {
    std::replace(text.begin(), text.end(), '\t', ' ');
    return text;
}

}  // namespace

ServiceRowView ViewOfRow(const std::string& row, const std::string& computer) {
    const std::string display = Trim(FieldOf(row, 1));
    const bool running = UpperAscii(Trim(FieldOf(row, 2))) == "RUNNING";
    ServiceRowView view;
    view.startCaption = "Start " + display;
    view.stopCaption = "Stop  " + display;
    view.addCaption = "Add " + display + " to Monitoring";
    view.startEnabled = !running;
    view.stopEnabled = running;
    view.statusText = display + " on " + computer;
    return view;
}

void ServiceBrowser::Load(const std::string& computer) {
    service_.SetActiveManager(false);
    service_.SetMachineName(computer);
    service_.SetManagerAccess({M_CONNECT, M_ENUMERATE_SERVICE});
    computer_ = computer;
    snapshot_.reset();
    rows_.clear();
    ThenClose(service_, [&] {
        snapshot_ = service_.EnumServices({TEnumState::ENUM_ACTIVE, TEnumState::ENUM_INACTIVE},
                                          {TEnumKind::ENUM_WIN32});
    });
    for (int i = 0; i < snapshot_->Count(); ++i) {
        const TServiceStatusClass& entry = snapshot_->Items(i);
        rows_.push_back(AsField(entry.ServiceName) + "\t" + AsField(entry.DisplayName) + "\t" +
                        StateText(entry.CurrentState));
    }
}

std::string ServiceBrowser::LabelText() const {
    return "ALL SERVICES ON  " + computer_ + "  [" + std::to_string(rows_.size()) + "]";
}

std::string ServiceBrowser::KeyNameAt(int index) const {
    // Before the first load, and after a failed one, there is no entry.
    static const TEnumList kNone;
    return (snapshot_ ? *snapshot_ : kNone).Items(index).ServiceName;
}

bool ServiceBrowser::RowRulesOutStart(int index) const {
    if (index < 0 || static_cast<size_t>(index) >= rows_.size()) return false;
    return !ViewOfRow(rows_[static_cast<size_t>(index)], computer_).startEnabled;
}

bool ServiceBrowser::RowRulesOutStop(int index) const {
    if (index < 0 || static_cast<size_t>(index) >= rows_.size()) return false;
    return !ViewOfRow(rows_[static_cast<size_t>(index)], computer_).stopEnabled;
}

bool ServiceBrowser::ServiceIsDisabled(int index, const std::string& computer) {
    service_.SetMachineName(computer);
    service_.SetServiceName(KeyNameAt(index));
    service_.SetManagerAccess({M_CONNECT});
    service_.SetServiceAccess({S_QUERY_CONFIG});
    TStartType startType = TStartType::BOOT_START;
    ThenClose(service_, [&] {
        service_.SetActiveManager(true);
        service_.SetActiveService(true);
        startType = service_.StartType();
    });
    return startType == TStartType::DISABLED;
}

std::string ServiceBrowser::DisabledText(int index, const std::string& computer) const {
    return KeyNameAt(index) + " on " + computer + " is DISABLED and cannot be started!";
}

void ServiceBrowser::StartAt(int index) {
    service_.SetManagerAccess({M_CONNECT, M_ENUMERATE_SERVICE});
    service_.SetServiceAccess({S_ALL_ACCESS});
    service_.SetServiceName(KeyNameAt(index));
    ThenClose(service_, [&] {
        service_.SetActiveManager(true);
        service_.SetActiveService(true);
        service_.Start();
    });
}

void ServiceBrowser::StopAt(int index) {
    service_.SetManagerAccess({M_CONNECT, M_ENUMERATE_SERVICE});
    service_.SetServiceAccess({S_ALL_ACCESS});
    ThenClose(service_, [&] {
        service_.SetActiveManager(true);
        service_.SetServiceName(KeyNameAt(index));
        service_.SetActiveService(true);
        service_.Control(TServiceControl::CONTROL_STOP);
    });
}

}  // namespace vigilor
