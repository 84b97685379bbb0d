#include "session/active_driver.h"

#include <gtest/gtest.h>

#include <cstring>

#include "fake_active_drivers.h"

namespace {

// A REG_SZ value whose bytes are the characters without a terminator.
RegistryValue Unterminated(const std::wstring& text) {
  RegistryValue value{REG_SZ, std::vector<BYTE>(text.size() * sizeof(WCHAR))};
  std::memcpy(value.data.data(), text.data(), value.data.size());
  return value;
}

TEST(GetActiveDriverValueTest, FindsTheEntryByItsExactName) {
  FakeActiveDrivers table({
      Driver(L"01", L"COM1:", L"Drivers\\BuiltIn\\Serial"),
      Driver(L"02", L"COM2:", L"Drivers\\PCMCIA\\Card", L"GPS Card"),
  });
  EXPECT_EQ(GetActiveDriverValue(L"COM2:", L"Key"), L"Drivers\\PCMCIA\\Card");
  EXPECT_EQ(GetActiveDriverValue(L"COM2:", L"PnpId"), L"GPS Card");
  EXPECT_EQ(GetActiveDriverValue(L"COM1:", L"PnpId"), L"");
  EXPECT_EQ(GetActiveDriverValue(L"com2:", L"Key"), L"") << "names compare with letter case";
  EXPECT_EQ(GetActiveDriverValue(L"COM2", L"Key"), L"");
  EXPECT_EQ(GetActiveDriverValue(L"COM3:", L"Key"), L"");
  EXPECT_EQ(GetActiveDriverValue(L"COM1:", L"Missing"), L"");
}

TEST(GetActiveDriverValueTest, TheLastEntryWithTheNameDecides) {
  FakeActiveDrivers table({
      Driver(L"01", L"COM1:", L"First\\Serial"), Driver(L"02", L"COM1:", L"Second\\Serial"),
      FakeDriver{L"03", {{L"Name", StringValue(L"COM1:")}}},  // no Key: the earlier one stays
  });
  EXPECT_EQ(GetActiveDriverValue(L"COM1:", L"Key"), L"Second\\Serial");
}

TEST(GetActiveDriverValueTest, SkipsEntriesThatCannotBeReadAndStopsWhereEnumerationFails) {
  const std::wstring longName(259, L'k');
  FakeDriver unopenable = Driver(L"02", L"COM2:", L"Unopenable\\Serial");
  unopenable.opens = false;
  FakeActiveDrivers table({
      Driver(L"01", L"COM1:", L"One\\Serial"),
      unopenable,
      Driver(L"03", L"COM2:", L"Three\\Serial"),
      Driver(longName, L"COM4:", L"Long\\Serial"),
      // A sub-key name of 260 characters does not fit: the enumeration ends
      // there, and the entry after it is never seen.
      Driver(std::wstring(260, L'k'), L"COM5:", L"TooLong\\Serial"),
      Driver(L"06", L"COM6:", L"Unseen\\Serial"),
  });
  EXPECT_EQ(GetActiveDriverValue(L"COM2:", L"Key"), L"Three\\Serial");
  EXPECT_EQ(GetActiveDriverValue(L"COM4:", L"Key"), L"Long\\Serial");
  EXPECT_EQ(GetActiveDriverValue(L"COM5:", L"Key"), L"");
  EXPECT_EQ(GetActiveDriverValue(L"COM6:", L"Key"), L"");
}

TEST(GetActiveDriverValueTest, AValueMustBeAStringThatFits) {
  const std::wstring fits(129, L'p');
  const std::wstring tooLong(130, L'p');
  DWORD number = 7;
  RegistryValue dword{REG_DWORD, std::vector<BYTE>(sizeof number)};
  std::memcpy(dword.data.data(), &number, sizeof number);
  FakeActiveDrivers table({
      FakeDriver{L"01", {{L"Name", StringValue(L"COM1:")}, {L"PnpId", StringValue(fits)}}},
      FakeDriver{L"02", {{L"Name", StringValue(L"COM2:")}, {L"PnpId", StringValue(tooLong)}}},
      FakeDriver{L"03", {{L"Name", StringValue(L"COM3:")}, {L"Key", dword}}},
      FakeDriver{L"04", {{L"Name", dword}, {L"Key", StringValue(L"NotAName\\Serial")}}},
      // Stored without a terminator: the text ends where the bytes end.
      FakeDriver{L"05", {{L"Name", Unterminated(L"COM5:")}, {L"Key", Unterminated(L"Bare\\Serial")}}},
  });
  EXPECT_EQ(GetActiveDriverValue(L"COM1:", L"PnpId"), fits);
  EXPECT_EQ(GetActiveDriverValue(L"COM2:", L"PnpId"), L"");
  EXPECT_EQ(GetActiveDriverValue(L"COM3:", L"Key"), L"");
  EXPECT_EQ(GetActiveDriverValue(L"COM5:", L"Key"), L"Bare\\Serial");
}

TEST(GetActiveDriverValueTest, NoTableGivesEmptyText) {
  CoreSetRegistryHive(HKEY_LOCAL_MACHINE, nullptr);
  EXPECT_EQ(GetActiveDriverValue(L"COM1:", L"Key"), L"");
  CoreSetRegistryHive(HKEY_LOCAL_MACHINE, std::make_shared<ActiveDriversHive>());
}

}  // namespace
