#include "session/decoding_mode.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

// The saved setting decides until --gps-only is taken from a command line;
// then every session of the run decodes $GP only. The other arguments stay.
TEST(DecodingModeTest, TheCommandLineOptionOverridesTheSetting) {
  EXPECT_EQ(GpsOnlyDecoding(0), 0);
  EXPECT_EQ(GpsOnlyDecoding(1), 1);

  std::vector<std::string> words{"Zelmora", "--screen", "480x640", "--simulate"};
  std::vector<char*> argv;
  for (std::string& word : words) argv.push_back(word.data());
  argv.push_back(nullptr);
  int argc = 4;
  TakeGpsOnlyOption(argc, argv.data());
  EXPECT_EQ(argc, 4);
  EXPECT_EQ(GpsOnlyDecoding(0), 0);

  std::string option = "--gps-only";
  argv = {words[0].data(), words[1].data(), option.data(), words[2].data(), nullptr};
  argc = 4;
  TakeGpsOnlyOption(argc, argv.data());
  ASSERT_EQ(argc, 3);
  EXPECT_EQ(std::string(argv[1]), "--screen");
  EXPECT_EQ(std::string(argv[2]), "480x640");
  EXPECT_EQ(argv[3], nullptr);
  EXPECT_EQ(GpsOnlyDecoding(0), 1);
}

}  // namespace
