#include "ops/layout.h"

#include <algorithm>

#include "resources/catalogue.h"
#include "store/store.h"

namespace ops {
namespace {

constexpr int kMaxStart = 32767;    // starts and lengths are signed 16-bit fields
constexpr int kMaxCount = 65535;    // header, footer and set length are 16-bit fields
// What a failing pair of neighbouring positions adds to the overlap code.
constexpr int kPairValue[kPositions - 1] = {1, 10, 20, 100, 200, 500, 1000, 2000, 5000};
constexpr int kTemplateOverlap = 10000;

bool used(const Position& p) { return p.code > kFieldNone && p.code < kFieldCodes; }

LayoutCheck refuse(int result, res::TextId text) {
  LayoutCheck c;
  c.result = result;
  c.message = res::text(text);
  return c;
}

// Used positions by ascending start, then the unused ones; equal starts keep
// their order.
void sort_positions(Layout& l) {
  std::stable_sort(l.pos.begin(), l.pos.end(), [](const Position& a, const Position& b) {
    if (used(a) != used(b)) return used(a);
    return used(a) && a.start < b.start;
  });
}

int overlap_code(const Layout& l, bool import) {
  int code = 0;
  int last_nonzero = 0;
  int last_used = -1;
  for (int i = 0; i < kPositions && used(l.pos[i]); ++i) {
    last_used = i;
    if (i == 0) {
      last_nonzero = l.pos[0].start;
      continue;
    }
    const Position& a = l.pos[i - 1];
    const Position& b = l.pos[i];
    bool fails;
    if (l.start_length) {
      fails = b.start <= a.start + a.length;
    } else {
      fails = b.start != 0 && last_nonzero >= b.start;
    }
    if (fails) code += kPairValue[i - 1];
    if (b.start != 0) last_nonzero = b.start;
  }
  if (import && l.start_length && l.templates && l.template_start != 0 && last_used >= 0) {
    const Position& last = l.pos[last_used];
    if (l.template_start <= last.start + last.length) code += kTemplateOverlap;
  }
  return code;
}

}  // namespace

Layout layout_from_konfig(Exchange which, const store::Konfigsatz& k) {
  Layout l;
  if (which == Exchange::Export) {
    l.path = k.export_path();
    l.separator = k.export_separator();
    l.header = k.export_header();
    l.header_as_length = k.export_header_as_length() != 0;
    l.start_length = k.export_start_length() != 0;
    l.cr = k.export_cr() != 0;
    l.lf = k.export_lf() != 0;
    l.set_length = k.export_set_length();
    for (int i = 0; i < kPositions; ++i) {
      l.pos[i] = {k.export_code(i), k.export_start(i), k.export_length(i)};
    }
    l.footer = k.export_footer();
    l.footer_as_length = k.export_footer_as_length() != 0;
    l.templates = k.export_templates() != 0;
  } else {
    l.path = k.import_path();
    l.separator = k.import_separator();
    l.header = k.import_header();
    l.header_as_length = k.import_header_as_length() != 0;
    l.start_length = k.import_start_length() != 0;
    l.cr = k.import_cr() != 0;
    l.lf = k.import_lf() != 0;
    l.set_length = k.import_set_length();
    for (int i = 0; i < kPositions; ++i) {
      l.pos[i] = {k.import_code(i), k.import_start(i), k.import_length(i)};
    }
    l.footer = k.import_footer();
    l.footer_as_length = k.import_footer_as_length() != 0;
    l.templates = k.import_templates() != 0;
    l.template_start = k.import_template_start();
  }
  return l;
}

void layout_to_konfig(Exchange which, const Layout& l, store::Konfigsatz& k) {
  auto u8 = [](int v) { return static_cast<std::uint8_t>(v); };
  auto u16 = [](int v) { return static_cast<std::uint16_t>(v); };
  auto i16 = [](int v) { return static_cast<std::int16_t>(v); };
  if (which == Exchange::Export) {
    k.set_export_path(l.path);
    k.set_export_separator(l.separator);
    k.set_export_header(u16(l.header));
    k.set_export_header_as_length(u8(l.header_as_length));
    k.set_export_start_length(u8(l.start_length));
    k.set_export_cr(u8(l.cr));
    k.set_export_lf(u8(l.lf));
    k.set_export_set_length(u16(l.set_length));
    for (int i = 0; i < kPositions; ++i) {
      k.set_export_code(i, u8(l.pos[i].code));
      k.set_export_start(i, i16(l.pos[i].start));
      k.set_export_length(i, i16(l.pos[i].length));
    }
    k.set_export_footer(u16(l.footer));
    k.set_export_footer_as_length(u8(l.footer_as_length));
    k.set_export_templates(u8(l.templates));
  } else {
    k.set_import_path(l.path);
    k.set_import_separator(l.separator);
    k.set_import_header(u16(l.header));
    k.set_import_header_as_length(u8(l.header_as_length));
    k.set_import_start_length(u8(l.start_length));
    k.set_import_cr(u8(l.cr));
    k.set_import_lf(u8(l.lf));
    k.set_import_set_length(u16(l.set_length));
    for (int i = 0; i < kPositions; ++i) {
      k.set_import_code(i, u8(l.pos[i].code));
      k.set_import_start(i, i16(l.pos[i].start));
      k.set_import_length(i, i16(l.pos[i].length));
    }
    k.set_import_footer(u16(l.footer));
    k.set_import_footer_as_length(u8(l.footer_as_length));
    k.set_import_templates(u8(l.templates));
    k.set_import_template_start(i16(l.template_start));
  }
}

int zusatz_of_code(int code) {
  switch (code) {
    case kFieldZusatz1: return 1;
    case kFieldZusatz2: return 2;
    case kFieldZusatz3: return 3;
    case kFieldZusatz4: return 4;
    default: return 0;
  }
}

bool field_in_use(int code, const store::Eingabesatz& mask) {
  if (code <= kFieldNone || code >= kFieldCodes) return false;
  int z = zusatz_of_code(code);
  return z == 0 || mask.zusatz_active(z) != 0;
}

std::string field_list_text(int code, const store::Eingabesatz& mask) {
  static const res::TextId kText[kFieldCodes] = {
      res::EX_FIELD_NOT_USED,    res::EX_FIELD_NAME,       res::EX_FIELD_FIRST_NAME,
      res::EX_FIELD_PERS_NO,     res::EX_FIELD_BEFORE_COMP, res::EX_FIELD_COMP,
      res::EX_FIELD_AFTER_COMP,  res::EX_FIELD_BEFORE_PRESET, res::EX_FIELD_PRESET,
      res::EX_FIELD_AFTER_PRESET, res::EX_FIELD_USER_PIN};
  if (code < 0 || code >= kFieldCodes) return res::text(res::EX_FIELD_NOT_USED);
  int z = zusatz_of_code(code);
  if (z != 0) {
    if (mask.zusatz_active(z) == 0) return res::text(res::EX_FIELD_NOT_USED);
    std::string d = mask.zusatz_description(z);
    if (!d.empty()) return d;
  }
  if (code == kFieldComp && mask.change_company_active() != 0 &&
      !mask.company_description().empty()) {
    return mask.company_description();
  }
  return res::text(kText[code]);
}

bool separator_allowed(std::uint8_t c) {
  switch (c) {
    case 0: case ' ': case ',': case ';': case '.': case ':': case '#': case '~':
      return true;
    default:
      return false;
  }
}

LayoutCheck check_layout(Exchange which, Layout& l) {
  const bool import = which == Exchange::Import;
  if (!import || !l.start_length || !l.templates) l.template_start = 0;
  for (Position& p : l.pos) {
    if (!used(p)) p.code = kFieldNone;
  }
  if (!separator_allowed(l.separator)) return refuse(kLayoutBadSeparator, res::EX_BAD_SEPARATOR);
  if (l.path.empty()) return refuse(kLayoutNoFileName, res::EX_NO_FILE_NAME);
  for (const Position& p : l.pos) {
    if (p.start < 0 || p.start > kMaxStart) return refuse(kLayoutBadStart, res::EX_BAD_START);
  }
  if (l.template_start < 0 || l.template_start > kMaxStart) {
    return refuse(kLayoutBadStart, res::EX_BAD_START);
  }
  for (const Position& p : l.pos) {
    if (p.length < 0 || p.length > kMaxStart) return refuse(kLayoutBadLength, res::EX_BAD_LENGTH);
  }
  for (int v : {l.header, l.footer, l.set_length}) {
    if (v < 0 || v > kMaxCount) {
      LayoutCheck c;
      c.result = kLayoutValueTooLarge;
      c.message = res::format(res::EX_VALUE_TOO_LARGE, kMaxCount);
      return c;
    }
  }
  if (std::none_of(l.pos.begin(), l.pos.end(), used)) {
    return refuse(kLayoutNoField, res::EX_NO_FIELD);
  }

  sort_positions(l);
  int overlap = overlap_code(l, import);
  if (overlap != 0) {
    LayoutCheck c;
    c.result = kLayoutOverlap;
    c.overlap = overlap;
    c.message = res::format(import ? res::EX_IMPORT_OVERLAP : res::EX_EXPORT_OVERLAP, overlap);
    return c;
  }
  if (import) {
    bool key = std::any_of(l.pos.begin(), l.pos.end(), [](const Position& p) {
      return p.code == kFieldPersNo || p.code == kFieldPreset;
    });
    if (!key) return refuse(kLayoutNoKeyField, res::EX_IMPORT_NO_KEY_FIELD);
    bool seen[kFieldCodes] = {};
    for (const Position& p : l.pos) {
      if (!used(p)) continue;
      if (seen[p.code]) return refuse(kLayoutDoubleField, res::EX_IMPORT_DOUBLE_FIELD);
      seen[p.code] = true;
    }
  }
  return LayoutCheck{};
}

LayoutCheck save_layout(Exchange which, Layout& l) {
  LayoutCheck c = check_layout(which, l);
  if (c.result != kLayoutOk) return c;
  store::Tables& t = store::db();
  layout_to_konfig(which, l, t.konfig);
  int rc = store::rw_konfig(store::kWrite);
  if (rc != 1) {
    c.result = kLayoutSaveFailed;
    c.save_code = rc;
    c.message = res::format(res::EX_SAVE_FAILED, rc);
  }
  return c;
}

}  // namespace ops
