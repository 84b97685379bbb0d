#include "acquisition/field_array.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

std::vector<std::wstring> Split(const std::wstring& text, wchar_t separator, CFieldArray& fields) {
  SplitFields(text, separator, fields);
  std::vector<std::wstring> out;
  for (std::size_t i = 0; i < fields.GetSize(); ++i) {
    out.push_back(fields[i]);
  }
  return out;
}

TEST(SplitFieldsTest, KeepsEmptyFieldsAndTheChecksumSuffix) {
  CFieldArray fields;
  using V = std::vector<std::wstring>;
  EXPECT_EQ(Split(L"", L',', fields), V{L""});
  EXPECT_EQ(Split(L",", L',', fields), (V{L"", L""}));
  EXPECT_EQ(Split(L"$GPRMC,,A,*1C", L',', fields), (V{L"$GPRMC", L"", L"A", L"*1C"}));
  EXPECT_EQ(Split(L"N\nNE\nE", L'\n', fields), (V{L"N", L"NE", L"E"}));
  EXPECT_EQ(Split(L"no separator", L',', fields), V{L"no separator"});
}

// Splitting line after line must reuse the strings of the earlier lines.
TEST(SplitFieldsTest, ReusesTheStorageOfEarlierFields) {
  CFieldArray fields;
  SplitFields(L"$GPGSV,3,1,12,01,06,157,10,03,62,104,21,05,20,208,26,07,56,057,25*74", L',', fields);
  SplitFields(L"$GPGGA_longer_than_any_small_string,2411.1630_also_long", L',', fields);
  const wchar_t* head = fields[0].data();
  const wchar_t* second = fields[1].data();
  SplitFields(L"$GPRMC,013348", L',', fields);
  ASSERT_EQ(fields.GetSize(), 2u);
  EXPECT_EQ(fields[0], L"$GPRMC");
  EXPECT_EQ(fields[0].data(), head);
  EXPECT_EQ(fields[1].data(), second);
}

}  // namespace
