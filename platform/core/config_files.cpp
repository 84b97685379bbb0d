#include "platform/core/config_files.h"

#include <atomic>
#include <cerrno>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <sys/stat.h>
#include <system_error>
#include <unistd.h>

std::string ConfigDirectory() {
  const char* xdg = std::getenv("XDG_CONFIG_HOME");
  if (xdg != nullptr && *xdg == '/') return std::string(xdg) + "/zelmora";
  const char* home = std::getenv("HOME");
  if (home != nullptr && *home != '\0') return std::string(home) + "/.config/zelmora";
  return {};
}

bool WriteFileAtomically(const std::string& path, const std::string& contents) {
  std::filesystem::path target(path);
  std::error_code error;
  if (target.has_parent_path()) std::filesystem::create_directories(target.parent_path(), error);
  if (error) {
    errno = error.value();
    return false;
  }
  // The new file keeps the mode of the file it replaces; a first file gets
  // 0666 less the process's umask, as any file the user's programs create.
  struct stat existing {};
  const bool replaces = stat(path.c_str(), &existing) == 0;
  // A name of this process's own; O_EXCL makes sure no other file has it.
  static std::atomic<unsigned> serial{0};
  std::string temporary;
  int fd = -1;
  for (int attempt = 0; fd < 0 && attempt < 100; ++attempt) {
    temporary = path + ".tmp-" + std::to_string(getpid()) + "-" + std::to_string(serial++);
    fd = open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd < 0 && errno != EEXIST) return false;
  }
  if (fd < 0) return false;
  const char* data = contents.data();
  std::size_t left = contents.size();
  bool ok = true;
  while (ok && left > 0) {
    ssize_t n = write(fd, data, left);
    if (n < 0 && errno == EINTR) continue;
    ok = n > 0;
    if (ok) {
      data += n;
      left -= static_cast<std::size_t>(n);
    }
  }
  if (ok && replaces) ok = fchmod(fd, existing.st_mode & 07777) == 0;
  ok = ok && fsync(fd) == 0;
  int saved = errno;
  ok = (close(fd) == 0) && ok;
  if (ok && rename(temporary.c_str(), path.c_str()) == 0) return true;
  saved = ok ? errno : saved;
  unlink(temporary.c_str());
  errno = saved;
  return false;
}

FileStamp StampOf(const struct stat& info, time_t readAt) {
  return FileStamp{info.st_dev, info.st_ino, info.st_size, info.st_mtim, info.st_ctim, readAt};
}

bool Unchanged(const FileStamp& stamp, const struct stat& info) {
  constexpr time_t kSettledSeconds = 2;
  auto same = [](const timespec& a, const timespec& b) { return a.tv_sec == b.tv_sec && a.tv_nsec == b.tv_nsec; };
  return stamp.device == info.st_dev && stamp.inode == info.st_ino && stamp.size == info.st_size &&
         same(stamp.modified, info.st_mtim) && same(stamp.changed, info.st_ctim) &&
         stamp.readAt - info.st_ctim.tv_sec >= kSettledSeconds;
}
