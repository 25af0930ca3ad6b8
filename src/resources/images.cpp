#include "resources/images.h"

#include <cctype>
#include <cmath>

namespace res {
namespace {

void put(Picture& p, int x, int y, int r, int g, int b, int a) {
  std::size_t at = (static_cast<std::size_t>(y) * p.width + x) * 4;
  p.rgba[at] = static_cast<std::uint8_t>(r);
  p.rgba[at + 1] = static_cast<std::uint8_t>(g);
  p.rgba[at + 2] = static_cast<std::uint8_t>(b);
  p.rgba[at + 3] = static_cast<std::uint8_t>(a);
}

// A quiet blue-grey tile with a soft wave that repeats every 80 pixels both
// ways, so that tiles meet without a seam.
Picture make_hgrund() {
  Picture p;
  p.width = p.height = 80;
  p.rgba.assign(80 * 80 * 4, 0);
  const double k = 2.0 * 3.14159265358979 / 80.0;
  for (int y = 0; y < 80; ++y) {
    for (int x = 0; x < 80; ++x) {
      double wave = std::sin(k * x) * std::sin(k * y);
      int shade = static_cast<int>(std::lround(8.0 * wave));
      put(p, x, y, 226 + shade, 232 + shade, 242 + shade, 255);
    }
  }
  return p;
}

// A round fingerprint-like badge: dark blue ridges on light blue, transparent
// outside the circle.
Picture make_icon() {
  Picture p;
  p.width = p.height = 32;
  p.rgba.assign(32 * 32 * 4, 0);
  for (int y = 0; y < 32; ++y) {
    for (int x = 0; x < 32; ++x) {
      double dx = x - 15.5, dy = (y - 17.5) * 0.85;
      double d = std::sqrt(dx * dx + dy * dy);
      if (std::sqrt((x - 15.5) * (x - 15.5) + (y - 15.5) * (y - 15.5)) > 15.5) continue;
      bool ridge = static_cast<int>(d / 2.0) % 2 == 0;
      if (ridge)
        put(p, x, y, 30, 50, 140, 255);
      else
        put(p, x, y, 200, 215, 245, 255);
    }
  }
  return p;
}

bool same_name(const char* a, const char* b) {
  for (; *a && *b; ++a, ++b)
    if (std::toupper(static_cast<unsigned char>(*a)) != std::toupper(static_cast<unsigned char>(*b)))
      return false;
  return *a == *b;
}

}  // namespace

const Picture& hgrund() {
  static const Picture p = make_hgrund();
  return p;
}

const Picture& main_icon() {
  static const Picture p = make_icon();
  return p;
}

const Picture* picture(const char* name) {
  if (same_name(name, "HGRUND")) return &hgrund();
  if (same_name(name, "MAINICON")) return &main_icon();
  return nullptr;
}

}  // namespace res
