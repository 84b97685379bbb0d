// The program's resource catalogue: every resource serialised from the
// tables of this folder or taken from its picture files, language 1028.
#include <deque>
#include <optional>
#include <utility>
#include <vector>

#include "resources/resource_catalogue.h"

#include "platform/core/resources.h"
#include "resources/dialog_init.h"
#include "resources/dialog_templates.h"
#include "resources/embedded_files.h"
#include "resources/picture_files.h"
#include "resources/resource_ids.h"
#include "resources/string_blocks.h"
#include "resources/version_info.h"

namespace {

// The high-resolution marker's data: the 16-bit value 1.
constexpr BYTE kHiResAware[] = {1, 0};
constexpr WORD kFirstIconImageId = 1;

class Catalogue {
 public:
  Catalogue() {
    for (const DialogPage& page : DialogPages()) AddDialogs(page);
    AddDialogs(TtffDialogPage());
    AddDialogs(AccuracyDialogPage());
    for (UINT id : {IDD_SETUP_PORTRAIT, IDD_SETUP_LANDSCAPE, IDD_SETUP_SQUARE}) {
      AddOwned(RT_DLGINIT, id, BuildDialogInit(SetupDialogInit()));
    }
    for (StringBlock& block : BuildStringBlocks({kStringTable, kStringTableSize})) {
      AddOwned(RT_STRING, block.blockId, std::move(block.data));
    }
    AddBitmap(IDB_LOGO, kLogoBmpFile);
    AddBitmap(IDB_SKY_PORTRAIT, kSkyPortraitBmpFile);
    AddBitmap(IDB_SKY_LANDSCAPE, kSkyLandscapeBmpFile);
    AddBitmap(IDB_SKY_SQUARE, kSkySquareBmpFile);
    if (std::optional<IconResources> icon = IconResourcesOfIcoFile(kZelmoraIcoFile, kFirstIconImageId)) {
      for (std::size_t i = 0; i < icon->images.size(); ++i) {
        Add(RT_ICON, MAKEINTRESOURCEW(kFirstIconImageId + i), icon->images[i]);
      }
      AddOwned(RT_GROUP_ICON, IDI_ZELMORA, std::move(icon->group));
    }
    Add(L"CEUX", L"HI_RES_AWARE", kHiResAware);
    AddOwned(RT_VERSION, VS_VERSION_INFO, BuildVersionInfo(ProgramVersion()));
  }

  std::span<const ResourceEntry> Entries() const { return m_entries; }

 private:
  void Add(LPCWSTR type, LPCWSTR name, std::span<const BYTE> data) {
    m_entries.push_back({type, name, kResourceLanguage, data});
  }
  void AddOwned(LPCWSTR type, UINT id, std::vector<BYTE> data) {
    Add(type, MAKEINTRESOURCEW(id), m_owned.emplace_back(std::move(data)));
  }
  void AddDialogs(const DialogPage& page) {
    for (std::size_t layout = 0; layout < kDialogLayoutCount; ++layout) {
      AddOwned(RT_DIALOG, page.templateIds[layout], BuildDialogTemplate(page, static_cast<DialogLayout>(layout)));
    }
  }
  void AddBitmap(UINT id, std::span<const BYTE> file) {
    const std::span<const BYTE> dib = DibOfBmpFile(file);
    if (!dib.empty()) Add(RT_BITMAP, MAKEINTRESOURCEW(id), dib);
  }

  std::deque<std::vector<BYTE>> m_owned;  // a deque never moves its elements
  std::vector<ResourceEntry> m_entries;
};

}  // namespace

std::span<const ResourceEntry> ProgramResourceCatalogue() {
  static const Catalogue catalogue;
  return catalogue.Entries();
}

void RegisterProgramResources() { SetProgramResources(ProgramResourceCatalogue()); }
