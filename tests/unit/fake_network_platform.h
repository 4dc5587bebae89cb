#pragma once
// The network of the connection base in memory: connection results in
// turn, browse rounds in turn, and a log of every call.
#include <deque>
#include <string>
#include <vector>

#include "net/network_platform.h"

namespace vigilor::test {

class FakeNetworkPlatform : public NetworkPlatform {
public:
    std::deque<unsigned long> addResults;  // then 0
    std::vector<std::string> calls;         // "add <remote> <user> <password>", "cancel <remote>"
    struct Round {
        BrowseRound answer;
        unsigned long resumeAfter = 0;
    };
    std::deque<Round> rounds;
    bool browseNeverEnds = false;  // every round: a name and "more data"
    std::vector<unsigned long> resumesSeen;
    std::optional<std::string> computerName = std::string("THISPC");
    unsigned long lastError = 0;

    unsigned long AddConnection(const std::string& remoteName, const std::string& password,
                                const std::string& userName) override {
        calls.push_back("add " + remoteName + " " + userName + " " + password);
        if (addResults.empty()) return 0;
        const unsigned long result = addResults.front();
        addResults.pop_front();
        return result;
    }
    unsigned long CancelConnection(const std::string& remoteName) override {
        calls.push_back("cancel " + remoteName);
        return 0;
    }
    BrowseRound ServerEnum(const std::string&, unsigned long& resumeHandle) override {
        resumesSeen.push_back(resumeHandle);
        if (browseNeverEnds) {
            resumeHandle = 7;
            return {234, {"AGAIN"}};
        }
        if (rounds.empty()) return {};
        Round round = rounds.front();
        rounds.pop_front();
        resumeHandle = round.resumeAfter;
        return round.answer;
    }
    std::optional<std::string> ComputerName() override { return computerName; }
    unsigned long LastError() override { return lastError; }
    std::string SystemMessage(unsigned long code) override { return "system text " + std::to_string(code); }
};

}  // namespace vigilor::test
