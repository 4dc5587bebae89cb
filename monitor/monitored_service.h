#pragma once
// One monitored row: Server, Service, Auto, EMail, held as one text with
// the fields separated by single tabs.
#include <string>
#include <string_view>

namespace vigilor {

// Field n (from 0) of a tab-separated row; a missing field is empty.
std::string FieldOf(std::string_view row, int n);

// A flag is on exactly when its text, upper-cased, is "YES".
bool FlagIsOn(std::string_view flag);

struct MonitoredService {
    std::string server;   // "\\" + computer name
    std::string service;  // display name
    std::string autoRestart = "No";
    std::string email = "No";

    static MonitoredService FromRow(std::string_view row);
    // The fields joined by tabs; a tab inside a field becomes a blank.
    std::string ToRow() const;
    bool AutoRestartOn() const { return FlagIsOn(autoRestart); }
    bool EmailOn() const { return FlagIsOn(email); }
};

enum MonitoredColumn { kServerColumn = 0, kServiceColumn, kAutoColumn, kEmailColumn, kMonitoredColumns };

}  // namespace vigilor
