#include "platform/core/registry_store.h"

#include <fcntl.h>
#include <stdio.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <ctime>
#include <filesystem>
#include <system_error>
#include <utility>

#include "platform/core/config_files.h"

namespace {

// A descriptor closed when it goes out of scope.
class Fd {
 public:
  explicit Fd(int fd) : m_fd(fd) {}
  ~Fd() {
    if (m_fd >= 0) ::close(m_fd);
  }
  Fd(const Fd&) = delete;
  Fd& operator=(const Fd&) = delete;
  int get() const { return m_fd; }

 private:
  int m_fd;
};

std::string Directory(const std::string& file) {
  const std::size_t slash = file.rfind('/');
  if (slash == std::string::npos) return ".";
  return slash == 0 ? "/" : file.substr(0, slash);
}

int ReadAll(int fd, std::string& out) {
  char buffer[4096];
  for (;;) {
    const ssize_t n = ::read(fd, buffer, sizeof buffer);
    if (n == 0) return 0;
    if (n < 0) {
      if (errno == EINTR) continue;
      return errno;
    }
    out.append(buffer, static_cast<std::size_t>(n));
  }
}

// The exclusive lock on "<file>.lock", held while the object lives. The lock
// file is created once and never removed: removing it would let two
// processes lock two different files.
class FileLock {
 public:
  explicit FileLock(const std::string& file)
      : m_fd(::open((file + ".lock").c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600)) {
    if (m_fd.get() < 0) {
      m_error = errno;
      return;
    }
    while (::flock(m_fd.get(), LOCK_EX) != 0) {
      if (errno != EINTR) {
        m_error = errno;
        return;
      }
    }
  }
  // 0 when the lock is held.
  int error() const { return m_error; }

 private:
  Fd m_fd;
  int m_error = 0;
};

std::string UtcStamp() {
  const std::time_t now = std::time(nullptr);
  std::tm utc{};
  ::gmtime_r(&now, &utc);
  char stamp[32];
  std::strftime(stamp, sizeof stamp, "%Y%m%dT%H%M%SZ", &utc);
  return stamp;
}

}  // namespace

RegistryStore::RegistryStore(std::string file) : m_file(std::move(file)) {}

std::string RegistryStore::UserFile() {
  const std::string dir = ConfigDirectory();
  return dir.empty() ? std::string() : dir + "/registry.reg";
}

RegistryStore::ReadOutcome RegistryStore::Read(RegistryTree& tree, int& error) const {
  Fd fd(::open(m_file.c_str(), O_RDONLY | O_CLOEXEC));
  if (fd.get() < 0) {
    error = errno;
    return errno == ENOENT ? ReadOutcome::kMissing : ReadOutcome::kUnreadable;
  }
  std::string text;
  error = ReadAll(fd.get(), text);
  if (error != 0) return ReadOutcome::kUnreadable;
  std::optional<RegistryTree> parsed = RegistryTree::Parse(text);
  if (!parsed) return ReadOutcome::kCorrupt;
  tree = std::move(*parsed);
  return ReadOutcome::kRead;
}

// Renames the unparsable file to a name of its own that no other file has:
// renameat2 with RENAME_NOREPLACE refuses to replace an earlier one.
int RegistryStore::MoveAside() const {
  const std::string stem = m_file + ".corrupt-" + UtcStamp();
  for (int n = 0; n < 100; ++n) {
    const std::string target = n == 0 ? stem : stem + "-" + std::to_string(n);
    if (::renameat2(AT_FDCWD, m_file.c_str(), AT_FDCWD, target.c_str(), RENAME_NOREPLACE) == 0) return 0;
    if (errno == EINVAL) {
      // A file system without RENAME_NOREPLACE: link fails when the target
      // exists, which gives the same guarantee.
      if (::link(m_file.c_str(), target.c_str()) == 0) return ::unlink(m_file.c_str()) == 0 ? 0 : errno;
    }
    if (errno != EEXIST) return errno;
  }
  return EEXIST;
}

RegistryTree RegistryStore::Load() const {
  RegistryTree tree;
  int error = 0;
  if (Read(tree, error) != ReadOutcome::kCorrupt) return tree;
  // Check again under the lock: another instance may have moved it aside
  // and written a good file since.
  FileLock lock(m_file);
  if (lock.error() != 0) return RegistryTree{};
  switch (Read(tree, error)) {
    case ReadOutcome::kRead:
      return tree;
    case ReadOutcome::kCorrupt:
      MoveAside();
      break;
    case ReadOutcome::kMissing:
    case ReadOutcome::kUnreadable:
      break;
  }
  return RegistryTree{};
}

int RegistryStore::Update(const std::function<bool(RegistryTree&)>& change) const {
  if (m_file.empty()) return ENOENT;
  std::error_code created;
  std::filesystem::create_directories(Directory(m_file), created);
  if (created) return created.value();
  FileLock lock(m_file);
  if (lock.error() != 0) return lock.error();

  RegistryTree tree;
  int error = 0;
  switch (Read(tree, error)) {
    case ReadOutcome::kRead:
    case ReadOutcome::kMissing:
      break;
    case ReadOutcome::kUnreadable:
      return error;
    case ReadOutcome::kCorrupt:
      error = MoveAside();
      if (error != 0) return error;
      tree = RegistryTree{};
      break;
  }
  if (!change(tree)) return 0;
  return WriteAtomically(tree.Format());
}

int RegistryStore::WriteAtomically(const std::string& text) const {
  if (!WriteFileAtomically(m_file, text)) return errno;
  // The rename is durable once the directory is; some file systems refuse
  // fsync on a directory, and the new file is in place either way.
  Fd dir(::open(Directory(m_file).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  if (dir.get() >= 0) ::fsync(dir.get());
  return 0;
}
