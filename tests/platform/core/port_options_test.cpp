#include "platform/core/com_device_table.h"
#include "platform/core/port_options.h"

#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <fstream>

#include <string>
#include <vector>

#include "tests/platform/core/open_watch.h"

namespace {

class PortOptions : public ::testing::Test {
 protected:
  void SetUp() override {
    ComDeviceTable::Sources sources;
    sources.sysfsRoot = "/nonexistent";
    table = std::make_unique<ComDeviceTable>(sources);
    ComDeviceTable::SetActive(table.get());
  }
  void TearDown() override { ComDeviceTable::SetActive(nullptr); }

  bool Parse(std::vector<std::string> args, std::string* error = nullptr) {
    storage = std::move(args);
    argv.clear();
    for (std::string& arg : storage) argv.push_back(arg.data());
    argv.push_back(nullptr);
    argc = static_cast<int>(storage.size());
    return ParsePortOptions(argc, argv.data(), starter, error);
  }
  std::vector<std::string> Remaining() const { return {argv.begin(), argv.begin() + argc}; }

  std::unique_ptr<ComDeviceTable> table;
  std::vector<std::string> storage;
  std::vector<char*> argv;
  int argc = 0;
  std::vector<unsigned> started;
  SimulatorStarter starter = [this](unsigned number) {
    started.push_back(number);
    return "/dev/pts/" + std::to_string(40 + number);
  };
};

TEST_F(PortOptions, PinsPortsStartsTheSimulatorAndLeavesOtherArguments) {
  ASSERT_TRUE(Parse(
      {"Zelmora", "--port", "COM4:=/dev/ttyUSB0", "-style", "fusion", "--port=com5=/dev/rfcomm0", "--simulate=COM2:"}));
  EXPECT_EQ(Remaining(), (std::vector<std::string>{"Zelmora", "-style", "fusion"}));
  EXPECT_EQ(argv[static_cast<std::size_t>(argc)], nullptr);
  EXPECT_EQ(table->PathOf(L"COM4:"), "/dev/ttyUSB0");
  EXPECT_EQ(table->PathOf(L"COM5:"), "/dev/rfcomm0");
  EXPECT_EQ(started, std::vector<unsigned>{2});
  EXPECT_EQ(table->PathOf(L"COM2:"), "/dev/pts/42");

  ASSERT_TRUE(Parse({"Zelmora", "--simulate"}));
  EXPECT_EQ(started, (std::vector<unsigned>{2, 1}));
  EXPECT_EQ(table->PathOf(L"COM1:"), "/dev/pts/41");
}

TEST_F(PortOptions, MalformedOptionsAreRefusedWithAMessage) {
  for (std::vector<std::string> args : std::vector<std::vector<std::string>>{{"Zelmora", "--port"},
                                                                             {"Zelmora", "--port", "COM4:"},
                                                                             {"Zelmora", "--port", "COM0:=/dev/ttyS0"},
                                                                             {"Zelmora", "--port=LPT1:=/dev/lp0"},
                                                                             {"Zelmora", "--port", "COM4:="},
                                                                             {"Zelmora", "--simulate=COM:"}}) {
    std::string error;
    EXPECT_FALSE(Parse(args, &error)) << args.back();
    EXPECT_FALSE(error.empty());
  }
  EXPECT_TRUE(started.empty());

  // A --port at something that is no serial device is refused before the
  // program starts, without opening it.
  std::string pattern = (std::filesystem::temp_directory_path() / "zelmora-port-XXXXXX").string();
  ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
  const std::string file = pattern + "/passwd";
  std::ofstream(file) << "root:x:0:0\n";
  {
    OpenWatch watch(pattern);
    for (const std::string& path : {file, std::string("/dev/ptmx")}) {
      std::string error;
      EXPECT_FALSE(Parse({"Zelmora", "--port", "COM1:=" + path}, &error)) << path;
      EXPECT_NE(error.find(path), std::string::npos) << error;
      EXPECT_EQ(table->PathOf(L"COM1:"), "") << path;
    }
    EXPECT_EQ(watch.Opened(), "");
  }
  std::filesystem::remove_all(pattern);

  std::string error;
  starter = [](unsigned) { return std::string(); };
  EXPECT_FALSE(Parse({"Zelmora", "--simulate"}, &error));
  EXPECT_NE(error.find("did not start"), std::string::npos);
  starter = nullptr;
  EXPECT_FALSE(Parse({"Zelmora", "--simulate"}, &error));
}

}  // namespace
