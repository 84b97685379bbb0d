// The Accuracy page over the Setup page's session: a real receiver log fed
// through a pseudo-terminal gives the page the figures zelmora-decode
// --quality gives for the same log; behind another page it does no work;
// Reset starts afresh and Export writes the fixes and figures.
#include <unistd.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string>
#include <vector>

#include "acquisition/gps_read_thread.h"
#include "nmea/checksum.h"
#include "display/accuracy_text.h"
#include "pages/accuracy_page.h"
#include "platform/core/utf8.h"
#include "platform/ui/dialog_window.h"
#include "platform/ui/message_box.h"
#include "session_fixture.h"
#include "ttff/ttff_csv.h"

namespace {

constexpr int kAccuracyPage = 3;

std::string Sentence(const std::string& body) {
  const unsigned sum = NmeaChecksum(body);
  return "$" + body + "*" + NmeaHexDigit(sum >> 4) + NmeaHexDigit(sum) + "\r\n";
}

// One epoch (GGA, GSA, RMC) a second: fixes spread a few metres around
// 48.1173 N 11.5167 E, whose centre creeps east `creep` metres an epoch.
std::vector<std::string> WanderingEpochs(int count, double creep) {
  std::vector<std::string> epochs;
  for (int i = 0; i < count; ++i) {
    const double east = 3.0 * std::sin(i * 2.1) + creep * i;
    const double north = 3.0 * std::cos(i * 1.3);
    const double latitude = 48.1173 + north / 111200.0;
    const double longitude = 11.5167 + east / (111320.0 * std::cos(48.1173 * M_PI / 180.0));
    char position[64];
    std::snprintf(position, sizeof position, "%02d%09.6f,N,%03d%09.6f,E", static_cast<int>(latitude),
                  (latitude - static_cast<int>(latitude)) * 60.0, static_cast<int>(longitude),
                  (longitude - static_cast<int>(longitude)) * 60.0);
    char time[16];
    std::snprintf(time, sizeof time, "12%02d%02d.00", i / 60, i % 60);
    epochs.push_back(Sentence(std::string("GPGGA,") + time + "," + position + ",1,08,0.9,520.0,M,47.0,M,,") +
                     Sentence("GPGSA,A,3,02,05,12,15,25,29,,,,,,,1.8,1.0,1.5") +
                     Sentence(std::string("GPRMC,") + time + ",A," + position + ",0.0,0.0,081226,,,A"));
  }
  return epochs;
}

std::string ReadFile(const std::filesystem::path& path) {
  std::ifstream file(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
}

// The number after "key": in the tool's object, or nothing for null.
std::optional<double> Number(const std::string& json, const std::string& key) {
  const std::size_t at = json.find("\"" + key + "\":");
  if (at == std::string::npos) return std::nullopt;
  const char* start = json.c_str() + at + key.size() + 3;
  char* end = nullptr;
  const double value = std::strtod(start, &end);
  if (end == start) return std::nullopt;
  return value;
}

std::string DecodeQuality(const std::filesystem::path& log) {
  const std::string command = std::string(ZELMORA_DECODE_TOOL) + " --quality '" + log.string() + "'";
  FILE* pipe = popen(command.c_str(), "r");
  std::string out;
  char buffer[4096];
  for (std::size_t n; pipe != nullptr && (n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;) out.append(buffer, n);
  if (pipe != nullptr) pclose(pipe);
  return out;
}

class AccuracyPageTest : public SessionTest {
 protected:
  void SetUp() override {
    SessionTest::SetUp();
    folder_ = std::filesystem::temp_directory_path() / ("zelmora-accuracy-page-" + std::to_string(getpid()));
    std::filesystem::remove_all(folder_);
  }
  void TearDown() override {
    std::filesystem::remove_all(folder_);
    SessionTest::TearDown();
  }
  // The scatter as the page shows it.
  static QImage ScatterShown(CAccuracyPpg* page) {
    RECT scatter{};
    auto* window = dynamic_cast<DialogWindow*>(UiWindow::FromHandle(page->m_hWnd));
    if (window == nullptr || !GetWindowRect(GetDlgItem(page->m_hWnd, 2011), &scatter)) return {};
    return window->BackingImage().copy(
        QRect(scatter.left, scatter.top, scatter.right - scatter.left, scatter.bottom - scatter.top));
  }
  // Start GPS on COM1: (a pseudo-terminal whose other side is `master`).
  void StartSession() {
    Click(IDC_SETUP_START_STOP);
    ASSERT_TRUE(PassUntil([this] { return RunningLook(); }, 3000));
  }
  // The log as a receiver sends it, an epoch at a time: each piece ends
  // with an RMC, and the next goes out once the reader has read it and the
  // Setup page has counted its epoch (from the first GGA on), so that each
  // announcement of a fix is handled before the next fix is read.
  void Feed(int master, const std::filesystem::path& log, int pieces) {
    const std::string bytes = ReadFile(log);
    std::size_t from = 0;
    bool ggaSeen = false;
    long long expected = setup_->m_quality.Epochs();
    for (int i = 0; i < pieces && from < bytes.size(); ++i) {
      const std::size_t rmc = bytes.find("RMC,", from);
      std::size_t end = rmc == std::string::npos ? std::string::npos : bytes.find('\n', rmc);
      // The rest, without a whole RMC, is no epoch (a log may end half way
      // through a line).
      if (end == std::string::npos) break;
      ++end;
      const std::string piece = bytes.substr(from, end - from);
      ASSERT_EQ(write(master, piece.data(), piece.size()), static_cast<ssize_t>(piece.size()));
      from = end;
      ggaSeen = ggaSeen || piece.find("GGA,") != std::string::npos;
      std::string last = piece.substr(0, piece.find_last_not_of("\r\n") + 1);
      // From its "$": a log may hold binary frames before it on the line.
      last = last.substr(last.rfind('$'));
      const std::wstring tail = Utf8ToWide(last) + L"\r\n";
      ASSERT_TRUE(PassUntil(
          [&] {
            if (setup_->m_pReadThread == nullptr) return false;
            const std::wstring raw = setup_->m_pReadThread->Snapshot().m_strRawText;
            return raw.size() >= tail.size() && raw.compare(raw.size() - tail.size(), tail.size(), tail) == 0;
          },
          5000))
          << "piece " << i << ": "
          << WideToUtf8(setup_->m_pReadThread ? setup_->m_pReadThread->Snapshot().m_strRawText : L"no reader")
                 .substr(0, 3000);
      // An RMC cut short (no checksum) is dropped, and ends no epoch.
      if (ggaSeen && last.size() > 3 && last[last.size() - 3] == '*') ++expected;
      ASSERT_TRUE(PassUntil([&] { return setup_->m_quality.Epochs() == expected; }, 5000)) << "piece " << i;
      Pass(100);
    }
  }
  CAccuracyPpg* ShowAccuracy() {
    ShowPage(kAccuracyPage);
    auto* page = dynamic_cast<CAccuracyPpg*>(CWnd::FromHandlePermanent(ShownPage()));
    EXPECT_NE(page, nullptr);
    if (page != nullptr) page->m_strExportFolder = folder_.string();
    return page;
  }
  std::wstring PageText(CAccuracyPpg* page, UINT id) {
    wchar_t text[512] = {};
    GetWindowTextW(GetDlgItem(page->m_hWnd, static_cast<int>(id)), text, 512);
    return text;
  }
  static std::wstring Metres(const wchar_t* name, const std::optional<double>& value) {
    return std::wstring(name) + L" " + (value ? Utf8ToWide(FixedText(*value, 1)) + L" m" : L"-");
  }

  std::filesystem::path folder_;
};

TEST_F(AccuracyPageTest, ARealLogGivesThePageTheFiguresOfTheDecoder) {
  const std::filesystem::path log = std::filesystem::path(ZELMORA_SOURCE_DIR) / "tests/data/ublox-8.log";
  const std::string json = DecodeQuality(log);
  ASSERT_TRUE(Number(json, "epochs")) << json;
  const int epochs = static_cast<int>(*Number(json, "epochs"));
  const int master = AddMutePort(1);
  RunSheet([&] {
    StartSession();
    CAccuracyPpg* page = ShowAccuracy();
    ASSERT_NE(page, nullptr);
    Feed(master, log, 1000);
    ASSERT_EQ(setup_->m_quality.Epochs(), epochs);
    Pass(CAccuracyPpg::kRefreshMs + 100);
    EXPECT_EQ(PageText(page, IDC_ACC_SAMPLES), L"Samples " + std::to_wstring(static_cast<int>(*Number(json, "fixes"))));
    EXPECT_EQ(PageText(page, IDC_ACC_AVAILABILITY),
              L"Fix " + Utf8ToWide(FixedText(*Number(json, "availability"), 1)) + L" %");
    EXPECT_EQ(PageText(page, IDC_ACC_CEP50), Metres(L"CEP50", Number(json, "cep50")));
    EXPECT_EQ(PageText(page, IDC_ACC_CEP95), Metres(L"CEP95", Number(json, "cep95")));
    EXPECT_EQ(PageText(page, IDC_ACC_DRMS2), Metres(L"2DRMS", Number(json, "drms2")));
    EXPECT_EQ(PageText(page, IDC_ACC_VERTICAL_SIGMA), Metres(L"V SD", Number(json, "verticalSigma")));
    EXPECT_EQ(PageText(page, IDC_ACC_VERTICAL_95), Metres(L"V95", Number(json, "vertical95")));
    EXPECT_EQ(PageText(page, IDC_ACC_CN0), L"C/N0 " + Utf8ToWide(FixedText(*Number(json, "last"), 1)) + L" dB");
    EXPECT_EQ(PageText(page, IDC_ACC_REFERENCE).substr(0, 18), L"Ref: mean of fixes");
    EXPECT_NE(PageText(page, IDC_ACC_SYSTEMS).find(L"G 13/8"), std::wstring::npos) << PageText(page, IDC_ACC_SYSTEMS);
    SavePicture(page->m_hWnd, "accuracy-ublox-8-480x640");
  });
}

// A receiver sending many epochs between two of the reader's announcements
// (a 10 Hz receiver, or a log played fast): every epoch is counted all the
// same, as the decoder counts them.
TEST_F(AccuracyPageTest, EpochsFasterThanTheAnnouncementsAreAllCounted) {
  const std::filesystem::path log = std::filesystem::path(ZELMORA_SOURCE_DIR) / "tests/data/ublox-8.log";
  const std::string json = DecodeQuality(log);
  ASSERT_TRUE(Number(json, "epochs")) << json;
  const std::string bytes = ReadFile(log);
  const int master = AddMutePort(1);
  RunSheet([&] {
    StartSession();
    // Four kilobytes (several epochs) every 100 ms.
    for (std::size_t from = 0; from < bytes.size(); from += 4096) {
      const std::string piece = bytes.substr(from, 4096);
      ASSERT_EQ(write(master, piece.data(), piece.size()), static_cast<ssize_t>(piece.size()));
      Pass(100);
    }
    ASSERT_TRUE(PassUntil([&] { return setup_->m_quality.Epochs() >= *Number(json, "epochs"); }, 5000));
    Pass(1500);
    EXPECT_EQ(setup_->m_quality.Epochs(), *Number(json, "epochs"));
    EXPECT_EQ(setup_->m_quality.Figures().nFixes, *Number(json, "fixes"));
  });
}

// Second after second the newest fixes are added to the scatter as it
// stands; what the page then shows is what composing it afresh shows.
TEST_F(AccuracyPageTest, AddedDotsShowWhatComposingAfreshShows) {
  const std::filesystem::path log = std::filesystem::path(ZELMORA_SOURCE_DIR) / "tests/data/ublox-8.log";
  const std::string json = DecodeQuality(log);
  ASSERT_TRUE(Number(json, "latitude") && Number(json, "longitude")) << json;
  const std::string bytes = ReadFile(log);
  const int master = AddMutePort(1);
  RunSheet([&] {
    StartSession();
    // A fixed reference (the log's mean), so that composing afresh puts
    // every dot exactly where it was added.
    setup_->m_quality.SetReference(Geodetic{*Number(json, "latitude"), *Number(json, "longitude"), 0.0});
    CAccuracyPpg* page = ShowAccuracy();
    ASSERT_NE(page, nullptr);
    // An epoch a second, each seen by a refresh.
    for (std::size_t from = 0, end; (end = bytes.find('\n', bytes.find("RMC,", from))) != std::string::npos;
         from = end + 1) {
      const std::string piece = bytes.substr(from, end + 1 - from);
      ASSERT_EQ(write(master, piece.data(), piece.size()), static_cast<ssize_t>(piece.size()));
      Pass(CAccuracyPpg::kRefreshMs);
    }
    // The circles and texts catch up on the next slow refresh, though no
    // epoch comes.
    Pass(CAccuracyPpg::kRefreshMs * CAccuracyPpg::kSlowEvery);
    ASSERT_GT(page->Figures().nFixes, 50);
    const QImage added = ScatterShown(page);
    ASSERT_GT(added.width(), 100);
    ShowPage(0);
    ShowPage(kAccuracyPage);
    EXPECT_EQ(ScatterShown(page), added);
  });
}

// With the mean as the reference (it moves a little with every fix) the dots
// stay where they were drawn and the axes follow the mean: against the axes
// every dot lies where composing afresh puts it, give or take the pixel that
// rounding each of them gives.
TEST_F(AccuracyPageTest, DotsKeepTheirPlaceAgainstTheAxesWhileTheMeanMoves) {
  const std::vector<std::string> epochs = WanderingEpochs(150, 0.05);
  const int master = AddMutePort(1);
  RunSheet([&] {
    StartSession();
    CAccuracyPpg* page = ShowAccuracy();
    ASSERT_NE(page, nullptr);
    // The dots are placed afresh around the mean of 144 fixes; six more
    // move the mean about two pixels east.
    for (std::size_t i = 0; i < epochs.size(); ++i) {
      if (i == epochs.size() - 6) {
        ShowPage(0);
        ShowPage(kAccuracyPage);
      }
      ASSERT_EQ(write(master, epochs[i].data(), epochs[i].size()), static_cast<ssize_t>(epochs[i].size()));
      Pass(CAccuracyPpg::kRefreshMs);
    }
    Pass(CAccuracyPpg::kRefreshMs * CAccuracyPpg::kSlowEvery);
    ASSERT_EQ(page->Figures().nFixes, 150);
    ASSERT_FALSE(page->Figures().bUserReference);
    const QImage added = ScatterShown(page);
    ShowPage(0);
    ShowPage(kAccuracyPage);
    const QImage fresh = ScatterShown(page);

    // The axes: the inner column and row with the most grid pixels.
    const auto axes = [](const QImage& image) {
      QPoint best;
      int column = 0, row = 0;
      for (int i = 1; i + 1 < image.width(); ++i) {
        int down = 0, across = 0;
        for (int j = 1; j + 1 < image.height(); ++j) {
          down += image.pixel(i, j) == qRgb(192, 192, 192);
          across += image.pixel(j, i) == qRgb(192, 192, 192);
        }
        if (down > column) column = down, best.setX(i);
        if (across > row) row = across, best.setY(i);
      }
      return best;
    };
    const QPoint addedAxes = axes(added);
    const QPoint freshAxes = axes(fresh);
    const QPoint shift = addedAxes - freshAxes;
    ASSERT_NE(shift, QPoint()) << "the mean has moved since the dots were placed";
    ASSERT_LE(shift.manhattanLength(), 2 * static_cast<int>(CAccuracyPpg::kAnchorDriftPixels));
    // The dots, away from the texts along the top and bottom edges.
    int dots = 0, misplaced = 0;
    const QRect inside = added.rect().adjusted(2, added.height() / 8, -2, -added.height() / 8);
    for (int y = inside.top(); y <= inside.bottom(); ++y) {
      for (int x = inside.left(); x <= inside.right(); ++x) {
        if (fresh.pixel(x, y) != qRgb(0, 0, 0) || !inside.contains(x + shift.x(), y + shift.y())) continue;
        ++dots;
        bool near = false;
        for (int dy = -1; dy <= 1 && !near; ++dy) {
          for (int dx = -1; dx <= 1 && !near; ++dx) {
            near = added.pixel(x + shift.x() + dx, y + shift.y() + dy) == qRgb(0, 0, 0);
          }
        }
        misplaced += !near;
      }
    }
    ASSERT_GT(dots, 50);
    EXPECT_LE(misplaced, dots / 50) << "shift " << shift.x() << "," << shift.y();
  });
}

// Between slow refreshes new fixes show as dots only; the circles and texts
// follow on the next slow refresh, also when no epoch comes after.
TEST_F(AccuracyPageTest, CirclesAndTextsCatchUpOnTheNextSlowRefresh) {
  const std::vector<std::string> epochs = WanderingEpochs(12, 0.0);
  const int master = AddMutePort(1);
  RunSheet([&] {
    StartSession();
    setup_->m_quality.SetReference(Geodetic{48.1173, 11.5167, 0.0});
    CAccuracyPpg* page = ShowAccuracy();
    ASSERT_NE(page, nullptr);
    // Twelve epochs, one a refresh: the last two come between slow ones.
    for (const std::string& epoch : epochs) {
      ASSERT_EQ(write(master, epoch.data(), epoch.size()), static_cast<ssize_t>(epoch.size()));
      Pass(CAccuracyPpg::kRefreshMs);
    }
    ASSERT_EQ(page->Figures().nFixes, 12);
    const QImage waiting = ScatterShown(page);
    Pass(CAccuracyPpg::kRefreshMs * CAccuracyPpg::kSlowEvery);
    const QImage caughtUp = ScatterShown(page);
    ShowPage(0);
    ShowPage(kAccuracyPage);
    const QImage fresh = ScatterShown(page);
    ASSERT_FALSE(fresh.isNull());
    EXPECT_NE(waiting, fresh) << "the last epochs changed the overlay or lie under it";
    EXPECT_EQ(caughtUp, fresh);
  });
}

// Behind another page the figures go on being counted by the session, but
// the page neither reads nor draws them; in front it catches up at once.
// Reset starts afresh; Export writes one row a kept fix and the figures,
// and a box says where.
TEST_F(AccuracyPageTest, WorksOnlyInFrontResetsAndExports) {
  const std::filesystem::path log = std::filesystem::path(ZELMORA_SOURCE_DIR) / "tests/data/ublox-zed-f9p-nmea.log";
  const int master = AddMutePort(1);
  std::vector<MessageBoxRecord> boxes;
  SetMessageBoxAnswerer([&](const MessageBoxRecord& box) {
    boxes.push_back(box);
    return IDOK;
  });
  RunSheet([&] {
    CAccuracyPpg* page = ShowAccuracy();
    ASSERT_NE(page, nullptr);
    EXPECT_EQ(PageText(page, IDC_ACC_CEP50), L"CEP50 -") << "nothing known yet";
    ShowPage(1);
    ShowPage(0);
    StartSession();
    Feed(master, log, 20);
    ASSERT_GE(setup_->m_quality.Epochs(), 18);
    EXPECT_EQ(page->Figures().nEpochs, 0) << "behind the Setup page the figures are not read";
    ShowPage(kAccuracyPage);
    EXPECT_EQ(page->Figures().nEpochs, setup_->m_quality.Epochs());
    EXPECT_NE(PageText(page, IDC_ACC_CEP50), L"CEP50 -");

    const long long fixes = setup_->m_quality.Figures().nFixes;
    SendMessageW(GetDlgItem(page->m_hWnd, IDC_ACC_EXPORT), BM_CLICK, 0, 0);
    ASSERT_FALSE(page->SavedPath().empty());
    const std::filesystem::path saved = page->SavedPath();
    EXPECT_EQ(saved.parent_path(), folder_);
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_NE(boxes[0].text.find(Utf8ToWide(saved.filename().string())), std::wstring::npos);
    std::ifstream file(saved);
    std::string line;
    long long rows = 0;
    while (std::getline(file, line) && !line.empty()) ++rows;
    EXPECT_EQ(rows, fixes + 1) << "a header and one row a fix";
    bool cep50 = false;
    while (std::getline(file, line)) cep50 = cep50 || line.starts_with("cep50_m,");
    EXPECT_TRUE(cep50);

    SendMessageW(GetDlgItem(page->m_hWnd, IDC_ACC_RESET), BM_CLICK, 0, 0);
    EXPECT_EQ(page->Figures().nEpochs, 0);
    EXPECT_EQ(PageText(page, IDC_ACC_SAMPLES), L"Samples 0");
  });
}

}  // namespace
