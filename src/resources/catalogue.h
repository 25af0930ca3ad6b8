// The text catalogue: every operator-visible text under one identifier, with its
// text for each edition. Texts are written once, in UTF-8, in texts/*.inc:
//
//   T(ID, "English edition text", "German edition text")
//   T(ID, "Text shown in both editions", SAME)
//
// and handed out as Windows-1252 bytes. The edition is fixed when a program is
// built (each program calls select_edition once at start); tests may switch it.
#pragma once

#include <cstdarg>
#include <string>

namespace res {

enum class Edition { English = 0, German = 1 };

void select_edition(Edition e);
Edition edition();

enum TextId : int {
#define T(id, en, de) id,
#include "resources/texts/all.inc"
#undef T
  kTextCount
};

// The text of the current edition, Windows-1252.
const std::string& text(TextId id);
const std::string& text_in(TextId id, Edition e);
// The catalogue source (UTF-8) of an edition; null when the entry is SAME and
// the edition is German.
const char* source(TextId id, Edition e);
const char* name(TextId id);

// printf-style formatting of a format string held at run time (a catalogue
// text); the arguments must match its placeholders.
std::string format_runtime(const char* fmt, ...);

// printf-style formatting of a catalogue text (current edition).
template <typename... Args>
std::string format(TextId id, Args... args) {
  return format_runtime(text(id).c_str(), args...);
}
// printf-style formatting of a plain format string.
std::string sformat(const char* fmt, ...) __attribute__((format(printf, 1, 2)));
std::string vsformat(const char* fmt, va_list ap);

}  // namespace res
