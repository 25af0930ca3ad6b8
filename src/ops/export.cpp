#include "ops/export.h"

#include <cstdio>
#include <string>

#include "ops/layout.h"
#include "platform/files.h"
#include "resources/catalogue.h"
#include "diag/log.h"
#include "store/store.h"

namespace ops {
namespace {

// Log texts of a field's write failure, by field code (separator mode has its
// own text for the company code).
const res::TextId kFieldLog[kFieldCodes] = {
    res::EX_LOG_NAME,    res::EX_LOG_NAME,    res::EX_LOG_FIRST_NAME, res::EX_LOG_PERS_NO,
    res::EX_LOG_ZUSATZ1, res::EX_LOG_COMP,    res::EX_LOG_ZUSATZ2,    res::EX_LOG_ZUSATZ3,
    res::EX_LOG_PRESET,  res::EX_LOG_ZUSATZ4, res::EX_LOG_USER_PIN};

std::string field_text(const store::Personensatz& p, int code) {
  switch (code) {
    case kFieldName: return p.name();
    case kFieldFirstName: return p.vorname();
    case kFieldPersNo: return p.personalnummer();
    case kFieldComp: return p.firmenkennung();
    case kFieldPreset: return p.ausweisnummer();
    case kFieldUserPin: return p.user_pin();
    default: return p.zusatz(zusatz_of_code(code));
  }
}

const char kHex[] = "0123456789ABCDEF";

void append_hex(std::string& out, unsigned value, int digits) {
  for (int d = digits - 1; d >= 0; --d) out += kHex[(value >> (4 * d)) & 0xF];
}

// The export file while it is written. The bytes of the record in hand are
// kept beside the file, so that separator mode can find its columns without
// reading them back; `at` is where the file position stands within them.
class Writer {
 public:
  explicit Writer(platform::File& f) : f_(f) {}

  // Starts a record at the end of the file; false when the position is not known.
  bool begin_record() {
    record_.clear();
    at_ = 0;
    return platform::file_seek_end(f_, &start_);
  }
  // Writes at the present position (overwriting what stands there).
  bool put(const std::string& bytes) {
    if (bytes.empty()) return true;
    std::size_t done = 0;
    if (!platform::file_write(f_, bytes.data(), bytes.size(), &done) || done != bytes.size()) {
      return false;
    }
    if (record_.size() < at_ + bytes.size()) record_.resize(at_ + bytes.size());
    record_.replace(at_, bytes.size(), bytes);
    at_ += bytes.size();
    return true;
  }
  bool move_to(std::size_t offset) {
    if (!platform::file_seek(f_, start_ + static_cast<std::int64_t>(offset))) return false;
    at_ = offset;
    return true;
  }
  const std::string& record() const { return record_; }
  std::size_t at() const { return at_; }

 private:
  platform::File& f_;
  std::int64_t start_ = 0;
  std::string record_;
  std::size_t at_ = 0;
};

bool put_raw(platform::File& f, const std::string& bytes) {
  if (bytes.empty()) return true;
  std::size_t done = 0;
  return platform::file_write(f, bytes.data(), bytes.size(), &done) && done == bytes.size();
}

// Header or footer: `count` blanks as one line, or `count` lines of the set
// length, or `count` lines holding only the terminator. 0, or -4 blank, -5 CR,
// -6 LF.
int write_frame(platform::File& f, int count, bool as_length, int set_length, bool cr, bool lf) {
  if (count <= 0) return 0;
  auto terminate = [&]() {
    if (cr && !put_raw(f, "\r")) return -5;
    if (lf && !put_raw(f, "\n")) return -6;
    return 0;
  };
  int lines = 0;
  std::string blanks;
  if (as_length) {
    lines = 1;
    blanks.assign(static_cast<std::size_t>(count), ' ');
  } else if (set_length > 0) {
    lines = count;
    blanks.assign(static_cast<std::size_t>(set_length), ' ');
  } else if (cr || lf) {
    lines = count;
  }
  for (int i = 0; i < lines; ++i) {
    if (!put_raw(f, blanks)) return -4;
    int rc = terminate();
    if (rc != 0) return rc;
  }
  return 0;
}

// The ten finger blocks as hex text. A block whose length cannot be a template
// (nor the dummy) is written as an empty block.
std::string template_text(const store::Templatesatz& t, int index) {
  std::string out;
  out.reserve(10 * 12 + 2 * 1010);
  for (int i = 0; i < store::kFingerBlocks; ++i) {
    int len = t.length(i);
    bool valid = len == 0 || len == store::kDummyTemplate ||
                 (len > 0 && len <= store::kTemplateDataSize);
    if (!valid) {
      diag::log_line("%s", res::format(res::EX_LOG_TEMPLATE_LENGTH, len, i, index).c_str());
      append_hex(out, static_cast<unsigned>(i), 2);
      out.append(10, '0');
      continue;
    }
    append_hex(out, static_cast<unsigned>(i), 2);
    append_hex(out, static_cast<std::uint16_t>(len), 4);
    append_hex(out, t.group(i), 2);
    append_hex(out, t.quality(i), 2);
    append_hex(out, t.finger_type(i), 2);
    if (len == 0 || len == store::kDummyTemplate) continue;
    const std::uint8_t* d = t.data(i);
    for (int k = 0; k < len; ++k) append_hex(out, d[k], 2);
  }
  return out;
}

// Separator mode: whether a field the layout writes holds the separator or a
// line end, which would cut the value there and shift the columns after it.
bool breaks_columns(const Layout& l, const store::Personensatz& p, const store::Eingabesatz& mask,
                    char sep) {
  if (l.start_length) return false;
  const std::string breaking{sep, '\r', '\n'};
  for (const Position& pos : l.pos)
    if (field_in_use(pos.code, mask) &&
        field_text(p, pos.code).find_first_of(breaking) != std::string::npos)
      return true;
  return false;
}

int failed(int code, const std::string& log) {
  diag::log_line("%s", log.c_str());
  return code;
}
int failed(int code, res::TextId log) { return failed(code, res::text(log)); }

// One person's record. 0 or the failure code (already logged).
int write_record(Writer& w, const Layout& l, const store::Personensatz& p, int index,
                 const store::Eingabesatz& mask, bool cr, bool lf, int set_length) {
  if (!w.begin_record()) return failed(-9, res::EX_LOG_POSITION);
  const char sep = l.separator != 0 ? static_cast<char>(l.separator) : '\t';
  int fields = 0;
  std::size_t written = 0;  // start-and-length mode: bytes of this record so far
  for (const Position& pos : l.pos) {
    if (!field_in_use(pos.code, mask)) continue;
    ++fields;
    const std::string text = field_text(p, pos.code);
    const int field_code = -10 - 2 * (pos.code - 1);
    if (l.start_length) {
      if (pos.start > 0 && static_cast<std::size_t>(pos.start) > written) {
        std::size_t gap = static_cast<std::size_t>(pos.start) - written;
        if (!w.put(std::string(gap, ' '))) return failed(-8, res::EX_LOG_BLANK);
        written += gap;
      }
      if (pos.length <= 0) continue;
      std::size_t width = static_cast<std::size_t>(pos.length);
      std::string cut = text.substr(0, width);
      if (!w.put(cut)) return failed(field_code, res::format(kFieldLog[pos.code], index));
      if (!w.put(std::string(width - cut.size(), ' '))) {
        return failed(field_code - 1, res::format(res::EX_LOG_BLANK_RECORD, index));
      }
      written += width;
    } else {
      // Find the column: pass `start` separators from the record's start,
      // stopping before a CR or LF or at the end of what is written.
      const std::string& rec = w.record();
      std::size_t k = 0;
      int passed = 0;
      bool at_terminator = false;
      while (pos.start > 0 && passed < pos.start && k < rec.size()) {
        if (rec[k] == '\r' || rec[k] == '\n') {
          at_terminator = true;
          break;
        }
        if (rec[k] == sep) ++passed;
        ++k;
      }
      if (!w.move_to(k)) {
        return failed(-7, at_terminator ? res::EX_LOG_STEP_BACK : res::EX_LOG_SEEK_RECORD);
      }
      if (passed < pos.start) {
        if (!w.put(std::string(static_cast<std::size_t>(pos.start - passed), sep))) {
          return failed(-8, res::EX_LOG_SEPARATOR);
        }
      }
      res::TextId log = pos.code == kFieldComp ? res::EX_LOG_COMP_SEPARATED : kFieldLog[pos.code];
      if (!w.put(text)) return failed(field_code, res::format(log, index));
      if (!w.put(std::string(1, sep))) {
        return failed(field_code - 1, res::format(res::EX_LOG_BLANK_RECORD, index));
      }
    }
  }
  // What follows is appended after everything the record holds.
  if (w.at() != w.record().size() && !w.move_to(w.record().size())) {
    return failed(-7, res::EX_LOG_POSITION_IN_FILE);
  }
  if (l.templates && fields > 0) {
    store::Tables& t = store::db();
    t.template_read.set_nummer(p.nummer());
    int rc = store::rw_template(store::kRead);
    store::Templatesatz blocks;  // empty blocks unless the record reads
    if (rc < 0) {
      diag::log_line("%s", res::format(res::EX_LOG_TEMPLATE_READ, index, rc).c_str());
    } else {
      blocks = t.template_read;
    }
    if (!w.put(template_text(blocks, index))) return failed(-30, res::EX_LOG_TEMPLATES);
  }
  if (set_length > 0 && w.record().size() < static_cast<std::size_t>(set_length)) {
    std::size_t pad = static_cast<std::size_t>(set_length) - w.record().size();
    if (!w.put(std::string(pad, ' '))) return failed(-31, res::EX_LOG_BLANK);
  }
  if (cr && !w.put("\r")) return failed(-32, res::EX_LOG_CR);
  if (lf && !w.put("\n")) return failed(-33, res::EX_LOG_LF);
  return 0;
}

}  // namespace

int export_persons(ui::Window owner, const Progress& progress, ExportReport* report) {
  store::Tables& t = store::db();
  const Layout l = layout_from_konfig(Exchange::Export, t.konfig);
  const store::Eingabesatz mask = t.eingabe;

  if (platform::path_exists(l.path)) {
    int answer = ui::message_box(owner, res::text(res::EX_OVERWRITE), res::text(res::EX_CAP_FRAGE),
                                 ui::kYesNo | ui::kIconQuestion);
    if (answer != ui::kIdYes) return 0;
    if (!platform::file_delete(l.path)) return failed(-1, res::EX_LOG_DELETE);
  }
  platform::File f;
  if (!platform::file_open(f, l.path, platform::Access::ReadWrite, platform::Create::OpenAlways)) {
    return failed(-2, res::EX_LOG_OPEN);
  }
  if (!platform::file_seek(f, 0)) {
    platform::file_close(f);
    return failed(-3, res::EX_LOG_SEEK_START);
  }
  const bool cr = l.templates || l.cr;
  const bool lf = l.templates || l.lf;
  const int set_length = l.templates ? 0 : l.set_length;

  int rc = write_frame(f, l.header, l.header_as_length, set_length, cr, lf);
  if (rc != 0) {
    platform::file_close(f);
    return failed(rc, rc == -4 ? res::EX_LOG_BLANK : rc == -5 ? res::EX_LOG_CR : res::EX_LOG_LF);
  }
  int total = 0;
  for (const store::Personensatz& p : t.persons) total += p.used() ? 1 : 0;
  Writer w(f);
  const char sep = l.separator != 0 ? static_cast<char>(l.separator) : '\t';
  int done = 0;
  for (int i = 0; i < store::kPersons; ++i) {
    const store::Personensatz p = t.persons[i];
    if (!p.used()) continue;
    if (breaks_columns(l, p, mask, sep)) {
      diag::log_line("%s", res::format(res::EX_LOG_LEFT_OUT, i, p.personalnummer().c_str()).c_str());
      if (report) report->left_out.push_back(p.personalnummer());
      if (progress) progress(++done, total);
      continue;
    }
    rc = write_record(w, l, p, i, mask, cr, lf, set_length);
    if (rc != 0) {
      platform::file_close(f);
      return rc;
    }
    if (progress) progress(++done, total);
  }
  rc = write_frame(f, l.footer, l.footer_as_length, set_length, cr, lf);
  if (rc != 0) {
    platform::file_close(f);
    return failed(rc, rc == -4 ? res::EX_LOG_BLANK : rc == -5 ? res::EX_LOG_CR : res::EX_LOG_LF);
  }
  // Reported done only once the file is on the disk.
  bool flushed = platform::file_flush(f);
  if (!platform::file_close(f) || !flushed) return failed(-34, res::EX_LOG_FLUSH);
  return 1;
}

std::string export_result_text(int code, const ExportReport& report) {
  if (code != 1) return res::format(res::EX_EXPORT_FAILED, code);
  std::string text = res::text(res::EX_EXPORT_DONE);
  if (report.left_out.empty()) return text;
  // The box names the first ten; Log.txt has every one.
  constexpr std::size_t kNamed = 10;
  std::string names;
  for (std::size_t i = 0; i < report.left_out.size() && i < kNamed; ++i)
    names += (i > 0 ? ", " : "") + report.left_out[i];
  if (report.left_out.size() > kNamed) names += ", ...";
  return text + res::format(res::EX_EXPORT_LEFT_OUT, static_cast<int>(report.left_out.size()),
                            names.c_str());
}

const std::string& export_caption() { return res::text(res::EX_CAP_EXPORT); }

}  // namespace ops
