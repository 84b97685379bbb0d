#include <gtest/gtest.h>

#include <array>
#include <iterator>
#include <set>
#include <string>
#include <variant>
#include <vector>

#include "resources/dialog_templates.h"
#include "resources/resource_ids.h"
#include "tests/resources/byte_reader.h"
#include "tests/resources/resource_bytes.h"

namespace {

struct ParsedItem {
  std::uint32_t style, exStyle;
  std::int16_t x, y, cx, cy;
  std::uint16_t id;
  std::variant<std::uint16_t, std::wstring> windowClass, title;
  std::uint16_t creationSize;
  std::size_t offset;
};

struct ParsedTemplate {
  std::uint32_t style, exStyle;
  std::int16_t x, y, cx, cy;
  std::variant<std::uint16_t, std::wstring> menu, windowClass;
  std::wstring title;
  std::uint16_t points = 0;
  std::wstring face;
  std::vector<ParsedItem> items;
  std::size_t end;
};

ParsedTemplate ParseTemplate(std::span<const BYTE> bytes) {
  CheckedReader in(bytes);
  ParsedTemplate t;
  t.style = in.U32();
  t.exStyle = in.U32();
  const std::uint16_t count = in.U16();
  t.x = in.I16();
  t.y = in.I16();
  t.cx = in.I16();
  t.cy = in.I16();
  t.menu = in.NameOrOrdinal();
  t.windowClass = in.NameOrOrdinal();
  t.title = in.Text();
  if (t.style & 0x40) {
    t.points = in.U16();
    t.face = in.Text();
  }
  for (std::uint16_t i = 0; i < count; ++i) {
    in.Align4();
    ParsedItem item;
    item.offset = in.Pos();
    item.style = in.U32();
    item.exStyle = in.U32();
    item.x = in.I16();
    item.y = in.I16();
    item.cx = in.I16();
    item.cy = in.I16();
    item.id = in.U16();
    item.windowClass = in.NameOrOrdinal();
    item.title = in.NameOrOrdinal();
    item.creationSize = in.U16();
    if (item.creationSize > 2) in.Bytes(item.creationSize - 2u);
    t.items.push_back(item);
  }
  t.end = in.Pos();
  return t;
}

ParsedTemplate LoadTemplate(UINT id) {
  const std::span<const BYTE> bytes = ProgramResource(MAKEINTRESOURCEW(id), RT_DIALOG);
  if (bytes.empty()) throw std::runtime_error("template " + std::to_string(id) + " missing");
  ParsedTemplate t = ParseTemplate(bytes);
  EXPECT_EQ(t.end, bytes.size()) << "template " << id << " has trailing bytes";
  return t;
}

using Ordinal = std::uint16_t;

// Header values written out by hand; the items compared with the tables.
TEST(DialogTemplates, EveryTemplateMatchesTheCatalogue) {
  struct Page {
    std::array<UINT, 3> ids;  // landscape, square, portrait
    const wchar_t* caption;
    std::size_t items;
    std::array<std::array<std::int16_t, 2>, 3> sizes;
  };
  const Page pages[] = {
      // The designed eight controls and the recording's row below the raw box.
      {{103, 104, 102}, L"Setup", 10, {{{183, 110}, {137, 110}, {137, 154}}}},
      {{111, 112, 113}, L"GPS Info", 18, {{{183, 94}, {137, 94}, {137, 133}}}},
      {{105, 106, 107}, L"About", 5, {{{183, 94}, {137, 94}, {137, 133}}}},
  };
  ASSERT_EQ(DialogPages().size(), std::size(pages));
  for (std::size_t p = 0; p < std::size(pages); ++p) {
    const DialogPage& page = DialogPages()[p];
    for (std::size_t layout = 0; layout < kDialogLayoutCount; ++layout) {
      SCOPED_TRACE("template " + std::to_string(pages[p].ids[layout]));
      EXPECT_EQ(page.templateIds[layout], pages[p].ids[layout]);
      const ParsedTemplate t = LoadTemplate(pages[p].ids[layout]);
      EXPECT_EQ(t.style, 0x90C00040u);
      EXPECT_EQ(t.exStyle, 0x80040000u);
      EXPECT_EQ((std::array{t.x, t.y, t.cx, t.cy}),
                (std::array<std::int16_t, 4>{0, 0, pages[p].sizes[layout][0], pages[p].sizes[layout][1]}));
      EXPECT_EQ(t.menu, (std::variant<Ordinal, std::wstring>(std::wstring())));
      EXPECT_EQ(t.windowClass, (std::variant<Ordinal, std::wstring>(std::wstring())));
      EXPECT_EQ(t.title, pages[p].caption);
      EXPECT_EQ(t.points, 9);
      EXPECT_EQ(t.face, L"System");
      EXPECT_EQ(t.items.size(), pages[p].items);
      ASSERT_EQ(t.items.size(), page.controls.size());
      for (std::size_t i = 0; i < t.items.size(); ++i) {
        const ParsedItem& item = t.items[i];
        const DialogControl& control = page.controls[i];
        const DialogRect& rect = control.rects[layout];
        SCOPED_TRACE("item " + std::to_string(i + 1));
        EXPECT_EQ(item.offset % 4, 0u);
        EXPECT_EQ(item.style, control.style);
        EXPECT_EQ(item.exStyle, 0u);
        EXPECT_EQ((std::array{item.x, item.y, item.cx, item.cy}), (std::array{rect.x, rect.y, rect.cx, rect.cy}));
        EXPECT_EQ(item.id, control.id);
        EXPECT_EQ(item.windowClass, (std::variant<Ordinal, std::wstring>(static_cast<Ordinal>(control.windowClass))));
        EXPECT_EQ(item.title, (std::variant<Ordinal, std::wstring>(std::wstring(control.text))));
        EXPECT_EQ(item.creationSize, 0);
      }
    }
  }
}

// Rows picked across the pages, shapes and classes, written out by hand.
struct ExpectedItem {
  UINT templateId;
  std::size_t order;  // 1-based
  std::uint16_t id;
  Ordinal windowClass;
  std::uint32_t style;
  const wchar_t* text;
  std::array<std::int16_t, 4> rect;
};

TEST(DialogTemplates, SampledItemsHaveTheirCatalogueValues) {
  const ExpectedItem expected[] = {
      {102, 1, 1013, 0x85, 0x50210003, L"", {42, 3, 91, 89}},
      {103, 3, 1009, 0x85, 0x50210003, L"", {137, 3, 42, 89}},
      {103, 2, 200, 0x82, 0x5002000C, L"COM Port:", {4, 5, 34, 8}},
      {104, 4, 1002, 0x82, 0x5002000C, L"Baud Rate:", {4, 18, 37, 8}},
      {103, 5, 1014, 0x80, 0x50010000, L"Scan", {4, 18, 42, 12}},
      {104, 6, 1011, 0x80, 0x50010000, L"", {47, 32, 40, 12}},
      {103, 7, 1012, 0x80, 0x58010000, L"Cold Start", {137, 18, 42, 12}},
      {102, 8, 1000, 0x81, 0x50B11884, L"", {4, 47, 129, 85}},
      {104, 8, 1000, 0x81, 0x50B11884, L"", {4, 47, 129, 44}},
      {111, 1, 201, 0x82, 0x5002000C, L"", {23, 5, 44, 8}},
      {113, 4, 1002, 0x82, 0x5002000C, L"Time:", {4, 15, 19, 8}},
      {113, 11, 1016, 0x82, 0x5002000C, L"", {19, 55, 48, 8}},
      {112, 15, 1018, 0x82, 0x5002000C, L"", {107, 50, 27, 8}},
      {112, 16, 1006, 0x82, 0x5002000C, L"Altitude:", {79, 50, 27, 8}},
      {111, 18, 1007, 0x82, 0x5002000C, L"PDOP:", {4, 77, 22, 8}},
      {113, 17, 1015, 0x82, 0x5002000C, L"", {27, 85, 20, 8}},
      {107, 1, 1002, 0x82, 0x5002000C, L"Zelmora version 3.0.7.621", {7, 31, 85, 8}},
      {105, 2, 1004, 0x82, 0x5002000C, nullptr, {39, 43, 117, 8}},
      {106, 4, 1005, 0x82, 0x5002000C, nullptr, {7, 59, 69, 8}},
      {105, 5, 1006, 0x82, 0x5002000C, nullptr, {7, 63, 91, 8}},
  };
  for (const ExpectedItem& e : expected) {
    SCOPED_TRACE("template " + std::to_string(e.templateId) + " item " + std::to_string(e.order));
    const ParsedTemplate t = LoadTemplate(e.templateId);
    ASSERT_LE(e.order, t.items.size());
    const ParsedItem& item = t.items[e.order - 1];
    EXPECT_EQ(item.id, e.id);
    EXPECT_EQ(item.windowClass, (std::variant<Ordinal, std::wstring>(e.windowClass)));
    EXPECT_EQ(item.style, e.style);
    if (e.text != nullptr) {
      EXPECT_EQ(item.title, (std::variant<Ordinal, std::wstring>(std::wstring(e.text))));
    }
    EXPECT_EQ((std::array{item.x, item.y, item.cx, item.cy}), e.rect);
  }
}

// Only the rectangles differ between the three templates of one page; every
// control has an id of its own and lies inside its page (a combo box's
// height counts its drop-down list, which may reach beyond).
TEST(DialogTemplates, ThreeTemplatesOfAPageNameTheSameControls) {
  for (const auto& ids : {std::array<UINT, 3>{102, 103, 104}, {111, 112, 113}, {105, 106, 107}}) {
    const ParsedTemplate first = LoadTemplate(ids[0]);
    for (UINT id : ids) {
      SCOPED_TRACE("template " + std::to_string(id));
      const ParsedTemplate t = LoadTemplate(id);
      ASSERT_EQ(t.items.size(), first.items.size());
      std::set<std::uint16_t> seen;
      for (std::size_t i = 0; i < t.items.size(); ++i) {
        const ParsedItem& item = t.items[i];
        EXPECT_EQ(item.id, first.items[i].id);
        EXPECT_EQ(item.windowClass, first.items[i].windowClass);
        EXPECT_EQ(item.style, first.items[i].style);
        EXPECT_EQ(item.title, first.items[i].title);
        EXPECT_NE(item.id, 0xFFFF);
        EXPECT_TRUE(seen.insert(item.id).second) << "id " << item.id << " twice";
        EXPECT_GE(item.x, 0);
        EXPECT_GE(item.y, 0);
        EXPECT_LE(item.x + item.cx, t.cx) << "id " << item.id;
        const bool comboBox = item.windowClass == std::variant<Ordinal, std::wstring>(Ordinal{0x85});
        EXPECT_LE(item.y + (comboBox ? 12 : item.cy), t.cy) << "id " << item.id;
      }
    }
  }
}

}  // namespace
