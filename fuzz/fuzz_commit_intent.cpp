// Reads arbitrary bytes as the intent file a crash left behind. The parser
// takes only what intent_text writes (an accepted text is written back byte
// for byte), and the recovery in an otherwise empty working directory undoes
// and removes an accepted intent file and keeps a refused one.
#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

#include <unistd.h>

#include "platform/files.h"
#include "platform/workdir.h"
#include "store/commit.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static std::string intent;
  char tmpl[] = "/tmp/fuzz_intent_XXXXXX";
  if (intent.empty() && mkdtemp(tmpl)) platform::set_working_directory(tmpl);
  if (intent.empty() && !platform::working_path(store::kIntentFile, &intent)) std::abort();
  const std::string text(reinterpret_cast<const char*>(data), size);
  std::vector<store::IntentEntry> entries;
  const bool accepted = store::parse_intent(text, &entries);
  if (accepted && store::intent_text(entries) != text) std::abort();
  std::ofstream(intent, std::ios::binary | std::ios::trunc).write(text.data(), static_cast<std::streamsize>(size));
  int r = store::recover_change();
  bool kept = platform::path_exists(intent);
  if (accepted ? (r != store::kRecoverUndone || kept) : (r != store::kRecoverDamaged || !kept)) std::abort();
  platform::file_delete(intent);
  return 0;
}
