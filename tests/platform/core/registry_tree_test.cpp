#include "platform/core/registry_tree.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace {

constexpr const char* kExample =
    "Windows Registry Editor Version 5.00\n"
    "\n"
    "[HKEY_CURRENT_USER\\Software]\n"
    "\n"
    "[HKEY_CURRENT_USER\\Software\\Tavrin]\n"
    "\n"
    "[HKEY_CURRENT_USER\\Software\\Tavrin\\Zelmora]\n"
    "\"PortName\"=\"COM1:\"\n"
    "\"BaudRate\"=dword:000012c0\n"
    "\"DemoMode\"=dword:00000000\n"
    "\n";

std::wstring StringOf(const RegistryValue* value) {
  if (value == nullptr || value->type != REG_SZ) return L"<none>";
  return std::wstring(reinterpret_cast<const wchar_t*>(value->data.data()));
}

TEST(RegistryTreeTest, WritesTheExportFormat) {
  RegistryTree tree;
  tree.SetValue(L"Software\\Tavrin\\Zelmora", L"PortName", StringValue(L"COM1:"));
  tree.SetValue(L"Software\\Tavrin\\Zelmora", L"BaudRate", NumberValue(4800));
  tree.SetValue(L"Software\\Tavrin\\Zelmora", L"DemoMode", NumberValue(0));
  EXPECT_EQ(tree.Format(), kExample);
}

TEST(RegistryTreeTest, ValuesSurviveFormatAndParse) {
  RegistryTree tree;
  const std::wstring key = L"Software\\Tavrin\\Zelmora";
  std::vector<BYTE> binary(100);
  for (std::size_t i = 0; i < binary.size(); ++i) binary[i] = static_cast<BYTE>(i * 7);
  RegistryValue expandable{2, {0x25, 0, 0x78, 0, 0, 0}};
  RegistryValue odd{0x20, {1, 2, 3}};
  RegistryValue shortNumber{REG_DWORD, {1, 2}};
  const std::pair<std::wstring, RegistryValue> values[] = {
      {L"Quoted", StringValue(L"a \"b\" c:\\d\\")},
      {L"", StringValue(L"the default value")},
      {L"Lines", StringValue(L"one\r\ntwo")},
      {L"Accents", StringValue(L"Gr\u00fc\u00dfe \u00e9t\u00e9 \U0001F6F0")},
      {L"Empty", StringValue(L"")},
      {L"Max", NumberValue(0xFFFFFFFFu)},
      {L"Binary", RegistryValue{REG_BINARY, binary}},
      {L"Expandable", expandable},
      {L"Odd", odd},
      {L"ShortNumber", shortNumber},
      {L"Name \"with\" \\ escapes", NumberValue(7)},
  };
  for (const auto& [name, value] : values) tree.SetValue(key, name, value);

  const std::string text = tree.Format();
  const std::optional<RegistryTree> parsed = RegistryTree::Parse(text);
  ASSERT_TRUE(parsed) << text;
  for (const auto& [name, value] : values) {
    const RegistryValue* back = parsed->FindValue(key, name);
    ASSERT_NE(back, nullptr) << std::string(name.begin(), name.end());
    EXPECT_TRUE(SameValue(*back, value)) << std::string(name.begin(), name.end()) << "\n" << text;
  }
  EXPECT_EQ(parsed->Format(), text);
  // Every line stays a line a person can edit: hex data is cut into lines
  // of about 80 characters, and the string with a line break went to hex(1).
  std::size_t start = 0;
  while (start < text.size()) {
    const std::size_t end = text.find('\n', start);
    EXPECT_LE(end - start, 80u) << text.substr(start, end - start);
    start = end + 1;
  }
  EXPECT_NE(text.find("\"Lines\"=hex(1):6f,00,6e,00,65,00,0d,00,0a,00,74,00"), std::string::npos);
  EXPECT_NE(text.find("\"Quoted\"=\"a \\\"b\\\" c:\\\\d\\\\\""), std::string::npos);
}

TEST(RegistryTreeTest, ReadsWhatAPersonOrTheRegistryEditorWrites) {
  const std::string crlfWithComments =
      "\xEF\xBB\xBFWindows Registry Editor Version 5.00\r\n\r\n"
      "; set by hand\r\n"
      "[hkey_current_user\\SOFTWARE\\Tavrin\\Zelmora]  \r\n"
      "\"DemoMode\" = DWORD:1\r\n"
      "\"Bytes\"=hex:01,02,\\\r\n"
      "  03\r\n";
  std::optional<RegistryTree> tree = RegistryTree::Parse(crlfWithComments);
  ASSERT_TRUE(tree);
  EXPECT_TRUE(SameValue(*tree->FindValue(L"Software\\tavrin\\zelmora", L"demomode"), NumberValue(1)));
  EXPECT_TRUE(
      SameValue(*tree->FindValue(L"Software\\Tavrin\\Zelmora", L"Bytes"), RegistryValue{REG_BINARY, {1, 2, 3}}));

  // The registry editor's own export: UTF-16LE with its byte-order mark.
  const std::u16string utf16 =
      u"\uFEFFWindows Registry Editor Version 5.00\r\n\r\n[HKEY_CURRENT_USER\\A]\r\n\"P\"=\"\u00e9\"\r\n";
  std::string bytes(utf16.size() * 2, '\0');
  for (std::size_t i = 0; i < utf16.size(); ++i) {
    bytes[2 * i] = static_cast<char>(utf16[i] & 0xFF);
    bytes[2 * i + 1] = static_cast<char>(utf16[i] >> 8);
  }
  tree = RegistryTree::Parse(bytes);
  ASSERT_TRUE(tree);
  EXPECT_EQ(StringOf(tree->FindValue(L"A", L"P")), L"\u00e9");
}

TEST(RegistryTreeTest, RejectsTextThatIsNotAnExportOfTheUsersHive) {
  const std::string header = "Windows Registry Editor Version 5.00\n\n";
  const std::string key = header + "[HKEY_CURRENT_USER\\Software]\n";
  const std::string cases[] = {
      "",
      "REGEDIT4\n\n[HKEY_CURRENT_USER\\Software]\n",
      "garbage\n" + header,
      header + "[HKEY_LOCAL_MACHINE\\Software]\n",
      header + "[HKEY_CURRENT_USERX]\n",
      header + "[HKEY_CURRENT_USER\\]\n",
      header + "[HKEY_CURRENT_USER\\A\\\\B]\n",
      header + "[HKEY_CURRENT_USER\\A\n",
      header + "[-HKEY_CURRENT_USER]\n",
      header + "[-HKEY_LOCAL_MACHINE\\A]\n",
      header + "\"Orphan\"=\"value\"\n",
      key + "\"Deleted\"=-1\n",
      header + "\"Deleted\"=-\n",
      key + "\"Open=\"value\"\n",
      key + "\"Name\"=\"unterminated\n",
      key + "\"Name\"=\"bad \\escape\"\n",
      key + "\"Name\"=\"text\" trailing\n",
      key + "\"Name\"\n",
      key + "Name=\"value\"\n",
      key + "\"Name\"=dword:123456789\n",
      key + "\"Name\"=dword:12g4\n",
      key + "\"Name\"=dword:\n",
      key + "\"Name\"=hex:1,2\n",
      key + "\"Name\"=hex:01;02\n",
      key + "\"Name\"=hex:01,\\\n",
      key + "\"Name\"=hex():01\n",
      key + "\"Name\"=hex(1):41,00,00\n",
      key + "\"Name\"=hex(1):00,d8,00,00\n",
      key + "\"Name\"=number:5\n",
      key + "\"Name\"=\"\xC3\x28\"\n",
      key + "\"Name\"=\"\xE0\x80\xAF\"\n",
      key + "\"Name\"=\"\xED\xA0\x80\"\n",
      key + "\"Name\"=\"\xF4\x90\x80\x80\"\n",
      key + "\"Name\"=\"\xE2\x82\"\n",
  };
  for (const std::string& text : cases) EXPECT_FALSE(RegistryTree::Parse(text)) << text;
}

TEST(RegistryTreeTest, CarriesOutDeletionsAsTheRegistryEditorDoesOnImport) {
  const std::optional<RegistryTree> tree = RegistryTree::Parse(
      "Windows Registry Editor Version 5.00\n\n"
      "[HKEY_CURRENT_USER\\A]\n\"Gone\"=\"x\"\n\"Kept\"=dword:00000001\n\"Back\"=\"old\"\n@=\"default\"\n"
      "\"Gone\"=-\n\"back\" = -\n\"Back\"=\"new\"\n@=-\n"
      "[HKEY_CURRENT_USER\\A\\B\\C]\n\"V\"=\"w\"\n[HKEY_CURRENT_USER\\A!]\n"
      "[-HKEY_CURRENT_USER\\a\\b]\n[-HKEY_CURRENT_USER\\Missing]\n");
  ASSERT_TRUE(tree);
  EXPECT_EQ(tree->Format(),
            "Windows Registry Editor Version 5.00\n\n"
            "[HKEY_CURRENT_USER\\A]\n\"Kept\"=dword:00000001\n\"Back\"=\"new\"\n\n"
            "[HKEY_CURRENT_USER\\A!]\n\n");
}

TEST(RegistryTreeTest, KeepsTheGoodValuesOfADamagedTextAndNamesTheBadLines) {
  struct Case {
    std::string text;
    std::vector<std::size_t> badLines;
    std::vector<std::wstring> kept;  // value names found under HKEY_CURRENT_USER\A
  };
  const std::string header = "Windows Registry Editor Version 5.00\n\n";
  const Case cases[] = {
      {header + "[HKEY_CURRENT_USER\\A]\n\"P\"=1\n\"Q\"=dword:00000002\n", {4}, {L"Q"}},
      {header + "[HKEY_CURRENT_USER\\A]\n\"P\"=\"\xC3\x28\"\n\"Q\"=\"ok\"\n", {4}, {L"Q"}},
      {header + "[HKEY_LOCAL_MACHINE\\A]\n\"P\"=\"x\"\n[HKEY_CURRENT_USER\\A]\n\"Q\"=\"ok\"\n", {3, 4}, {L"Q"}},
      {header + "[HKEY_CURRENT_USER\\A]\n\"P\"=hex:01,\\\n  zz\n\"Q\"=hex:02\n", {4}, {L"Q"}},
      {"[HKEY_CURRENT_USER\\A]\n\"Q\"=\"header lost\"\n", {1}, {L"Q"}},
      {header + "[HKEY_CURRENT_USER\\A]\n\"P\"=hex(1):\n", {}, {L"P"}},
      {"garbage\n[HKEY_CURRENT_USER\\A]\n\"Q\"=\"ok\"\n", {1}, {L"Q"}},
      {header + "[HKEY_CURRENT_USER\\A]\r\n\"P\"=\"ok\"\r\n\"Q\"=\"ok\"\r\n", {}, {L"P", L"Q"}},
  };
  for (const Case& c : cases) {
    std::vector<RegistryParseError> errors;
    const RegistryTree tree = RegistryTree::ParseKeepingGood(c.text, errors);
    std::vector<std::size_t> lines;
    for (const RegistryParseError& error : errors) lines.push_back(error.line);
    EXPECT_EQ(lines, c.badLines) << c.text;
    std::vector<std::wstring> kept;
    if (const auto key = tree.Snapshot(L"A")) {
      for (const auto& [name, value] : key->values) kept.push_back(name);
    }
    EXPECT_EQ(kept, c.kept) << c.text;
  }
}

TEST(RegistryTreeTest, NamesCompareWithoutCaseAndKeepTheirSpelling) {
  RegistryTree tree;
  EXPECT_TRUE(tree.CreateKey(L"Software\\Tavrin"));
  EXPECT_FALSE(tree.CreateKey(L"SOFTWARE\\tavrin"));
  EXPECT_TRUE(tree.HasKey(L"software"));
  EXPECT_TRUE(tree.SetValue(L"software\\TAVRIN\\Zelmora", L"PortName", StringValue(L"COM1:")));
  EXPECT_TRUE(tree.SetValue(L"Software\\Tavrin\\Zelmora", L"portname", StringValue(L"COM2:")));
  EXPECT_FALSE(tree.SetValue(L"Software\\Tavrin\\Zelmora", L"PORTNAME", StringValue(L"COM2:")));
  EXPECT_TRUE(tree.SetValue(L"Software\\Tavrin\\\u00c9t\u00e9", L"x", NumberValue(1)));
  EXPECT_NE(tree.FindValue(L"SOFTWARE\\TAVRIN\\\u00e9T\u00c9", L"X"), nullptr);
  EXPECT_EQ(StringOf(tree.FindValue(L"SOFTWARE\\TAVRIN\\ZELMORA", L"PortName")), L"COM2:");
  EXPECT_EQ(tree.FindValue(L"Software\\Tavrin", L"PortName"), nullptr);

  const std::string text = tree.Format();
  EXPECT_NE(text.find("[HKEY_CURRENT_USER\\Software\\Tavrin\\Zelmora]\n\"PortName\"=\"COM2:\"\n"), std::string::npos)
      << text;
}

TEST(RegistryTreeTest, SubKeysFollowTheirKey) {
  RegistryTree tree;
  tree.CreateKey(L"A2");
  tree.CreateKey(L"A\\B");
  tree.CreateKey(L"A-");
  tree.SetValue(L"", L"Root", NumberValue(1));
  const std::string text = tree.Format();
  const char* order[] = {"[HKEY_CURRENT_USER]\n", "[HKEY_CURRENT_USER\\A]\n", "[HKEY_CURRENT_USER\\A\\B]\n",
                         "[HKEY_CURRENT_USER\\A-]\n", "[HKEY_CURRENT_USER\\A2]\n"};
  std::size_t last = 0;
  for (const char* header : order) {
    const std::size_t at = text.find(header);
    ASSERT_NE(at, std::string::npos) << header << text;
    EXPECT_GE(at, last) << header << text;
    last = at;
  }
}

TEST(RegistryTreeTest, SnapshotsListDirectSubKeysAndValues) {
  RegistryTree tree;
  tree.CreateKey(L"Software\\Tavrin\\Zelmora");
  tree.CreateKey(L"Software\\Other");
  tree.SetValue(L"Software", L"V", NumberValue(2));
  const std::optional<RegistryKeySnapshot> software = tree.Snapshot(L"SOFTWARE");
  ASSERT_TRUE(software);
  EXPECT_EQ(software->subKeys, (std::vector<std::wstring>{L"Other", L"Tavrin"}));
  ASSERT_EQ(software->values.size(), 1u);
  EXPECT_EQ(software->values[0].first, L"V");
  const std::optional<RegistryKeySnapshot> root = tree.Snapshot(L"");
  ASSERT_TRUE(root);
  EXPECT_EQ(root->subKeys, std::vector<std::wstring>{L"Software"});
  EXPECT_TRUE(RegistryTree().Snapshot(L"").has_value());
  EXPECT_FALSE(tree.Snapshot(L"Software\\Tavrin\\Zelmora\\Missing"));
}

TEST(RegistryTreeTest, ValidatesPathsAndValueNames) {
  EXPECT_TRUE(RegistryTree::IsValidPath(L""));
  EXPECT_TRUE(RegistryTree::IsValidPath(L"Software\\Tavrin"));
  EXPECT_FALSE(RegistryTree::IsValidPath(L"\\Software"));
  EXPECT_FALSE(RegistryTree::IsValidPath(L"Software\\"));
  EXPECT_FALSE(RegistryTree::IsValidPath(L"A\\\\B"));
  EXPECT_FALSE(RegistryTree::IsValidPath(L"A\nB"));
  EXPECT_TRUE(RegistryTree::IsValidPath(std::wstring(255, L'k')));
  EXPECT_FALSE(RegistryTree::IsValidPath(std::wstring(256, L'k')));
  EXPECT_TRUE(RegistryTree::IsValidValueName(L""));
  EXPECT_FALSE(RegistryTree::IsValidValueName(L"tab\there"));
}

}  // namespace
