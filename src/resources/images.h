// The program's pictures as pixel data: the background tile HGRUND (80 x 80) and
// the icon MAINICON (32 x 32). The backends turn them into bitmaps and icons.
#pragma once

#include <cstdint>
#include <vector>

namespace res {

struct Picture {
  int width = 0, height = 0;
  // Rows from the top, 4 bytes a pixel: red, green, blue, alpha (255 = opaque).
  std::vector<std::uint8_t> rgba;
};

const Picture& hgrund();
const Picture& main_icon();
// By resource name ("HGRUND", "Hgrund", "MAINICON", "MainIcon", any letter case);
// null when there is none.
const Picture* picture(const char* name);

}  // namespace res
