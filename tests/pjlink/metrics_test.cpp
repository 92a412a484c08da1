// The exposition a scrape gets: names, labels, series that come and go.
#include "pjlink/metrics.h"
#include "pjlink/metrics_settings.h"

#include <gtest/gtest.h>

#include <variant>

namespace orva::pjlink {
namespace {

bool has(const std::string& text, const std::string& line)
{
    return text.find("\n" + line + "\n") != std::string::npos;
}

const PollSample kReading{true, PowerState::CoolingDown, 1234, {25.5, std::nullopt, -3.0}, LampState::Off,
                          1'700'000'000'500, 250};

TEST(Metrics, ProjectorSeriesFromConfigurationThroughPollsToLostLine)
{
    Metrics m;
    m.addProjector("hall-a");
    m.addProjector("hall-b");
    std::string t = m.text();
    for (const char* line : {"orva_up{projector=\"hall-a\"} 0", "# TYPE orva_transactions_total counter",
                             "orva_transactions_total{outcome=\"timeout\",projector=\"hall-a\"} 0",
                             "orva_pjlink_auth_failures_total{projector=\"hall-b\"} 0"})
        EXPECT_TRUE(has(t, line)) << line << "\n" << t;
    EXPECT_EQ(t.find("orva_lamp_hours{"), std::string::npos) << "nothing read yet";

    m.publish("hall-a", kReading);
    m.countTransaction("hall-a", Metrics::Outcome::Timeout);
    m.countTransaction("hall-a", Metrics::Outcome::Timeout);
    m.countConnection("hall-b");
    m.countAuthFailure("hall-b");
    const std::vector<std::string> read{
        "orva_up{projector=\"hall-a\"} 1",
        "orva_power_state{projector=\"hall-a\",state=\"cooling_down\"} 1",
        "orva_power_state{projector=\"hall-a\",state=\"lamp_failure\"} 0",
        "orva_lamp_hours{projector=\"hall-a\"} 1234",
        "orva_temperature_celsius{projector=\"hall-a\",sensor=\"1\"} 25.5",
        "orva_temperature_celsius{projector=\"hall-a\",sensor=\"3\"} -3",
        "orva_lamp_state{projector=\"hall-a\",state=\"off\"} 1",
        "orva_last_poll_timestamp_seconds{projector=\"hall-a\"} 1700000000.5",
        "orva_poll_duration_seconds{projector=\"hall-a\"} 0.25",
        "orva_transactions_total{outcome=\"timeout\",projector=\"hall-a\"} 2",
        "orva_pjlink_connections_total{projector=\"hall-b\"} 1",
        "orva_pjlink_auth_failures_total{projector=\"hall-b\"} 1",
    };
    t = m.text();
    for (const std::string& line : read)
        EXPECT_TRUE(has(t, line)) << line << "\n" << t;
    EXPECT_EQ(t.find("sensor=\"2\""), std::string::npos) << "a field that is not a number";

    // The line is lost: the readings stay as last read, up goes to 0.
    PollSample down;
    down.durationMs = 1000;
    m.publish("hall-a", down);
    t = m.text();
    EXPECT_TRUE(has(t, "orva_up{projector=\"hall-a\"} 0"));
    EXPECT_TRUE(has(t, "orva_poll_duration_seconds{projector=\"hall-a\"} 1"));
    for (std::size_t i = 1; i + 4 < read.size(); ++i)
        EXPECT_TRUE(has(t, read[i])) << read[i];

    // Back, but the sensor and the lamp answer in words we do not know.
    PollSample partial = kReading;
    partial.temperatures = {};
    partial.lamp.reset();
    m.publish("hall-a", partial);
    t = m.text();
    EXPECT_EQ(t.find("orva_temperature_celsius{"), std::string::npos);
    EXPECT_EQ(t.find("orva_lamp_state{"), std::string::npos);

    m.removeProjector("hall-a"); // its section left the file
    t = m.text();
    EXPECT_EQ(t.find("hall-a"), std::string::npos) << t;
    EXPECT_TRUE(has(t, "orva_up{projector=\"hall-b\"} 0"));
}

TEST(Metrics, AnAddressInUseIsRefusedNotServedSilently)
{
    Metrics first, second;
    std::string why;
    ASSERT_TRUE(first.serve("127.0.0.1:0", why)) << why;
    EXPECT_FALSE(second.serve("127.0.0.1:" + std::to_string(first.port()), why));
    EXPECT_NE(why.find("cannot listen on 127.0.0.1:"), std::string::npos) << why;
    EXPECT_EQ(second.port(), 0);

    // Moving to an address that cannot be taken keeps the endpoint where it was.
    ASSERT_TRUE(second.serve("127.0.0.1:0", why)) << why;
    const int served = second.port();
    EXPECT_FALSE(second.serve("127.0.0.1:" + std::to_string(first.port()), why));
    EXPECT_EQ(second.port(), served);
    EXPECT_TRUE(second.serve("127.0.0.1:" + std::to_string(served), why, "prom", "pw")) << "new credentials, same port";
    EXPECT_EQ(second.port(), served);
}

TEST(MetricsSettings, ListenAndPollEntries)
{
    const std::vector<std::pair<std::string, std::string>> listen{
        {"127.0.0.1:9999", "127.0.0.1:9999"}, {"0.0.0.0", "0.0.0.0:10025"},
        {"[::]:10100", ""}, {"::1:10025", ""}, // no IPv6 in the endpoint's HTTP server
        {"localhost:10025", ""},               // the endpoint takes addresses only
        {"127.0.0.1:", ""}, {"127.0.0.1:0", ""}, {"127.0.0.1:65536", ""}, {"127.0.0.1:80x", ""}, {"", ""},
    };
    for (const auto& [entry, address] : listen) {
        std::string why;
        EXPECT_EQ(metricsListenAddress(entry, why).value_or(""), address) << entry;
        EXPECT_EQ(why.empty(), !address.empty()) << entry << ": " << why;
    }
    std::string why;
    EXPECT_TRUE(metricsPollSeconds("1", why) == 1 && metricsPollSeconds("86400", why) == 86400);
    for (const char* bad : {"0", "-5", "1.5", "30s", "", "86401"})
        EXPECT_FALSE(metricsPollSeconds(bad, why)) << bad;
    EXPECT_NE(why.find("86401"), std::string::npos);

    const auto section = [](const std::string& text) { return readMetricsSettings("f", scanIni(text)); };
    EXPECT_EQ(std::get<MetricsSettings>(section("[metrics]\nlisten=127.0.0.1\npoll=5\n[hall]\npoll=7\n")),
              (MetricsSettings{"127.0.0.1:10025", 5, "", ""}));
    EXPECT_EQ(std::get<std::string>(section("[hall]\ntarget=/dev/x\n[metrics]\nport=1\n")),
              "f:4: [metrics] port: not a key of [metrics] (listen, poll, user, password)");
    EXPECT_EQ(std::get<MetricsSettings>(section("[metrics]\nlisten=127.000.000.001\nuser=prom\npassword=s3;cret\n")),
              (MetricsSettings{"127.0.0.1:10025", 30, "prom", "s3"})); // cut at ";" (warned by configWarnings)
    for (const auto& [text, message] : std::vector<std::pair<std::string, std::string>>{
             {"[metrics]\npassword=hunter2\n", "f:2: [metrics] password: needs a user"},
             {"[metrics]\nuser=prom\n", "f:2: [metrics] user: needs a password"},
             {"[metrics]\nuser=a:b\npassword=hunter2\n", "f:2: [metrics] user: at most 64 printable"},
             {"[metrics]\nuser=a\npassword=hunter2\x01\n", "f:3: [metrics] password: at most 64 printable"}}) {
        const std::string got = std::get<std::string>(section(text));
        EXPECT_EQ(got.rfind(message, 0), 0u) << got;
        EXPECT_EQ(got.find("hunter2"), std::string::npos) << got;
    }
}

} // namespace
} // namespace orva::pjlink
