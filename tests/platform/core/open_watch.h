// Watches a directory for opens of the files in it (inotify), so a test can
// tell that a path was checked without being opened.
#pragma once

#include <sys/inotify.h>
#include <unistd.h>

#include <string>

class OpenWatch {
 public:
  explicit OpenWatch(const std::string& directory) : fd_(inotify_init1(IN_NONBLOCK | IN_CLOEXEC)) {
    if (fd_ >= 0) inotify_add_watch(fd_, directory.c_str(), IN_OPEN);
  }
  ~OpenWatch() {
    if (fd_ >= 0) close(fd_);
  }
  OpenWatch(const OpenWatch&) = delete;
  OpenWatch& operator=(const OpenWatch&) = delete;

  bool Works() const { return fd_ >= 0; }
  // The names opened since the last call, one per open.
  std::string Opened() {
    std::string names;
    alignas(inotify_event) char buffer[4096];
    for (;;) {
      const ssize_t n = read(fd_, buffer, sizeof buffer);
      if (n <= 0) return names;
      for (ssize_t at = 0; at < n;) {
        const auto* event = reinterpret_cast<const inotify_event*>(buffer + at);
        names += std::string(event->len > 0 ? event->name : ".") + " ";
        at += static_cast<ssize_t>(sizeof(inotify_event) + event->len);
      }
    }
  }

 private:
  int fd_;
};
