#include <gtest/gtest.h>

#include <map>
#include <string>

#include "resources/resource_ids.h"
#include "tests/resources/byte_reader.h"
#include "tests/resources/resource_bytes.h"

namespace {

struct Block {
  std::size_t start, end;  // end: start + length
  std::uint16_t valueLength, type;
  std::wstring key;
  std::size_t value;  // where the value or the first child starts
};

Block ReadBlock(CheckedReader& in) {
  in.Align4();
  Block b;
  b.start = in.Pos();
  b.end = b.start + in.U16();
  b.valueLength = in.U16();
  b.type = in.U16();
  b.key = in.Text();
  in.Align4();
  b.value = in.Pos();
  return b;
}

struct Version {
  std::uint32_t signature = 0, fileMs = 0, fileLs = 0, productMs = 0, productLs = 0;
  std::wstring tableKey;
  std::map<std::wstring, std::wstring> strings;
  std::uint16_t language = 0, codePage = 0;
};

Version ParseVersion(std::span<const BYTE> bytes) {
  CheckedReader in(bytes);
  Version v;
  const Block root = ReadBlock(in);
  EXPECT_EQ(root.key, L"VS_VERSION_INFO");
  EXPECT_EQ(root.valueLength, 52);
  EXPECT_EQ(root.end, bytes.size());
  v.signature = in.U32();
  in.U32();
  v.fileMs = in.U32();
  v.fileLs = in.U32();
  v.productMs = in.U32();
  v.productLs = in.U32();
  in.Seek(root.value + root.valueLength);
  while (in.Align4(), in.Pos() < root.end) {
    const Block child = ReadBlock(in);
    EXPECT_LE(child.end, root.end);
    if (child.key == L"StringFileInfo") {
      const Block table = ReadBlock(in);
      EXPECT_LE(table.end, child.end);
      v.tableKey = table.key;
      while (in.Align4(), in.Pos() < table.end) {
        const Block entry = ReadBlock(in);
        EXPECT_LE(entry.end, table.end);
        const std::wstring value = in.Text();
        EXPECT_EQ(entry.valueLength, value.size() + 1) << "the length of " << entry.key << " in characters";
        v.strings[entry.key] = value;
        in.Seek(entry.end);
      }
    } else if (child.key == L"VarFileInfo") {
      const Block translation = ReadBlock(in);
      EXPECT_EQ(translation.key, L"Translation");
      EXPECT_EQ(translation.valueLength, 4);
      v.language = in.U16();
      v.codePage = in.U16();
    }
    in.Seek(child.end);
  }
  return v;
}

TEST(VersionRecord, CarriesTheProgramsVersionAndNames) {
  const std::span<const BYTE> bytes = ProgramResource(MAKEINTRESOURCEW(VS_VERSION_INFO), RT_VERSION);
  ASSERT_FALSE(bytes.empty());
  const Version v = ParseVersion(bytes);
  EXPECT_EQ(v.signature, 0xFEEF04BDu);
  EXPECT_EQ(v.fileMs, 0x00030000u);
  EXPECT_EQ(v.fileLs, 0x0007026Du);
  EXPECT_EQ(v.productMs, 0x00030000u);
  EXPECT_EQ(v.productLs, 0x0007026Du);
  EXPECT_EQ(v.tableKey, L"040403B6");
  EXPECT_EQ(v.language, 0x0404);
  EXPECT_EQ(v.codePage, 950);
  const std::map<std::wstring, std::wstring> fixed = {
      {L"FileDescription", L"Tavrin Zelmora 3.0"}, {L"ProductName", L"Tavrin  Zelmora 3.0"},
      {L"InternalName", L"Zelmora.exe"},           {L"OriginalFilename", L"Zelmora.exe"},
      {L"FileVersion", L"3, 0, 7, 621"},           {L"ProductVersion", L"3, 0, 7, 621"},
  };
  for (const auto& [key, value] : fixed) {
    ASSERT_TRUE(v.strings.count(key)) << "no " << key;
    EXPECT_EQ(v.strings.at(key), value);
  }
  // The maker's lines: who made it, the legal notice, and where to find it.
  for (const auto& [key, part] :
       {std::pair{L"CompanyName", L"Tavrin"}, {L"LegalCopyright", L"Tavrin"}, {L"Comments", L"tavrin.example"}}) {
    ASSERT_TRUE(v.strings.count(key)) << "no " << key;
    EXPECT_NE(v.strings.at(key).find(part), std::wstring::npos) << key;
  }
}

}  // namespace
