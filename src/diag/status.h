// Operator texts for reader status codes and reader-operation result codes.
#pragma once

#include <string>

namespace diag {

// The text for a signed 16-bit code (Windows-1252). The text lives in one
// buffer that keeps it until the next call; a code without a text leaves the
// buffer as it was, so the previous text (empty before the first) comes back.
const std::string& status_text(int code);

// Empties the status-text buffer (tests; also part of reset_diag).
void reset_status_text();

}  // namespace diag
