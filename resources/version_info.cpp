#include "resources/version_info.h"

#include <cstdio>
#include <iterator>

#include "resources/maker_notice.h"
#include "resources/resource_writer.h"

namespace {

constexpr DWORD kFixedInfoSignature = 0xFEEF04BD;
constexpr DWORD kFixedInfoVersion = 0x00010000;
constexpr DWORD kFileFlagsMask = 0x3F;
constexpr DWORD kFileOsWindows32 = 0x4;
constexpr DWORD kFileTypeApp = 0x1;
constexpr WORD kBinaryBlock = 0;
constexpr WORD kTextBlock = 1;
constexpr WORD kFixedInfoSize = 52;

// Opens a block: length (patched when it closes), value length, type, key.
std::size_t BeginBlock(ResourceWriter& out, const std::wstring& key, WORD valueLength, WORD type) {
  out.AlignTo4();
  const std::size_t start = out.Size();
  out.Word(0);
  out.Word(valueLength);
  out.Word(type);
  out.Text(key);
  out.AlignTo4();
  return start;
}

void EndBlock(ResourceWriter& out, std::size_t start) { out.PatchWord(start, static_cast<WORD>(out.Size() - start)); }

DWORD High(const std::array<WORD, 4>& v) { return (static_cast<DWORD>(v[0]) << 16) | v[1]; }
DWORD Low(const std::array<WORD, 4>& v) { return (static_cast<DWORD>(v[2]) << 16) | v[3]; }

std::wstring VersionText(const std::array<WORD, 4>& v) {
  return std::to_wstring(v[0]) + L", " + std::to_wstring(v[1]) + L", " + std::to_wstring(v[2]) + L", " +
         std::to_wstring(v[3]);
}

}  // namespace

const VersionRecord& ProgramVersion() {
  static const VersionRecord record = [] {
    VersionRecord r{{3, 0, 7, 621}, {3, 0, 7, 621}, 0x0404, 950, {}};
    r.strings = {
        {L"Comments", std::wstring(kNoticeClosing) + L" " + kMakerWebAddress},
        {L"CompanyName", kMakerName},
        {L"FileDescription", L"Tavrin Zelmora 3.0"},
        {L"FileVersion", VersionText(r.fileVersion)},
        {L"InternalName", L"Zelmora.exe"},
        {L"LegalCopyright", std::wstring(kNoticeOpening) + L" " + kNoticeLine},
        {L"OriginalFilename", L"Zelmora.exe"},
        {L"ProductName", L"Tavrin  Zelmora 3.0"},
        {L"ProductVersion", VersionText(r.productVersion)},
    };
    return r;
  }();
  return record;
}

std::vector<BYTE> BuildVersionInfo(const VersionRecord& record) {
  ResourceWriter out;
  const std::size_t root = BeginBlock(out, L"VS_VERSION_INFO", kFixedInfoSize, kBinaryBlock);
  out.Dword(kFixedInfoSignature);
  out.Dword(kFixedInfoVersion);
  out.Dword(High(record.fileVersion));
  out.Dword(Low(record.fileVersion));
  out.Dword(High(record.productVersion));
  out.Dword(Low(record.productVersion));
  out.Dword(kFileFlagsMask);
  out.Dword(0);  // flags: a release build
  out.Dword(kFileOsWindows32);
  out.Dword(kFileTypeApp);
  out.Dword(0);  // subtype
  out.Dword(0);  // date, high
  out.Dword(0);  // date, low

  const std::size_t stringInfo = BeginBlock(out, L"StringFileInfo", 0, kTextBlock);
  wchar_t tableKey[9];
  std::swprintf(tableKey, std::size(tableKey), L"%04X%04X", record.language, record.codePage);
  const std::size_t table = BeginBlock(out, tableKey, 0, kTextBlock);
  for (const auto& [key, value] : record.strings) {
    const auto units = static_cast<WORD>(ResourceWriter::ToUtf16(value).size() + 1);
    const std::size_t entry = BeginBlock(out, key, units, kTextBlock);
    out.Text(value);
    EndBlock(out, entry);
  }
  EndBlock(out, table);
  EndBlock(out, stringInfo);

  const std::size_t varInfo = BeginBlock(out, L"VarFileInfo", 0, kTextBlock);
  const std::size_t translation = BeginBlock(out, L"Translation", 4, kBinaryBlock);
  out.Word(record.language);
  out.Word(record.codePage);
  EndBlock(out, translation);
  EndBlock(out, varInfo);
  EndBlock(out, root);
  return out.Take();
}
