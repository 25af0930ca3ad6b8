// Changes of several files as one: writing the new files, the intent file,
// putting the new files into place, and the recovery after a crash.
#include "store/commit.h"

#include <algorithm>
#include <array>
#include <cstring>

#include "diag/log.h"
#include "platform/workdir.h"
#include "resources/catalogue.h"
#include "store/internal.h"
#include "store/store.h"

namespace store {

const char* const kIntentFile = "Commit.txt";

namespace {

const char* const kInstallationFiles[] = {kKonfigFile,  kPersonFile, kTemplateFile, kReaderFile,
                                          kEingabeFile, kUserFile,   kLedgerFile};
const char kNewSuffix[] = ".new";
const char kOldSuffix[] = ".old";
const char kIntentHead[] = "enrol-change 1\n";
constexpr std::size_t kMaxIntentBytes = 4096;
constexpr std::size_t kMaxEntries = 16;

// The change whose new files the store reads in place of the files in use.
Change* g_active = nullptr;

// ---------------------------------------------------------------- CRC-32
// Eight tables: the checksum of a 5 MB template file is computed eight bytes
// at a time, so that it costs little beside the writing.
using CrcTables = std::array<std::array<std::uint32_t, 256>, 8>;

const CrcTables& crc_tables() {
  static const CrcTables tables = [] {
    CrcTables t{};
    for (std::uint32_t i = 0; i < 256; ++i) {
      std::uint32_t c = i;
      for (int k = 0; k < 8; ++k) c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
      t[0][i] = c;
    }
    for (std::size_t k = 1; k < 8; ++k)
      for (std::size_t i = 0; i < 256; ++i) t[k][i] = (t[k - 1][i] >> 8) ^ t[0][t[k - 1][i] & 0xFF];
    return t;
  }();
  return tables;
}

// ---------------------------------------------------------------- paths
// A file of the change: in use, new beside it, and set aside.
struct Paths {
  std::string target, fresh, aside;
};

bool paths_of(const std::string& name, Paths* p) {
  if (!platform::working_path(name, &p->target) ||
      !platform::working_path(name + kNewSuffix, &p->fresh) ||
      !platform::working_path(name + kOldSuffix, &p->aside))
    return false;
  return true;
}

bool intent_paths(std::string* intent, std::string* fresh) {
  return platform::working_path(kIntentFile, intent) &&
         platform::working_path(std::string(kIntentFile) + kNewSuffix, fresh);
}

bool flush_directory() { return platform::dir_flush(platform::working_directory()); }

// Removes `path` when it is there. False only when a removal failed.
bool remove_if_there(const std::string& path) {
  return !platform::path_exists(path) || platform::file_delete(path);
}

// What a file holds compared with the new contents of an entry. A file that
// cannot be read decides nothing: the recovery stops rather than guess.
enum class Contents { kSame, kOther, kUnreadable };

Contents contents_of(const std::string& path, std::int64_t size, std::uint32_t crc) {
  if (!platform::path_exists(path)) return Contents::kOther;
  platform::File f;
  std::int64_t have = 0;
  if (!platform::file_open(f, path, platform::Access::Read, platform::Create::OpenExisting) ||
      !platform::file_size(f, &have))
    return Contents::kUnreadable;
  if (have != size) return Contents::kOther;
  std::vector<std::uint8_t> buf(static_cast<std::size_t>(std::min<std::int64_t>(size, 1 << 20)) + 1);
  std::uint32_t c = 0;
  for (std::int64_t done = 0; done < size;) {
    std::size_t want = static_cast<std::size_t>(std::min<std::int64_t>(size - done, 1 << 20));
    if (!detail::read_all(f, buf.data(), want)) return Contents::kUnreadable;
    c = crc32(buf.data(), want, c);
    done += static_cast<std::int64_t>(want);
  }
  return c == crc ? Contents::kSame : Contents::kOther;
}

// ---------------------------------------------------------------- the steps
// Puts one new file into place: the file in use moves aside (unless an old
// one is aside already), the new one takes its name. Nothing to do when the
// new file is in place already.
bool place(const Paths& p) {
  if (!platform::path_exists(p.fresh)) return true;
  if (platform::path_exists(p.target) && !platform::path_exists(p.aside) &&
      !platform::file_replace(p.target, p.aside))
    return false;
  return platform::file_replace(p.fresh, p.target);
}

// Whether the new contents of an entry are complete: in the new file, or
// (once put into place) in the file itself.
Contents new_contents(const IntentEntry& e, const Paths& p) {
  return contents_of(platform::path_exists(p.fresh) ? p.fresh : p.target, e.size, e.crc);
}

// Finishes a change whose new files are all complete. False when a step
// failed; running it again goes on where it stopped.
bool finish(const std::vector<Paths>& paths, const std::string& intent) {
  for (const Paths& p : paths)
    if (!place(p)) return false;
  if (!flush_directory()) return false;
  for (const Paths& p : paths)
    if (!remove_if_there(p.aside)) return false;
  if (!platform::file_delete(intent)) return false;
  return flush_directory();
}

// Puts back every old file that was set aside and removes new files left
// over, for the installation's files. `touched` (optional) collects the names.
bool put_back_and_clean(std::string* touched) {
  bool ok = true;
  bool any = false;
  auto note = [&](const std::string& name) {
    any = true;
    if (touched) *touched += (touched->empty() ? "" : " ") + name;
  };
  for (const char* name : kInstallationFiles) {
    Paths p;
    if (!paths_of(name, &p)) return false;
    if (platform::path_exists(p.aside)) {
      note(name);
      ok = platform::file_replace(p.aside, p.target) && ok;
    }
    if (platform::path_exists(p.fresh)) {
      note(std::string(name) + kNewSuffix);
      ok = platform::file_delete(p.fresh) && ok;
    }
  }
  std::string intent, intent_new;
  if (!intent_paths(&intent, &intent_new)) return false;
  if (platform::path_exists(intent_new)) {
    note(std::string(kIntentFile) + kNewSuffix);
    ok = platform::file_delete(intent_new) && ok;
  }
  if (any) ok = flush_directory() && ok;
  return ok;
}

// Undoes a change: the new files go first (from then on the change can only
// be undone), then the files it created, then the intent file; last the old
// files come back. False when a step failed.
bool undo(const std::vector<IntentEntry>& entries, const std::vector<Paths>& paths,
          const std::string& intent) {
  for (const Paths& p : paths)
    if (!remove_if_there(p.fresh)) return false;
  if (!flush_directory()) return false;
  for (std::size_t i = 0; i < entries.size(); ++i) {
    const Paths& p = paths[i];
    if (entries[i].replaces || platform::path_exists(p.aside)) continue;
    Contents c = contents_of(p.target, entries[i].size, entries[i].crc);
    if (c == Contents::kUnreadable || (c == Contents::kSame && !platform::file_delete(p.target)))
      return false;
  }
  if (!platform::file_delete(intent) || !flush_directory()) return false;
  return put_back_and_clean(nullptr);
}

// Reads the intent file. 0, kRecoverUnreadable or kRecoverDamaged.
int read_intent(const std::string& path, std::vector<IntentEntry>* entries) {
  platform::File f;
  if (!platform::file_open(f, path, platform::Access::Read, platform::Create::OpenExisting))
    return kRecoverUnreadable;
  std::int64_t size = 0;
  if (!platform::file_size(f, &size)) return kRecoverUnreadable;
  if (size <= 0 || size > static_cast<std::int64_t>(kMaxIntentBytes)) return kRecoverDamaged;
  std::string text(static_cast<std::size_t>(size), '\0');
  if (!detail::read_all(f, &text[0], text.size())) return kRecoverUnreadable;
  return parse_intent(text, entries) ? 0 : kRecoverDamaged;
}

std::string names_of(const std::vector<IntentEntry>& entries) {
  std::string s;
  for (const IntentEntry& e : entries) s += (s.empty() ? "" : " ") + e.name;
  return s;
}

void log_outcome(res::TextId id, const std::string& names) {
  diag::log_line("%s", res::format(id, names.c_str()).c_str());
}

bool parse_number(const std::string& s, std::int64_t* out) {
  if (s.empty() || s.size() > 15) return false;
  std::int64_t v = 0;
  for (char c : s) {
    if (c < '0' || c > '9') return false;
    v = v * 10 + (c - '0');
  }
  *out = v;
  return true;
}

bool parse_crc(const std::string& s, std::uint32_t* out) {
  if (s.size() != 8) return false;
  std::uint32_t v = 0;
  for (char c : s) {
    int d = c >= '0' && c <= '9' ? c - '0' : c >= 'a' && c <= 'f' ? c - 'a' + 10 : -1;
    if (d < 0) return false;
    v = (v << 4) | static_cast<std::uint32_t>(d);
  }
  *out = v;
  return true;
}

// Splits "a b c" at single blanks into exactly `n` non-empty words.
bool split_words(const std::string& line, std::size_t n, std::vector<std::string>* words) {
  words->clear();
  std::size_t start = 0;
  for (;;) {
    std::size_t blank = line.find(' ', start);
    words->push_back(line.substr(start, blank == std::string::npos ? std::string::npos : blank - start));
    if (words->back().empty() || words->size() > n) return false;
    if (blank == std::string::npos) break;
    start = blank + 1;
  }
  return words->size() == n;
}

}  // namespace

namespace detail {

std::string pending_name(const char* name) {
  if (g_active && g_active->holds(name)) return std::string(name) + kNewSuffix;
  return name;
}

}  // namespace detail

bool is_installation_file(const std::string& name) {
  for (const char* n : kInstallationFiles)
    if (name == n) return true;
  return false;
}

std::uint32_t crc32(const void* data, std::size_t n, std::uint32_t crc) {
  const CrcTables& t = crc_tables();
  const auto* p = static_cast<const std::uint8_t*>(data);
  std::uint32_t c = ~crc;
  while (n >= 8) {
    std::uint32_t lo = c ^ (static_cast<std::uint32_t>(p[0]) | static_cast<std::uint32_t>(p[1]) << 8 |
                            static_cast<std::uint32_t>(p[2]) << 16 | static_cast<std::uint32_t>(p[3]) << 24);
    c = t[7][lo & 0xFF] ^ t[6][(lo >> 8) & 0xFF] ^ t[5][(lo >> 16) & 0xFF] ^ t[4][lo >> 24] ^
        t[3][p[4]] ^ t[2][p[5]] ^ t[1][p[6]] ^ t[0][p[7]];
    p += 8;
    n -= 8;
  }
  while (n-- > 0) c = t[0][(c ^ *p++) & 0xFF] ^ (c >> 8);
  return ~c;
}

std::string intent_text(const std::vector<IntentEntry>& entries) {
  std::string text = kIntentHead;
  for (const IntentEntry& e : entries)
    text += res::sformat("%s %s %lld %08x\n", e.replaces ? "replace" : "create", e.name.c_str(),
                         static_cast<long long>(e.size), static_cast<unsigned>(e.crc));
  return text + res::sformat("end %08x\n", static_cast<unsigned>(crc32(text.data(), text.size())));
}

bool parse_intent(const std::string& text, std::vector<IntentEntry>* entries) {
  entries->clear();
  const std::size_t head = std::strlen(kIntentHead);
  if (text.size() > kMaxIntentBytes || text.compare(0, head, kIntentHead) != 0) return false;
  std::size_t at = head;
  std::vector<std::string> words;
  for (;;) {
    std::size_t end = text.find('\n', at);
    if (end == std::string::npos) return false;
    const std::string line = text.substr(at, end - at);
    if (line.compare(0, 4, "end ") == 0) {
      std::uint32_t sum = 0;
      return !entries->empty() && end + 1 == text.size() && split_words(line, 2, &words) &&
             parse_crc(words[1], &sum) && sum == crc32(text.data(), at);
    }
    IntentEntry e;
    if (entries->size() == kMaxEntries || !split_words(line, 4, &words)) return false;
    if (words[0] != "replace" && words[0] != "create") return false;
    e.replaces = words[0] == "replace";
    e.name = words[1];
    if (!is_installation_file(e.name) || !parse_number(words[2], &e.size) || !parse_crc(words[3], &e.crc))
      return false;
    for (const IntentEntry& before : *entries)
      if (before.name == e.name) return false;
    entries->push_back(e);
    at = end + 1;
  }
}

// ---------------------------------------------------------------- Change
Change::Change() : outer_(g_active) { g_active = this; }

Change::~Change() {
  discard();
  g_active = outer_;
}

bool Change::holds(const std::string& name) const {
  for (const Entry& e : entries_)
    if (e.name == name) return true;
  return false;
}

void Change::drop_open() {
  if (!file_.is_open()) return;
  platform::file_close(file_);
  Paths p;
  if (paths_of(open_.name, &p)) platform::file_delete(p.fresh);
}

Change::Step Change::open(const char* name) {
  drop_open();
  // The recovery takes an intent file naming any other file for a damaged one.
  if (!is_installation_file(name)) return kOpenFailed;
  if (platform::working_directory().empty()) return kNoDirectory;
  Paths p;
  if (!paths_of(name, &p)) return kPathTooLong;
  entries_.erase(std::remove_if(entries_.begin(), entries_.end(),
                                [name](const Entry& e) { return e.name == name; }),
                 entries_.end());
  if (!platform::file_open(file_, p.fresh, platform::Access::ReadWrite, platform::Create::CreateAlways))
    return kOpenFailed;
  open_ = Entry{name, 0, 0};
  if (!platform::file_seek(file_, 0)) {
    drop_open();
    return kSeekFailed;
  }
  return kDone;
}

Change::Step Change::write(const void* data, std::size_t n) {
  if (!file_.is_open() || !detail::write_all(file_, data, n)) return kWriteFailed;
  open_.crc = crc32(data, n, open_.crc);
  open_.size += static_cast<std::int64_t>(n);
  return kDone;
}

Change::Step Change::close() {
  if (!file_.is_open()) return kWriteFailed;
  if (!platform::file_flush(file_)) {
    drop_open();
    return kWriteFailed;
  }
  if (!platform::file_close(file_)) {
    Paths p;
    if (paths_of(open_.name, &p)) platform::file_delete(p.fresh);
    return kWriteFailed;
  }
  entries_.push_back(open_);
  return kDone;
}

Change::Step Change::put(const char* name, const void* data, std::size_t n) {
  Step s = open(name);
  if (s == kDone) s = write(data, n);
  if (s == kDone) s = close();
  return s;
}

void Change::discard() {
  drop_open();
  for (const Entry& e : entries_) {
    Paths p;
    if (paths_of(e.name, &p)) platform::file_delete(p.fresh);
  }
  entries_.clear();
}

int Change::commit() {
  if (file_.is_open()) {
    discard();
    return kIntentFailed;
  }
  if (entries_.empty()) return kCommitted;
  std::vector<IntentEntry> intent;
  std::vector<Paths> paths(entries_.size());
  std::string intent_path, intent_new;
  bool ok = intent_paths(&intent_path, &intent_new) && !platform::path_exists(intent_path);
  for (std::size_t i = 0; ok && i < entries_.size(); ++i) {
    const Entry& e = entries_[i];
    // An old file still aside belongs to a change this run could not finish;
    // the next start deals with it, and no new change begins over it.
    ok = paths_of(e.name, &paths[i]) && !platform::path_exists(paths[i].aside);
    intent.push_back({e.name, e.size, e.crc, ok && platform::path_exists(paths[i].target)});
  }
  if (!ok) {
    discard();
    return kIntentFailed;
  }

  // The intent file, complete on the disk before it takes its name.
  const std::string text = intent_text(intent);
  platform::File f;
  ok = platform::file_open(f, intent_new, platform::Access::ReadWrite, platform::Create::CreateAlways) &&
       detail::write_all(f, text.data(), text.size()) && platform::file_flush(f);
  ok = platform::file_close(f) && ok;
  if (!ok || !platform::file_replace(intent_new, intent_path)) {
    platform::file_delete(intent_new);
    discard();
    return kIntentFailed;
  }
  if (!flush_directory()) {
    undo(intent, paths, intent_path);
    entries_.clear();
    return kIntentFailed;
  }

  // From here on the change counts as made.
  for (const Paths& p : paths) {
    if (!place(p)) {
      undo(intent, paths, intent_path);
      entries_.clear();
      return kPlaceFailed;
    }
  }
  // Cleaning up: what a failure leaves is finished by the next start.
  if (flush_directory()) {
    bool cleaned = true;
    for (const Paths& p : paths) cleaned = remove_if_there(p.aside) && cleaned;
    if (cleaned && platform::file_delete(intent_path)) flush_directory();
  }
  entries_.clear();
  return kCommitted;
}

// ---------------------------------------------------------------- recovery
int recover_change() {
  if (platform::working_directory().empty()) return kRecoverNothing;
  std::string intent_path, intent_new;
  if (!intent_paths(&intent_path, &intent_new)) return kRecoverStepFailed;
  if (!platform::path_exists(intent_path)) {
    std::string touched;
    bool ok = put_back_and_clean(&touched);
    if (touched.empty()) return ok ? kRecoverNothing : kRecoverStepFailed;
    log_outcome(ok ? res::ST_RECOVER_CLEANED : res::ST_RECOVER_CLEAN_FAILED, touched);
    return ok ? kRecoverCleaned : kRecoverStepFailed;
  }

  std::vector<IntentEntry> entries;
  int rc = read_intent(intent_path, &entries);
  if (rc != 0) {
    log_outcome(rc == kRecoverDamaged ? res::ST_RECOVER_DAMAGED : res::ST_RECOVER_UNREADABLE, kIntentFile);
    return rc;
  }
  std::vector<Paths> paths(entries.size());
  for (std::size_t i = 0; i < entries.size(); ++i)
    if (!paths_of(entries[i].name, &paths[i])) return kRecoverStepFailed;
  const std::string names = names_of(entries);
  bool all_complete = true;
  for (std::size_t i = 0; i < entries.size() && all_complete; ++i) {
    Contents c = new_contents(entries[i], paths[i]);
    if (c == Contents::kUnreadable) {
      log_outcome(res::ST_RECOVER_UNREADABLE, entries[i].name);
      return kRecoverUnreadable;
    }
    all_complete = c == Contents::kSame;
  }

  bool ok = all_complete ? finish(paths, intent_path) : undo(entries, paths, intent_path);
  // Whatever else an earlier crash left over goes as well.
  if (ok) ok = put_back_and_clean(nullptr);
  if (!ok) {
    log_outcome(all_complete ? res::ST_RECOVER_FINISH_FAILED : res::ST_RECOVER_UNDO_FAILED, names);
    return kRecoverStepFailed;
  }
  log_outcome(all_complete ? res::ST_RECOVER_FINISHED : res::ST_RECOVER_UNDONE, names);
  return all_complete ? kRecoverFinished : kRecoverUndone;
}

}  // namespace store
