// The parameter-file parser and the boxes of its failures.
#include "ops/param_file.h"

#include "platform/files.h"
#include "platform/workdir.h"
#include "resources/catalogue.h"

namespace ops {
namespace {

constexpr std::uint8_t CR = 0x0D, LF = 0x0A;
// A line is read until its line end or until it holds one digit more than the
// longest odd count, so that an over-long line is told from an odd one.
constexpr int kStopDigits = kMaxLineDigits + 2;

// 1 a character read, 0 end of file, -1 the read failed.
int read_char(platform::File& f, std::uint8_t* c) {
  std::size_t got = 0;
  if (!platform::file_read(f, c, 1, &got)) return -1;
  return got == 1 ? 1 : 0;
}

// The value of a hex digit (either case), or -1.
int hex_value(std::uint8_t c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

}  // namespace

ParameterTables& parameter_tables() {
  static ParameterTables t;
  return t;
}

void reset_parameter_tables() {
  for (auto& s : parameter_tables().reader) s.clear();
  for (auto& s : parameter_tables().enrol) s.clear();
}

ParameterTable& table_of(ParamFile which) {
  return which == ParamFile::Reader ? parameter_tables().reader : parameter_tables().enrol;
}

const char* file_name(ParamFile which) {
  return which == ParamFile::Reader ? kReaderParamFile : kEnrolParamFile;
}

int parse_parameter_file(const std::string& path, ParameterTable& table) {
  for (auto& s : table) s.clear();
  platform::File f;
  if (!platform::file_open(f, path, platform::Access::Read, platform::Create::OpenExisting))
    return -3;
  if (!platform::file_seek(f, 0)) return -4;

  int line = 0;
  while (line < rlink::kParameterSets) {
    std::uint8_t values[kStopDigits];
    int digits = 0;
    std::uint8_t c = 0;
    bool at_end = false;
    for (;;) {
      int r = read_char(f, &c);
      if (r < 0) return -5;
      if (r == 0) {
        at_end = true;
        break;
      }
      if (c == CR || c == LF) break;
      int v = hex_value(c);
      if (v < 0) return -6;
      values[digits++] = static_cast<std::uint8_t>(v);
      if (digits == kStopDigits) break;
    }
    if (digits % 2 != 0) return -7;
    rlink::ParameterSet& set = table[static_cast<std::size_t>(line)];
    for (int k = 0; k < digits; k += 2)
      set.push_back(static_cast<std::uint8_t>(values[k] << 4 | values[k + 1]));
    // The line counts before its end is looked at: the end of the file right
    // after a line break still counts the empty line that follows it.
    ++line;
    if (at_end) return line;
    if (c != CR && c != LF) return -8;
    if (c == CR) {
      int r = read_char(f, &c);
      if (r < 0) return -9;
      if (r == 0) return line;
      if (c != LF) return -10;
    }
  }
  return rlink::kParameterSets;
}

int read_parameter_file(ParamFile which) {
  ParameterTable& table = table_of(which);
  for (auto& s : table) s.clear();
  if (platform::working_directory().empty()) return -1;
  std::string path;
  if (!platform::working_path(file_name(which), &path)) return -2;
  return parse_parameter_file(path, table);
}

int sets_to_send(const ParameterTable& table) {
  int n = 0;
  while (n < rlink::kParameterSets && !table[static_cast<std::size_t>(n)].empty()) ++n;
  return n;
}

namespace {

std::string error_caption(ParamFile which) {
  return res::text(which == ParamFile::Reader ? res::CAP_READER_PARAM_ERROR
                                              : res::CAP_ENROL_PARAM_ERROR);
}

}  // namespace

Box parameter_fault_box(ParamFile which, int code) {
  res::TextId id;
  switch (code) {
    case -6: id = res::PARAM_BAD_CHARACTER; break;
    case -7: id = res::PARAM_BAD_LENGTH; break;
    case -8: id = res::PARAM_NO_LINE_END; break;
    case -10: id = res::PARAM_NO_LINE_FEED; break;
    default: return {"", error_caption(which)};
  }
  return {res::text(id), error_caption(which)};
}

Box parameter_read_box(ParamFile which, int code) {
  bool reader = which == ParamFile::Reader;
  if (code == -3)
    return {res::text(res::PARAM_OPEN_FAILED),
            res::text(reader ? res::CAP_READER_PARAM_INFO : res::CAP_ENROL_PARAM_INFO)};
  return {res::format(reader ? res::PARAM_READER_READ_FAILED : res::PARAM_ENROL_READ_FAILED, code),
          error_caption(which)};
}

void report_parameter_file_error(ui::Window owner, ParamFile which, int code) {
  Box fault = parameter_fault_box(which, code);
  if (!fault.text.empty()) ui::message_box(owner, fault.text, fault.caption, ui::kOk);
  Box read = parameter_read_box(which, code);
  ui::message_box(owner, read.text, read.caption, ui::kOk);
}

}  // namespace ops
