// The Setup page's list of serial ports: always nine entries, entry n for the
// device name "COM<n+1>:", each labelled with the driver that stands behind
// the port. An entry carries its text only; every user of the list gets the
// device name back from that text.
//
// The list operations are written over the combo box's own calls
// (AddString, SetCurSel, GetCurSel, FindStringExact, DeleteString,
// InsertString), so the page passes its CComboBox and tests a stand-in.
#pragma once

#include <string>
#include <vector>

#include "platform/core/win_types.h"

constexpr int kPortCount = 9;

// "COM%d:" with n + 1.
std::wstring PortDeviceName(int n);

// The device name at the start of an entry's (or a setting's) text: up to
// and including its first ":"; empty when there is no ":".
std::wstring DeviceNameOf(const std::wstring& text);

// The label of a device name's entry: the device name, one space and the
// driver description (the active driver's PnpId when it is not empty, else
// the last component of its Key), with white space removed at both ends.
std::wstring PortLabel(const std::wstring& deviceName);

// Whether the device name stands for a network source (tcp://, udp://,
// gpsd://): its active driver's Key lies under Drivers\Network. The speed
// does not apply to such a port.
bool IsNetworkPort(const std::wstring& deviceName);

// The labels of the nine entries, in order, from one pass over the table of
// active drivers.
std::vector<std::wstring> PortLabels();

// The description part of a label: `pnpId` when it is not empty, otherwise
// what follows the last backslash of `key` (all of it without a backslash).
std::wstring DriverDescription(const std::wstring& key, const std::wstring& pnpId);

// Fills the empty list with the nine labels in order and selects the entry
// whose device name `savedPort` begins with.
template <class ComboBox>
void FillPortList(ComboBox& list, const std::wstring& savedPort) {
  const std::vector<std::wstring> labels = PortLabels();
  for (int n = 0; n < kPortCount; ++n) {
    const std::wstring name = PortDeviceName(n);
    list.AddString(labels[static_cast<std::size_t>(n)].c_str());
    if (savedPort.starts_with(name)) list.SetCurSel(n);
  }
}

// Replaces every entry whose label changed, in place. An entry is replaced
// only when no entry of the list equals its new label (whole text, without
// regard to letter case), and the selected index stays selected.
template <class ComboBox>
void RefreshPortList(ComboBox& list) {
  const std::vector<std::wstring> labels = PortLabels();
  for (int n = 0; n < kPortCount; ++n) {
    const std::wstring& label = labels[static_cast<std::size_t>(n)];
    if (list.FindStringExact(-1, label.c_str()) >= 0) continue;
    const int selection = list.GetCurSel();
    list.DeleteString(static_cast<UINT>(n));
    list.InsertString(n, label.c_str());
    list.SetCurSel(selection);
  }
}
