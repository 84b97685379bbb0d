#include "platform/core/config_files.h"

#include <atomic>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <sys/stat.h>
#include <system_error>
#include <unistd.h>

namespace {

constexpr int kMaxLinks = 40;

std::string KindOf(mode_t mode) {
  if (S_ISDIR(mode)) return "a folder";
  if (S_ISFIFO(mode)) return "a FIFO";
  if (S_ISCHR(mode)) return "a character device";
  if (S_ISBLK(mode)) return "a block device";
  if (S_ISSOCK(mode)) return "a socket";
  return "of an unknown kind";
}

const char* const kTooLarge = "it is larger than the 1 MB a settings file may hold";

// Why a file with `info` is not read (its errno in `error`); empty when it may be.
std::string Refusal(const struct stat& info, int& error) {
  error = S_ISREG(info.st_mode) ? EFBIG : EINVAL;
  if (!S_ISREG(info.st_mode)) return "it is " + KindOf(info.st_mode) + ", not a regular file";
  if (static_cast<std::size_t>(info.st_size) > kConfigFileLimit) return kTooLarge;
  error = 0;
  return {};
}

// A file that is missing (ENOENT) or not read; `why` defaults to the errno's text.
ConfigFileRead Unreadable(int error, std::string why) {
  ConfigFileRead result;
  result.outcome = error == ENOENT ? ConfigFileRead::Outcome::kMissing : ConfigFileRead::Outcome::kUnreadable;
  result.error = error;
  result.why = why.empty() ? std::strerror(error) : std::move(why);
  return result;
}

}  // namespace

std::string ConfigDirectory() {
  const char* xdg = std::getenv("XDG_CONFIG_HOME");
  if (xdg != nullptr && *xdg == '/') return std::string(xdg) + "/zelmora";
  const char* home = std::getenv("HOME");
  if (home != nullptr && *home != '\0') return std::string(home) + "/.config/zelmora";
  return {};
}

std::string DataDirectory() {
  const char* xdg = std::getenv("XDG_DATA_HOME");
  if (xdg != nullptr && *xdg == '/') return std::string(xdg) + "/zelmora";
  const char* home = std::getenv("HOME");
  if (home != nullptr && *home != '\0') return std::string(home) + "/.local/share/zelmora";
  return {};
}

std::string FollowLinks(std::string path) {
  for (int hop = 0; hop < kMaxLinks; ++hop) {
    std::error_code notALink;
    const std::filesystem::path target = std::filesystem::read_symlink(path, notALink);
    if (notALink) return path;
    path = target.is_absolute() ? target.string() : (std::filesystem::path(path).parent_path() / target).string();
  }
  errno = ELOOP;
  return {};
}

bool WriteFileAtomically(const std::string& path, const std::string& contents) {
  // The settings file may be a link into, say, a repository of dotfiles: the
  // file it points to gets the new text and the link stays as it is.
  const std::string file = FollowLinks(path);
  if (file.empty()) return false;
  std::filesystem::path target(file);
  std::error_code error;
  if (target.has_parent_path()) std::filesystem::create_directories(target.parent_path(), error);
  if (error) {
    errno = error.value();
    return false;
  }
  // The new file keeps the mode of the file it replaces; a first file gets
  // 0666 less the process's umask, as any file the user's programs create.
  struct stat existing {};
  const bool replaces = stat(file.c_str(), &existing) == 0;
  // A FIFO or a device put in the file's place is someone's doing, not a
  // file of ours to replace.
  if (replaces && !S_ISREG(existing.st_mode)) {
    errno = EINVAL;
    return false;
  }
  // A name of this process's own; O_EXCL makes sure no other file has it.
  static std::atomic<unsigned> serial{0};
  std::string temporary;
  int fd = -1;
  for (int attempt = 0; fd < 0 && attempt < 100; ++attempt) {
    temporary = file + ".tmp-" + std::to_string(getpid()) + "-" + std::to_string(serial++);
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
  if (ok && rename(temporary.c_str(), file.c_str()) == 0) {
    // The rename is durable once the folder is; some file systems refuse
    // fsync on a folder, and the new file is in place either way.
    const UniqueFd folder(
        open(target.has_parent_path() ? target.parent_path().c_str() : ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (folder.get() >= 0) fsync(folder.get());
    return true;
  }
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

ConfigFileRead ReadConfigFile(const std::string& path, const std::function<bool(const struct stat&)>& unchanged) {
  // A look before the open, so that no device is opened at all (opening a
  // tty raises its modem lines), and a look after it at what was opened, in
  // case the name was given to another file in between.
  struct stat info {};
  int error = 0;
  if (::stat(path.c_str(), &info) != 0) return Unreadable(errno, {});
  if (std::string why = Refusal(info, error); !why.empty()) return Unreadable(error, why);
  const UniqueFd fd(::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC));
  if (fd.get() < 0 || ::fstat(fd.get(), &info) != 0) return Unreadable(errno, {});
  if (std::string why = Refusal(info, error); !why.empty()) return Unreadable(error, why);

  ConfigFileRead result;
  if (unchanged && unchanged(info)) {
    result.outcome = ConfigFileRead::Outcome::kUnchanged;
    return result;
  }
  result.outcome = ConfigFileRead::Outcome::kRead;
  result.stamp = StampOf(info, std::time(nullptr));
  result.text.reserve(static_cast<std::size_t>(info.st_size));
  char buffer[65536];
  for (;;) {
    const ssize_t n = ::read(fd.get(), buffer, sizeof buffer);
    if (n == 0) return result;
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) return Unreadable(errno, {});
    result.text.append(buffer, static_cast<std::size_t>(n));
    // A file that grew past the limit since the look is refused all the same.
    if (result.text.size() > kConfigFileLimit) return Unreadable(EFBIG, kTooLarge);
  }
}
