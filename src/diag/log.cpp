#include "diag/log.h"

#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <string>

#include "platform/clock.h"
#include "platform/files.h"
#include "platform/workdir.h"
#include "diag/status.h"

namespace diag {
namespace {

struct LogState {
  bool debug = false;
  char text[kLogTextSize] = {};
};

LogState g_log;

const char kLogName[] = "Log.txt";

int build_log_path(std::string* path) {
  const std::string& dir = platform::working_directory();
  if (dir.empty()) return kLogNoDirectory;
  if (dir.find('\0') != std::string::npos) return kLogPathHasZero;
  if (!platform::working_path(kLogName, path)) return kLogPathTooLong;
  return kLogOk;
}

// log path + "_DDMMYYYY"
int build_dated_name(const std::string& log_path, const platform::LocalTime& t,
                     std::string* out) {
  char suffix[32];
  int n = std::snprintf(suffix, sizeof suffix, "_%02u%02u%04u", t.day, t.month, t.year);
  if (n != 9) return kLogDatedDate;
  if (log_path.size() + 9 > kLogMaxPath) return kLogDatedTooLong;
  *out = log_path + suffix;
  return kLogOk;
}

bool write_all(platform::File& f, const void* data, std::size_t n) {
  std::size_t put = 0;
  return platform::file_write(f, data, n, &put) && put == n;
}

// Opens the log for appending, moving a full one aside first.
int open_for_append(const std::string& path, const platform::LocalTime& now,
                    platform::File& f) {
  using platform::Access;
  using platform::Create;
  if (!platform::file_open(f, path, Access::ReadWrite, Create::OpenExisting)) {
    if (!platform::file_open(f, path, Access::ReadWrite, Create::OpenAlways)) return kLogCreate;
    return platform::file_seek(f, 0) ? kLogOk : kLogSeekNew;
  }
  std::int64_t size = 0;
  if (!platform::file_seek_end(f, &size)) return kLogSeekEnd;
  if (size < kLogLimit) return kLogOk;

  platform::file_close(f);
  std::string dated;
  int rc = build_dated_name(path, now, &dated);
  if (rc != kLogOk) return rc;
  // Fails when a log of that date was moved aside already: the entry is lost
  // and the full log stays where it is.
  if (!platform::file_rename(path, dated)) return kLogRename;
  if (!platform::file_open(f, path, Access::ReadWrite, Create::OpenAlways)) return kLogRecreate;
  return platform::file_seek(f, 0) ? kLogOk : kLogSeekNew;
}

int vlog(const char* fmt, va_list ap) {
  std::vsnprintf(g_log.text, sizeof g_log.text, fmt, ap);
  return log_write(g_log.text, 0);
}

}  // namespace

int log_write(const char* message, std::size_t length) {
  if (message == nullptr) message = "";
  if (length == 0) length = std::strlen(message);

  std::string path;
  int rc = build_log_path(&path);
  if (rc != kLogOk) return rc;

  platform::LocalTime now = platform::local_time();
  platform::File f;
  rc = open_for_append(path, now, f);
  if (rc != kLogOk) return rc;

  // Room for seven fields of up to ten digits each.
  char stamp[128];
  int n = std::snprintf(stamp, sizeof stamp, "%02u.%02u.%04u | %02u:%02u:%02u-%03u : ", now.day,
                        now.month, now.year, now.hour, now.minute, now.second, now.millisecond);
  if (!write_all(f, stamp, static_cast<std::size_t>(n))) return kLogWriteStamp;
  if (!write_all(f, message, length)) return kLogWriteMessage;
  if (!write_all(f, "\r\n", 2)) return kLogWriteLineEnd;
  return kLogOk;
}

int log_append(const char* lines, std::size_t length) {
  if (lines == nullptr || length == 0) return kLogOk;
  std::string path;
  int rc = build_log_path(&path);
  if (rc != kLogOk) return rc;
  platform::File f;
  rc = open_for_append(path, platform::local_time(), f);
  if (rc != kLogOk) return rc;
  return write_all(f, lines, length) ? kLogOk : kLogWriteMessage;
}

char* log_text() { return g_log.text; }

int log_line(const char* fmt, ...) {
  va_list ap;
  va_start(ap, fmt);
  int rc = vlog(fmt, ap);
  va_end(ap);
  return rc;
}

int log_trace(const char* fmt, ...) {
  if (!g_log.debug) return 0;
  va_list ap;
  va_start(ap, fmt);
  int rc = vlog(fmt, ap);
  va_end(ap);
  return rc;
}

void set_debug_logging(bool on) { g_log.debug = on; }
bool debug_logging() { return g_log.debug; }

void reset_diag() {
  g_log = LogState{};
  reset_status_text();
}

}  // namespace diag
