#include "platform/sim/receiver_engine.h"

#include "tests/platform/sim/engine_runner.h"
#include "tests/platform/sim/nmea_checks.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <map>
#include <set>

namespace {

using sim_test::Delivery;
using sim_test::Fields;
using sim_test::HasValidChecksum;
using sim_test::Lines;
using sim_test::Drive;

constexpr const char* kColdStart = "$PSRF104,0,0,0,96000,237759,1946,12,4*1D\r\n";

sim::ReceiverOptions Options(std::uint32_t baud, sim::Faults faults = {})
{
    sim::ReceiverOptions options;
    options.baud = baud;
    options.faults = faults;
    return options;
}

// Checks one epoch's worth of GSV messages and GSA against each other.
void CheckSky(const std::vector<std::vector<std::string>>& gsv, const std::vector<std::string>& gsa, int min_in_view,
              int max_in_view)
{
    ASSERT_FALSE(gsv.empty());
    const int messages = std::stoi(gsv[0][1]);
    const int in_view = std::stoi(gsv[0][3]);
    EXPECT_GE(in_view, min_in_view);
    EXPECT_LE(in_view, max_in_view);
    ASSERT_EQ(static_cast<int>(gsv.size()), messages);
    EXPECT_EQ(messages, (in_view + 3) / 4);
    std::map<int, bool> tracked;
    for (std::size_t m = 0; m < gsv.size(); ++m) {
        EXPECT_EQ(std::stoi(gsv[m][2]), static_cast<int>(m) + 1);
        for (std::size_t k = 4; k + 3 < gsv[m].size(); k += 4) {
            const int elevation = std::stoi(gsv[m][k + 1]);
            const int azimuth = std::stoi(gsv[m][k + 2]);
            EXPECT_TRUE(elevation >= 0 && elevation <= 90 && azimuth >= 0 && azimuth < 360);
            tracked[std::stoi(gsv[m][k])] = !gsv[m][k + 3].empty();
        }
    }
    EXPECT_EQ(static_cast<int>(tracked.size()), in_view);
    // Every satellite used in the fix is in view and tracked.
    for (int f = 3; f < 15; ++f) {
        const std::string& prn = gsa[static_cast<std::size_t>(f)];
        if (!prn.empty()) {
            EXPECT_TRUE(tracked[std::stoi(prn)]) << prn;
        }
    }
}

TEST(ReceiverEngine, EverySentenceIsWellFormed)
{
    struct Case {
        std::uint32_t baud;
        bool many_satellites;
        int min_in_view;
        int max_in_view;
    };
    const Case cases[] = {{4800, false, 8, 14}, {9600, false, 8, 14}, {115200, false, 8, 14},
                          {9600, true, 13, 16}, {4800, true, 13, 16}};
    const std::map<std::string, std::size_t> field_counts = {
        {"$GPGGA", 15}, {"$GPGLL", 8}, {"$GPGSA", 18}, {"$GPRMC", 13}, {"$GPVTG", 10}};
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.baud << " bps, many satellites " << c.many_satellites);
        sim::Faults faults;
        faults.many_satellites = c.many_satellites;
        sim::ReceiverEngine engine(Options(c.baud, faults), std::nullopt);
        Delivery delivery;
        Drive(engine, 0, 120'000, c.baud, delivery);

        std::string rest;
        const std::vector<std::string> lines = Lines(delivery.bytes, &rest);
        EXPECT_GE(lines.size(), 120u * 5u);
        std::set<std::string> types;
        std::vector<std::vector<std::string>> gsv;
        std::vector<std::string> gsa;
        for (const std::string& line : lines) {
            ASSERT_TRUE(HasValidChecksum(line)) << line;
            ASSERT_LE(line.size(), 80u) << line;
            const std::vector<std::string> fields = Fields(line);
            types.insert(fields[0]);
            if (fields[0] == "$GPGSV") {
                if (fields[2] == "1")
                    gsv.clear();
                gsv.push_back(fields);
                continue;
            }
            if (field_counts.contains(fields[0])) {
                EXPECT_EQ(fields.size(), field_counts.at(fields[0])) << line;
            }
            if (fields[0] == "$GPGSA") {
                gsa = fields;
                EXPECT_EQ(fields[2], "3") << line;
            }
            if (fields[0] == "$GPRMC" && !gsv.empty() && !gsa.empty()) {
                CheckSky(gsv, gsa, c.min_in_view, c.max_in_view);
                gsv.clear();
            }
        }
        for (const char* type : {"$GPGGA", "$GPGSA", "$GPGSV", "$GPRMC", "$GPGLL", "$GPVTG"})
            EXPECT_TRUE(types.contains(type)) << type;
        EXPECT_EQ(types.size(), 6u);
    }
}

TEST(ReceiverEngine, SendsOneEpochPerSecondOfReceiverTime)
{
    sim::ReceiverEngine engine(Options(38400), std::nullopt);
    Delivery delivery;
    Drive(engine, 0, 29'999, 38400, delivery);

    std::vector<std::uint64_t> starts;
    std::vector<double> utc;
    for (std::size_t at = delivery.Find("$GPGGA"); at != std::string::npos; at = delivery.Find("$GPGGA", at + 1)) {
        starts.push_back(delivery.times[at]);
        utc.push_back(std::stod(Fields(delivery.bytes.substr(at, 20))[1]));
    }
    ASSERT_EQ(starts.size(), 30u);
    for (std::size_t k = 0; k < starts.size(); ++k) {
        // The first byte leaves within the 10 ms step that holds the epoch.
        EXPECT_GE(starts[k], k * 1000);
        EXPECT_LE(starts[k], k * 1000 + 10);
        if (k > 0) {
            const double step = std::fmod(utc[k] - utc[k - 1] + 240000.0, 100.0);
            EXPECT_TRUE(step == 1.0 || step == 41.0) << utc[k - 1] << " -> " << utc[k];
        }
    }
}

TEST(ReceiverEngine, PacesTheLineAtItsSpeed)
{
    sim::ReceiverEngine engine(Options(4800), std::nullopt);
    Delivery delivery;
    Drive(engine, 0, 60'000, 4800, delivery);

    // 4800 bps is 48 bits, 4.8 frames, in 10 ms and 480 bytes in a second.
    std::map<std::uint64_t, std::size_t> per_step;
    std::map<std::uint64_t, std::size_t> per_second;
    for (std::uint64_t t : delivery.times) {
        ++per_step[t];
        ++per_second[(t - 1) / 1000];
    }
    for (const auto& [t, count] : per_step)
        ASSERT_LE(count, 5u) << "at " << t << " ms";
    for (const auto& [second, count] : per_second)
        EXPECT_LE(count, 480u) << "in second " << second;
    // The line is busy most of the time, and what cannot go in a second is
    // left out rather than queued ever longer: each second still opens with
    // its own GGA or RMC.
    EXPECT_GT(delivery.bytes.size(), 60u * 400u);
    const std::vector<std::string> lines = Lines(delivery.bytes);
    const auto rmc = std::count_if(lines.begin(), lines.end(), [](const std::string& l) { return l.starts_with("$GPRMC"); });
    EXPECT_GE(rmc, 59);
    const auto gsv = std::count_if(lines.begin(), lines.end(), [](const std::string& l) { return l.starts_with("$GPGSV,3,1") || l.starts_with("$GPGSV,2,1") || l.starts_with("$GPGSV,4,1"); });
    EXPECT_GE(gsv, 30);
}

TEST(ReceiverEngine, ALineTooSlowForOneEpochDoesNotQueueWithoutEnd)
{
    // 300 bps carries 30 bytes a second, less than one RMC.
    sim::ReceiverEngine engine(Options(300), std::nullopt);
    Delivery delivery;
    Drive(engine, 0, 600'000, 300, delivery, 1000);
    EXPECT_GE(delivery.bytes.size(), 600u * 29u);
    // Whole RMC sentences, every other second or so, none older than that.
    const std::vector<std::string> lines = Lines(delivery.bytes);
    EXPECT_GE(lines.size(), 200u);
    for (const std::string& line : lines)
        ASSERT_TRUE(line.starts_with("$GPRMC,") && HasValidChecksum(line)) << line;
    const auto seconds = [](const std::string& line) {
        const std::string hhmmss = Fields(line)[1];
        return std::stoi(hhmmss.substr(0, 2)) * 3600 + std::stoi(hhmmss.substr(2, 2)) * 60 + std::stoi(hhmmss.substr(4, 2));
    };
    // The last RMC out is one of the last seconds', not one queued long ago.
    EXPECT_GE(seconds(lines.back()) - seconds(lines.front()), 596);
}

TEST(ReceiverEngine, OutputDoesNotDependOnHowTimeIsSliced)
{
    const std::uint64_t steps[] = {1, 7, 10, 333, 1000};
    std::string reference;
    for (std::uint64_t step : steps) {
        sim::Faults faults;
        faults.split_lines = true;
        faults.noise_every_s = 3;
        sim::ReceiverEngine engine(Options(4800, faults), std::nullopt);
        Delivery delivery;
        Drive(engine, 0, 20'979, 4800, delivery, step);
        delivery.bytes += engine.Advance(21'000, 4800);
        if (reference.empty())
            reference = delivery.bytes;
        EXPECT_EQ(delivery.bytes, reference) << "steps of " << step << " ms";
    }
}

TEST(ReceiverEngine, DeliversGarbageAtAnotherSpeed)
{
    struct Case {
        std::uint32_t receiver;
        std::uint32_t port;
    };
    // The scan's speeds against a 4800 receiver, and the other way round.
    const Case cases[] = {{4800, 57600}, {4800, 9600},  {4800, 14400},  {4800, 19200}, {4800, 38400},
                          {4800, 115200}, {4800, 1200},  {4800, 2400},   {57600, 4800}, {9600, 14400},
                          {14400, 19200}, {38400, 57600}, {115200, 4800}};
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "receiver " << c.receiver << ", port " << c.port);
        sim::ReceiverEngine engine(Options(c.receiver), std::nullopt);
        Delivery delivery;
        Drive(engine, 0, 10'000, c.port, delivery);
        EXPECT_FALSE(delivery.bytes.empty());
        EXPECT_LE(delivery.bytes.size(), 10u * c.port / 10u);
        EXPECT_EQ(delivery.Find("$"), std::string::npos);
        for (const std::string& line : Lines(delivery.bytes))
            EXPECT_FALSE(HasValidChecksum(line));

        // Set to the right speed, the port gets sentences again.
        Delivery after;
        Drive(engine, 10'000, 13'000, c.receiver, after);
        EXPECT_NE(after.Find("$GPRMC"), std::string::npos);
    }
}

TEST(ReceiverEngine, ColdStartGoesSilentThenReacquires)
{
    sim::ReceiverEngine engine(Options(4800), std::nullopt);
    Delivery before;
    Drive(engine, 0, 10'000, 4800, before);
    // The command arrives in two writes, as a program may send it.
    const std::string command = kColdStart;
    engine.Receive(10'000, command.substr(0, 20), 4800);
    engine.Receive(10'000, command.substr(20), 4800);
    EXPECT_EQ(engine.Stats().cold_starts, 1u);

    Delivery after;
    Drive(engine, 10'000, 50'000, 4800, after);
    // At most the frame under way finishes; then two seconds of silence.
    const std::size_t silent = static_cast<std::size_t>(
        std::count_if(after.times.begin(), after.times.end(), [](std::uint64_t t) { return t < 12'000; }));
    EXPECT_LE(silent, 1u);

    int first_fix_s = -1;
    int last_in_view = 0;
    bool empty_sky_seen = false;
    std::string gsv_count;
    for (const std::string& line : Lines(after.bytes.substr(silent))) {
        ASSERT_TRUE(HasValidChecksum(line)) << line;
        const std::vector<std::string> f = Fields(line);
        const auto at = after.times[after.Find(line)];
        if (f[0] == "$GPGSV" && f[2] == "1") {
            const int in_view = std::stoi(f[3]);
            if (in_view == 0)
                empty_sky_seen = true;
            EXPECT_GE(in_view, last_in_view) << "satellites come back one by one";
            last_in_view = in_view;
        }
        if (f[0] == "$GPGSA" && first_fix_s < 0) {
            if (f[2] != "1")
                first_fix_s = static_cast<int>((at - 10'000) / 1000);
            else
                EXPECT_TRUE(f[15].empty() && f[16].empty() && f[17].empty());
        }
        if (f[0] == "$GPRMC" && first_fix_s < 0 && at < 20'000) {
            EXPECT_EQ(f[2], "V") << line;
        }
    }
    EXPECT_TRUE(empty_sky_seen);
    EXPECT_GE(last_in_view, 8);
    EXPECT_GE(first_fix_s, 15);
    EXPECT_LE(first_fix_s, 30);
    // By then the receiver is back to a 3D fix.
    const std::vector<std::string> tail = Lines(after.bytes.substr(after.bytes.size() - 600));
    EXPECT_TRUE(std::any_of(tail.begin(), tail.end(), [](const std::string& l) { return l.starts_with("$GPGSA,A,3,"); }));
}

TEST(ReceiverEngine, IgnoresCommandsItCannotTakeForAColdStart)
{
    struct Case {
        const char* bytes;
        std::uint32_t port;
        const char* why;
    };
    const Case cases[] = {
        {"$PSRF104,0,0,0,96000,237759,1946,12,4*1C\r\n", 4800, "wrong checksum"},
        {"$PSRF104,0,0,0,96000,237759,1946,12,1*18\r\n", 4800, "hot start"},
        {"$PSRF104,0,0,0,96000,237759,1946,12,4*1D", 4800, "no CR LF"},
        {"$PSRF104,0,0,0,96000,237759,1946,12,4*1D\r\n", 9600, "port at another speed"},
        {"$PSRF100,1,4800,8,1,0*0E\r\n", 4800, "another message"},
    };
    for (const Case& c : cases) {
        sim::ReceiverEngine engine(Options(4800), std::nullopt);
        Delivery delivery;
        Drive(engine, 0, 2'000, 4800, delivery);
        engine.Receive(2'000, c.bytes, c.port);
        Drive(engine, 2'000, 4'000, 4800, delivery);
        EXPECT_EQ(engine.Stats().cold_starts, 0u) << c.why;
        EXPECT_EQ(engine.Stats().bytes_received, std::string(c.bytes).size()) << c.why;
        EXPECT_GT(std::count_if(delivery.times.begin(), delivery.times.end(), [](std::uint64_t t) { return t > 3'000; }),
                  300)
            << c.why;
    }
    // Noise in front of the command does not hide it.
    sim::ReceiverEngine engine(Options(4800), std::nullopt);
    engine.Receive(0, std::string("\x13\xff garbage") + kColdStart, 4800);
    EXPECT_EQ(engine.Stats().cold_starts, 1u);
}

TEST(ReceiverEngine, CorruptsTheShareOfChecksumsAskedFor)
{
    sim::Faults faults;
    faults.corrupt_percent = 30;
    sim::ReceiverEngine engine(Options(38400, faults), std::nullopt);
    Delivery delivery;
    Drive(engine, 0, 100'000, 38400, delivery);
    const std::vector<std::string> lines = Lines(delivery.bytes);
    std::size_t bad = 0;
    for (const std::string& line : lines) {
        // Only the two digits are wrong: still upper-case hex behind "*".
        ASSERT_EQ(line[line.size() - 3], '*');
        ASSERT_TRUE(std::all_of(line.end() - 2, line.end(), [](char c) { return std::isxdigit(c) && !std::islower(c); }));
        bad += HasValidChecksum(line) ? 0 : 1;
    }
    const double share = static_cast<double>(bad) / static_cast<double>(lines.size());
    EXPECT_GT(share, 0.22);
    EXPECT_LT(share, 0.38);
}

TEST(ReceiverEngine, SplitsALineEachSecondWithAPauseLongerThanAPoll)
{
    sim::Faults faults;
    faults.split_lines = true;
    sim::ReceiverEngine engine(Options(38400, faults), std::nullopt);
    Delivery delivery;
    Drive(engine, 0, 20'000, 38400, delivery);

    int split = 0;
    std::size_t start = 0;
    for (std::size_t end; (end = delivery.Find("\r\n", start)) != std::string::npos; start = end + 2) {
        ASSERT_TRUE(HasValidChecksum(delivery.bytes.substr(start, end - start)));
        for (std::size_t i = start + 1; i <= end; ++i)
            if (delivery.times[i] - delivery.times[i - 1] >= 250)
                ++split;
    }
    EXPECT_GE(split, 19);
    EXPECT_LE(split, 20);
}

TEST(ReceiverEngine, SendsNoiseBurstsBetweenSentences)
{
    sim::Faults faults;
    faults.noise_every_s = 5;
    sim::ReceiverEngine engine(Options(38400, faults), std::nullopt);
    Delivery delivery;
    Drive(engine, 0, 30'000, 38400, delivery);

    int damaged = 0;
    for (const std::string& line : Lines(delivery.bytes)) {
        if (HasValidChecksum(line))
            continue;
        ++damaged;
        // The burst runs into the next sentence, which it spoils, but it
        // never starts one of its own.
        const std::size_t dollar = line.find('$');
        EXPECT_GE(dollar, 16u) << "noise ahead of the sentence";
        if (dollar != std::string::npos) {
            EXPECT_TRUE(HasValidChecksum(line.substr(dollar)));
        }
    }
    EXPECT_GE(damaged, 6);
    EXPECT_LE(damaged, 12);
}

TEST(ReceiverEngine, FallsSilentOnDemand)
{
    sim::ReceiverOptions options = Options(9600);
    options.silence_after_ms = 20'000;
    options.silence_for_ms = 6'000;
    sim::ReceiverEngine engine(options, std::nullopt);
    Delivery delivery;
    Drive(engine, 0, 3'000, 9600, delivery);
    engine.GoSilent(3'000, 5'000);
    Drive(engine, 3'000, 30'000, 9600, delivery);

    const auto sent_between = [&](std::uint64_t from, std::uint64_t to) {
        return std::count_if(delivery.times.begin(), delivery.times.end(),
                             [&](std::uint64_t t) { return t > from && t < to; });
    };
    EXPECT_LE(sent_between(3'000, 8'000), 1);
    EXPECT_GT(sent_between(8'000, 9'000), 0);
    EXPECT_GT(sent_between(19'000, 20'000), 0);
    EXPECT_LE(sent_between(20'010, 26'000), 1);
    EXPECT_GT(sent_between(26'000, 27'000), 0);
    for (const std::string& line : Lines(delivery.bytes)) {
        if (line.find('$', 1) == std::string::npos) {
            EXPECT_TRUE(HasValidChecksum(line)) << line;
        }
    }
}

TEST(ReceiverEngine, RaisesTheSatelliteCountWhenAskedAtRunTime)
{
    sim::ReceiverEngine engine(Options(9600), std::nullopt);
    Delivery before;
    Drive(engine, 0, 3'000, 9600, before);
    EXPECT_EQ(before.Find("$GPGSV,4,"), std::string::npos);
    sim::Faults faults;
    faults.many_satellites = true;
    engine.SetFaults(faults);
    Delivery after;
    Drive(engine, 3'000, 6'000, 9600, after);
    EXPECT_NE(after.Find("$GPGSV,4,4,"), std::string::npos);
}

TEST(ReceiverEngine, ReplaysALogOneEpochPerSecond)
{
    const char* log = "# Name: test capture\n"
                      "$GPGGA,120000.00,4531.3860,N,12240.5900,W,1,09,1.6,51.0,M,-19.6,M,,*68\n"
                      "$GPRMC,120000.00,A,4531.3860,N,12240.5900,W,0.00,084.00,071226,,,A*4F\r\n"
                      "$GPGGA,120001.00,4531.3860,N,12240.5900,W,1,09,1.6,51.0,M,-19.6,M,,*69\r\n"
                      "$GPGSV,1,1,01,05,82,031,48*4A\r\n";
    sim::ReceiverEngine engine(Options(9600), sim::ReplayLog(log));
    Delivery delivery;
    Drive(engine, 0, 3'990, 9600, delivery);
    const std::vector<std::string> lines = Lines(delivery.bytes);
    ASSERT_EQ(lines.size(), 8u);
    EXPECT_TRUE(lines[0].starts_with("$GPGGA,120000.00"));
    EXPECT_TRUE(lines[1].starts_with("$GPRMC,120000.00"));
    EXPECT_TRUE(lines[2].starts_with("$GPGGA,120001.00"));
    EXPECT_TRUE(lines[3].starts_with("$GPGSV"));
    EXPECT_EQ(lines[4], lines[0]);
    EXPECT_EQ(delivery.times[delivery.Find("$GPGGA,120001.00")], 1'010u);
}

TEST(ReceiverEngine, ReplayDropsSecondsTheLineCannotCarry)
{
    const std::string path = std::string(ZELMORA_SOURCE_DIR) + "/../shared/corpus/ublox-8.log";
    std::string error;
    std::optional<sim::ReplayLog> log = sim::ReplayLog::Load(path, &error);
    if (!log)
        GTEST_SKIP() << "no receiver log to replay: " << error;
    std::ifstream file(path, std::ios::binary);
    std::set<std::string> recorded;
    for (std::string line; std::getline(file, line);)
        recorded.insert(line.substr(0, line.find('\r')));
    sim::ReceiverEngine engine(Options(1200), std::move(log));
    Delivery delivery;
    Drive(engine, 0, 60'000, 1200, delivery);
    EXPECT_LE(delivery.bytes.size(), 60u * 120u);
    // Whole epochs are dropped, never parts of lines: every line is intact.
    std::string rest;
    for (const std::string& line : Lines(delivery.bytes, &rest))
        EXPECT_TRUE(recorded.contains(line)) << line;
    EXPECT_LT(rest.size(), 240u);
}

} // namespace
