#include <gtest/gtest.h>

#include "monitor/metrics_text.h"
#include "tests/unit/metrics_parser.h"

namespace vigilor {
namespace {

using test::ParseMetrics;

std::string Row(const std::string& machine, const std::string& service) {
    return machine + "\t" + service + "\tNo\tNo";
}

// A record of one pass over the rows, each row's computer answered and the
// row found in the outcome.
PassRecord Pass(const std::vector<std::pair<std::string, std::string>>& rows, RowOutcome outcome) {
    PassRecord record;
    std::vector<std::string> texts;
    for (const auto& [machine, service] : rows) texts.push_back(Row(machine, service));
    record.Begin(texts, {1765000000.125, 50});
    for (size_t i = 0; i < rows.size(); ++i) {
        record.ComputerAnswered(rows[i].first, true);
        record.RowChecked(i, outcome);
    }
    // The wall clock was put back mid-pass: the duration is the monotonic one.
    record.End({1765000002.375 - 3600, 51.5});
    return record;
}

TEST(MetricsText, EveryFamilyWithHelpAndTypeAndEverySeriesWithWhoMonitors) {
    PassRecord record = Pass({{"\\\\ALPHA", "Spooler"}, {"\\\\BETA", "Event Log"}}, RowOutcome::Running);
    record.Restarted("\\\\ALPHA", "Spooler", true);
    record.Restarted("\\\\ALPHA", "Spooler", true);
    record.Restarted("\\\\ALPHA", "Spooler", false);
    const std::string text = MetricsText("MONITOR1", record, AlertCounts{4, 1, 2}, 5);

    const test::ParsedMetrics parsed = ParseMetrics(text);
    ASSERT_EQ(parsed.error, "") << text;
    const std::vector<std::pair<std::string, std::string>> families{
        {"vigilor_pass_timestamp_seconds", "gauge"}, {"vigilor_pass_duration_seconds", "gauge"},
        {"vigilor_pass_interval_seconds", "gauge"},  {"vigilor_pass_complete", "gauge"},
        {"vigilor_computer_up", "gauge"},
        {"vigilor_service_state", "gauge"},          {"vigilor_service_restarts_total", "counter"},
        {"vigilor_alerts_total", "counter"}};
    ASSERT_EQ(parsed.families.size(), families.size());
    for (size_t i = 0; i < families.size(); ++i) {
        EXPECT_EQ(parsed.families[i].name, families[i].first);
        EXPECT_EQ(parsed.families[i].type, families[i].second);
        EXPECT_FALSE(parsed.families[i].help.empty());
        for (const test::MetricSample& sample : parsed.families[i].samples)
            EXPECT_EQ(sample.labels.at("monitored_by"), "MONITOR1") << sample.name;
    }
    EXPECT_EQ(parsed.Find("vigilor_pass_timestamp_seconds", {})[0].value, 1765000002.375 - 3600);
    EXPECT_EQ(parsed.Find("vigilor_pass_duration_seconds", {})[0].value, 1.5);
    EXPECT_EQ(parsed.Find("vigilor_pass_interval_seconds", {})[0].value, 300);
    EXPECT_EQ(parsed.Find("vigilor_pass_complete", {})[0].value, 1);
    EXPECT_EQ(parsed.Family("vigilor_computer_up")->samples.size(), 2u);
    EXPECT_EQ(parsed.Find("vigilor_computer_up", {{"computer", "\\\\BETA"}})[0].value, 1);
    // Eight states a row, exactly one of them 1.
    EXPECT_EQ(parsed.Family("vigilor_service_state")->samples.size(), 16u);
    for (const char* state : {"running", "stopped", "restarted", "paused", "pending", "not_found", "unknown",
                              "not_checked"}) {
        const auto series = parsed.Find("vigilor_service_state", {{"service", "Event Log"}, {"state", state}});
        ASSERT_EQ(series.size(), 1u) << state;
        EXPECT_EQ(series[0].value, std::string(state) == "running" ? 1 : 0) << state;
    }
    EXPECT_EQ(parsed.Find("vigilor_service_restarts_total", {{"service", "Spooler"}, {"result", "success"}})[0].value,
              2);
    EXPECT_EQ(parsed.Find("vigilor_service_restarts_total", {{"service", "Spooler"}, {"result", "failure"}})[0].value,
              1);
    EXPECT_EQ(parsed.Find("vigilor_alerts_total", {{"kind", "failure"}})[0].value, 4);
    EXPECT_EQ(parsed.Find("vigilor_alerts_total", {{"kind", "down"}})[0].value, 1);
    EXPECT_EQ(parsed.Find("vigilor_alerts_total", {{"kind", "restart"}})[0].value, 2);
}

TEST(MetricsText, HostileNamesComeBackWhole) {
    const std::string longName(10000, 'x');
    const std::vector<std::string> names{
        "quote \" in it",
        "back\\slash \\\\ and \\n",
        "line\nbreak and\r\ncarriage return",
        "braces {a=\"b\"} and = , }",
        "\xC3\x84rger \xC3\xBC\xC3\x9F \xE6\x97\xA5\xE6\x9C\xAC \xF0\x9F\x98\x80",  // Ärger üß 日本 😀
        "\\\\PC\\\"quoted\\\"",
        longName,
        " blanks around ",
    };
    for (const std::string& name : names) {
        const std::string text =
            MetricsText(name, Pass({{name, name}}, RowOutcome::Stopped), AlertCounts{}, 1);
        const test::ParsedMetrics parsed = ParseMetrics(text);
        ASSERT_EQ(parsed.error, "") << name.substr(0, 60);
        const auto stopped = parsed.Find("vigilor_service_state", {{"state", "stopped"}});
        ASSERT_EQ(stopped.size(), 1u) << name.substr(0, 60);
        EXPECT_EQ(stopped[0].labels.at("computer"), name);
        EXPECT_EQ(stopped[0].labels.at("service"), name);
        EXPECT_EQ(stopped[0].labels.at("monitored_by"), name);
        EXPECT_EQ(stopped[0].value, 1);
        EXPECT_EQ(parsed.Find("vigilor_computer_up", {{"computer", name}}).size(), 1u);
    }
}

TEST(MetricsText, MalformedUtf8StillGivesAUtf8File) {
    const std::string broken = "bad \xFF\xC3 byte";
    const test::ParsedMetrics parsed = ParseMetrics(MetricsText("M", Pass({{broken, broken}}, RowOutcome::Running), {}, 1));
    ASSERT_EQ(parsed.error, "");
    EXPECT_EQ(parsed.Find("vigilor_computer_up", {})[0].labels.at("computer"), "bad \xEF\xBF\xBD\xEF\xBF\xBD byte");
}

TEST(MetricsText, RowsOfOneServiceOnOneComputerGiveOneSeriesFromTheFirstRow) {
    PassRecord record;
    record.Begin({Row("\\\\Alpha", "Spooler"), Row("\\\\ALPHA", "SPOOLER"), Row("\\\\alpha", "spooler")}, {});
    record.ComputerAnswered("\\\\Alpha", true);
    record.RowChecked(0, RowOutcome::Stopped);
    record.ComputerAnswered("\\\\ALPHA", true);
    record.RowChecked(1, RowOutcome::Running);
    record.Restarted("\\\\Alpha", "Spooler", true);
    record.Restarted("\\\\ALPHA", "SPOOLER", false);
    record.End({1, 1});
    const test::ParsedMetrics parsed = ParseMetrics(MetricsText("M", record, {}, 1));
    ASSERT_EQ(parsed.error, "");
    const auto states = parsed.Family("vigilor_service_state")->samples;
    ASSERT_EQ(states.size(), 8u);
    for (const test::MetricSample& sample : states) {
        EXPECT_EQ(sample.labels.at("computer"), "\\\\Alpha");
        EXPECT_EQ(sample.labels.at("service"), "Spooler");
        EXPECT_EQ(sample.value, sample.labels.at("state") == "stopped" ? 1 : 0);
    }
    ASSERT_EQ(parsed.Family("vigilor_computer_up")->samples.size(), 1u);
    const auto restarts = parsed.Family("vigilor_service_restarts_total")->samples;
    ASSERT_EQ(restarts.size(), 2u);
    EXPECT_EQ(restarts[0].value + restarts[1].value, 2);
    EXPECT_EQ(parsed.Find("vigilor_pass_complete", {})[0].value, 0) << "the third row was not checked";
}

// Counted from the first pass, a row that restarts by itself has its
// counts at 0 before its first restart, so that increase() sees that one.
TEST(MetricsText, RestartCountsOfRowsThatRestartStartAtZero) {
    PassRecord record;
    record.Begin({"\\\\A\tAuto\tYes\tNo", "\\\\A\tManual\tNo\tNo"}, {});
    record.End({});
    const test::ParsedMetrics parsed = ParseMetrics(MetricsText("M", record, {}, 1));
    ASSERT_EQ(parsed.error, "");
    const auto restarts = parsed.Family("vigilor_service_restarts_total")->samples;
    ASSERT_EQ(restarts.size(), 2u);
    for (const test::MetricSample& sample : restarts) {
        EXPECT_EQ(sample.labels.at("service"), "Auto");
        EXPECT_EQ(sample.value, 0);
    }
}

// The service writes under the computer's name; a window adds its user's,
// so that two copies on one computer never write the same series.
TEST(MetricsText, MonitoredByTheComputerAloneOrWithTheUser) {
    EXPECT_EQ(MonitoredBy("TS1", ""), "TS1");
    EXPECT_EQ(MonitoredBy("TS1", "alice"), "TS1/alice");
    EXPECT_NE(MonitoredBy("TS1", "alice"), MonitoredBy("TS1", "bob"));
}

}  // namespace
}  // namespace vigilor
