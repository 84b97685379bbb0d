// HKEY_CURRENT_USER kept in one text file, so that the user's settings
// outlive the process. The file is
//
//   $XDG_CONFIG_HOME/zelmora/registry.reg   ($XDG_CONFIG_HOME when it is set
//   ~/.config/zelmora/registry.reg           to an absolute path, else this)
//
// (the platform's configuration directory, ConfigDirectory()),
//
// in the Windows ".reg" export format (see registry_tree.h), UTF-8 with LF
// line ends, so a person can read it and change a value by hand, e.g. set
// "DemoMode"=dword:00000001 under [HKEY_CURRENT_USER\Software\Tavrin\Zelmora].
//
// The file is the only state: every read looks at the file (a file whose
// inode, size and times have not changed since the last read is not parsed
// again) and every change is one locked read-modify-write, so values that
// another running instance (or the person with an editor) wrote in between
// are kept.
//
// - The file is read only when it is a regular file (a symbolic link to one
//   is followed) of at most 1 MB (ReadConfigFile). Anything else (a FIFO, a
//   device, a folder, a larger file) is not read: readers get the defaults,
//   changes fail and never replace it, and standard error says why, once.
// - Writes are atomic (WriteFileAtomically: a temporary file in the same
//   directory, flushed to the disk, replaces the old file by rename, keeping
//   its mode); the directory is flushed after that. A symbolic link stays a
//   link: the file it points to is rewritten. A write that fails at any step
//   (read-only directory, full disk, a lock file that cannot be made) leaves
//   the old file as it was, and says so on standard error with the path and
//   the reason.
// - Changes are serialised between processes and threads by flock(LOCK_EX)
//   on "registry.reg.lock" beside the file, held from the re-read to the
//   rename. The wait for it is bounded (1.5 s): when another process keeps
//   it longer, reads go on without it and a change is written without it,
//   with a note on standard error.
// - A file with lines that do not parse is not lost: it is kept as
//   "registry.reg.corrupt-<UTC time>" (with "-<n>" added when that name is
//   taken), with its mode, and the values that did parse are written as a
//   new file in its place; standard error names every bad line. Until that
//   has succeeded the damaged file stays where it is, its good values in
//   force, and every change fails.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "platform/core/registry_tree.h"

class RegistryStore {
 public:
  // The store over `file`; its directory is created by the first change.
  explicit RegistryStore(std::string file);

  // The current user's file, from the environment at the time of the call;
  // empty when neither XDG_CONFIG_HOME nor HOME is set.
  static std::string UserFile();

  const std::string& File() const { return m_file; }

  // The hive as the file holds it now; empty when the file is missing or
  // cannot be read. Of a damaged file, the values that parse (the file is
  // then repaired as described above).
  RegistryTree Load() const;

  // Re-reads the file under the lock, lets `change` modify the hive (it
  // returns whether it changed anything) and writes the result atomically.
  // Returns 0, or the errno of the step that failed; the file then keeps
  // its old content. A file that exists but cannot be read fails the change
  // (EACCES, EINVAL for a FIFO, EFBIG ...) rather than being replaced by a
  // hive without its values.
  int Update(const std::function<bool(RegistryTree&)>& change) const;

 private:
  enum class ReadOutcome { kRead, kMissing, kUnreadable, kDamaged };
  // kDamaged: `tree` holds the values that parsed, `errors` (when given)
  // the lines that did not. kUnreadable: `error` and `why` say why.
  ReadOutcome Read(RegistryTree& tree, int& error, std::string& why, std::vector<RegistryParseError>* errors) const;
  int Repair(const RegistryTree& good, const std::vector<RegistryParseError>& errors, std::string& report) const;

  std::string m_file;
};
