// The user's configuration directory and safe reads and writes of the
// settings files in it.
#pragma once

#include <sys/stat.h>
#include <unistd.h>

#include <cstddef>
#include <ctime>
#include <functional>
#include <string>

// A descriptor closed when it goes out of scope.
class UniqueFd {
 public:
  explicit UniqueFd(int fd) : m_fd(fd) {}
  ~UniqueFd() {
    if (m_fd >= 0) ::close(m_fd);
  }
  UniqueFd(const UniqueFd&) = delete;
  UniqueFd& operator=(const UniqueFd&) = delete;
  int get() const { return m_fd; }

 private:
  int m_fd;
};

// Maps to $XDG_CONFIG_HOME/zelmora, else $HOME/.config/zelmora; empty when
// neither variable is set.
std::string ConfigDirectory();

// Maps to $XDG_DATA_HOME/zelmora, else $HOME/.local/share/zelmora: where
// the program keeps what the user made (test results, recordings); empty
// when neither variable is set.
std::string DataDirectory();

// Maps to readlink, repeated: the file `path` names once the symbolic links
// it is made of are followed (40 at most, as the kernel follows), which need
// not exist yet; `path` itself when it is no link. Empty, errno ELOOP, for a
// loop. Links among the folders above are left to open and rename.
std::string FollowLinks(std::string path);

// Replaces `path` with `contents` so that a reader sees either the old file
// or the whole new one: a temporary file beside it, fsync, rename, fsync of
// the folder. A symbolic link stays a link: the file it points to is the one
// replaced, in that file's folder. The file keeps its mode; a new one is made
// with 0666 less the umask. Creates missing parent directories. Only a
// regular file is replaced (EINVAL for a FIFO, a device ...). False (errno
// set) when any step fails, the old file then being left as it was.
bool WriteFileAtomically(const std::string& path, const std::string& contents);

// What identifies a file's content without reading it: the file (device and
// inode), its size and its times, and when it was read.
struct FileStamp {
  dev_t device = 0;
  ino_t inode = 0;
  off_t size = 0;
  timespec modified{};
  timespec changed{};
  time_t readAt = 0;
};

// The stamp of a file with `info`, read at `readAt` (taken before the read).
FileStamp StampOf(const struct stat& info, time_t readAt);

// Whether the file with `info` still holds what was read at `stamp`, so it
// need not be read again. Time stamps are coarse: an edit of the same size in
// the same tick as the read would keep them, so a file changed less than two
// seconds before it was read counts as changed.
bool Unchanged(const FileStamp& stamp, const struct stat& info);

// The most a settings file may hold. A larger one is not read: a link to
// /dev/zero, or a log saved under the wrong name, would otherwise fill the
// memory.
constexpr std::size_t kConfigFileLimit = std::size_t{1} << 20;

// A settings file as ReadConfigFile found it.
struct ConfigFileRead {
  enum class Outcome { kRead, kUnchanged, kMissing, kUnreadable };
  Outcome outcome = Outcome::kMissing;
  int error = 0;     // kMissing, kUnreadable: the errno
  std::string why;   // kUnreadable: "it is a FIFO, not a regular file", "Permission denied" ...
  std::string text;  // kRead
  FileStamp stamp;   // kRead
};

// Maps to stat, open(O_RDONLY | O_NONBLOCK), fstat and read: the text of
// the settings file at `path`, a symbolic link followed. Anything but a
// regular file of at most kConfigFileLimit bytes is refused as unreadable
// (EINVAL, or EFBIG for its size) without a byte read, so that a FIFO does
// not block and a device does not flood. kUnchanged, without a read, when
// `unchanged` says the file with that status was read before.
ConfigFileRead ReadConfigFile(const std::string& path,
                              const std::function<bool(const struct stat&)>& unchanged = nullptr);
