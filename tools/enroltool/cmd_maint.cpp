// Reader maintenance commands: check a parameter file, send a parameter file to
// a reader, change a reader's operating mode, reset a reader's parameters.
#include <cstdio>
#include <string>
#include <vector>

#include "commands.h"
#include "link/link.h"
#include "link_args.h"
#include "ops/maintenance.h"
#include "ops/param_file.h"

namespace enroltool {
namespace {

std::string hex(const rlink::ParameterSet& s) {
  static const char digits[] = "0123456789ABCDEF";
  std::string out;
  for (std::uint8_t b : s) out += std::string{digits[b >> 4], digits[b & 15]};
  return out;
}

// The parameter file a path names, by its file name: E-Parameter.txt is the
// enrol station's, every other name is read as a reader parameter file.
ops::ParamFile kind_of(const std::string& path) {
  std::size_t slash = path.find_last_of("/\\");
  std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
  std::string want = ops::kEnrolParamFile;
  if (name.size() != want.size()) return ops::ParamFile::Reader;
  for (std::size_t k = 0; k < name.size(); ++k) {
    char a = name[k], b = want[k];
    if (a >= 'a' && a <= 'z') a = static_cast<char>(a - 'a' + 'A');
    if (b >= 'a' && b <= 'z') b = static_cast<char>(b - 'a' + 'A');
    if (a != b) return ops::ParamFile::Reader;
  }
  return ops::ParamFile::Enrol;
}

// Reads `path` into the table of `which`; on a failure shows the program's
// boxes and a closing line and returns kExitFailed.
int read_file(const std::string& path, ops::ParamFile which, int* lines) {
  *lines = ops::parse_parameter_file(path, ops::table_of(which));
  if (*lines > 0) return kExitOk;
  ops::report_parameter_file_error(ui::kNoWindow, which, *lines);
  return fail(kExitFailed, path + ": parameter file error " + std::to_string(*lines));
}

int params(const Args& args) {
  if (args.size() != 1) return fail(kExitUsage, "params: give exactly one FILE");
  if (int rc = check_operands("params", args, 1); rc != kExitOk) return rc;
  ops::ParamFile which = kind_of(args[0]);
  int lines = 0;
  int rc = read_file(args[0], which, &lines);
  if (rc != kExitOk) return rc;
  const ops::ParameterTable& t = ops::table_of(which);
  std::printf("lines: %d\n", lines);
  for (int k = 0; k < lines; ++k) {
    const rlink::ParameterSet& s = t[static_cast<std::size_t>(k)];
    std::printf("set %d (%d bytes)%s%s\n", k, static_cast<int>(s.size()), s.empty() ? "" : ": ",
                hex(s).c_str());
  }
  std::printf("sets a download sends: %d\n", ops::sets_to_send(t));
  return kExitOk;
}

// Parses the arguments of a reader command that needs --address and the extra
// options given; kExitOk or the usage failure.
int reader_args(const std::string& name, const Args& args, unsigned extras, LinkArgs* a) {
  std::vector<char*> argv;
  for (const std::string& s : args) argv.push_back(const_cast<char*>(s.c_str()));
  std::string complaint =
      parse_link_args(static_cast<int>(argv.size()), argv.data(), extras | kAddressOption, a);
  if (complaint.empty() && a->address == 0) complaint = "--address N is needed";
  if (complaint.empty() && (extras & kFileOption) && a->file.empty()) complaint = "--file FILE is needed";
  if (complaint.empty() && (extras & kModeOption) && a->mode < 0) complaint = "--mode 0..5 is needed";
  return complaint.empty() ? kExitOk : fail(kExitUsage, name + ": " + complaint);
}

int reader_params(const Args& args) {
  LinkArgs a;
  int rc = reader_args("reader-params", args, kFileOption, &a);
  if (rc != kExitOk) return rc;
  // The file is read before the reader is addressed: a faulty file sends nothing.
  int lines = 0;
  rc = read_file(a.file, ops::ParamFile::Reader, &lines);
  if (rc != kExitOk) return rc;
  rc = prepare_link(a, true);
  if (rc != kExitOk) return rc;
  int r = rlink::check_leser_parameter();
  if (r <= 0) return finish_link("check_leser_parameter", r, false);
  const ops::ParameterTable& t = ops::table_of(ops::ParamFile::Reader);
  r = ops::maintenance_step(ops::Maintenance::ReaderParameters, a.address, 0);
  if (r == rlink::kOk) std::printf("parameter sets sent to the reader: %d\n", ops::sets_to_send(t));
  return finish_link("load_reader_parameter", r, r == rlink::kOk);
}

int reader_mode(const Args& args) {
  LinkArgs a;
  int rc = reader_args("reader-mode", args, kModeOption, &a);
  if (rc != kExitOk) return rc;
  rc = prepare_link(a, true);
  if (rc != kExitOk) return rc;
  int r = rlink::check_leser_parameter();
  if (r <= 0) return finish_link("check_leser_parameter", r, false);
  r = ops::maintenance_step(ops::Maintenance::OperatingMode, a.address, a.mode);
  if (r == rlink::kOk) std::printf("operating mode of the reader: %d\n", a.mode);
  return finish_link("change_bmode", r, r == rlink::kOk);
}

int reader_reset(const Args& args) {
  LinkArgs a;
  int rc = reader_args("reader-reset", args, 0, &a);
  if (rc != kExitOk) return rc;
  rc = prepare_link(a, true);
  if (rc != kExitOk) return rc;
  // As the program does: only a reader that passes its check is reset.
  int r = rlink::check_leser_parameter();
  if (r <= 0) return finish_link("check_leser_parameter", r, false);
  r = ops::maintenance_step(ops::Maintenance::Reset, a.address, 0);
  if (r == rlink::kOk) std::printf("parameters of the reader reset\n");
  return finish_link("parameter_reset", r, r == rlink::kOk);
}

}  // namespace

const char* maint_usage() {
  return "  params FILE\n"
         "      Read a parameter file: lists its sets in hex with their byte counts, or\n"
         "      prints the error and its message. Exit code 0 only for a valid file.\n"
         "      A file named E-Parameter.txt is read as the enrol station's.\n"
         "  reader-params CONNECTION --address N --file FILE [--dir DIR]\n"
         "      Check the reader, then send it the sets of the parameter file FILE.\n"
         "  reader-mode CONNECTION --address N --mode 0..5 [--dir DIR]\n"
         "      Check the reader, then set its operating mode: 0 Command mode,\n"
         "      1 Identify with Tastatur, 2 Identify with identification, 3 Template\n"
         "      on Card, 4 Identify with PIR-Sensor, 5 Combined Mode.\n"
         "  reader-reset CONNECTION --address N [--dir DIR]\n"
         "      Check the reader, then reset its parameters to its defaults.\n";
}

int run_maint_command(const std::string& name, const Args& args) {
  if (name == "params") return params(args);
  if (name == "reader-params") return reader_params(args);
  if (name == "reader-mode") return reader_mode(args);
  if (name == "reader-reset") return reader_reset(args);
  return kNotMaintCommand;
}

}  // namespace enroltool
