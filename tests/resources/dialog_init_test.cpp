#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "resources/resource_ids.h"
#include "tests/resources/byte_reader.h"
#include "tests/resources/resource_bytes.h"

namespace {

struct Record {
  std::uint16_t control;
  std::uint16_t message;
  std::string text;
  bool operator==(const Record&) const = default;
};

// Records {control, message, length with the zero, text and zero} up to
// the closing zero word, which must be the last two bytes.
std::vector<Record> ParseDialogInit(std::span<const BYTE> bytes) {
  CheckedReader in(bytes);
  std::vector<Record> records;
  for (std::uint16_t control = in.U16(); control != 0; control = in.U16()) {
    Record r{control, in.U16(), {}};
    const std::uint32_t length = in.U32();
    r.text = in.Bytes(length);
    EXPECT_EQ(r.text.back(), '\0') << "record without its terminating zero";
    r.text.pop_back();
    records.push_back(r);
  }
  EXPECT_EQ(in.Pos(), in.Size());
  return records;
}

TEST(DialogInit, EachSetupTemplateAddsTheNineSpeedsToTheBaudCombo) {
  std::vector<Record> expected;
  for (const char* speed : {"1200", "2400", "4800", "9600", "14400", "19200", "38400", "57600", "115200"}) {
    expected.push_back({1009, 0x0403, speed});
  }
  for (UINT id : {IDD_SETUP_PORTRAIT, IDD_SETUP_LANDSCAPE, IDD_SETUP_SQUARE}) {
    SCOPED_TRACE("dialog-initialisation " + std::to_string(id));
    const std::span<const BYTE> bytes = ProgramResource(MAKEINTRESOURCEW(id), RT_DLGINIT);
    ASSERT_FALSE(bytes.empty());
    EXPECT_EQ(ParseDialogInit(bytes), expected);
  }
}

TEST(DialogInit, OnlyTheSetupTemplatesHaveOne) {
  for (UINT id : {IDD_ABOUT_LANDSCAPE, IDD_ABOUT_SQUARE, IDD_ABOUT_PORTRAIT, IDD_GPSINFO_LANDSCAPE, IDD_GPSINFO_SQUARE,
                  IDD_GPSINFO_PORTRAIT}) {
    EXPECT_EQ(FindResourceW(nullptr, MAKEINTRESOURCEW(id), RT_DLGINIT), nullptr) << id;
  }
}

}  // namespace
