#include "notify/app_event.h"

namespace vigilor {

namespace {

// The message's text as the event viewer shows it: %1 to %9 replaced by the
// strings. The templates are those of the message table.
AppEvent Made(EventId id, std::string_view message, std::vector<std::string> strings) {
    std::string text;
    for (std::size_t i = 0; i < message.size(); ++i) {
        const char next = i + 1 < message.size() ? message[i + 1] : '\0';
        if (message[i] == '%' && next >= '1' && next <= '9') {
            text += strings.at(static_cast<std::size_t>(next - '1'));
            ++i;
        } else {
            text += message[i];
        }
    }
    return {id, std::move(strings), std::move(text)};
}

}  // namespace

EventLevel LevelOf(EventId id) {
    switch (id) {
        case EventId::ServiceNotInstalled:
        case EventId::ServiceHung:
        case EventId::MessageNotShown:
        case EventId::MetricsNotWritten: return EventLevel::Error;
        case EventId::ServiceStarted:
        case EventId::ServiceStopped: return EventLevel::Information;
        case EventId::Alert:
        case EventId::ServiceUnreadable:
        case EventId::ServiceKeepsStopping:
        case EventId::ScreenMessageNotShown:
        case EventId::MachineKeyRepaired: break;
    }
    return EventLevel::Warning;
}

AppEvent AlertEvent(const std::string& text) { return {EventId::Alert, {text}, text}; }

AppEvent NotInstalledEvent(const std::string& service, const std::string& machine) {
    return Made(EventId::ServiceNotInstalled, "\"%1\" on %2 is not installed", {service, machine});
}

AppEvent UnreadableEvent(const std::string& service, const std::string& machine, const std::string& reason) {
    return Made(EventId::ServiceUnreadable, "Cannot read the state of \"%1\" on %2: %3", {service, machine, reason});
}

AppEvent HungEvent(const std::string& service, const std::string& machine, const std::string& state, int passes) {
    return Made(EventId::ServiceHung, "\"%1\" on %2 has been %3 for %4 passes",
                {service, machine, state, std::to_string(passes)});
}

AppEvent KeepsStoppingEvent(const std::string& service, const std::string& machine, int restarts, int minutes) {
    return Made(EventId::ServiceKeepsStopping, "\"%1\" on %2 keeps stopping: restarted %3 times in %4 minutes",
                {service, machine, std::to_string(restarts), std::to_string(minutes)});
}

AppEvent MessageNotShownEvent(const std::string& text) { return Made(EventId::MessageNotShown, "%1", {text}); }

AppEvent ScreenMessageNotShownEvent(const std::string& recipient, const std::string& message) {
    return Made(EventId::ScreenMessageNotShown, "The screen message for %1 could not be shown: %2",
                {recipient.empty() ? "every session" : recipient, message});
}

AppEvent MetricsNotWrittenEvent(const std::string& path, const std::string& reason) {
    return Made(EventId::MetricsNotWritten, "The metrics file %1 was not written: %2", {path, reason});
}

AppEvent ServiceStartedEvent(const std::string& versionText) {
    return Made(EventId::ServiceStarted, "The Vigilor service has started (version %1)", {versionText});
}

AppEvent ServiceStoppedEvent(std::uint64_t passes) {
    return Made(EventId::ServiceStopped, "The Vigilor service has stopped after %1 check passes",
                {std::to_string(passes)});
}

AppEvent MachineKeyRepairedEvent(const std::string& key) {
    return Made(EventId::MachineKeyRepaired,
                "The access list of %1 let others than SYSTEM and the Administrators in; it was set to those two only",
                {key});
}

}  // namespace vigilor
