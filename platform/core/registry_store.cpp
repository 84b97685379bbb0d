#include "platform/core/registry_store.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <map>
#include <memory>
#include <mutex>
#include <set>
#include <system_error>
#include <utility>

#include "platform/core/clock.h"
#include "platform/core/config_files.h"
#include "platform/core/diagnostics.h"

namespace {

std::string Directory(const std::string& file) {
  const std::size_t slash = file.rfind('/');
  if (slash == std::string::npos) return ".";
  return slash == 0 ? "/" : file.substr(0, slash);
}

// How long a change waits for another process to let go of the lock. A
// holder that keeps it longer is stuck (or a backup tool): the program goes
// on without the lock rather than hang.
constexpr DWORD kLockWaitMs = 1500;
constexpr DWORD kLockRetryMs = 50;

// The lock files whose last wait ran out; while one is listed, a change tries
// its lock once instead of waiting again, so that the three values of OK do
// not each wait the full time.
std::mutex g_stuckLock;
std::set<std::string> g_stuck;

// The exclusive lock on "<file>.lock", held while the object lives. The lock
// file is created once and never removed: removing it would let two
// processes lock two different files.
class FileLock {
 public:
  explicit FileLock(const std::string& file)
      : m_name(file + ".lock"), m_fd(::open(m_name.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600)) {
    if (m_fd.get() < 0) {
      m_error = errno;
      return;
    }
    bool stuck = false;
    {
      std::lock_guard guard(g_stuckLock);
      stuck = g_stuck.count(m_name) != 0;
    }
    const DWORD start = GetTickCount();
    for (;;) {
      if (::flock(m_fd.get(), LOCK_EX | LOCK_NB) == 0) break;
      if (errno == EINTR) continue;
      if (errno != EWOULDBLOCK) {
        m_error = errno;
        return;
      }
      if (stuck || GetTickCount() - start >= kLockWaitMs) {
        std::lock_guard guard(g_stuckLock);
        g_stuck.insert(m_name);
        m_error = EWOULDBLOCK;
        return;
      }
      Sleep(kLockRetryMs);
    }
    std::lock_guard guard(g_stuckLock);
    g_stuck.erase(m_name);
  }
  // 0 when the lock is held; EWOULDBLOCK when another process kept it.
  int error() const { return m_error; }
  const std::string& name() const { return m_name; }

 private:
  std::string m_name;
  UniqueFd m_fd;
  int m_error = 0;
};

// The trees of the files read last: a file that has not changed since
// (Unchanged) is not parsed again.
struct Parsed {
  FileStamp stamp;
  std::shared_ptr<const RegistryTree> tree;
  std::vector<RegistryParseError> errors;
};
std::mutex g_parsedLock;
std::map<std::string, Parsed> g_parsed;

std::string UtcStamp() {
  const std::time_t now = std::time(nullptr);
  std::tm utc{};
  ::gmtime_r(&now, &utc);
  char stamp[32];
  std::strftime(stamp, sizeof stamp, "%Y%m%dT%H%M%SZ", &utc);
  return stamp;
}

// The bad lines, one line of report for each run of them with the reasons
// met in it. Every bad line is named, since a person mending the file needs
// them all (the aside copy keeps the text as it was, so the numbers hold);
// a run takes one line, so that a file that is no settings at all (a log
// saved under the wrong name) costs one line, not thousands, and the size
// limit of a settings file bounds the rest.
std::string DamageReport(const std::string& file, const std::vector<RegistryParseError>& errors) {
  std::string report;
  for (std::size_t first = 0, end = 0; first < errors.size(); first = end) {
    std::string reasons = errors[first].reason;
    for (end = first + 1; end < errors.size() && errors[end].line == errors[end - 1].line + 1; ++end) {
      if (reasons.find(errors[end].reason) == std::string::npos) reasons += "; " + errors[end].reason;
    }
    const std::string firstLine = std::to_string(errors[first].line);
    report +=
        file +
        (end - first == 1 ? " line " + firstLine : " lines " + firstLine + "-" + std::to_string(errors[end - 1].line)) +
        ": " + reasons + "\n";
  }
  return report;
}

}  // namespace

RegistryStore::RegistryStore(std::string file) : m_file(std::move(file)) {}

std::string RegistryStore::UserFile() {
  const std::string dir = ConfigDirectory();
  return dir.empty() ? std::string() : dir + "/registry.reg";
}

RegistryStore::ReadOutcome RegistryStore::Read(RegistryTree& tree, int& error, std::string& why,
                                               std::vector<RegistryParseError>* errors) const {
  bool damaged = false;
  ConfigFileRead file = ReadConfigFile(m_file, [&](const struct stat& info) {
    std::lock_guard guard(g_parsedLock);
    const auto cached = g_parsed.find(m_file);
    if (cached == g_parsed.end() || !Unchanged(cached->second.stamp, info)) return false;
    tree = *cached->second.tree;
    if (errors != nullptr) *errors = cached->second.errors;
    damaged = !cached->second.errors.empty();
    return true;
  });
  error = file.error;
  why = file.why;
  switch (file.outcome) {
    case ConfigFileRead::Outcome::kUnchanged:
      return damaged ? ReadOutcome::kDamaged : ReadOutcome::kRead;
    case ConfigFileRead::Outcome::kMissing:
      return ReadOutcome::kMissing;
    case ConfigFileRead::Outcome::kUnreadable:
      return ReadOutcome::kUnreadable;
    case ConfigFileRead::Outcome::kRead:
      break;
  }
  Parsed parsed{file.stamp, nullptr, {}};
  tree = RegistryTree::ParseKeepingGood(file.text, parsed.errors);
  parsed.tree = std::make_shared<const RegistryTree>(tree);
  damaged = !parsed.errors.empty();
  if (errors != nullptr) *errors = parsed.errors;
  // A file that changed while it was read has times after the stamp's
  // reading time, so the next read parses it again.
  {
    std::lock_guard guard(g_parsedLock);
    g_parsed[m_file] = std::move(parsed);
  }
  return damaged ? ReadOutcome::kDamaged : ReadOutcome::kRead;
}

// Puts the values that parsed in the damaged file's place and keeps the file
// as it was under a name of its own beside it (beside the file a link points
// to). The damaged file stays in place until its replacement is: a hard link
// first gives it the aside name (the same file, so the same mode and times,
// and link fails rather than replace an earlier aside file), then the new
// file is renamed over the old name (WriteFileAtomically, which keeps the
// mode). A failed link changes nothing; a failed write leaves the damaged
// file where it was and the aside name is taken back. With nothing that
// parsed, the old name is only removed. Returns 0 or the errno; `report`
// holds what to say.
int RegistryStore::Repair(const RegistryTree& good, const std::vector<RegistryParseError>& errors,
                          std::string& report) const {
  report = m_file + " has lines that do not parse:\n" + DamageReport(m_file, errors);
  const std::string file = FollowLinks(m_file);
  int error = file.empty() ? errno : EEXIST;
  std::string aside;
  const std::string stem = file + ".corrupt-" + UtcStamp();
  for (int n = 0; n < 100 && error == EEXIST; ++n) {
    aside = n == 0 ? stem : stem + "-" + std::to_string(n);
    error = ::link(file.c_str(), aside.c_str()) == 0 ? 0 : errno;
  }
  if (error == 0) {
    const std::optional<RegistryKeySnapshot> root = good.Snapshot(L"");
    if (root->subKeys.empty() && root->values.empty()) {
      error = ::unlink(file.c_str()) == 0 ? 0 : errno;
    } else {
      error = WriteFileAtomically(file, good.Format()) ? 0 : errno;
    }
    if (error != 0) ::unlink(aside.c_str());
  }
  if (error != 0) {
    report += m_file + " cannot be mended (" + std::strerror(error) +
              "), so it stays as it is; the values that parse are in force, and no change is saved until it can be";
  } else {
    report += "the file as it was is kept as " + aside + "; the values that parsed stay in force";
  }
  return error;
}

RegistryTree RegistryStore::Load() const {
  RegistryTree tree;
  int error = 0;
  std::string why;
  // Every call reads the file, so what is wrong with it is said once, not at
  // every read.
  const std::string topic = "settings " + m_file;
  switch (Read(tree, error, why, nullptr)) {
    case ReadOutcome::kRead:
    case ReadOutcome::kMissing:
      WarnOnChange(topic, "");
      return tree;
    case ReadOutcome::kUnreadable:
      WarnOnChange(topic, "the settings in " + m_file + " are not read: " + why +
                              "; the defaults are in force, and no change is saved over the file");
      return RegistryTree{};
    case ReadOutcome::kDamaged:
      break;
  }
  // Check again under the lock: another instance may have moved it aside
  // and written a good file since. Without the lock, the values that parsed
  // are read all the same and the file is left for a later change to mend.
  FileLock lock(m_file);
  if (lock.error() == EWOULDBLOCK) return tree;
  if (lock.error() != 0) {
    WarnOnChange(topic, m_file + " has lines that do not parse and cannot be mended: cannot lock " + lock.name() +
                            ": " + std::strerror(lock.error()) + "; the values that parse are in force");
    return tree;
  }
  std::vector<RegistryParseError> errors;
  switch (Read(tree, error, why, &errors)) {
    case ReadOutcome::kRead:
      return tree;
    case ReadOutcome::kDamaged: {
      std::string report;
      Repair(tree, errors, report);
      WarnOnChange(topic, report);
      return tree;
    }
    case ReadOutcome::kMissing:
    case ReadOutcome::kUnreadable:
      break;
  }
  return RegistryTree{};
}

int RegistryStore::Update(const std::function<bool(RegistryTree&)>& change) const {
  if (m_file.empty()) {
    Warn("cannot save the settings: neither XDG_CONFIG_HOME nor HOME names a folder for them");
    return ENOENT;
  }
  std::error_code created;
  std::filesystem::create_directories(Directory(m_file), created);
  if (created) {
    Warn("cannot save the settings: cannot make the folder " + Directory(m_file) + ": " + created.message());
    return created.value();
  }
  FileLock lock(m_file);
  // A lock that another process keeps: the change goes ahead without it.
  // The write is still atomic; only a change that process makes at the same
  // moment could be lost, which is better than a program that hangs.
  if (lock.error() == EWOULDBLOCK) {
    Warn(lock.name() + " is held by another program; saving the settings without it");
  } else if (lock.error() != 0) {
    Warn("cannot save the settings in " + m_file + ": cannot lock " + lock.name() + ": " + std::strerror(lock.error()));
    return lock.error();
  }

  RegistryTree tree;
  int error = 0;
  std::string why;
  std::vector<RegistryParseError> errors;
  switch (Read(tree, error, why, &errors)) {
    case ReadOutcome::kRead:
    case ReadOutcome::kMissing:
      break;
    case ReadOutcome::kUnreadable:
      Warn("cannot save the settings in " + m_file + ": " + why + "; the file is left as it is");
      return error;
    case ReadOutcome::kDamaged: {
      std::string report;
      error = Repair(tree, errors, report);
      Warn(report);
      if (error != 0) return error;
      break;
    }
  }
  if (!change(tree)) return 0;
  if (WriteFileAtomically(m_file, tree.Format())) return 0;
  error = errno;
  Warn("cannot save the settings in " + m_file + ": " + std::strerror(error));
  return error;
}
