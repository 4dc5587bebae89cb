#pragma once
// A service manager in memory for the tests of the service layer: services
// with a configuration and a status script, call counts, injected failures,
// and an enumeration that hands out what fits the caller's buffer the way
// a real manager does (with or without resuming).
#include <algorithm>
#include <deque>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "services/service_platform.h"

namespace vigilor::test {

class FakeServicePlatform : public ServicePlatform {
public:
    struct Service {
        ServiceConfigRecord config;
        // Successive status queries answer these in turn; the last repeats.
        std::deque<ServiceStatusRecord> statuses{ServiceStatusRecord{0x10, 1}};
        unsigned long startError = 0;  // non-zero: the start request fails
    };
    struct ManagerCall {
        std::optional<std::string> machine;
        std::optional<std::string> database;
        std::uint32_t access;
    };

    // Services by key name, in the manager's order of enumeration.
    std::map<std::string, Service> services;
    std::vector<std::string> order;
    std::vector<EnumServiceRecord> extraRecords;  // listed but not openable

    Service& AddService(const std::string& key, const std::string& display, std::uint32_t state = 1) {
        order.push_back(key);
        Service& s = services[key];
        s.config.displayName = display;
        s.config.serviceType = 0x10;
        s.statuses = {ServiceStatusRecord{0x10, state}};
        return s;
    }

    // Failures to inject: the code becomes the last error.
    unsigned long openManagerError = 0;
    unsigned long openServiceError = 0;
    unsigned long closeError = 0;
    unsigned long queryConfigError = 0;
    unsigned long changeConfigError = 0;
    unsigned long controlError = 0;
    unsigned long enumError = 0;
    bool enumResumes = true;  // false: like a manager that only reports the size needed
    bool enumNeverEnds = false;  // every call: one record and "more data", resume handle unchanged

    // What was asked.
    std::vector<ManagerCall> managerCalls;
    std::vector<std::pair<std::string, std::uint32_t>> serviceOpens;
    std::vector<ServiceConfigChange> changes;
    std::vector<std::uint32_t> controls;
    std::vector<std::uint32_t> enumBufferSizes;
    std::vector<std::uint32_t> waits;
    int starts = 0;
    int statusQueries = 0;
    int keyNameLookups = 0;
    int closes = 0;
    std::uint64_t clock = 1000;
    std::uint32_t assignedTag = 7;

    std::set<ScHandle> OpenHandles() const { return live_; }
    // Key names of the services that have a handle open now.
    std::vector<std::string> OpenServices() const {
        std::vector<std::string> keys;
        for (ScHandle h : live_)
            if (const std::string& key = handles_[reinterpret_cast<size_t>(h) - 1]; !key.empty()) keys.push_back(key);
        return keys;
    }
    // Every handle open now fails from here on as over a lost connection.
    void DropConnections() { dropped_.insert(live_.begin(), live_.end()); }

    // Registry
    long connectResult = 0;
    long openKeyResult = 0;
    long queryResult = 0;
    std::string groupBlock;
    std::vector<std::optional<std::string>> registryMachines;
    std::vector<std::string> registryPaths;
    int registryCloses = 0;
    int registryOpen = 0;

    ScHandle OpenManager(const std::optional<std::string>& machine, const std::optional<std::string>& database,
                         std::uint32_t access) override {
        managerCalls.push_back({machine, database, access});
        if (openManagerError) return Fail(openManagerError);
        return NewHandle("");
    }
    ScHandle OpenServiceHandle(ScHandle manager, const std::string& keyName, std::uint32_t access) override {
        serviceOpens.emplace_back(keyName, access);
        if (dropped_.count(manager)) return Fail(kLostConnection);
        if (!live_.count(manager)) return Fail(6);
        if (openServiceError) return Fail(openServiceError);
        if (!services.count(keyName)) return Fail(1060);
        return NewHandle(keyName);
    }
    bool CloseScHandle(ScHandle handle) override {
        ++closes;
        if (closeError) return Fail(closeError), false;
        if (!live_.erase(handle)) return Fail(6), false;
        return true;
    }
    bool QueryConfig(ScHandle service, ServiceConfigRecord& config) override {
        Service* s = Find(service);
        if (!s) return Fail(6), false;
        if (queryConfigError) return Fail(queryConfigError), false;
        config = s->config;
        return true;
    }
    bool ChangeConfig(ScHandle service, const ServiceConfigChange& change) override {
        changes.push_back(change);
        if (!Find(service)) return Fail(6), false;
        if (changeConfigError) return Fail(changeConfigError), false;
        if (change.tagId) *change.tagId = assignedTag;
        return true;
    }
    bool Start(ScHandle service) override {
        ++starts;
        Service* s = Find(service);
        if (!s) return Fail(6), false;
        if (s->startError) return Fail(s->startError), false;
        return true;
    }
    bool Control(ScHandle service, std::uint32_t control) override {
        controls.push_back(control);
        if (!Find(service)) return Fail(6), false;
        if (controlError) return Fail(controlError), false;
        return true;
    }
    bool QueryStatus(ScHandle service, ServiceStatusRecord& status) override {
        ++statusQueries;
        if (dropped_.count(service)) return Fail(kLostConnection), false;
        Service* s = Find(service);
        if (!s) return Fail(6), false;
        status = s->statuses.front();
        if (s->statuses.size() > 1) s->statuses.pop_front();
        return true;
    }
    bool EnumStatus(ScHandle manager, std::uint32_t, std::uint32_t, std::uint32_t bufferBytes,
                    std::vector<EnumServiceRecord>& records, std::uint32_t& bytesNeeded,
                    std::uint32_t& resumeHandle) override {
        enumBufferSizes.push_back(bufferBytes);
        records.clear();
        if (!live_.count(manager)) return Fail(6), false;
        if (enumError) return Fail(enumError), false;
        if (enumNeverEnds) {
            records.push_back({"Loop", "Loop", {}});
            resumeHandle = 1;
            bytesNeeded = 100;
            return Fail(234), false;
        }
        const std::vector<EnumServiceRecord> all = Listing();
        size_t index = enumResumes ? resumeHandle : 0;
        std::uint32_t used = 0;
        while (index < all.size() && used + Cost(all[index]) <= bufferBytes) {
            used += Cost(all[index]);
            records.push_back(all[index++]);
        }
        if (index == all.size()) {
            bytesNeeded = 0;
            resumeHandle = 0;
            return true;
        }
        std::uint32_t rest = 0;
        for (size_t i = enumResumes ? index : 0; i < all.size(); ++i) rest += Cost(all[i]);
        bytesNeeded = rest;
        resumeHandle = enumResumes ? static_cast<std::uint32_t>(index) : 0;
        return Fail(234), false;
    }
    bool KeyNameOf(ScHandle manager, const std::string& displayName, std::uint32_t maxChars,
                   std::string& keyName) override {
        ++keyNameLookups;
        if (dropped_.count(manager)) return Fail(kLostConnection), false;
        if (!live_.count(manager)) return Fail(6), false;
        for (const auto& [key, s] : services)
            if (s.config.displayName == displayName) {
                if (key.size() > maxChars) return Fail(122), false;
                keyName = key;
                return true;
            }
        return Fail(1060), false;
    }
    long ConnectRegistry(const std::optional<std::string>& machine, RegHandle& key) override {
        registryMachines.push_back(machine);
        if (connectResult) return connectResult;
        key = &registryOpen;
        ++registryOpen;
        return 0;
    }
    long OpenRegistryKey(RegHandle, const std::string& path, RegHandle& opened) override {
        registryPaths.push_back(path);
        if (openKeyResult) return openKeyResult;
        opened = &registryCloses;
        ++registryOpen;
        return 0;
    }
    long QueryMultiString(RegHandle, const std::string&, std::uint32_t, std::string& block) override {
        if (queryResult) return queryResult;
        block = groupBlock;
        return 0;
    }
    void CloseRegistryKey(RegHandle) override {
        ++registryCloses;
        --registryOpen;
    }
    void Wait(std::uint32_t milliseconds) override {
        waits.push_back(milliseconds);
        clock += milliseconds;
    }
    std::uint64_t TickCount() override { return clock; }
    unsigned long LastError() override { return lastError; }
    std::string SystemMessage(unsigned long code) override { return "message " + std::to_string(code) + "\r\n"; }

    unsigned long lastError = 0;

    static std::uint32_t Cost(const EnumServiceRecord& r) {
        return static_cast<std::uint32_t>(44 + 2 * (r.serviceName.size() + r.displayName.size() + 2));
    }

private:
    std::nullptr_t Fail(unsigned long code) {
        lastError = code;
        return nullptr;
    }
    ScHandle NewHandle(const std::string& key) {
        handles_.push_back(key);
        ScHandle h = reinterpret_cast<ScHandle>(handles_.size());
        live_.insert(h);
        return h;
    }
    Service* Find(ScHandle h) {
        if (!live_.count(h)) return nullptr;
        const std::string& key = handles_[reinterpret_cast<size_t>(h) - 1];
        auto it = services.find(key);
        return it == services.end() ? nullptr : &it->second;
    }
    std::vector<EnumServiceRecord> Listing() const {
        std::vector<EnumServiceRecord> all;
        for (const std::string& key : order) {
            const Service& s = services.at(key);
            all.push_back({key, s.config.displayName, s.statuses.front()});
        }
        all.insert(all.end(), extraRecords.begin(), extraRecords.end());
        return all;
    }

    static constexpr unsigned long kLostConnection = 1722;  // RPC server unavailable

    std::vector<std::string> handles_;
    std::set<ScHandle> live_;
    std::set<ScHandle> dropped_;
};

}  // namespace vigilor::test
