#include <gtest/gtest.h>

#include <memory>

#include "platform/core/resources.h"
#include "resources/resource_catalogue.h"
#include "resources/resource_ids.h"
#include "tests/resources/resource_bytes.h"

namespace {

TEST(ResourceLookup, HighResolutionMarkerHoldsOne) {
  for (LPCWSTR name : {L"HI_RES_AWARE", L"hi_res_aware"}) {
    const std::span<const BYTE> data = ProgramResource(name, L"CEUX");
    ASSERT_EQ(data.size(), 2u) << "names compare without regard to case";
    EXPECT_EQ(data[0] | (data[1] << 8), 1);
  }
}

TEST(ResourceLookup, MissingResourcesGiveNull) {
  const HMODULE module = GetModuleHandleW(nullptr);
  ASSERT_NE(module, nullptr);
  EXPECT_EQ(FindResourceW(module, MAKEINTRESOURCEW(101), RT_DIALOG), nullptr);
  EXPECT_EQ(FindResourceW(module, MAKEINTRESOURCEW(IDB_LOGO), RT_DIALOG), nullptr) << "wrong type";
  EXPECT_EQ(FindResourceW(module, MAKEINTRESOURCEW(IDD_SETUP_PORTRAIT), RT_BITMAP), nullptr) << "wrong type";
  EXPECT_EQ(FindResourceW(module, L"HI_RES_AWARE", RT_BITMAP), nullptr);
  EXPECT_EQ(FindResourceW(module, L"HI_RES", L"CEUX"), nullptr);
  EXPECT_EQ(FindResourceW(module, MAKEINTRESOURCEW(1), L"CEUX"), nullptr) << "an ordinal is not a name";
  EXPECT_EQ(FindResourceW(module, nullptr, RT_DIALOG), nullptr);
  EXPECT_EQ(LoadResource(module, nullptr), nullptr);
  EXPECT_EQ(LockResource(nullptr), nullptr);
  EXPECT_EQ(SizeofResource(module, nullptr), 0u);
}

TEST(ResourceLookup, OnlyLiveModulesAreSearched) {
  EXPECT_EQ(GetModuleHandleW(L"Other.dll"), nullptr);
  EXPECT_EQ(GetModuleHandleW(nullptr), GetModuleHandleW(nullptr));

  const BYTE data[] = {7};
  const ResourceEntry entries[] = {{RT_BITMAP, MAKEINTRESOURCEW(5), 1028, data}};
  auto module = std::make_unique<ResourceModule>(entries);
  const HMODULE handle = module->Handle();
  const HRSRC found = FindResourceW(handle, MAKEINTRESOURCEW(5), RT_BITMAP);
  ASSERT_NE(found, nullptr);
  EXPECT_EQ(LoadResource(handle, found), data) << "the data pointer itself";
  EXPECT_EQ(LockResource(LoadResource(handle, found)), data);
  EXPECT_EQ(SizeofResource(handle, found), 1u);
  EXPECT_EQ(FindResourceW(handle, MAKEINTRESOURCEW(IDB_LOGO), RT_BITMAP), nullptr) << "not the program's";

  module.reset();
  EXPECT_EQ(FindResourceW(handle, MAKEINTRESOURCEW(5), RT_BITMAP), nullptr);
  wchar_t buffer[4] = {L'x', 0};
  EXPECT_EQ(LoadStringW(handle, 128, buffer, 4), 0);
}

TEST(ResourceLookup, TheNullModuleIsTheProgram) {
  EXPECT_EQ(FindResourceW(nullptr, MAKEINTRESOURCEW(IDD_ABOUT_SQUARE), RT_DIALOG),
            FindResourceW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDD_ABOUT_SQUARE), RT_DIALOG));
  EXPECT_NE(FindResourceW(nullptr, MAKEINTRESOURCEW(IDD_ABOUT_SQUARE), RT_DIALOG), nullptr);
}

TEST(ResourceLookup, CatalogueIsCompleteAndAllInLanguage1028) {
  std::size_t dialogs = 0, dialogInits = 0, bitmaps = 0, icons = 0, groups = 0, versions = 0, markers = 0;
  for (const ResourceEntry& e : ProgramResourceCatalogue()) {
    EXPECT_EQ(e.language, 1028);
    EXPECT_FALSE(e.data.empty());
    dialogs += e.type == RT_DIALOG;
    dialogInits += e.type == RT_DLGINIT;
    bitmaps += e.type == RT_BITMAP;
    icons += e.type == RT_ICON;
    groups += e.type == RT_GROUP_ICON;
    versions += e.type == RT_VERSION;
    markers += !IS_INTRESOURCE(e.type);
  }
  EXPECT_EQ(dialogs, 15u);  // three shapes of five pages
  EXPECT_EQ(dialogInits, 3u);
  EXPECT_EQ(bitmaps, 4u);
  EXPECT_EQ(icons, 3u);
  EXPECT_EQ(groups, 1u);
  EXPECT_EQ(versions, 1u);
  EXPECT_EQ(markers, 1u);
}

}  // namespace
