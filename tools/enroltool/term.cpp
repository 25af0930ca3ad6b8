// Terminal side of the tool: messages, and the message-box function that the
// store and the link call. A box prints "caption: text" on standard error; a
// question is answered by --yes / --no (No when neither is given).
#include <cstdio>
#include <string>

#include "commands.h"
#include "platform/message_box.h"
#include "resources/cp1252.h"
#include "store/users.h"

namespace enroltool {

Options& options() {
  static Options o;
  return o;
}

std::string term(const std::string& cp1252) { return res::cp1252_to_utf8(cp1252); }

std::string admin_password_rule() {
  const std::size_t min = store::kAdminPasswordMinChars, max = store::kPasswordMaxChars;
  if (min == max) return "exactly " + std::to_string(min) + " characters";
  return std::to_string(min) + " to " + std::to_string(max) + " characters";
}

int fail(int code, const std::string& message) {
  std::fprintf(stderr, "enroltool: %s\n", message.c_str());
  return code;
}

int check_operands(const std::string& command, const Args& args, std::size_t count) {
  for (std::size_t i = 0; i < count && i < args.size(); ++i) {
    if (!args[i].empty() && args[i][0] == '-') return fail(kExitUsage, command + ": unknown option " + args[i]);
  }
  return kExitOk;
}

std::string one_line(const std::string& text) {
  std::string out;
  bool gap = false;
  for (char c : text) {
    if (c == '\n' || c == '\r') {
      gap = true;
      continue;
    }
    if (gap && !out.empty()) out += ' ';
    gap = false;
    out += c;
  }
  return out;
}

}  // namespace enroltool

namespace ui {

int message_box(Window, const std::string& text, const std::string& caption, unsigned style) {
  using enroltool::options;
  unsigned buttons = style & 0xF;
  int answer = kIdOk;
  const char* said = nullptr;
  int fixed = options().answer ? options().answer(text, caption) : 0;
  if (buttons == kYesNo || buttons == kYesNoCancel) {
    answer = fixed != 0 ? fixed : options().yes ? kIdYes : kIdNo;
    said = answer == kIdYes ? "Yes" : "No";
  } else if (buttons == kOkCancel) {
    answer = options().yes ? kIdOk : kIdCancel;
    said = options().yes ? "OK" : "Cancel";
  }
  std::string line = enroltool::term(caption) + ": " + enroltool::term(enroltool::one_line(text));
  if (said) line += std::string(" [answered ") + said + "]";
  if (options().box_line)
    options().box_line(line);
  else
    std::fprintf(stderr, "%s\n", line.c_str());
  return answer;
}

}  // namespace ui
