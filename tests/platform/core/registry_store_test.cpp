#include "platform/core/registry_store.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "platform/core/config_files.h"
#include "tests/support/config_home.h"
#include "tests/support/in_child.h"
#include "tests/support/without_file_privileges.h"

namespace fs = std::filesystem;

namespace {

const std::wstring kAppKey = L"Software\\Tavrin\\Zelmora";

void WriteText(const fs::path& file, const std::string& text) { std::ofstream(file, std::ios::binary) << text; }

// Files in `dir` other than the file itself and its lock file.
std::vector<std::string> Leftovers(const fs::path& dir) {
  std::vector<std::string> names;
  for (const auto& entry : fs::directory_iterator(dir)) {
    const std::string name = entry.path().filename().string();
    if (name != "registry.reg" && name != "registry.reg.lock") names.push_back(name);
  }
  return names;
}

std::optional<DWORD> NumberIn(const RegistryTree& tree, const std::wstring& key, const std::wstring& name) {
  const RegistryValue* value = tree.FindValue(key, name);
  if (value == nullptr || value->type != REG_DWORD) return std::nullopt;
  DWORD number = 0;
  std::memcpy(&number, value->data.data(), sizeof number);
  return number;
}

int SetNumber(const RegistryStore& store, const std::wstring& key, const std::wstring& name, DWORD number) {
  return store.Update([&](RegistryTree& tree) { return tree.SetValue(key, name, NumberValue(number)); });
}

// A file size limit below the text to be written makes the write fail as a
// full disk does, for root as well.
class FileSizeLimit {
 public:
  explicit FileSizeLimit(rlim_t bytes) : m_handler(::signal(SIGXFSZ, SIG_IGN)) {
    ::getrlimit(RLIMIT_FSIZE, &m_saved);
    rlimit limited = m_saved;
    limited.rlim_cur = bytes;
    ::setrlimit(RLIMIT_FSIZE, &limited);
  }
  ~FileSizeLimit() {
    ::setrlimit(RLIMIT_FSIZE, &m_saved);
    ::signal(SIGXFSZ, m_handler);
  }

 private:
  sighandler_t m_handler;
  rlimit m_saved{};
};

class RegistryStoreTest : public testing::Test {
 protected:
  void SetUp() override {
    std::string pattern = (fs::temp_directory_path() / "zelmora-store-XXXXXX").string();
    ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
    root_ = pattern;
    dir_ = root_ / "config" / "zelmora";
    file_ = dir_ / "registry.reg";
  }
  void TearDown() override {
    fs::permissions(dir_, fs::perms::owner_all, fs::perm_options::add);
    fs::remove_all(root_);
  }

  fs::path root_;
  fs::path dir_;
  fs::path file_;
};

TEST_F(RegistryStoreTest, FirstChangeCreatesTheFileInAFreshDirectory) {
  RegistryStore store(file_.string());
  EXPECT_FALSE(store.Load().HasKey(kAppKey));
  EXPECT_EQ(store.Update([](RegistryTree& tree) {
    tree.SetValue(kAppKey, L"PortName", StringValue(L"COM1:"));
    return tree.SetValue(kAppKey, L"BaudRate", NumberValue(4800));
  }),
            0);
  EXPECT_EQ(ReadFileText(file_),
            "Windows Registry Editor Version 5.00\n\n"
            "[HKEY_CURRENT_USER\\Software]\n\n"
            "[HKEY_CURRENT_USER\\Software\\Tavrin]\n\n"
            "[HKEY_CURRENT_USER\\Software\\Tavrin\\Zelmora]\n"
            "\"PortName\"=\"COM1:\"\n"
            "\"BaudRate\"=dword:000012c0\n\n");
  EXPECT_TRUE(Leftovers(dir_).empty());
  EXPECT_EQ(NumberIn(store.Load(), kAppKey, L"baudrate"), 4800u);
}

TEST_F(RegistryStoreTest, AChangeKeepsWhatOthersWroteSinceTheLastRead) {
  RegistryStore first(file_.string());
  RegistryStore second(file_.string());
  ASSERT_EQ(SetNumber(first, kAppKey, L"BaudRate", 9600), 0);
  // A person sets the demo switch with an editor while both run.
  std::string text = ReadFileText(file_);
  text += "[HKEY_CURRENT_USER\\Software\\Tavrin\\Zelmora\\Hand]\n\"DemoMode\"=dword:00000001\n";
  WriteText(file_, text);
  ASSERT_EQ(SetNumber(second, kAppKey, L"DemoMode", 0), 0);
  ASSERT_EQ(SetNumber(first, L"Software\\Other", L"X", 3), 0);

  const RegistryTree tree = second.Load();
  EXPECT_EQ(NumberIn(tree, kAppKey, L"BaudRate"), 9600u);
  EXPECT_EQ(NumberIn(tree, kAppKey, L"DemoMode"), 0u);
  EXPECT_EQ(NumberIn(tree, kAppKey + L"\\Hand", L"DemoMode"), 1u);
  EXPECT_EQ(NumberIn(tree, L"Software\\Other", L"X"), 3u);
}

TEST_F(RegistryStoreTest, ProcessesWritingAtOnceLoseNoValue) {
  constexpr int kProcesses = 4;
  constexpr int kWrites = 12;
  std::vector<pid_t> children;
  for (int p = 0; p < kProcesses; ++p) {
    const pid_t pid = ::fork();
    ASSERT_GE(pid, 0);
    if (pid == 0) {
      RegistryStore store(file_.string());
      int failures = 0;
      for (int i = 0; i < kWrites; ++i) {
        failures += SetNumber(store, L"Software\\P" + std::to_wstring(p), L"V" + std::to_wstring(i),
                              static_cast<DWORD>(p * 1000 + i)) != 0;
      }
      ::_exit(failures == 0 ? 0 : 1);
    }
    children.push_back(pid);
  }
  for (pid_t pid : children) {
    int status = 0;
    ASSERT_EQ(::waitpid(pid, &status, 0), pid);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
  }
  const RegistryTree tree = RegistryStore(file_.string()).Load();
  for (int p = 0; p < kProcesses; ++p) {
    for (int i = 0; i < kWrites; ++i) {
      EXPECT_EQ(NumberIn(tree, L"Software\\P" + std::to_wstring(p), L"V" + std::to_wstring(i)),
                static_cast<DWORD>(p * 1000 + i));
    }
  }
  EXPECT_TRUE(Leftovers(dir_).empty());
}

TEST_F(RegistryStoreTest, AFileThatDoesNotParseIsMovedAsideNotOverwritten) {
  RegistryStore store(file_.string());
  ASSERT_EQ(SetNumber(store, kAppKey, L"BaudRate", 9600), 0);
  const std::string broken = "Windows Registry Editor Version 5.00\n\n[HKEY_CURRENT_USER\\Software\n";
  WriteText(file_, broken);

  EXPECT_FALSE(store.Load().HasKey(L"Software"));
  EXPECT_FALSE(fs::exists(file_));
  std::vector<std::string> aside = Leftovers(dir_);
  ASSERT_EQ(aside.size(), 1u);
  EXPECT_TRUE(aside[0].starts_with("registry.reg.corrupt-")) << aside[0];
  EXPECT_EQ(ReadFileText(dir_ / aside[0]), broken);

  // A second broken file in the same second gets a name of its own.
  WriteText(file_, "not a registry file");
  ASSERT_EQ(SetNumber(store, kAppKey, L"DemoMode", 1), 0);
  aside = Leftovers(dir_);
  EXPECT_EQ(aside.size(), 2u);
  const RegistryTree tree = store.Load();
  EXPECT_EQ(NumberIn(tree, kAppKey, L"DemoMode"), 1u);
  EXPECT_EQ(NumberIn(tree, kAppKey, L"BaudRate"), std::nullopt);
}

TEST_F(RegistryStoreTest, AReadOnlyDirectoryKeepsTheOldFile) {
  RegistryStore store(file_.string());
  ASSERT_EQ(SetNumber(store, kAppKey, L"BaudRate", 9600), 0);
  const std::string before = ReadFileText(file_);
  fs::permissions(dir_, fs::perms::owner_read | fs::perms::owner_exec);
  WithoutFilePrivileges user;
  if (::faccessat(AT_FDCWD, dir_.c_str(), W_OK, AT_EACCESS) == 0)
    GTEST_SKIP() << "this process can write to a read-only directory";

  EXPECT_NE(SetNumber(store, kAppKey, L"BaudRate", 4800), 0);
  EXPECT_EQ(ReadFileText(file_), before);
  EXPECT_EQ(NumberIn(store.Load(), kAppKey, L"BaudRate"), 9600u);

  // A broken file there cannot be moved aside: readers get their defaults,
  // and no change replaces it.
  fs::permissions(dir_, fs::perms::owner_write, fs::perm_options::add);
  WriteText(file_, "broken");
  fs::permissions(dir_, fs::perms::owner_write, fs::perm_options::remove);
  EXPECT_FALSE(store.Load().HasKey(L"Software"));
  EXPECT_NE(SetNumber(store, kAppKey, L"BaudRate", 4800), 0);
  EXPECT_EQ(ReadFileText(file_), "broken");
  EXPECT_TRUE(Leftovers(dir_).empty());
}

TEST_F(RegistryStoreTest, AFileThatCannotBeReadIsNotReplaced) {
  RegistryStore store(file_.string());
  ASSERT_EQ(SetNumber(store, kAppKey, L"BaudRate", 9600), 0);
  const std::string before = ReadFileText(file_);
  fs::permissions(file_, fs::perms::none);
  {
    WithoutFilePrivileges user;
    if (::faccessat(AT_FDCWD, file_.c_str(), R_OK, AT_EACCESS) == 0)
      GTEST_SKIP() << "this process can read a file without permissions";
    EXPECT_NE(SetNumber(store, kAppKey, L"DemoMode", 1), 0);
  }
  fs::permissions(file_, fs::perms::owner_read | fs::perms::owner_write);
  EXPECT_EQ(ReadFileText(file_), before);
}

TEST_F(RegistryStoreTest, AFullDiskKeepsTheOldFile) {
  RegistryStore store(file_.string());
  ASSERT_EQ(SetNumber(store, kAppKey, L"BaudRate", 9600), 0);
  const std::string before = ReadFileText(file_);

  int error = 0;
  {
    FileSizeLimit full(before.size() / 2);
    error = SetNumber(store, kAppKey, L"DemoMode", 1);
  }

  EXPECT_EQ(error, EFBIG);
  EXPECT_EQ(ReadFileText(file_), before);
  EXPECT_TRUE(Leftovers(dir_).empty());
}

TEST_F(RegistryStoreTest, RewritesKeepTheFileModeAndNewFilesFollowTheUmask) {
  RegistryStore store(file_.string());
  const mode_t savedMask = ::umask(027);
  const int created = SetNumber(store, kAppKey, L"BaudRate", 9600);
  ::umask(savedMask);
  ASSERT_EQ(created, 0);
  EXPECT_EQ(fs::status(file_).permissions(), fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);

  for (const fs::perms mode : {fs::perms::owner_read | fs::perms::owner_write,
                               fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read |
                                   fs::perms::group_write | fs::perms::others_read}) {
    fs::permissions(file_, mode);
    ASSERT_EQ(SetNumber(store, kAppKey, L"BaudRate", static_cast<DWORD>(mode)), 0);
    EXPECT_EQ(fs::status(file_).permissions(), mode);
  }
}

TEST_F(RegistryStoreTest, AnEditOfTheSameSizeIsReadAtOnce) {
  RegistryStore store(file_.string());
  ASSERT_EQ(SetNumber(store, kAppKey, L"BaudRate", 0x1111), 0);
  EXPECT_EQ(NumberIn(store.Load(), kAppKey, L"BaudRate"), 0x1111u);
  // Rewritten in place within the same moment: same inode, same size.
  std::string text = ReadFileText(file_);
  const std::size_t at = text.find("00001111");
  ASSERT_NE(at, std::string::npos);
  text.replace(at, 8, "00002222");
  {
    std::fstream out(file_, std::ios::binary | std::ios::in | std::ios::out);
    out << text;
  }
  EXPECT_EQ(NumberIn(store.Load(), kAppKey, L"BaudRate"), 0x2222u);
}

TEST_F(RegistryStoreTest, WhatIsNoSmallRegularFileIsRefusedAtOnceAndNeverSavedOver) {
  fs::create_directories(dir_);
  const std::string large =
      "Windows Registry Editor Version 5.00\n\n[HKEY_CURRENT_USER\\A]\n;" + std::string(kConfigFileLimit, '-') + "\n";
  const struct {
    std::function<void()> make;
    std::string why;
  } cases[] = {
      {[&] { fs::create_symlink("/dev/zero", file_); }, "it is a character device, not a regular file"},
      {[&] { ::mkfifo(file_.c_str(), 0600); }, "it is a FIFO, not a regular file"},
      {[&] { WriteText(file_, large); }, "it is larger than the 1 MB a settings file may hold"},
  };
  const fs::path said = root_ / "stderr";
  for (const auto& c : cases) {
    fs::remove(file_);
    c.make();
    const fs::file_type type = fs::symlink_status(file_).type();
    RegistryStore store(file_.string());
    // Read twice and saved twice: said at the first read and at each save.
    EXPECT_EQ(ExitCodeInChild([&] {
                ::dup2(::open(said.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600), STDERR_FILENO);
                return store.Load().HasKey(L"A") + store.Load().HasKey(L"A") + (SetNumber(store, L"A", L"B", 1) == 0) +
                       (SetNumber(store, L"A", L"B", 1) == 0);
              }),
              0)
        << c.why;
    const std::string save =
        "Zelmora: cannot save the settings in " + file_.string() + ": " + c.why + "; the file is left as it is\n";
    EXPECT_EQ(ReadFileText(said), "Zelmora: the settings in " + file_.string() + " are not read: " + c.why +
                                      "; the defaults are in force, and no change is saved over the file\n" + save +
                                      save);
    EXPECT_EQ(fs::symlink_status(file_).type(), type) << c.why;
  }
  EXPECT_EQ(ReadFileText(file_), large);
}

TEST_F(RegistryStoreTest, RepairPutsTheNewFileInPlaceBeforeTheOldGoesAsideAndKeepsTheMode) {
  std::string damaged = "Windows Registry Editor Version 5.00\n\n[HKEY_CURRENT_USER\\A]\n";
  for (int i = 0; i < 30; ++i) damaged += "\"Bad\"=1\n\"Good\"=dword:00000002\n";
  fs::create_directories(dir_);
  WriteText(file_, damaged);
  fs::permissions(file_, fs::perms::owner_read | fs::perms::owner_write);
  RegistryStore store(file_.string());
  {
    FileSizeLimit full(16);
    EXPECT_EQ(NumberIn(store.Load(), L"A", L"Good"), 2u);
    EXPECT_EQ(SetNumber(store, L"A", L"Good", 3), EFBIG);
  }
  EXPECT_EQ(ReadFileText(file_), damaged);
  EXPECT_TRUE(Leftovers(dir_).empty());

  testing::internal::CaptureStderr();
  EXPECT_EQ(NumberIn(store.Load(), L"A", L"Good"), 2u);
  const std::string report = testing::internal::GetCapturedStderr();
  for (int line = 4; line < 64; line += 2)
    EXPECT_NE(report.find(" line " + std::to_string(line) + ":"), std::string::npos) << line;
  const std::vector<std::string> aside = Leftovers(dir_);
  ASSERT_EQ(aside.size(), 1u);
  EXPECT_EQ(ReadFileText(dir_ / aside[0]), damaged);
  for (const fs::path& file : {file_, dir_ / aside[0]}) {
    EXPECT_EQ(fs::status(file).permissions(), fs::perms::owner_read | fs::perms::owner_write) << file;
  }
}

TEST_F(RegistryStoreTest, ALinkedFileIsWrittenThroughToItsTargetAndStaysALink) {
  const fs::path target = root_ / "dotfiles" / "zelmora.reg";
  fs::create_directories(dir_);
  fs::create_symlink("../../dotfiles/zelmora.reg", file_);
  RegistryStore store(file_.string());
  ASSERT_EQ(SetNumber(store, kAppKey, L"BaudRate", 9600), 0);
  ASSERT_EQ(SetNumber(store, kAppKey, L"BaudRate", 4800), 0);
  EXPECT_TRUE(fs::is_symlink(file_));
  EXPECT_EQ(NumberIn(RegistryTree::Parse(ReadFileText(target)).value_or(RegistryTree{}), kAppKey, L"BaudRate"), 4800u);
  EXPECT_TRUE(Leftovers(dir_).empty());
}

TEST_F(RegistryStoreTest, EveryFailedSaveSaysWhereAndWhy) {
  fs::create_directories(dir_);
  fs::permissions(dir_, fs::perms::owner_read | fs::perms::owner_exec);
  WithoutFilePrivileges user;
  if (::faccessat(AT_FDCWD, dir_.c_str(), W_OK, AT_EACCESS) == 0)
    GTEST_SKIP() << "this process can write to a read-only directory";
  const fs::path below = dir_ / "below" / "registry.reg";
  for (const auto& [file, said] : {
           std::pair{file_, "cannot save the settings in " + file_.string() + ": cannot lock " + file_.string() +
                                ".lock: Permission denied"},
           std::pair{below, "cannot save the settings: cannot make the folder " + below.parent_path().string() +
                                ": Permission denied"},
       }) {
    testing::internal::CaptureStderr();
    EXPECT_EQ(SetNumber(RegistryStore(file.string()), kAppKey, L"BaudRate", 4800), EACCES);
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "Zelmora: " + said + "\n");
  }
}

TEST(RegistryStoreUserFileTest, FollowsTheXdgConfigurationDirectory) {
  const char* savedXdg = std::getenv("XDG_CONFIG_HOME");
  const std::string xdg = savedXdg != nullptr ? savedXdg : "";
  const char* savedHome = std::getenv("HOME");
  const std::string home = savedHome != nullptr ? savedHome : "";

  ::setenv("XDG_CONFIG_HOME", "/tmp/conf", 1);
  EXPECT_EQ(RegistryStore::UserFile(), "/tmp/conf/zelmora/registry.reg");
  ::setenv("XDG_CONFIG_HOME", "relative/conf", 1);
  ::setenv("HOME", "/home/someone", 1);
  EXPECT_EQ(RegistryStore::UserFile(), "/home/someone/.config/zelmora/registry.reg");
  ::unsetenv("XDG_CONFIG_HOME");
  ::unsetenv("HOME");
  EXPECT_EQ(RegistryStore::UserFile(), "");

  if (savedXdg != nullptr) ::setenv("XDG_CONFIG_HOME", xdg.c_str(), 1);
  if (savedHome != nullptr) ::setenv("HOME", home.c_str(), 1);
}

}  // namespace
