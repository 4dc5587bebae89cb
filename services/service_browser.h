#pragma once
// The list of all services of the selected computer: rows and snapshot
// from one enumeration, the texts shown around the list, and the start and
// stop commands on the service of a row.
#include <optional>
#include <string>
#include <vector>

#include "services/nt_service.h"
#include "services/service_types.h"

namespace vigilor {

// What the pop-up menu and the status bar show for a selected row.
struct ServiceRowView {
    std::string startCaption;  // "Start " + display name
    std::string stopCaption;   // "Stop  " + display name
    std::string addCaption;    // "Add " + display name + " to Monitoring"
    bool startEnabled = false;
    bool stopEnabled = false;
    std::string statusText;  // display name + " on " + computer
};

// A row is key name, tab, display name, tab, state text; the view trims the
// display name and compares the state upper-cased with "RUNNING".
ServiceRowView ViewOfRow(const std::string& row, const std::string& computer);

class ServiceBrowser {
public:
    explicit ServiceBrowser(TNTService& service) : service_(service) {}

    // Lists every Win32 service of the computer, running or not, in the
    // manager's order. Rows and snapshot come from the same enumeration, so
    // row i and entry i always name the same service. On failure both are
    // empty and the error is raised; the component is left closed either
    // way.
    void Load(const std::string& computer);
    const std::vector<std::string>& Rows() const { return rows_; }
    bool HasSnapshot() const { return snapshot_.has_value(); }
    // "ALL SERVICES ON  " + computer + "  [" + rows + "]"
    std::string LabelText() const;

    // The key name of the snapshot entry at a row; raises the list's index
    // error "List index out of bounds (<index>)" for a row it lacks.
    std::string KeyNameAt(int index) const;

    // Whether the state a row shows rules the command out: the start for a
    // running service, the stop for one that is not running (as the menu
    // offers them). A row the list lacks is left to the command, which
    // raises the list's index error.
    bool RowRulesOutStart(int index) const;
    bool RowRulesOutStop(int index) const;

    // Whether the service at the row is disabled; opens and closes the
    // service with the right to read its configuration only.
    bool ServiceIsDisabled(int index, const std::string& computer);
    // key name + " on " + computer + " is DISABLED and cannot be started!"
    std::string DisabledText(int index, const std::string& computer) const;
    // Sends the start request (not waiting for it) to the service at the
    // row, on the computer set by the last load or disabled test.
    void StartAt(int index);
    // Sends the stop request; the manager's refusal is raised.
    void StopAt(int index);

private:
    TNTService& service_;
    std::string computer_;
    std::optional<TEnumList> snapshot_;
    std::vector<std::string> rows_;
};

}  // namespace vigilor
