// Recording from the Setup page: the Record button below the raw box while
// a session runs, --record's file from Start GPS, a full disk that ends the
// recording and not the session, and the handheld's $GP-only look without
// the recording's controls.
#include <QWidget>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "nmea/recording.h"
#include "platform/ui/message_box.h"
#include "platform/ui/ui_window.h"
#include "resources/resource_ids.h"
#include "session/recording_request.h"
#include "session_fixture.h"

namespace fs = std::filesystem;

namespace {

std::string ReadFile(const fs::path& path) {
  std::ifstream file(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

class RecordTest : public SessionTest {
 protected:
  void SetUp() override {
    SessionTest::SetUp();
    const char* data = std::getenv("XDG_DATA_HOME");
    if (data != nullptr) savedData_ = data;
    setenv("XDG_DATA_HOME", dir_.c_str(), 1);
  }
  void TearDown() override {
    if (savedData_) {
      setenv("XDG_DATA_HOME", savedData_->c_str(), 1);
    } else {
      unsetenv("XDG_DATA_HOME");
    }
    fs::remove_all(dir_);
    SessionTest::TearDown();
  }
  void StartSession() {
    Click(IDC_SETUP_START_STOP);
    ASSERT_TRUE(PassUntil([this] { return !SetupText(IDC_SETUP_RAW_TEXT).empty(); }, 3000));
  }
  bool Shown(UINT id) {
    const UiWindow* window = UiWindow::FromHandle(::GetDlgItem(setup_->m_hWnd, static_cast<int>(id)));
    return window != nullptr && window->Widget() != nullptr && window->Widget()->isVisible();
  }
  // The recordings in the data folder.
  std::vector<fs::path> Recordings() {
    std::vector<fs::path> files;
    if (!fs::exists(dir_ / "zelmora")) return files;
    for (const auto& entry : fs::directory_iterator(dir_ / "zelmora")) files.push_back(entry.path());
    return files;
  }

  const fs::path dir_ = fs::temp_directory_path() / ("zelmora-record-page-" + std::to_string(getpid()));
  std::optional<std::string> savedData_;
};

TEST_F(RecordTest, RecordWritesTheSessionIntoTheDataFolderUntilStop) {
  AddReceiver(1);
  RunSheet([&] {
    EXPECT_TRUE(Shown(IDC_SETUP_RECORD));
    EXPECT_EQ(SetupText(IDC_SETUP_RECORD), L"Record");
    EXPECT_FALSE(Enabled(IDC_SETUP_RECORD)) << "nothing to record without a session";
    StartSession();
    EXPECT_TRUE(Enabled(IDC_SETUP_RECORD));
    Click(IDC_SETUP_RECORD);
    EXPECT_EQ(SetupText(IDC_SETUP_RECORD), L"Stop rec.");
    ASSERT_EQ(Recordings().size(), 1u);
    const fs::path file = Recordings()[0];
    EXPECT_TRUE(file.filename().string().ends_with("_COM1.log")) << file;
    const std::wstring fileText = file.parent_path().wstring() + L"/\n" + file.filename().wstring();
    EXPECT_EQ(SetupText(IDC_SETUP_RECORD_FILE), fileText);
    Pass(5000);
    SavePicture(sheet_, "setup-recording.png");
    // Stop GPS ends the recording; the line says where it is.
    Click(IDC_SETUP_START_STOP);
    EXPECT_EQ(SetupText(IDC_SETUP_RECORD), L"Record");
    EXPECT_FALSE(Enabled(IDC_SETUP_RECORD));
    EXPECT_EQ(SetupText(IDC_SETUP_RECORD_FILE), fileText) << "where the recording is";
    const std::string text = ReadFile(file);
    EXPECT_TRUE(text.starts_with(std::string(kRecordingFirstLine) + "\r\n")) << text.substr(0, 200);
    EXPECT_NE(text.find("\r\n# port: COM1:"), std::string::npos);
    EXPECT_NE(text.find("\r\n# speed: 4800\r\n"), std::string::npos);
    EXPECT_NE(text.find("\r\n#t "), std::string::npos);
    EXPECT_GE(std::count(text.begin(), text.end(), '\n'), 20) << "five seconds of sentences";
    EXPECT_NE(text.find("$GPRMC,"), std::string::npos);
  });
  EXPECT_TRUE(MessageBoxesShown().empty());
}

TEST_F(RecordTest, RecordFileOptionRecordsTheFirstSessionFromStartGps) {
  AddReceiver(1);
  const fs::path file = dir_ / "asked" / "drive.nmea";
  RequestSessionRecording(file.string());
  RunSheet([&] {
    StartSession();
    EXPECT_EQ(SetupText(IDC_SETUP_RECORD), L"Stop rec.");
    Pass(3000);
    Click(IDC_SETUP_RECORD);
    EXPECT_EQ(SetupText(IDC_SETUP_RECORD), L"Record");
    EXPECT_TRUE(Enabled(IDC_SETUP_RECORD)) << "the session runs on";
  });
  EXPECT_NE(ReadFile(file).find("$GPGGA,"), std::string::npos);
  EXPECT_EQ(TakeRequestedRecording(), "");
}

TEST_F(RecordTest, AFullDiskEndsTheRecordingWithAMessageAndTheSessionGoesOn) {
  AddReceiver(1);
  RequestSessionRecording("/dev/full");
  RunSheet([&] {
    StartSession();
    // The recorder's writer runs on real time: each step leaves it some.
    ASSERT_TRUE(PassUntil(
        [&] {
          ::usleep(2000);
          return !MessageBoxesShown().empty();
        },
        300000));
    EXPECT_NE(MessageBoxesShown()[0].text.find(L"stopped: No space left on device"), std::wstring::npos)
        << MessageBoxesShown()[0].text;
    EXPECT_EQ(SetupText(IDC_SETUP_RECORD), L"Record");
    EXPECT_TRUE(RunningLook());
    const std::wstring raw = SetupText(IDC_SETUP_RAW_TEXT);
    EXPECT_TRUE(PassUntil([&] { return SetupText(IDC_SETUP_RAW_TEXT) != raw; }, 3000)) << "the session goes on";
  });
  EXPECT_EQ(MessageBoxesShown().size(), 1u);
}

TEST_F(RecordTest, TheHandheldsGpsOnlyLookHasNoRecordingControls) {
  WriteSetting(L"GpsOnly", 1);
  AddReceiver(1);
  RunSheet([&] {
    EXPECT_FALSE(Shown(IDC_SETUP_RECORD));
    EXPECT_FALSE(Shown(IDC_SETUP_RECORD_FILE));
    StartSession();
    EXPECT_FALSE(Shown(IDC_SETUP_RECORD));
  });
}

}  // namespace
