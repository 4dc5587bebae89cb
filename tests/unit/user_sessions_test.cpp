#include <gtest/gtest.h>

#include "notify/user_sessions.h"

namespace vigilor {
namespace {

TEST(SessionsOfUser, TheSessionsWhoseUserIsTheRecipient) {
    const std::vector<UserSession> sessions = {
        {0, "", ""},  // the services' session
        {1, "alice", "OFFICE"},
        {2, "Bob", "OFFICE"},
        {3, "alice", "OFFICE"},
        {4, "carol", "LAB"},
        {65536, "", "OFFICE"},  // a listener
    };
    using Ids = std::vector<unsigned long>;
    const struct Case {
        const char* recipient;
        Ids ids;
    } cases[] = {
        {"carol", {4}},
        {"CAROL", {4}},
        {"bob", {2}},
        {"lab\\Carol", {4}},
        {"OFFICE\\carol", {}},
        {"  carol\t", {4}},
        {" lab\\carol ", {4}},
        {"alice", {1, 3}},
        {"office\\ALICE", {1, 3}},
        {"dave", {}},
        {"", {}},
        {"   ", {}},
        {"OFFICE\\", {}},
        {"desk7", {1, 2, 3, 4}},
        {" \\\\DESK7 ", {1, 2, 3, 4}},
        {"\\\\", {}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(SessionsOfUser(sessions, c.recipient, "DESK7"), c.ids) << "\"" << c.recipient << "\"";
}

}  // namespace
}  // namespace vigilor
