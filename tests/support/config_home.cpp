#include "tests/support/config_home.h"

#include <stdlib.h>

#include <fstream>
#include <sstream>
#include <stdexcept>

TempConfigHome::TempConfigHome() {
  if (const char* saved = std::getenv("XDG_CONFIG_HOME")) m_saved = saved;
  std::string pattern = (std::filesystem::temp_directory_path() / "zelmora-config-XXXXXX").string();
  if (::mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("no temporary folder for the configuration");
  m_root = pattern;
  ::setenv("XDG_CONFIG_HOME", m_root.c_str(), 1);
}

TempConfigHome::~TempConfigHome() {
  if (m_saved) {
    ::setenv("XDG_CONFIG_HOME", m_saved->c_str(), 1);
  } else {
    ::unsetenv("XDG_CONFIG_HOME");
  }
  std::error_code ignored;
  std::filesystem::remove_all(m_root, ignored);
}

std::string ReadFileText(const std::filesystem::path& file) {
  std::ifstream in(file, std::ios::binary);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}
