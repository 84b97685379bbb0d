#include "session/port_list.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "fake_active_drivers.h"
#include "fake_combo_box.h"

namespace {

TEST(PortListTest, DeviceNameIsTheTextUpToTheFirstColon) {
  const std::pair<std::wstring, std::wstring> cases[] = {
      {L"COM3: u-blox 7 - GPS/GNSS Receiver", L"COM3:"},
      {L"COM1:", L"COM1:"},
      {L"COM1: a:b", L"COM1:"},
      {L":", L":"},
      {L"COM1", L""},
      {L"", L""},
  };
  for (const auto& [text, name] : cases) EXPECT_EQ(DeviceNameOf(text), name) << std::string(text.begin(), text.end());
}

TEST(PortListTest, LabelsNameTheDriver) {
  FakeActiveDrivers table({
      Driver(L"01", L"COM1:", L"Drivers\\BuiltIn\\Serial"),
      Driver(L"02", L"COM2:", L"Drivers\\PCMCIA\\Card", L"Navi GPS Card  "),
      Driver(L"03", L"COM3:", L"Serial_Plain"),
      Driver(L"04", L"COM4:", L"Drivers\\Trailing\\"),
      FakeDriver{L"05", {{L"Name", StringValue(L"COM5:")}, {L"PnpId", StringValue(L"\tCard\t")}}},
  });
  const std::pair<std::wstring, std::wstring> cases[] = {
      {L"COM1:", L"COM1: Serial"},         // last component of Key
      {L"COM2:", L"COM2: Navi GPS Card"},  // PnpId wins, trimmed
      {L"COM3:", L"COM3: Serial_Plain"},   // Key without a backslash
      {L"COM4:", L"COM4:"},                // nothing after the last backslash
      {L"COM5:", L"COM5: \tCard"},         // only the ends are trimmed
      {L"COM6:", L"COM6:"},                // no driver entry: the bare name
  };
  for (const auto& [name, label] : cases) EXPECT_EQ(PortLabel(name), label) << std::string(name.begin(), name.end());
}

TEST(PortListTest, FillListsNinePortsAndSelectsTheSavedOne) {
  FakeActiveDrivers table({Driver(L"03", L"COM3:", L"Drivers\\USB\\Serial\\cdc_acm", L"u-blox 7 - GPS/GNSS Receiver")});
  const std::pair<std::wstring, int> cases[] = {
      {L"COM3:", 2}, {L"COM3: anything", 2}, {L"COM9:", 8}, {L"", -1}, {L"COM10:", -1}, {L"com3:", -1},
  };
  for (const auto& [saved, selected] : cases) {
    FakeComboBox list;
    FillPortList(list, saved);
    ASSERT_EQ(list.entries.size(), 9u);
    EXPECT_EQ(list.entries[0], L"COM1:");
    EXPECT_EQ(list.entries[2], L"COM3: u-blox 7 - GPS/GNSS Receiver");
    EXPECT_EQ(list.entries[8], L"COM9:");
    EXPECT_EQ(list.GetCurSel(), selected) << std::string(saved.begin(), saved.end());
  }
}

struct RefreshCase {
  const char* what;
  std::vector<std::wstring> before;
  int selected;
  std::vector<std::wstring> after;
  int selectedAfter;
};

TEST(PortListTest, RefreshReplacesChangedLabelsInPlaceAndKeepsTheSelection) {
  FakeActiveDrivers table({
      Driver(L"02", L"COM2:", L"Drivers\\BuiltIn\\Serial"),
      Driver(L"04", L"COM4:", L"Drivers\\USB\\Serial\\cdc_acm", L"GPS Mouse"),
  });
  const std::vector<std::wstring> now = {L"COM1:", L"COM2: Serial", L"COM3:", L"COM4: GPS Mouse", L"COM5:", L"COM6:",
                                         L"COM7:", L"COM8:",        L"COM9:"};
  std::vector<std::wstring> cardGone = now;
  cardGone[3] = L"COM4: Old Card";
  std::vector<std::wstring> caseOnly = now;
  caseOnly[3] = L"com4: gps MOUSE";
  std::vector<std::wstring> twoChanged = now;
  twoChanged[1] = L"COM2:";
  twoChanged[6] = L"COM7: Gone";
  const RefreshCase cases[] = {
      {"the selected entry changes", cardGone, 3, now, 3}, {"another entry changes", cardGone, 1, now, 1},
      {"no selection", twoChanged, -1, now, -1},           {"two entries change", twoChanged, 6, now, 6},
      {"letter case only", caseOnly, 3, caseOnly, 3},      {"nothing changes", now, 0, now, 0},
  };
  for (const RefreshCase& c : cases) {
    FakeComboBox list;
    list.entries = c.before;
    list.selection = c.selected;
    RefreshPortList(list);
    EXPECT_EQ(list.entries, c.after) << c.what;
    EXPECT_EQ(list.GetCurSel(), c.selectedAfter) << c.what;
  }
}

}  // namespace
