// A configuration directory of the test's own: XDG_CONFIG_HOME names a
// fresh temporary folder while the object lives, and what it was after.
#pragma once

#include <filesystem>
#include <optional>
#include <string>

class TempConfigHome {
 public:
  // Throws std::runtime_error when no temporary folder can be made.
  TempConfigHome();
  ~TempConfigHome();
  TempConfigHome(const TempConfigHome&) = delete;
  TempConfigHome& operator=(const TempConfigHome&) = delete;

  const std::filesystem::path& Root() const { return m_root; }
  // Where the program keeps its settings below it.
  std::filesystem::path SettingsDir() const { return m_root / "zelmora"; }
  std::filesystem::path RegistryFile() const { return SettingsDir() / "registry.reg"; }

 private:
  std::optional<std::string> m_saved;
  std::filesystem::path m_root;
};

// A file's bytes; empty when it cannot be read.
std::string ReadFileText(const std::filesystem::path& file);
