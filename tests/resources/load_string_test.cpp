#include <gtest/gtest.h>

#include <string>
#include <string_view>
#include <thread>
#include <vector>

#include "platform/core/resources.h"
#include "resources/string_table.h"
#include "tests/support/canned_epoch.h"
#include "tests/resources/byte_reader.h"

namespace {

std::wstring Load(UINT id, HINSTANCE instance = nullptr) {
  wchar_t buffer[128];
  const int length = LoadStringW(instance, id, buffer, 128);
  EXPECT_EQ(static_cast<std::size_t>(length), std::wcslen(buffer));
  return buffer;
}

TEST(LoadString, EveryProgramStringComesBackExactly) {
  // The demo sentences as the string table holds them: no line end, wide.
  const auto canned = [](int index) {
    const std::string_view sentence = CannedSentence(index);
    return std::wstring(sentence.begin(), sentence.end());
  };
  const struct {
    UINT id;
    std::wstring text;
  } expected[] = {
      {128, L"Zelmora 3.0"},
      {129, L"Start GPS"},
      {130, L"Stop GPS"},
      {131, L"NWSE"},
      {132, L"%d\u00B0%d'%d\u0022"},
      {133, L"%.1f km/h"},
      {134, L"%d\u00B0"},
      {135, L"N\u000ANE\u000AE\u000ASE\u000AS\u000ASW\u000AW\u000ANW"},
      {151, canned(0)},
      {152, canned(1)},
      {153, canned(2)},
      {154, canned(3)},
      {155, canned(4)},
      {156, canned(5)},
      {5010, L"Can not open port."},
      {5011, L"GPS not found."},
      {5012, L"Do you want to try again?"},
  };
  for (const auto& e : expected) {
    EXPECT_EQ(Load(e.id), e.text) << "string " << e.id;
    EXPECT_EQ(Load(e.id, GetModuleHandleW(nullptr)), e.text) << "string " << e.id;
  }
  // The string blocks and the table they are made from agree entry by entry.
  for (std::size_t i = 0; i < kStringTableSize; ++i) EXPECT_EQ(Load(kStringTable[i].id), kStringTable[i].text);
}

TEST(LoadString, ASmallBufferGetsATerminatedPrefix) {
  wchar_t buffer[6] = {L'x', L'x', L'x', L'x', L'x', L'x'};
  EXPECT_EQ(LoadStringW(nullptr, 5011, buffer, 6), 5);
  EXPECT_EQ(std::wstring(buffer), L"GPS n");
  EXPECT_EQ(LoadStringW(nullptr, 5011, buffer, 1), 0);
  EXPECT_EQ(buffer[0], L'\0');
}

TEST(LoadString, ZeroBufferSizeHandsOutAReadOnlyPointer) {
  LPCWSTR text = nullptr;
  EXPECT_EQ(LoadStringW(nullptr, 134, reinterpret_cast<LPWSTR>(&text), 0), 3);
  ASSERT_NE(text, nullptr);
  EXPECT_EQ(std::wstring(text, 3), L"%d\u00B0");
  LPCWSTR again = nullptr;
  LoadStringW(nullptr, 134, reinterpret_cast<LPWSTR>(&again), 0);
  EXPECT_EQ(again, text) << "the pointer is to the module's one copy";
}

TEST(LoadString, MissingStringsGiveZeroAndAnEmptyBuffer) {
  // 136 shares block 9 with 128-135, 150 block 10 with 151-156, 5009 block
  // 314 with 5010-5023; 1000 and 65535 have no block at all.
  for (UINT id : {0u, 127u, 136u, 143u, 150u, 157u, 1000u, 5009u, 65535u}) {
    wchar_t buffer[8] = {L'x', 0};
    EXPECT_EQ(LoadStringW(nullptr, id, buffer, 8), 0) << id;
    EXPECT_EQ(buffer[0], L'\0') << id;
    LPCWSTR text = L"stale";
    EXPECT_EQ(LoadStringW(nullptr, id, reinterpret_cast<LPWSTR>(&text), 0), 0) << id;
    EXPECT_EQ(text, nullptr) << id;
  }
  EXPECT_EQ(LoadStringW(nullptr, 128, nullptr, 8), 0);
}

TEST(LoadString, BlocksHoldSixteenLengthPrefixedStrings) {
  const HRSRC found = FindResourceW(nullptr, MAKEINTRESOURCEW(128 / 16 + 1), RT_STRING);
  ASSERT_NE(found, nullptr);
  CheckedReader in(LoadResource(nullptr, found), SizeofResource(nullptr, found));
  std::vector<std::wstring> strings;
  for (int i = 0; i < 16; ++i) {
    const std::uint16_t length = in.U16();
    std::wstring text;
    for (std::uint16_t k = 0; k < length; ++k) text.push_back(static_cast<wchar_t>(in.U16()));
    strings.push_back(text);
  }
  EXPECT_EQ(in.Pos(), in.Size());
  EXPECT_EQ(strings[0], L"Zelmora 3.0");
  EXPECT_EQ(strings[7], L"N\nNE\nE\nSE\nS\nSW\nW\nNW");
  for (int i = 8; i < 16; ++i) EXPECT_TRUE(strings[i].empty()) << i;
}

// A module of its own: a block cut short, and a character beyond 16 bits
// stored as a surrogate pair.
TEST(LoadString, DecodesSurrogatePairsAndStopsAtACutBlock) {
  const BYTE block[] = {
      2, 0, 0x3D, 0xD8, 0x01, 0xDE,  // id 16: U+1F601
      0, 0,                          // id 17: empty
      1, 0, 'A',  0,                 // id 18: "A"
      5, 0, 'B',  0,                 // id 19: claims five units, has one
  };
  const ResourceEntry entries[] = {{RT_STRING, MAKEINTRESOURCEW(2), 1028, block}};
  const ResourceModule module(entries);
  EXPECT_EQ(Load(16, module.Handle()), std::wstring(1, static_cast<wchar_t>(0x1F601)));
  EXPECT_EQ(Load(17, module.Handle()), L"");
  EXPECT_EQ(Load(18, module.Handle()), L"A");
  EXPECT_EQ(Load(19, module.Handle()), L"");
  EXPECT_EQ(Load(128, module.Handle()), L"") << "the program's strings are not in this module";
}

TEST(LoadString, FirstUseFromSeveralThreadsAtOnce) {
  const BYTE block[] = {3, 0, 'o', 0, 'n', 0, 'e', 0};
  const ResourceEntry entries[] = {{RT_STRING, MAKEINTRESOURCEW(1), 1028, block}};
  const ResourceModule module(entries);
  std::vector<std::thread> threads;
  std::vector<std::wstring> results(4);
  for (std::size_t i = 0; i < results.size(); ++i) {
    threads.emplace_back([&, i] { results[i] = Load(0, module.Handle()); });
  }
  for (std::thread& t : threads) t.join();
  for (const std::wstring& r : results) EXPECT_EQ(r, L"one");
}

}  // namespace
