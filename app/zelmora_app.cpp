#include "app/zelmora_app.h"

#include "app/sheet.h"
#include "pages/about_page.h"
#include "pages/accuracy_page.h"
#include "pages/gps_info_page.h"
#include "pages/setup_page.h"
#include "pages/ttff_page.h"
#include "resources/resource_catalogue.h"
#include "resources/string_table.h"
#include "session/decoding_mode.h"

CZelmoraApp::CZelmoraApp() = default;

CZelmoraApp::~CZelmoraApp() = default;

// The handheld shell's one-time start-up call has no counterpart on Linux.
BOOL CZelmoraApp::InitInstance() {
  RegisterProgramResources();
  SetRegistryKey(L"Tavrin");

  // The owner window: never shown, it owns the sheet for the whole run.
  HWND owner = nullptr;
  {
    std::wstring title = AfxLoadString(IDS_TITLE);
    owner = CreateWindowExW(0, L"static", title.c_str(), 0, 0, 0, 10, 10, nullptr, nullptr, AfxGetInstanceHandle(),
                            nullptr);
  }
  CWnd ownerWnd;
  ownerWnd.Attach(owner);

  CSheet sheet(L"", &ownerWnd, 0);
  CGeneralPpg setupPage;
  CStatusPpg statusPage;
  CTtffPpg ttffPage;
  CAccuracyPpg accuracyPage;
  CAboutPpg aboutPage;
  setupPage.m_pStatusPage = &statusPage;
  ttffPage.m_pSetupPage = &setupPage;
  accuracyPage.m_pSetupPage = &setupPage;
  setupPage.m_quality.SetReference(m_reference);
  // The handheld's own behaviour (--gps-only, or the GpsOnly setting) is the
  // designed sheet of three pages; the pages added since come after GPS Info
  // otherwise.
  const bool designedSheet = GpsOnlyDecoding(setupPage.m_nGpsOnly) != 0;
  sheet.AddPage(&setupPage);
  sheet.AddPage(&statusPage);
  if (!designedSheet) {
    sheet.AddPage(&ttffPage);
    sheet.AddPage(&accuracyPage);
  }
  sheet.AddPage(&aboutPage);

  sheet.DoModal();

  sheet.RemovePage(&setupPage);
  sheet.RemovePage(&statusPage);
  if (!designedSheet) {
    sheet.RemovePage(&ttffPage);
    sheet.RemovePage(&accuracyPage);
  }
  sheet.RemovePage(&aboutPage);
  ownerWnd.Detach();
  DestroyWindow(owner);
  // The pages, the sheet and the wrapper go in reverse order of construction.
  return FALSE;
}

int CZelmoraApp::ExitInstance() { return CWinApp::ExitInstance(); }
