// The user's configuration directory and safe writes into it.
#pragma once

#include <sys/stat.h>

#include <ctime>
#include <string>

// Maps to $XDG_CONFIG_HOME/zelmora, else $HOME/.config/zelmora; empty when
// neither variable is set.
std::string ConfigDirectory();

// Replaces `path` with `contents` so that a reader sees either the old file
// or the whole new one: a temporary file beside it, fsync, rename. The file
// keeps its mode; a new one is made with 0666 less the umask. Creates
// missing parent directories. False (errno set) when any step fails, the
// old file then being left as it was.
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
