#include "pages/ttff_page.h"

#include <cstdlib>

#include "acquisition/read_tap.h"
#include "display/ttff_text.h"
#include "layout/dialog_layout.h"
#include "pages/setup_page.h"
#include "platform/core/clock.h"
#include "platform/core/last_error.h"
#include "platform/core/numbers.h"
#include "platform/core/utf8.h"
#include "receivers/receiver_family.h"
#include "resources/resource_ids.h"
#include "resources/string_table.h"
#include "session/port_list.h"
#include "ttff/identification.h"
#include "ttff/ttff_csv.h"
#include "ttff/ttff_runner.h"

namespace {

constexpr int kTimeoutChoices[] = {30, 60, 90, 120, 180, 300, 600};
constexpr StartKind kKinds[] = {StartKind::Hot, StartKind::Warm, StartKind::Cold, StartKind::Factory};

std::wstring Wide(std::string_view text) { return Utf8ToWide(std::string(text)); }

std::string Narrow(const std::wstring& text) {
  std::string narrow;
  for (wchar_t c : text) narrow.push_back(c < 0x80 ? static_cast<char>(c) : '?');
  return narrow;
}

bool HasStart(const ReceiverFamily* family, StartKind kind) {
  return family != nullptr && family->starts[static_cast<int>(kind)].kind != FamilyCommand::Kind::None;
}

}  // namespace

CTtffPpg::CTtffPpg() : CPropertyPage(IDD_TTFF_PORTRAIT), m_pSetupPage(nullptr) {}

CTtffPpg::~CTtffPpg() = default;

void CTtffPpg::DoDataExchange(CDataExchange* dx) {
  DDX_Control(dx, IDC_TTFF_KIND, m_cbKind);
  DDX_Control(dx, IDC_TTFF_RUNS, m_cbRuns);
  DDX_Control(dx, IDC_TTFF_TIMEOUT, m_cbTimeout);
  DDX_Control(dx, IDC_TTFF_IDENTIFY, m_btnIdentify);
  DDX_Control(dx, IDC_TTFF_START_STOP, m_btnStartStop);
  DDX_Control(dx, IDC_TTFF_RESULTS, m_editResults);
}

BOOL CTtffPpg::OnInitDialog() {
  CPropertyPage::OnInitDialog();
  UpdateData(FALSE);
  for (int runs = 1; runs <= CTtffRunner::kMaxRuns; ++runs) m_cbRuns.AddString(std::to_wstring(runs).c_str());
  m_cbRuns.SetCurSel(kDefaultRuns - 1);
  for (int seconds : kTimeoutChoices) {
    const int index = m_cbTimeout.AddString((std::to_wstring(seconds) + L" s").c_str());
    if (seconds == kDefaultTimeoutSeconds) m_cbTimeout.SetCurSel(index);
  }
  // Screen readers' name of the results box, which has no caption.
  SetWindowAccessibleName(::GetDlgItem(m_hWnd, IDC_TTFF_RESULTS), L"Test results");
  m_strMessage = AfxLoadString(IDS_TTFF_READY);
  ShowState();
  return TRUE;
}

BOOL CTtffPpg::OnSetActive() {
  CPropertyPage::OnSetActive();
  ShowState();
  return TRUE;
}

void CTtffPpg::OnOK() {}

void CTtffPpg::OnSize(UINT, int, int) {
  UINT layout = ChooseLayoutTemplate(IDD_TTFF_LANDSCAPE, IDD_TTFF_SQUARE, IDD_TTFF_PORTRAIT);
  ApplyDialogLayout(AfxGetInstanceHandle(), m_hWnd, layout);
  // The layout gives the buttons and fields their template texts back.
  if (m_cbKind.m_hWnd != nullptr) ShowState();
}

const ReceiverFamily* CTtffPpg::Family() const {
  if (m_pIdentified != nullptr) return m_pIdentified;
  return m_pSetupPage != nullptr ? m_pSetupPage->SessionFamily() : nullptr;
}

const ReceiverFamily* CTtffPpg::CommandFamily() const {
  if (const ReceiverFamily* family = Family()) return family;
  return m_bNoFamilyAnswered ? FindReceiverFamily("sirf") : nullptr;
}

void CTtffPpg::FillKinds() {
  const ReceiverFamily* family = CommandFamily();
  if (m_bKindsFilled && family == m_pKindsFamily) return;
  std::wstring chosen = L"cold";
  if (m_cbKind.GetCurSel() >= 0) m_cbKind.GetLBText(m_cbKind.GetCurSel(), chosen);
  while (m_cbKind.GetCount() > 0) m_cbKind.DeleteString(0);
  for (StartKind kind : kKinds) {
    // Factory is offered only by the families that have one.
    if (kind == StartKind::Factory && !HasStart(family, kind)) continue;
    m_cbKind.AddString(Wide(StartKindName(kind)).c_str());
  }
  if (m_cbKind.SelectString(-1, chosen.c_str()) < 0) m_cbKind.SelectString(-1, L"cold");
  m_pKindsFamily = family;
  m_bKindsFilled = true;
}

void CTtffPpg::ShowState() {
  if (m_hWnd == nullptr) return;
  const bool session = m_pSetupPage != nullptr && m_pSetupPage->SessionRunning();
  const bool busy = Testing() || Identifying();
  if (!Testing()) FillKinds();
  m_btnIdentify.EnableWindow(session && !busy);
  m_btnStartStop.EnableWindow(Testing() || (session && !Identifying()));
  m_btnStartStop.SetWindowText(AfxLoadString(Testing() ? IDS_STOP_TEST : IDS_START_TEST).c_str());
  m_cbKind.EnableWindow(!busy);
  m_cbRuns.EnableWindow(!busy);
  m_cbTimeout.EnableWindow(!busy);
  const ReceiverFamily* family = Family();
  SetDlgItemText(IDC_TTFF_RECEIVER,
                 ReceiverText(family, family == m_pIdentified ? m_strVersion : std::string()).c_str());
  SetDlgItemText(IDC_TTFF_ELAPSED, m_strElapsed.c_str());
  ShowResults();
}

void CTtffPpg::ShowResults() {
  std::wstring text;
  const auto add = [&](const std::wstring& part) {
    if (part.empty()) return;
    if (!text.empty()) text += L"\r\n";
    text += part;
  };
  const bool session = m_pSetupPage != nullptr && m_pSetupPage->SessionRunning();
  if (Identifying()) {
    add(AfxLoadString(IDS_TTFF_IDENTIFYING));
  } else if (!Testing() && !session) {
    add(AfxLoadString(IDS_TTFF_NO_SESSION));
  } else {
    add(m_strMessage);
  }
  if (const CTtffRunner* runner = Runner()) {
    add(SummaryText(runner->Summary()));
    add(LastRunsText(runner->Runs(), kLastRunsShown));
  }
  add(m_strSavedText);
  std::wstring shown;
  m_editResults.GetWindowText(shown);
  if (shown != text) m_editResults.SetWindowText(text.c_str());
}

void CTtffPpg::OnIdentify() {
  if (m_pSetupPage == nullptr || !m_pSetupPage->SessionRunning() || Testing() || Identifying()) return;
  StartIdentification();
}

void CTtffPpg::StartIdentification() {
  m_pIdentification = std::make_unique<CIdentification>();
  m_bNoFamilyAnswered = false;
  m_pSetupPage->m_tap.Enable(true);
  m_lines.Clear();
  m_pIdentification->Start(GetTickCount());
  SetTimer(IDT_TTFF_POLL, kPollMs, nullptr);
  ShowState();
}

void CTtffPpg::OnStartStop() {
  if (Testing()) {
    StopTest();
    return;
  }
  if (m_pSetupPage == nullptr || !m_pSetupPage->SessionRunning() || Identifying()) return;
  if (CommandFamily() == nullptr) {
    // The start command depends on the family: the probes come first.
    m_bStartAfterIdentify = true;
    StartIdentification();
    return;
  }
  StartRunner();
}

void CTtffPpg::StartRunner() {
  const ReceiverFamily* family = CommandFamily();
  std::wstring kindText;
  if (m_cbKind.GetCurSel() >= 0) m_cbKind.GetLBText(m_cbKind.GetCurSel(), kindText);
  const StartKind kind = StartKindOfName(Narrow(kindText)).value_or(StartKind::Cold);
  if (!HasStart(family, kind)) {
    m_strMessage = family == nullptr
                       ? AfxLoadString(IDS_TTFF_PLAIN_NMEA)
                       : FormatText(AfxLoadString(IDS_TTFF_NO_START), {Wide(family->name), Wide(StartKindName(kind))});
    ShowState();
    if (!Identifying()) StopPolling();
    return;
  }
  CTtffRunner::Settings settings;
  settings.family = family;
  settings.kind = kind;
  settings.runs = m_cbRuns.GetCurSel() + 1;
  const int timeout = m_cbTimeout.GetCurSel();
  settings.timeoutMs =
      static_cast<std::uint32_t>(timeout >= 0 ? kTimeoutChoices[timeout] : kDefaultTimeoutSeconds) * 1000u;
  settings.seed = m_nSeed != 0 ? m_nSeed : static_cast<std::uint32_t>(UtcNowMs());
  m_pRunner = std::make_unique<CTtffRunner>(settings);
  m_pLastRunner.reset();
  m_nCommands = 0;
  m_strMessage = Family() == nullptr ? AfxLoadString(IDS_TTFF_SIRF_STARTS) : std::wstring();
  m_strSavedText.clear();
  m_strSavedPath.clear();
  m_strElapsed = ElapsedText(1, settings.runs, 0, false);
  m_pSetupPage->m_tap.Enable(true);
  m_nTestStartUtcMs = UtcNowMs();
  m_pRunner->Start(GetTickCount());
  SetTimer(IDT_TTFF_POLL, kPollMs, nullptr);
  ShowState();
}

void CTtffPpg::StopTest() {
  m_bStartAfterIdentify = false;
  m_pIdentification.reset();
  if (m_pRunner != nullptr) {
    m_pRunner->Stop();
    FinishTest();
  } else {
    m_pSetupPage->m_tap.Enable(false);
    StopPolling();
    ShowState();
  }
}

void CTtffPpg::FinishTest() {
  m_pLastRunner = std::move(m_pRunner);
  if (!Identifying()) m_pSetupPage->m_tap.Enable(false);
  m_strElapsed.clear();
  SaveRuns(*m_pLastRunner);
  StopPolling();
  ShowState();
}

void CTtffPpg::SaveRuns(const CTtffRunner& runner) {
  if (runner.Runs().empty()) return;
  std::string error;
  std::wstring port = m_pSetupPage != nullptr ? DeviceNameOf(m_pSetupPage->m_strPort) : L"port";
  if (!port.empty() && port.back() == L':') port.pop_back();
  m_strSavedPath = WriteTtffCsv(TtffDataFolder(), TtffCsvFileName(m_nTestStartUtcMs, Narrow(port)),
                                TtffCsvText(runner.Runs()), &error);
  if (m_strSavedPath.empty()) {
    m_strSavedText = FormatText(AfxLoadString(IDS_TTFF_NOT_SAVED), {Wide(error)});
  } else {
    const char* home = std::getenv("HOME");
    m_strSavedText =
        FormatText(AfxLoadString(IDS_TTFF_SAVED), {SavedPathText(m_strSavedPath, home != nullptr ? home : "")});
  }
}

void CTtffPpg::StopPolling() {
  if (!Testing() && !Identifying()) KillTimer(IDT_TTFF_POLL);
}

void CTtffPpg::Feed(const TappedRead& read) {
  if (m_pIdentification != nullptr) m_pIdentification->OnBytes(read.bytes, read.tick);
  m_lines.Feed(read.bytes, read.tick, [this](std::string_view line, std::uint32_t start) {
    if (m_pRunner != nullptr) m_pRunner->OnLine(line, start);
  });
}

void CTtffPpg::OnTimer(UINT_PTR nIDEvent) {
  if (nIDEvent != IDT_TTFF_POLL) return;
  const bool session = m_pSetupPage->SessionRunning();
  for (const TappedRead& read : m_pSetupPage->m_tap.Take()) Feed(read);
  if (m_pIdentification != nullptr) {
    const DWORD now = GetTickCount();
    const std::string probe = session ? m_pIdentification->Poll(now) : std::string();
    // A probe that cannot go out (the port is between reconnects) finds no
    // answer in its wait, as if the family did not answer.
    if (!probe.empty()) m_pSetupPage->WriteToReceiver(probe);
    if (!session) {
      m_pIdentification.reset();
      m_bStartAfterIdentify = false;
    } else if (m_pIdentification->Done()) {
      m_pIdentified = m_pIdentification->Family();
      m_strVersion = m_pIdentification->Version();
      m_pIdentification.reset();
      m_bNoFamilyAnswered = Family() == nullptr;
      if (m_bNoFamilyAnswered) m_strMessage = AfxLoadString(IDS_TTFF_PLAIN_NMEA);
      if (m_bStartAfterIdentify) {
        m_bStartAfterIdentify = false;
        FillKinds();
        StartRunner();
      }
    }
    if (!Testing() && !Identifying()) m_pSetupPage->m_tap.Enable(false);
  }
  if (m_pRunner != nullptr) {
    // A session the user stopped ends the test; a reconnect does not.
    if (!session) m_pRunner->Stop();
    const DWORD now = GetTickCount();
    const std::string command = m_pSetupPage->PortOpen() ? m_pRunner->CommandDue(now) : std::string();
    if (!command.empty()) {
      if (m_pSetupPage->WriteToReceiver(command)) {
        // The last byte is on the wire after ten bits a byte at the speed.
        const DWORD speed = m_pSetupPage->m_nBaudRate > 0 ? static_cast<DWORD>(m_pSetupPage->m_nBaudRate) : 4800;
        const DWORD onWireMs = static_cast<DWORD>((command.size() * 10 * 1000 + speed - 1) / speed);
        m_dwRunStart = GetTickCount() + onWireMs;
        m_pRunner->OnCommandWritten(m_dwRunStart, UtcNowMs() + onWireMs);
        ++m_nCommands;
      } else {
        m_strMessage =
            AfxLoadString(GetLastError() == ERROR_WRITE_PROTECT ? IDS_TTFF_READ_ONLY : IDS_TTFF_WRITE_FAILED);
        m_pRunner->Stop();
      }
    }
    m_pRunner->OnTick(GetTickCount());
    const int requested = m_pRunner->Summary().requested;
    const bool waiting = m_nCommands > 0 && static_cast<int>(m_pRunner->Runs().size()) >= m_nCommands;
    const DWORD elapsed = m_nCommands > 0 ? GetTickCount() - m_dwRunStart : 0;
    m_strElapsed = ElapsedText(m_nCommands > 0 ? m_nCommands : 1, requested,
                               static_cast<std::int32_t>(elapsed) > 0 ? elapsed : 0, waiting);
    if (m_pRunner->Done()) {
      FinishTest();
      return;
    }
  }
  StopPolling();
  ShowState();
}

void CTtffPpg::OnDestroy() {
  CPropertyPage::OnDestroy();
  KillTimer(IDT_TTFF_POLL);
  // A test cut short by the program's end keeps its runs so far.
  if (m_pRunner != nullptr) {
    m_pRunner->Stop();
    SaveRuns(*m_pRunner);
    m_pLastRunner = std::move(m_pRunner);
  }
  m_pIdentification.reset();
  m_bStartAfterIdentify = false;
  if (m_pSetupPage != nullptr) m_pSetupPage->m_tap.Enable(false);
}

const AFX_MSGMAP* CTtffPpg::GetMessageMap() const {
  static const AFX_MSGMAP map{CPropertyPage::GetThisMessageMap(),
                              {
                                  OnWmSize(&CTtffPpg::OnSize),
                                  OnBnClicked(IDC_TTFF_IDENTIFY, &CTtffPpg::OnIdentify),
                                  OnBnClicked(IDC_TTFF_START_STOP, &CTtffPpg::OnStartStop),
                                  OnWmTimer(&CTtffPpg::OnTimer),
                                  OnWmDestroy(&CTtffPpg::OnDestroy),
                              }};
  return &map;
}
