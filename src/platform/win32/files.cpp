// Win32 files. Paths are Windows-1252 bytes, as the program holds all its texts;
// they are widened here for the wide-character calls. "Not shared" is share
// mode 0: a second open of an open file fails, from this or another process.
#define WIN32_LEAN_AND_MEAN
#define NOMINMAX
#include <windows.h>

#include <string>

#include "platform/fault.h"
#include "platform/files.h"

namespace platform {
namespace {

// Windows-1252 0x80..0x9F; the other bytes are their own code points. The five
// unassigned bytes map to the C1 controls, as Windows itself does.
const wchar_t kHigh[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

std::wstring widen(const std::string& bytes) {
  std::wstring out;
  out.reserve(bytes.size());
  for (unsigned char c : bytes) {
    out.push_back(c >= 0x80 && c < 0xA0 ? kHigh[c - 0x80] : static_cast<wchar_t>(c));
  }
  return out;
}

// False when a character has no Windows-1252 byte.
bool narrow(const std::wstring& text, std::string* out) {
  std::string s;
  s.reserve(text.size());
  for (wchar_t w : text) {
    if (w < 0x80 || (w >= 0xA0 && w <= 0xFF)) {
      s.push_back(static_cast<char>(w));
      continue;
    }
    int i = 0;
    while (i < 32 && kHigh[i] != w) ++i;
    if (i == 32) return false;
    s.push_back(static_cast<char>(0x80 + i));
  }
  *out = s;
  return true;
}

HANDLE handle_of(const File& f) { return reinterpret_cast<HANDLE>(f.native()); }

bool move_to(File& f, std::int64_t offset, DWORD method, std::int64_t* pos) {
  LARGE_INTEGER to;
  to.QuadPart = offset;
  LARGE_INTEGER now;
  if (!SetFilePointerEx(handle_of(f), to, &now, method)) return false;
  if (pos) *pos = now.QuadPart;
  return true;
}

// Transfers are made in pieces a DWORD can count.
constexpr std::size_t kPiece = 1u << 30;

}  // namespace

// A closed File holds -1, which is INVALID_HANDLE_VALUE as a number.

bool file_open(File& f, const std::string& path, Access access, Create create) {
  file_close(f);
  if (access == Access::ReadWrite || create != Create::OpenExisting) crash::before_change();
  if (fault::hit(fault::Op::FileOpen)) return false;
  DWORD rights = GENERIC_READ | (access == Access::ReadWrite ? GENERIC_WRITE : 0);
  DWORD disposition = OPEN_EXISTING;
  if (create == Create::CreateAlways) disposition = CREATE_ALWAYS;
  if (create == Create::OpenAlways) disposition = OPEN_ALWAYS;
  HANDLE h = CreateFileW(widen(path).c_str(), rights, 0, nullptr, disposition,
                         FILE_ATTRIBUTE_NORMAL, nullptr);
  if (h == INVALID_HANDLE_VALUE) return false;
  f.adopt(reinterpret_cast<std::intptr_t>(h));
  return true;
}

bool file_seek(File& f, std::int64_t offset) {
  if (!f.is_open()) return false;
  if (fault::hit(fault::Op::FileSeek)) return false;
  return move_to(f, offset, FILE_BEGIN, nullptr);
}

bool file_seek_end(File& f, std::int64_t* pos) {
  if (!f.is_open()) return false;
  if (fault::hit(fault::Op::FileSeek)) return false;
  return move_to(f, 0, FILE_END, pos);
}

bool file_tell(File& f, std::int64_t* pos) {
  if (!f.is_open()) return false;
  if (fault::hit(fault::Op::FileSeek)) return false;
  return move_to(f, 0, FILE_CURRENT, pos);
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
    std::size_t piece = n - done < kPiece ? n - done : kPiece;
    DWORD r = 0;
    if (!ReadFile(handle_of(f), p + done, static_cast<DWORD>(piece), &r, nullptr)) return false;
    if (r == 0) break;  // end of file
    done += r;
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
    std::size_t piece = n - done < kPiece ? n - done : kPiece;
    DWORD w = 0;
    if (!WriteFile(handle_of(f), p + done, static_cast<DWORD>(piece), &w, nullptr)) return false;
    if (w == 0) return false;
    done += w;
  }
  if (put) *put = done;
  return true;
}

bool file_size(File& f, std::int64_t* size) {
  if (!f.is_open()) return false;
  if (fault::hit(fault::Op::FileSize)) return false;
  LARGE_INTEGER s;
  if (!GetFileSizeEx(handle_of(f), &s)) return false;
  *size = s.QuadPart;
  return true;
}

bool file_flush(File& f) {
  if (!f.is_open()) return false;
  crash::before_change();
  if (fault::hit(fault::Op::FileFlush)) return false;
  return FlushFileBuffers(handle_of(f)) != 0;
}

bool file_close(File& f) {
  if (!f.is_open()) return true;
  bool ok = CloseHandle(reinterpret_cast<HANDLE>(f.release())) != 0;
  if (fault::hit(fault::Op::FileClose)) ok = false;
  return ok;
}

bool path_exists(const std::string& path) {
  return GetFileAttributesW(widen(path).c_str()) != INVALID_FILE_ATTRIBUTES;
}

bool file_delete(const std::string& path) {
  crash::before_change();
  if (fault::hit(fault::Op::FileDelete)) return false;
  return DeleteFileW(widen(path).c_str()) != 0;
}

bool file_rename(const std::string& from, const std::string& to) {
  crash::before_change();
  if (fault::hit(fault::Op::FileRename)) return false;
  // Without MOVEFILE_REPLACE_EXISTING the move fails when `to` exists.
  return MoveFileExW(widen(from).c_str(), widen(to).c_str(), MOVEFILE_WRITE_THROUGH) != 0;
}

bool file_replace(const std::string& from, const std::string& to) {
  crash::before_change();
  if (fault::hit(fault::Op::FileRename)) return false;
  return MoveFileExW(widen(from).c_str(), widen(to).c_str(),
                     MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != 0;
}

bool dir_flush(const std::string&) {
  // Renames are made with MOVEFILE_WRITE_THROUGH and a file's own entry is
  // written with its contents by FlushFileBuffers: nothing is left to flush.
  crash::before_change();
  return !fault::hit(fault::Op::FileFlush);
}

bool current_directory(std::string* dir) {
  DWORD n = GetCurrentDirectoryW(0, nullptr);
  if (n == 0) return false;
  std::wstring buf(n, L'\0');
  DWORD got = GetCurrentDirectoryW(n, &buf[0]);
  if (got == 0 || got >= n) return false;
  buf.resize(got);
  // A drive root comes with its separator ("C:\"); everything else without.
  if (buf.size() > 3 && buf.back() == L'\\') buf.pop_back();
  if (buf.size() == 3 && buf[1] == L':') buf.pop_back();
  return narrow(buf, dir);
}

char path_separator() { return '\\'; }

std::string path_join(const std::string& dir, const std::string& name) {
  return dir + path_separator() + name;
}

}  // namespace platform
