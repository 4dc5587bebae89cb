#pragma once
// The program's entries in the Application event log: the message of the
// program file's message table (resources/event_messages.mc) that each is,
// its level and its insertion strings. The alerts and restart notices are
// message 0, a warning whose one string is the whole text; every other
// entry has a message of its own, so that an administrator can filter the
// log by its identifier and read its parts from its strings.
#include <cstdint>
#include <string>
#include <vector>

namespace vigilor {

enum class EventLevel { Error, Warning, Information };

// As the message table numbers them.
enum class EventId : std::uint32_t {
    Alert = 0,
    ServiceNotInstalled = 100,
    ServiceUnreadable = 101,
    ServiceHung = 102,
    ServiceKeepsStopping = 103,
    MessageNotShown = 104,
    ScreenMessageNotShown = 105,
    MetricsNotWritten = 106,
    ServiceStarted = 200,
    ServiceStopped = 201,
    MachineKeyRepaired = 202,
};

struct AppEvent {
    EventId id = EventId::Alert;
    std::vector<std::string> strings;  // %1, %2, ... of its message
    std::string text;                  // its message with the strings put in
};

EventLevel LevelOf(EventId id);

// An alert's or a restart notice's entry: the whole text.
AppEvent AlertEvent(const std::string& text);
// service: the display name, without quotes; machine as the row holds it.
AppEvent NotInstalledEvent(const std::string& service, const std::string& machine);
AppEvent UnreadableEvent(const std::string& service, const std::string& machine, const std::string& reason);
// state: "paused", "start pending", ...
AppEvent HungEvent(const std::string& service, const std::string& machine, const std::string& state, int passes);
AppEvent KeepsStoppingEvent(const std::string& service, const std::string& machine, int restarts, int minutes);
// What would have been a box, had anybody been at the screen.
AppEvent MessageNotShownEvent(const std::string& text);
// recipient: a user's name, or "" for every session.
AppEvent ScreenMessageNotShownEvent(const std::string& recipient, const std::string& message);
AppEvent MetricsNotWrittenEvent(const std::string& path, const std::string& reason);
AppEvent ServiceStartedEvent(const std::string& versionText);
AppEvent ServiceStoppedEvent(std::uint64_t passes);
// key: the full name of the machine's settings key.
AppEvent MachineKeyRepairedEvent(const std::string& key);

}  // namespace vigilor
