#include "resources/dialog_init.h"

#include <cstring>

#include "resources/resource_ids.h"
#include "resources/resource_writer.h"

namespace {

constexpr DialogInitRecord kBaudRates[] = {
    {IDC_SETUP_BAUD, kDialogInitAddString, "1200"},   {IDC_SETUP_BAUD, kDialogInitAddString, "2400"},
    {IDC_SETUP_BAUD, kDialogInitAddString, "4800"},   {IDC_SETUP_BAUD, kDialogInitAddString, "9600"},
    {IDC_SETUP_BAUD, kDialogInitAddString, "14400"},  {IDC_SETUP_BAUD, kDialogInitAddString, "19200"},
    {IDC_SETUP_BAUD, kDialogInitAddString, "38400"},  {IDC_SETUP_BAUD, kDialogInitAddString, "57600"},
    {IDC_SETUP_BAUD, kDialogInitAddString, "115200"},
};

}  // namespace

std::span<const DialogInitRecord> SetupDialogInit() { return kBaudRates; }

std::vector<BYTE> BuildDialogInit(std::span<const DialogInitRecord> records) {
  ResourceWriter out;
  for (const DialogInitRecord& record : records) {
    const std::size_t length = std::strlen(record.text) + 1;
    out.Word(record.controlId);
    out.Word(record.message);
    out.Dword(static_cast<DWORD>(length));
    out.Bytes(record.text, length);
  }
  out.Word(0);
  return out.Take();
}
