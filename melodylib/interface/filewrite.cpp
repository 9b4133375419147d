#include "filewrite.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <vector>

#include "../model/errors.h"

namespace rv {
namespace {

bool writeAll(int fd, const std::string& bytes) {
  const char* p = bytes.data();
  std::size_t left = bytes.size();
  while (left > 0) {
    const ssize_t n = ::write(fd, p, left);
    if (n < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    p += n;
    left -= static_cast<std::size_t>(n);
  }
  return true;
}

int writeDirectly(const std::string& path, const std::string& bytes) {
  const int fd = ::open(path.c_str(), O_WRONLY | O_TRUNC | O_CLOEXEC);
  if (fd < 0) return 51;
  const bool ok = writeAll(fd, bytes);
  const bool closed = ::close(fd) == 0;
  if (!ok || !closed) throw RVXFileErrWrite();
  return 1;
}

// The permission bits a newly created file gets from the process's umask.
mode_t newFileMode() {
  const mode_t mask = ::umask(0);
  ::umask(mask);
  return 0666 & ~mask;
}

}  // namespace

int writeFileReplacing(const std::string& requested, const std::string& bytes) {
  // A symbolic link stays a link: the file it points to is the one replaced.
  std::string path = requested;
  struct stat linkInfo {};
  if (::lstat(path.c_str(), &linkInfo) == 0 && S_ISLNK(linkInfo.st_mode)) {
    if (char* resolved = ::realpath(path.c_str(), nullptr)) {
      path = resolved;
      std::free(resolved);
    }
  }

  struct stat info {};
  const bool exists = ::stat(path.c_str(), &info) == 0;
  if (exists && !S_ISREG(info.st_mode)) return writeDirectly(path, bytes);

  const std::size_t slash = path.rfind('/');
  const std::string folder = slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
  const std::string base = slash == std::string::npos ? path : path.substr(slash + 1);
  std::string pattern = folder + "." + base + ".XXXXXX";
  std::vector<char> tempName(pattern.begin(), pattern.end());
  tempName.push_back('\0');
  const int fd = ::mkostemp(tempName.data(), O_CLOEXEC);
  if (fd < 0) return 51;

  const mode_t mode = exists ? (info.st_mode & 07777) : newFileMode();
  bool ok = ::fchmod(fd, mode) == 0 || exists;
  ok = writeAll(fd, bytes) && ok;
  ok = ::close(fd) == 0 && ok;
  if (ok) ok = ::rename(tempName.data(), path.c_str()) == 0;
  if (!ok) {
    ::unlink(tempName.data());
    throw RVXFileErrWrite();
  }
  return 1;
}

}  // namespace rv
