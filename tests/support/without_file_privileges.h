// Takes away the calling thread's power to ignore file permissions while the
// object lives, so that a test running as root meets a read-only directory
// as a user does. Capabilities belong to the thread, and the permitted set
// brings them back. Tests check afterwards whether the permission holds and
// skip when it does not (a system that grants it some other way).
#pragma once

#include <linux/capability.h>
#include <sys/syscall.h>
#include <unistd.h>

class WithoutFilePrivileges {
 public:
  WithoutFilePrivileges() {
    header_.version = _LINUX_CAPABILITY_VERSION_3;
    header_.pid = 0;
    if (::syscall(SYS_capget, &header_, saved_) != 0) return;
    __user_cap_data_struct reduced[2] = {saved_[0], saved_[1]};
    for (int cap : {CAP_DAC_OVERRIDE, CAP_DAC_READ_SEARCH, CAP_FOWNER}) {
      reduced[cap / 32].effective &= ~(1u << (cap % 32));
    }
    dropped_ = ::syscall(SYS_capset, &header_, reduced) == 0;
  }
  ~WithoutFilePrivileges() {
    if (dropped_) ::syscall(SYS_capset, &header_, saved_);
  }
  WithoutFilePrivileges(const WithoutFilePrivileges&) = delete;
  WithoutFilePrivileges& operator=(const WithoutFilePrivileges&) = delete;

 private:
  __user_cap_header_struct header_{};
  __user_cap_data_struct saved_[2]{};
  bool dropped_ = false;
};
