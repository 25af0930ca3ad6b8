// The program's working directory: read once when the main window is created
// (or set by a tool or test) and used for every data file, the log and the
// optional title and picture files.
#pragma once

#include <string>

namespace platform {

// Sets the working directory used for all file names (no trailing separator).
void set_working_directory(const std::string& dir);
// The working directory; empty until set.
const std::string& working_directory();
// working directory + separator + name; false (and `out` untouched) when no
// working directory is set or the result would be longer than 512 characters.
bool working_path(const std::string& name, std::string* out);

}  // namespace platform
