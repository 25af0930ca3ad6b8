// POSIX files. "Not shared" is an advisory exclusive lock (flock) taken at open:
// a second open of a locked file fails, whether from this process or another.
#include <cerrno>
#include <climits>
#include <cstdio>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/fault.h"
#include "platform/files.h"

namespace platform {
namespace {

int fd_of(const File& f) { return static_cast<int>(f.native()); }

}  // namespace

bool file_open(File& f, const std::string& path, Access access, Create create) {
  file_close(f);
  if (access == Access::ReadWrite || create != Create::OpenExisting) crash::before_change();
  if (fault::hit(fault::Op::FileOpen)) return false;
  int flags = (access == Access::ReadWrite ? O_RDWR : O_RDONLY) | O_CLOEXEC;
  // Creating needs write access to the directory entry; a read-only create still
  // opens the new file read-only afterwards.
  bool exists = path_exists(path);
  if (create == Create::OpenExisting && !exists) return false;
  if (create != Create::OpenExisting && !exists) flags |= O_CREAT;
  int fd = ::open(path.c_str(), flags, 0644);
  if (fd < 0) return false;
  if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
    ::close(fd);
    return false;
  }
  if (create == Create::CreateAlways && exists) {
    if (access != Access::ReadWrite || ::ftruncate(fd, 0) != 0) {
      ::close(fd);
      return false;
    }
  }
  f.adopt(fd);
  return true;
}

bool file_seek(File& f, std::int64_t offset) {
  if (!f.is_open()) return false;
  if (fault::hit(fault::Op::FileSeek)) return false;
  return ::lseek(fd_of(f), static_cast<off_t>(offset), SEEK_SET) == static_cast<off_t>(offset);
}

bool file_seek_end(File& f, std::int64_t* pos) {
  if (!f.is_open()) return false;
  if (fault::hit(fault::Op::FileSeek)) return false;
  off_t p = ::lseek(fd_of(f), 0, SEEK_END);
  if (p < 0) return false;
  if (pos) *pos = p;
  return true;
}

bool file_tell(File& f, std::int64_t* pos) {
  if (!f.is_open()) return false;
  if (fault::hit(fault::Op::FileSeek)) return false;
  off_t p = ::lseek(fd_of(f), 0, SEEK_CUR);
  if (p < 0) return false;
  *pos = p;
  return true;
}

bool file_read(File& f, void* buf, std::size_t n, std::size_t* got) {
  if (got) *got = 0;
  if (!f.is_open()) return false;
  fault::Kind kind;
  if (fault::hit(fault::Op::FileRead, &kind)) {
    if (kind == fault::Kind::Fail || n == 0) return false;
    n -= 1;  // a short read: one byte less than asked
  }
  std::size_t done = 0;
  auto* p = static_cast<unsigned char*>(buf);
  while (done < n) {
    ssize_t r = ::read(fd_of(f), p + done, n - done);
    if (r < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    if (r == 0) break;
    done += static_cast<std::size_t>(r);
  }
  if (got) *got = done;
  return true;
}

bool file_write(File& f, const void* buf, std::size_t n, std::size_t* put) {
  if (put) *put = 0;
  if (!f.is_open()) return false;
  crash::before_change();
  fault::Kind kind;
  if (fault::hit(fault::Op::FileWrite, &kind)) {
    if (kind == fault::Kind::Fail || n == 0) return false;
    n -= 1;  // a short write: one byte less than asked
  }
  std::size_t done = 0;
  const auto* p = static_cast<const unsigned char*>(buf);
  while (done < n) {
    ssize_t r = ::write(fd_of(f), p + done, n - done);
    if (r < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    done += static_cast<std::size_t>(r);
  }
  if (put) *put = done;
  return true;
}

bool file_size(File& f, std::int64_t* size) {
  if (!f.is_open()) return false;
  if (fault::hit(fault::Op::FileSize)) return false;
  struct stat st{};
  if (::fstat(fd_of(f), &st) != 0) return false;
  *size = st.st_size;
  return true;
}

bool file_flush(File& f) {
  if (!f.is_open()) return false;
  crash::before_change();
  if (fault::hit(fault::Op::FileFlush)) return false;
  while (::fsync(fd_of(f)) != 0) {
    if (errno != EINTR) return false;
  }
  return true;
}

bool file_close(File& f) {
  if (!f.is_open()) return true;
  int fd = static_cast<int>(f.release());
  bool ok = ::close(fd) == 0;  // closing also drops the lock
  if (fault::hit(fault::Op::FileClose)) ok = false;
  return ok;
}

bool path_exists(const std::string& path) {
  struct stat st{};
  return ::stat(path.c_str(), &st) == 0;
}

bool file_delete(const std::string& path) {
  crash::before_change();
  if (fault::hit(fault::Op::FileDelete)) return false;
  return ::unlink(path.c_str()) == 0;
}

bool file_rename(const std::string& from, const std::string& to) {
  crash::before_change();
  if (fault::hit(fault::Op::FileRename)) return false;
  if (path_exists(to)) return false;
  return ::rename(from.c_str(), to.c_str()) == 0;
}

bool file_replace(const std::string& from, const std::string& to) {
  crash::before_change();
  if (fault::hit(fault::Op::FileRename)) return false;
  return ::rename(from.c_str(), to.c_str()) == 0;
}

bool dir_flush(const std::string& dir) {
  crash::before_change();
  if (fault::hit(fault::Op::FileFlush)) return false;
  int fd = ::open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return false;
  int rc;
  while ((rc = ::fsync(fd)) != 0 && errno == EINTR) {
  }
  ::close(fd);
  return rc == 0;
}

bool current_directory(std::string* dir) {
  char buf[PATH_MAX];
  if (::getcwd(buf, sizeof buf) == nullptr) return false;
  *dir = buf;
  return true;
}

char path_separator() { return '/'; }

std::string path_join(const std::string& dir, const std::string& name) {
  return dir + path_separator() + name;
}

}  // namespace platform
