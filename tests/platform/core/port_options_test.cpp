#include "platform/core/port_options.h"

#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <fstream>

#include <string>
#include <vector>

#include "tests/platform/core/open_watch.h"
#include "platform/core/com_device_table.h"

namespace {

class PortOptionsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ComDeviceTable::Sources sources;
    sources.sysfsRoot = "/nonexistent";
    table = std::make_unique<ComDeviceTable>(sources);
    ComDeviceTable::SetActive(table.get());
  }
  void TearDown() override { ComDeviceTable::SetActive(nullptr); }

  std::unique_ptr<ComDeviceTable> table;
  std::vector<unsigned> started;
  SimulatorStarter starter = [this](unsigned number, const PortOptions&) {
    started.push_back(number);
    return "/dev/pts/" + std::to_string(40 + number);
  };
};

TEST_F(PortOptionsTest, PinsPortsAndStartsTheSimulator) {
  PortOptions options;
  ASSERT_TRUE(ReadPortPin("COM4:=/dev/ttyUSB0", options, nullptr));
  ASSERT_TRUE(ReadPortPin("com5=/dev/rfcomm0", options, nullptr));
  ASSERT_TRUE(ReadSimulatorPort("COM2:", options, nullptr));
  ASSERT_TRUE(ApplyPortOptions(options, starter, nullptr));
  EXPECT_EQ(table->PathOf(L"COM4:"), "/dev/ttyUSB0");
  EXPECT_EQ(table->PathOf(L"COM5:"), "/dev/rfcomm0");
  EXPECT_EQ(started, std::vector<unsigned>{2});
  EXPECT_EQ(table->PathOf(L"COM2:"), "/dev/pts/42");

  PortOptions bare;
  ASSERT_TRUE(ReadSimulatorPort("", bare, nullptr));
  ASSERT_TRUE(ApplyPortOptions(bare, starter, nullptr));
  EXPECT_EQ(started, (std::vector<unsigned>{2, 1}));
  EXPECT_EQ(table->PathOf(L"COM1:"), "/dev/pts/41");
}

TEST_F(PortOptionsTest, MalformedValuesAndAFailedSimulatorAreRefusedWithAMessage) {
  for (const char* value : {"", "COM4:", "COM0:=/dev/ttyS0", "LPT1:=/dev/lp0", "COM4:=", "COM10:=/dev/ttyS0"}) {
    PortOptions options;
    std::string error;
    EXPECT_FALSE(ReadPortPin(value, options, &error)) << value;
    EXPECT_FALSE(error.empty()) << value;
    EXPECT_TRUE(options.pins.empty()) << value;
  }
  for (const char* value : {"COM:", "COM0:", "COM10:", "ttyS0"}) {
    PortOptions options;
    std::string error;
    EXPECT_FALSE(ReadSimulatorPort(value, options, &error)) << value;
    EXPECT_FALSE(error.empty()) << value;
  }

  // A --port at something that is no serial device is refused before the
  // program starts, without opening it.
  std::string pattern = (std::filesystem::temp_directory_path() / "zelmora-port-XXXXXX").string();
  ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
  const std::string file = pattern + "/passwd";
  std::ofstream(file) << "root:x:0:0\n";
  {
    OpenWatch watch(pattern);
    for (const std::string& path : {file, std::string("/dev/ptmx"), std::string("/dev/null")}) {
      PortOptions options;
      std::string error;
      EXPECT_FALSE(ReadPortPin("COM1:=" + path, options, &error)) << path;
      EXPECT_NE(error.find(path), std::string::npos) << error;
      EXPECT_TRUE(options.pins.empty()) << path;
    }
    EXPECT_EQ(watch.Opened(), "");
  }
  std::filesystem::remove_all(pattern);

  PortOptions options;
  ASSERT_TRUE(ReadSimulatorPort("", options, nullptr));
  std::string error;
  EXPECT_FALSE(ApplyPortOptions(
      options, [](unsigned, const PortOptions&) { return std::string(); }, &error));
  EXPECT_NE(error.find("did not start"), std::string::npos);
  EXPECT_FALSE(ApplyPortOptions(options, nullptr, &error));
  EXPECT_NE(error.find("no simulated receiver"), std::string::npos);
}

TEST_F(PortOptionsTest, TheSimulatedReceiversFamilyIsOneItKnowsAndNeedsTheReceiver) {
  SetSimulatorFamilies({"sirf", "mediatek"});
  PortOptions options;
  std::string error;
  EXPECT_FALSE(ReadSimulatorFamily("nokia", options, &error));
  EXPECT_NE(error.find("the families: sirf, mediatek"), std::string::npos) << error;
  ASSERT_TRUE(ReadSimulatorFamily("mediatek", options, &error));
  EXPECT_FALSE(CheckPortOptions(options, &error));
  EXPECT_NE(error.find("no simulated receiver"), std::string::npos) << error;

  ASSERT_TRUE(ReadSimulatorPort("COM3:", options, nullptr));
  EXPECT_TRUE(CheckPortOptions(options, nullptr));
  std::string family;
  ASSERT_TRUE(ApplyPortOptions(
      options,
      [&](unsigned, const PortOptions& asked) {
        family = asked.simulatorFamily;
        return std::string("/dev/pts/43");
      },
      nullptr));
  EXPECT_EQ(family, "mediatek");
  SetSimulatorFamilies({});
}

// --simulate-stationary reaches the simulator's start, and needs the receiver.
TEST_F(PortOptionsTest, TheStationaryReceiverNeedsTheReceiver) {
  PortOptions options;
  options.simulatorStationary = true;
  std::string error;
  EXPECT_FALSE(CheckPortOptions(options, &error));
  EXPECT_NE(error.find("--simulate-stationary: there is no simulated receiver"), std::string::npos) << error;
  ASSERT_TRUE(ReadSimulatorPort("", options, nullptr));
  EXPECT_TRUE(CheckPortOptions(options, nullptr));
  bool stationary = false;
  ASSERT_TRUE(ApplyPortOptions(
      options,
      [&](unsigned, const PortOptions& asked) {
        stationary = asked.simulatorStationary;
        return std::string("/dev/pts/44");
      },
      nullptr));
  EXPECT_TRUE(stationary);
}

}  // namespace
