#include "ops/import.h"

#include <climits>
#include <cstdint>
#include <initializer_list>
#include <string>

#include "ops/file_reader.h"
#include "ops/layout.h"
#include "platform/files.h"
#include "resources/catalogue.h"
#include "diag/log.h"
#include "store/store.h"

namespace ops {
namespace {

using detail::FileReader;

constexpr std::size_t kMaxSeparatedField = 1024;
constexpr int kStopped = -90;

// Sums of the record checks.
constexpr int kNoPersNo = 1;
constexpr int kPersNoShort = 10;
constexpr int kNoPreset = 100;
constexpr int kPresetChars = 300;
constexpr int kPinChars = 500;
constexpr int kWrongComp = 1000;
constexpr int kForeignText = 2000;

// A step that ends the import: its code and log line.
struct Stop {
  int code;
  res::TextId log;
};
constexpr Stop kNone{1, res::EX_LOG_IMP_EOF};
constexpr Stop kEndOfFile{0, res::EX_LOG_IMP_EOF};

bool stopped(const Stop& s) { return s.code != 1; }

int hex_value(std::uint8_t c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

// The number written by `digits` hex characters at `s`; -1 when one is not hex.
long hex_number(const std::string& s, std::size_t at, int digits) {
  long v = 0;
  for (int i = 0; i < digits; ++i) {
    int d = hex_value(static_cast<std::uint8_t>(s[at + i]));
    if (d < 0) return -1;
    v = v * 16 + d;
  }
  return v;
}

bool all_digits(const std::string& s) {
  for (char c : s) {
    if (c < '0' || c > '9') return false;
  }
  return true;
}

// True when the first `keep` bytes of `raw` are Windows-1252 text as a person
// field holds it: no zero byte, none of the five bytes Windows-1252 leaves
// undefined, and no UTF-8 multi-byte sequence beginning among them (a UTF-8
// file read as Windows-1252 would store such names garbled).
bool windows_text(const std::string& raw, std::size_t keep) {
  std::size_t n = std::min(keep, raw.size());
  for (std::size_t i = 0; i < n; ++i) {
    std::uint8_t c = static_cast<std::uint8_t>(raw[i]);
    if (c == 0 || c == 0x81 || c == 0x8D || c == 0x8F || c == 0x90 || c == 0x9D) return false;
    if (c >= 0xC2 && c <= 0xF4) {
      std::size_t more = c >= 0xF0 ? 3 : c >= 0xE0 ? 2 : 1;
      if (i + more >= raw.size()) continue;  // too short for a sequence
      bool utf8 = true;
      for (std::size_t k = 1; k <= more; ++k) {
        std::uint8_t d = static_cast<std::uint8_t>(raw[i + k]);
        if (d < 0x80 || d > 0xBF) utf8 = false;
      }
      if (utf8) return false;
    }
  }
  return true;
}

class Import {
 public:
  Import(ui::Window owner, const Progress& progress)
      : owner_(owner), progress_(progress), t_(store::db()), r_(f_) {}

  ImportResult run() {
    l_ = layout_from_konfig(Exchange::Import, t_.konfig);
    mask_ = t_.eingabe;
    sep_ = l_.separator != 0 ? l_.separator : '\t';
    cr_ = l_.templates || l_.cr;
    lf_ = l_.templates || l_.lf;
    set_length_ = l_.templates ? 0 : l_.set_length;

    if (!platform::file_open(f_, l_.path, platform::Access::Read,
                             platform::Create::OpenExisting)) {
      return finish({-1, res::EX_LOG_IMP_OPEN});
    }
    if (!r_.seek(0)) return finish({-2, res::EX_LOG_IMP_SEEK_START});
    Stop s = skip_header();
    if (stopped(s)) return finish(s);
    std::int64_t data_start = 0;
    if (!r_.tell(&data_start)) return finish({-60, res::EX_LOG_IMP_DATA_START});
    std::int64_t records = 0;
    s = count_records(data_start, &records);
    if (stopped(s)) return finish(s);
    ui::message_box(owner_, res::format(res::EX_RECORD_COUNT, static_cast<int>(records)),
                    res::text(res::EX_CAP_INFO_MELDUNG), ui::kOk | ui::kIconInfo);
    if (!r_.seek(data_start)) return finish({-70, res::EX_LOG_IMP_SEEK_DATA});
    for (int n = 1; n <= records; ++n) {
      s = record(n);
      if (stopped(s)) return finish(s);
      if (progress_) progress_(n, static_cast<int>(records));
    }
    return finish(kNone);
  }

 private:
  ImportResult finish(const Stop& s) {
    platform::file_close(f_);
    if (s.code != 1 && s.code != kStopped) diag::log_line("%s", res::text(s.log).c_str());
    result_.code = s.code;
    return result_;
  }

  // One byte that must be `want`: a failed read gives `read_fail`, anything
  // else (the end of the file too) `missing`.
  Stop expect(std::uint8_t want, int read_fail, int missing, res::TextId log) {
    std::uint8_t c = 0;
    int rc = r_.get(&c);
    if (rc < 0) return {read_fail, log};
    if (rc == 0 || c != want) return {missing, log};
    return kNone;
  }

  Stop skip_header() {
    const int h = l_.header;
    if (h <= 0) return kNone;
    std::string bytes;
    if (l_.header_as_length) {
      if (!r_.read(static_cast<std::size_t>(h), &bytes)) return {-3, res::EX_LOG_IMP_HEADER};
      if (bytes.size() < static_cast<std::size_t>(h)) return {-4, res::EX_LOG_IMP_HEADER};
      if (cr_) {
        Stop s = expect('\r', -5, -6, res::EX_LOG_IMP_CR);
        if (stopped(s)) return s;
      }
      if (lf_) return expect('\n', -7, -8, res::EX_LOG_IMP_LF);
      return kNone;
    }
    if (set_length_ > 0) {
      for (int i = 0; i < h; ++i) {
        std::size_t want = static_cast<std::size_t>(set_length_);
        if (!r_.read(want, &bytes)) return {-10, res::EX_LOG_IMP_HEADER_LINE};
        if (bytes.size() < want) return {-11, res::EX_LOG_IMP_HEADER_LINE};
        if (cr_) {
          Stop s = expect('\r', -12, -13, res::EX_LOG_IMP_CR);
          if (stopped(s)) return s;
        }
        if (lf_) {
          Stop s = expect('\n', -14, -15, res::EX_LOG_IMP_LF);
          if (stopped(s)) return s;
        }
      }
      return kNone;
    }
    if (!cr_ && !lf_) return kNone;
    const std::uint8_t end = lf_ ? '\n' : '\r';
    for (int i = 0; i < h; ++i) {
      std::uint8_t c = 0;
      do {
        int rc = r_.get(&c);
        if (rc < 0) return {-16, res::EX_LOG_IMP_HEADER_LINE};
        if (rc == 0) return {-17, res::EX_LOG_IMP_HEADER_LINE};
      } while (c != end);
    }
    return kNone;
  }

  // N: with terminators the pieces that end with one, and a last piece without
  // one when it holds anything, less the footer lines; without terminators the
  // bytes between header and footer divided by the set length.
  Stop count_records(std::int64_t data_start, std::int64_t* records) {
    std::int64_t n = 0;
    if (cr_ || lf_) {
      std::int64_t ended = 0;
      bool tail = false;
      for (;;) {
        std::uint8_t c = 0;
        int rc = r_.get(&c);
        if (rc < 0) return {-61, res::EX_LOG_IMP_CHAR};
        if (rc == 0) break;
        if (cr_ && c == '\r') {
          if (lf_) {
            rc = r_.get(&c);
            if (rc < 0) return {-63, res::EX_LOG_IMP_CHAR};
            if (rc == 0 || c != '\n') return {-64, res::EX_LOG_IMP_NOT_LF};
          }
          ++ended;
          tail = false;
        } else if (lf_ && c == '\n') {
          if (cr_) return {-62, res::EX_LOG_IMP_NOT_CR};
          ++ended;
          tail = false;
        } else {
          tail = true;
        }
      }
      file_end_ = r_.offset();
      std::int64_t footer_lines = l_.footer <= 0 ? 0 : l_.footer_as_length ? 1 : l_.footer;
      n = ended + (tail ? 1 : 0) - footer_lines;
    } else {
      std::int64_t size = 0;
      if (!platform::file_size(f_, &size)) {
        ui::message_box(owner_, res::text(res::EX_SIZE_FAILED), res::text(res::CAP_FEHLER_MELDUNG),
                        ui::kOk | ui::kIconError);
        return {-67, res::EX_LOG_IMP_SIZE};
      }
      file_end_ = size;
      std::int64_t footer_bytes = l_.footer_as_length
                                      ? l_.footer
                                      : static_cast<std::int64_t>(l_.footer) * set_length_;
      std::int64_t body = size - data_start - footer_bytes;
      if (set_length_ <= 0 || body < 0 || body % set_length_ != 0 ||
          body / set_length_ > INT_MAX) {
        ui::message_box(owner_, res::text(res::EX_COUNT_FAILED),
                        res::text(res::CAP_FEHLER_MELDUNG), ui::kOk | ui::kIconError);
        return {-68, res::EX_LOG_IMP_COUNT};
      }
      n = body / set_length_;
    }
    if (n > INT_MAX) n = INT_MAX;
    *records = n < 0 ? 0 : n;
    return kNone;
  }

  // Start-and-length mode: the field at P + start (when not 0), `length` bytes.
  Stop read_fixed(const Position& p, std::int64_t start, std::string* value) {
    value->clear();
    if (p.start != 0 && !r_.seek(start + p.start)) return {-50, res::EX_LOG_IMP_SEEK_FIELD};
    if (p.length < 1) return kNone;
    std::size_t want = static_cast<std::size_t>(p.length);
    if (!r_.read(want, value)) return {-51, res::EX_LOG_IMP_READ_FIELD};
    if (value->size() < want) return kEndOfFile;
    return kNone;
  }

  // Separator mode: the column `start` of the record at P, up to the next
  // separator (taken), CR or LF (left), or the end of the file.
  Stop read_column(const Position& p, std::int64_t start, std::string* value) {
    value->clear();
    if (!r_.seek(start)) return {-25, res::EX_LOG_IMP_SEEK_DATA};
    std::uint8_t c = 0;
    int passed = 0;
    while (passed < p.start) {
      int rc = r_.peek(&c);
      if (rc < 0) return {-26, res::EX_LOG_IMP_CHAR};
      if (rc == 0 || c == '\r' || c == '\n') break;
      r_.get(&c);
      if (c == sep_) ++passed;
    }
    for (;;) {
      int rc = r_.peek(&c);
      if (rc < 0) return {-30, res::EX_LOG_IMP_CHAR};
      if (rc == 0 || c == '\r' || c == '\n') break;
      r_.get(&c);
      if (c == sep_) break;
      if (value->size() == kMaxSeparatedField) return {-31, res::EX_LOG_IMP_NOT_SEPARATOR};
      value->push_back(static_cast<char>(c));
    }
    return kNone;
  }

  // Ten blocks: 12 hex characters (index, length, group, quality value, finger
  // type), then the template bytes as hex unless the length is 0 or the dummy.
  Stop read_templates(int number) {
    store::Templatesatz& t = t_.template_write;
    std::string text;
    for (int i = 0; i < store::kFingerBlocks; ++i) {
      if (!r_.read(12, &text)) return {-80, res::EX_LOG_IMP_TEMPLATE_READ};
      if (text.size() < 12) return kEndOfFile;
      long len = hex_number(text, 2, 4);
      long group = hex_number(text, 6, 2), quality = hex_number(text, 8, 2);
      long type = hex_number(text, 10, 2);
      if (hex_number(text, 0, 2) < 0 || len < 0 || group < 0 || quality < 0 || type < 0 ||
          (len > store::kTemplateDataSize && len != store::kDummyTemplate)) {
        return bad_templates(number);
      }
      store::clear_finger_block(t, i);
      if (len == store::kDummyTemplate) continue;
      t.set_length(i, static_cast<std::int16_t>(len));
      t.set_group(i, static_cast<std::uint8_t>(group));
      t.set_quality(i, static_cast<std::uint8_t>(quality));
      t.set_finger_type(i, static_cast<std::uint8_t>(type));
      if (len == 0) continue;
      std::size_t want = static_cast<std::size_t>(2 * len);
      if (!r_.read(want, &text)) return {-81, res::EX_LOG_IMP_TEMPLATE_READ};
      if (text.size() < want) return kEndOfFile;
      std::uint8_t* data = t.data(i);
      for (long k = 0; k < len; ++k) {
        long v = hex_number(text, static_cast<std::size_t>(2 * k), 2);
        if (v < 0) return bad_templates(number);
        data[k] = static_cast<std::uint8_t>(v);
      }
    }
    return kNone;
  }

  Stop bad_templates(int number) {
    diag::log_line("%s", res::format(res::EX_LOG_IMP_TEMPLATE_BAD, number).c_str());
    return {-82, res::EX_LOG_IMP_TEMPLATE_READ};
  }

  Stop record_end(std::int64_t start) {
    if (l_.start_length) {
      if (set_length_ > 0) {
        std::int64_t at = 0;
        if (!r_.tell(&at)) return {-35, res::EX_LOG_IMP_POSITION};
        std::int64_t end = start + set_length_;
        if (at > end) return {-37, res::EX_LOG_IMP_BIN_DIFF};
        if (!r_.seek(end)) return {-36, res::EX_LOG_IMP_SEEK_IN_FILE};
        if (end > file_end_) return kEndOfFile;
      }
      // The end of the file where a terminator belongs ends the last record.
      std::uint8_t c = 0;
      if (cr_) {
        int rc = r_.get(&c);
        if (rc < 0) return {-38, res::EX_LOG_IMP_CR};
        if (rc == 0) return kNone;
        if (c != '\r') return {-39, res::EX_LOG_IMP_NOT_CR};
      }
      if (lf_) {
        int rc = r_.get(&c);
        if (rc < 0) return {-40, res::EX_LOG_IMP_LF};
        if (rc == 0) return kNone;
        if (c != '\n') return {-41, res::EX_LOG_IMP_NOT_LF};
      }
      return kNone;
    }
    auto skip_to = [this](std::uint8_t end, int read_fail, res::TextId log) -> Stop {
      std::uint8_t c = 0;
      for (;;) {
        int rc = r_.get(&c);
        if (rc < 0) return {read_fail, log};
        if (rc == 0 || c == end) return kNone;
      }
    };
    if (cr_) {
      Stop s = skip_to('\r', -42, res::EX_LOG_IMP_CR);
      if (stopped(s)) return s;
    }
    if (lf_) return skip_to('\n', -44, res::EX_LOG_IMP_LF);
    return kNone;
  }

  // Asks whether to go on after a faulty record; logs the question and the answer.
  bool ask(int number, bool with_number, std::initializer_list<res::TextId> box,
           std::initializer_list<res::TextId> log) {
    std::string text = with_number ? res::format(res::EX_Q_RECORD, number) : std::string();
    for (res::TextId id : box) text += res::text(id);
    text += res::text(res::EX_Q_CONTINUE);
    diag::log_line("%s", res::format(res::EX_LOG_Q_RECORD, number).c_str());
    for (res::TextId id : log) diag::log_line("%s", res::text(id).c_str());
    diag::log_line("%s", res::text(res::EX_LOG_Q_CONTINUE).c_str());
    bool yes = ui::message_box(owner_, text, res::text(res::EX_CAP_MELDUNG_FRAGE),
                               ui::kYesNo | ui::kIconQuestion) == ui::kIdYes;
    diag::log_line("%s", res::text(yes ? res::EX_LOG_Q_YES : res::EX_LOG_Q_NO).c_str());
    return yes;
  }

  // Cut length of a field's value under the input mask.
  std::size_t cut_length(int code) const {
    switch (code) {
      case kFieldName: return mask_.name_len();
      case kFieldFirstName: return mask_.vorname_len();
      case kFieldPersNo: return mask_.personalnummer_len();
      case kFieldComp: return mask_.default_firma().size();
      case kFieldPreset: return mask_.ausweis_len();
      case kFieldUserPin: return mask_.user_pin_len();
      default: return 2u * mask_.zusatz_len(zusatz_of_code(code));  // hex digits
    }
  }

  Stop record(int number) {
    t_.person_write = store::Personensatz{};
    t_.template_write = store::Templatesatz{};
    std::int64_t start = 0;
    if (!r_.tell(&start)) return {-25, res::EX_LOG_IMP_RECORD_START};
    std::uint8_t c = 0;
    int rc = r_.peek(&c);
    if (rc < 0) return {-25, res::EX_LOG_IMP_CHAR};
    if (rc == 0) return kEndOfFile;  // fewer records than announced

    std::string value[kFieldCodes];
    bool foreign = false;
    for (const Position& p : l_.pos) {
      if (!field_in_use(p.code, mask_)) continue;
      std::string raw;
      Stop s = l_.start_length ? read_fixed(p, start, &raw) : read_column(p, start, &raw);
      if (stopped(s)) return s;
      std::size_t keep = cut_length(p.code);
      if (!windows_text(raw, keep)) foreign = true;
      value[p.code] = raw.substr(0, std::min(keep, raw.size()));
    }
    if (l_.templates) {
      if (l_.start_length && l_.template_start > 0 && !r_.seek(start + l_.template_start)) {
        return {-50, res::EX_LOG_IMP_SEEK_FIELD};
      }
      Stop s = read_templates(number);
      if (stopped(s)) return s;
    }
    Stop s = record_end(start);
    if (stopped(s)) return s;
    return check_and_store(number, value, foreign);
  }

  Stop check_and_store(int number, std::string* value, bool foreign) {
    store::Personensatz& p = t_.person_write;
    int sum = 0;
    std::string& pers_no = value[kFieldPersNo];
    if (pers_no.empty()) {
      sum += kNoPersNo;
      if (!ask(number, true, {res::EX_Q_NO_PERS_NO, res::EX_Q_DATA_REQUIRED},
               {res::EX_LOG_Q_NO_PERS_NO, res::EX_LOG_Q_DATA_REQUIRED})) {
        return {kStopped, res::EX_LOG_Q_NO};
      }
    } else if (pers_no.size() < mask_.personalnummer_len()) {
      sum += kPersNoShort;
      if (!ask(number, true, {res::EX_Q_PERS_NO_SHORT}, {res::EX_LOG_Q_PERS_NO_SHORT})) {
        return {kStopped, res::EX_LOG_Q_NO};
      }
    }
    std::string& preset = value[kFieldPreset];
    if (preset.empty()) {
      sum += kNoPreset;
      if (!ask(number, true, {res::EX_Q_NO_PRESET, res::EX_Q_DATA_REQUIRED},
               {res::EX_LOG_Q_NO_PRESET, res::EX_LOG_Q_DATA_REQUIRED})) {
        return {kStopped, res::EX_LOG_Q_NO};
      }
    } else {
      preset = store::pad_left_zero(preset, mask_.ausweis_len());
      if (!store::is_hex_text(preset)) {
        sum += kPresetChars;
        if (!ask(number, true, {res::EX_Q_PRESET_CHARS, res::EX_Q_FIELD_REQUIRED},
                 {res::EX_LOG_Q_PRESET_CHARS, res::EX_LOG_Q_FIELD_REQUIRED})) {
          return {kStopped, res::EX_LOG_Q_NO};
        }
      }
    }
    std::string& pin = value[kFieldUserPin];
    if (!pin.empty()) {
      pin = store::pad_left_zero(pin, mask_.user_pin_len());
      if (!all_digits(pin)) {
        sum += kPinChars;
        if (!ask(number, true, {res::EX_Q_PIN_CHARS}, {res::EX_LOG_Q_PIN_CHARS})) {
          return {kStopped, res::EX_LOG_Q_NO};
        }
      }
    }
    std::string& comp = value[kFieldComp];
    if (comp.empty()) {
      comp = mask_.default_firma();
    } else if (comp != mask_.default_firma()) {
      sum += kWrongComp;
      if (!ask(number, true, {res::EX_Q_COMP}, {res::EX_LOG_Q_COMP})) {
        return {kStopped, res::EX_LOG_Q_NO};
      }
    }
    if (foreign) {
      sum += kForeignText;
      if (!ask(number, true, {res::EX_Q_TEXT_BYTES}, {res::EX_LOG_Q_TEXT_BYTES})) {
        return {kStopped, res::EX_LOG_Q_NO};
      }
    }

    p.set_name(value[kFieldName]);
    p.set_vorname(value[kFieldFirstName]);
    p.set_personalnummer(pers_no);
    p.set_firmenkennung(comp);
    p.set_ausweisnummer(preset);
    p.set_user_pin(pin);
    for (int code : {kFieldZusatz1, kFieldZusatz2, kFieldZusatz3, kFieldZusatz4}) {
      if (field_in_use(code, mask_)) p.set_zusatz(zusatz_of_code(code), value[code]);
    }
    if (sum != 0) {
      ++result_.faulty;
      return kNone;
    }
    int unique = store::check_pers_eindeutig();
    if (unique != 0) {
      ++result_.faulty;
      bool pers = unique == 1;
      if (!ask(number, true, {pers ? res::EX_Q_PERS_NO_EXISTS : res::EX_Q_PRESET_EXISTS},
               {pers ? res::EX_LOG_Q_PERS_NO_EXISTS : res::EX_LOG_Q_PRESET_EXISTS})) {
        return {kStopped, res::EX_LOG_Q_NO};
      }
      return kNone;
    }

    ++result_.read_in;
    p.set_fingerprint_flag(mask_.with_fingerprint() != 0 ? 1 : 0);
    p.set_write_on_transponder(mask_.def_write_on_transponder() != 0 ? 1 : 0);
    p.set_distribute_to_reader(mask_.def_distribute_to_reader() != 0 ? 1 : 0);
    p.set_save_in_db(mask_.def_save_in_db() != 0 ? 1 : 0);
    // An imported person starts as a new person of the form does: the input
    // mask's number of fingers and "Finger required" for the Combined Mode
    // (without it a reader would be told that the person needs nothing), and
    // the mark of every template group the file brought, as enrolment sets it.
    p.set_finger_count(mask_.finger_count());
    p.set_combined_mode(store::kNeedFinger);
    const store::Templatesatz& tpl = t_.template_write;
    for (int i = 0; i < store::kFingerBlocks; ++i) {
      int g = tpl.group(i);
      if (tpl.length(i) != 0 && g >= 1 && g <= store::kFingerBlocks) {
        p.set_group_mark(g, static_cast<std::uint8_t>(g));
      }
    }
    p.set_nummer(0);
    int n = store::rw_person(store::kWrite);
    if (n < 0) {
      ++result_.faulty;
      if (!ask(number, false, {res::EX_Q_PERSON_WRITE}, {res::EX_LOG_Q_PERSON_WRITE})) {
        return {kStopped, res::EX_LOG_Q_NO};
      }
      return kNone;
    }
    t_.template_write.set_nummer(static_cast<std::uint32_t>(n));
    int rc = store::rw_template(store::kWrite);
    if (rc < 0) {
      diag::log_line("%s", res::format(res::EX_LOG_TEMPLATE_WRITE, rc).c_str());
      ui::message_box(owner_, res::format(res::EX_TEMPLATE_WRITE, static_cast<long>(rc)),
                      res::text(res::CAP_INFO), ui::kOk | ui::kIconInfo);
    }
    return kNone;
  }

  ui::Window owner_;
  const Progress& progress_;
  store::Tables& t_;
  platform::File f_;
  FileReader r_;
  Layout l_;
  store::Eingabesatz mask_;
  std::uint8_t sep_ = '\t';
  bool cr_ = false, lf_ = false;
  int set_length_ = 0;
  std::int64_t file_end_ = 0;
  ImportResult result_;
};

}  // namespace

ImportResult import_persons(ui::Window owner, const Progress& progress) {
  Import run(owner, progress);
  return run.run();
}

std::string import_result_text(const ImportResult& r) {
  if (r.code < 0) return res::format(res::EX_IMPORT_FAILED, r.code);
  return res::text(res::EX_IMPORT_DONE) + res::format(res::EX_IMPORT_READ_IN, r.read_in) +
         res::format(res::EX_IMPORT_ERRORS, r.faulty);
}

const std::string& import_caption() { return res::text(res::EX_CAP_IMPORT); }

void log_import_result(const ImportResult& r) {
  if (r.code < 0) return;
  diag::log_line("%s", res::text(res::EX_LOG_IMPORT_DONE).c_str());
  diag::log_line("%s", res::format(res::EX_LOG_IMPORT_READ_IN, r.read_in).c_str());
  diag::log_line("%s", res::format(res::EX_LOG_IMPORT_ERRORS, r.faulty).c_str());
}

}  // namespace ops
