#include "platform/workdir.h"

#include "platform/files.h"

namespace platform {
namespace {
std::string g_dir;
constexpr std::size_t kMaxPath = 512;
}  // namespace

void set_working_directory(const std::string& dir) { g_dir = dir; }

const std::string& working_directory() { return g_dir; }

bool working_path(const std::string& name, std::string* out) {
  if (g_dir.empty()) return false;
  std::string p = path_join(g_dir, name);
  if (p.size() > kMaxPath) return false;
  *out = p;
  return true;
}

}  // namespace platform
