#include <QCursor>
#include <QGuiApplication>
#include <gtest/gtest.h>

#include "platform/ui/ui_application.h"
#include "resources/resource_ids.h"
#include "resources/string_table.h"
#include "test_pages.h"

namespace {

constexpr UINT kPing = WM_USER + 1;

// Two levels of maps: the derived class's entries win, in their order, and
// commands match on control id and notification.
class CBasePage : public CPropertyPage {
 public:
  CBasePage() : CPropertyPage(IDD_ABOUT_PORTRAIT) {}
  const AFX_MSGMAP* GetMessageMap() const override { return GetThisMessageMap(); }
  std::vector<std::string> calls;

 protected:
  static const AFX_MSGMAP* GetThisMessageMap() {
    static const AFX_MSGMAP map{CPropertyPage::GetThisMessageMap(),
                                {
                                    OnMessage(kPing, &CBasePage::OnBasePing),
                                    OnWmTimer(&CBasePage::OnTimer),
                                }};
    return &map;
  }
  LRESULT OnBasePing(WPARAM, LPARAM) {
    calls.push_back("base ping");
    return 1;
  }
  void OnTimer(UINT_PTR id) { calls.push_back("base timer " + std::to_string(id)); }
};

class CDerivedPage : public CBasePage {
 public:
  const AFX_MSGMAP* GetMessageMap() const override {
    static const AFX_MSGMAP map{CBasePage::GetThisMessageMap(),
                                {
                                    OnMessage(kPing, &CDerivedPage::OnPing),
                                    OnBnClicked(IDC_ABOUT_VERSION, &CDerivedPage::OnVersion),
                                    OnMessage(kPing, &CDerivedPage::OnSecondPing),
                                }};
    return &map;
  }

 protected:
  LRESULT OnPing(WPARAM wParam, LPARAM) {
    calls.push_back("ping " + std::to_string(wParam));
    return 2;
  }
  LRESULT OnSecondPing(WPARAM, LPARAM) {
    calls.push_back("second ping");
    return 3;
  }
  void OnVersion() { calls.push_back("version"); }
};

TEST(MessageMap, TheFirstMatchingEntryOfTheMostDerivedMapHandles) {
  EnsureTestApplication();
  CDerivedPage page;
  ASSERT_NE(page.CreatePageWindow(nullptr), nullptr);
  EXPECT_EQ(page.SendMessage(kPing, 7), 2);
  page.SendMessage(WM_TIMER, 3);
  page.SendMessage(WM_COMMAND, MAKELONG(IDC_ABOUT_VERSION, BN_CLICKED));
  page.SendMessage(WM_COMMAND, MAKELONG(IDC_ABOUT_VERSION, 5));
  page.SendMessage(WM_COMMAND, MAKELONG(IDC_ABOUT_WEB, BN_CLICKED));
  EXPECT_EQ(page.calls, (std::vector<std::string>{"ping 7", "base timer 3", "version"}));
  // What no map takes goes to the window's own handling.
  page.SetWindowText(L"Info");
  std::wstring text;
  page.GetWindowText(text);
  EXPECT_EQ(text, L"Info");
  page.DestroyWindow();
}

class ApplicationTest : public ::testing::Test {
 protected:
  void SetUp() override {
    EnsureTestApplication();
    CoreSetRegistryHive(HKEY_CURRENT_USER, hive);
  }
  void TearDown() override { CoreSetRegistryHive(HKEY_CURRENT_USER, nullptr); }

  std::shared_ptr<MemoryRegistryHive> hive = std::make_shared<MemoryRegistryHive>();
};

TEST_F(ApplicationTest, ProfileFunctionsLiveUnderTheRegistryKeyAndTheApplicationName) {
  CWinApp app;
  EXPECT_EQ(AfxGetApp(), &app);
  EXPECT_EQ(std::wstring(AfxGetAppName()), L"test_platform_afx") << "the executable's base name";
  app.SetRegistryKey(L"Tavrin");
  EXPECT_EQ(app.ProfileKey(L""), L"Software\\Tavrin\\test_platform_afx");
  EXPECT_EQ(app.ProfileKey(L"Ports"), L"Software\\Tavrin\\test_platform_afx\\Ports");

  EXPECT_EQ(app.GetProfileString(L"", L"PortName", L"COM1:"), L"COM1:");
  EXPECT_EQ(app.GetProfileInt(L"", L"BaudRate", 4800), 4800u);
  EXPECT_TRUE(app.WriteProfileString(L"", L"PortName", L"COM3:"));
  EXPECT_TRUE(app.WriteProfileInt(L"", L"BaudRate", 9600));
  EXPECT_EQ(app.GetProfileString(L"", L"portname", L"COM1:"), L"COM3:");
  EXPECT_EQ(app.GetProfileInt(L"", L"BaudRate", 4800), 9600u);
  std::optional<RegistryKeySnapshot> key = hive->ReadKey(L"software\\tavrin\\TEST_PLATFORM_AFX");
  ASSERT_TRUE(key.has_value());
  ASSERT_EQ(key->values.size(), 2u);
  EXPECT_EQ(key->values[1].first, L"BaudRate");
  EXPECT_EQ(key->values[1].second.type, REG_DWORD);
  EXPECT_EQ(hive->ReadKey(L"Software\\Tavrin")->subKeys, std::vector<std::wstring>{L"test_platform_afx"});
  // A value of the other type reads as missing.
  EXPECT_EQ(app.GetProfileInt(L"", L"PortName", 5), 5u);
  EXPECT_EQ(app.GetProfileString(L"", L"BaudRate", L"x"), L"x");
  EXPECT_FALSE(app.WriteProfileString(L"", L"PortName", nullptr));

  // Without a store under HKEY_CURRENT_USER: defaults, and writes fail.
  CoreSetRegistryHive(HKEY_CURRENT_USER, nullptr);
  EXPECT_EQ(app.GetProfileString(L"", L"PortName", L"COM1:"), L"COM1:");
  EXPECT_FALSE(app.WriteProfileInt(L"", L"BaudRate", 9600));
}

TEST_F(ApplicationTest, MessageBoxesCarryTheApplicationName) {
  CWinApp app(L"Zelmora");
  ClearMessageBoxesShown();
  SetMessageBoxAnswerer([](const MessageBoxRecord&) { return IDOK; });
  EXPECT_EQ(AfxMessageBox(IDS_GPS_NOT_FOUND, MB_ICONEXCLAMATION | MB_OK), IDOK);
  SetMessageBoxAnswerer({});
  ASSERT_EQ(MessageBoxesShown().size(), 1u);
  EXPECT_EQ(MessageBoxesShown()[0].text, L"GPS not found.");
  EXPECT_EQ(MessageBoxesShown()[0].caption, L"Zelmora");
  EXPECT_EQ(MessageBoxesShown()[0].icon, MB_ICONEXCLAMATION);
  EXPECT_EQ(AfxLoadString(IDS_START_GPS), L"Start GPS");
  EXPECT_EQ(AfxLoadString(4711), L"");
}

TEST_F(ApplicationTest, WaitCursorNestsAndIsRemovedAtTheEnd) {
  CWnd wnd;
  wnd.BeginWaitCursor();
  wnd.BeginWaitCursor();
  ASSERT_NE(QGuiApplication::overrideCursor(), nullptr);
  EXPECT_EQ(QGuiApplication::overrideCursor()->shape(), Qt::WaitCursor);
  wnd.EndWaitCursor();
  EXPECT_NE(QGuiApplication::overrideCursor(), nullptr);
  wnd.EndWaitCursor();
  EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);
}

TEST(Bitmap, IsDeletedOnlyWhenNoContextHoldsIt) {
  EnsureTestApplication();
  CBitmap logo;
  ASSERT_TRUE(logo.LoadBitmap(IDB_LOGO));
  EXPECT_FALSE(logo.LoadBitmap(IDB_LOGO));
  HDC dc = CreateCompatibleDC(nullptr);
  HGDIOBJ old = SelectObject(dc, logo);
  EXPECT_FALSE(logo.DeleteObject());
  EXPECT_NE(logo.GetSafeHandle(), nullptr);
  SelectObject(dc, old);
  DeleteDC(dc);
  EXPECT_TRUE(logo.DeleteObject());
  EXPECT_EQ(logo.GetSafeHandle(), nullptr);
}

}  // namespace
