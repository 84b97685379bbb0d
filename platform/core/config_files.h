// The user's configuration directory and safe writes into it.
#pragma once

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
