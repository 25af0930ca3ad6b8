// Files of the working directory: exclusive (never shared) opening, positioning,
// whole-buffer transfers, flushing to the disk, and the few path operations the
// program needs. Every call goes through the fault-injection seam, and every
// call that changes a file through the crash point (platform/fault.h).
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace platform {

enum class Access { Read, ReadWrite };
enum class Create {
  OpenExisting,  // fail when the file does not exist
  CreateAlways,  // create, or truncate an existing file
  OpenAlways,    // open an existing file, else create it
};

// An open file; closed by its destructor. Move-only.
class File {
 public:
  File() = default;
  ~File();
  File(File&& other) noexcept;
  File& operator=(File&& other) noexcept;
  File(const File&) = delete;
  File& operator=(const File&) = delete;

  bool is_open() const { return handle_ != kClosed; }
  std::intptr_t native() const { return handle_; }
  void adopt(std::intptr_t h) { handle_ = h; }
  std::intptr_t release() {
    std::intptr_t h = handle_;
    handle_ = kClosed;
    return h;
  }
  static constexpr std::intptr_t kClosed = -1;

 private:
  std::intptr_t handle_ = kClosed;
};

// Opens `path` for this process alone: a second open of the same file (by this
// or another process) fails while the first is open. Returns false on failure.
bool file_open(File& f, const std::string& path, Access access, Create create);
// Positions at `offset` bytes from the start.
bool file_seek(File& f, std::int64_t offset);
// Positions at the end; `pos` (optional) receives the new position.
bool file_seek_end(File& f, std::int64_t* pos = nullptr);
// The present position (counted as a seek by the fault seam).
bool file_tell(File& f, std::int64_t* pos);
// Reads up to n bytes; `got` receives the count (less than n at end of file,
// or when a short transfer is injected). False on an error.
bool file_read(File& f, void* buf, std::size_t n, std::size_t* got);
// Writes n bytes; `put` receives the count written. False on an error.
bool file_write(File& f, const void* buf, std::size_t n, std::size_t* put);
bool file_size(File& f, std::int64_t* size);
// Writes what was written to `f` through to the disk (its size and place
// included) and returns only when it is there.
bool file_flush(File& f);
// Closes; true when the close itself succeeded (also for a closed File).
bool file_close(File& f);

bool path_exists(const std::string& path);
bool file_delete(const std::string& path);
// Renames; fails when `to` exists already.
bool file_rename(const std::string& from, const std::string& to);
// Renames over an existing `to` in one step (used to put a completed
// temporary file into place).
bool file_replace(const std::string& from, const std::string& to);
// Makes the files created, renamed and deleted in directory `dir` so far stay
// so after a power failure. On Windows renames are written through at once
// and this does nothing more (but counts as a flush for the fault seam).
bool dir_flush(const std::string& dir);

// The process's current directory (without a trailing separator).
bool current_directory(std::string* dir);
// The separator between a directory and a file name on this system.
char path_separator();
// dir + separator + name.
std::string path_join(const std::string& dir, const std::string& name);

}  // namespace platform
