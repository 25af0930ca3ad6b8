// Win32 ui backend: bitmaps from the picture data and from .bmp files, and the
// painting helpers used while a window handles Paint.
#include <windows.h>

#include "platform/win32/ui/state.h"
#include "resources/images.h"

namespace ui {

using namespace win32;

namespace {

HBITMAP bitmap_from_picture(const res::Picture& p) {
  BITMAPINFO bi{};
  bi.bmiHeader.biSize = sizeof bi.bmiHeader;
  bi.bmiHeader.biWidth = p.width;
  bi.bmiHeader.biHeight = -p.height;  // rows from the top
  bi.bmiHeader.biPlanes = 1;
  bi.bmiHeader.biBitCount = 32;
  bi.bmiHeader.biCompression = BI_RGB;
  void* bits = nullptr;
  HBITMAP bmp = CreateDIBSection(nullptr, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
  if (!bmp) return nullptr;
  auto* out = static_cast<std::uint8_t*>(bits);
  std::size_t pixels = static_cast<std::size_t>(p.width) * p.height;
  for (std::size_t i = 0; i < pixels; ++i) {
    out[i * 4] = p.rgba[i * 4 + 2];
    out[i * 4 + 1] = p.rgba[i * 4 + 1];
    out[i * 4 + 2] = p.rgba[i * 4];
    out[i * 4 + 3] = 0;
  }
  return bmp;
}

HDC paint_dc(Window w) {
  WinData* d = data(hwnd(w));
  return d ? d->paint_dc : nullptr;
}

}  // namespace

Image load_image_resource(const char* name) {
  const res::Picture* p = res::picture(name);
  return p ? reinterpret_cast<Image>(bitmap_from_picture(*p)) : 0;
}

Image load_image_file(const std::string& path) {
  HANDLE bmp = LoadImageW(nullptr, wide(path).c_str(), IMAGE_BITMAP, 0, 0,
                          LR_LOADFROMFILE | LR_CREATEDIBSECTION);
  return reinterpret_cast<Image>(bmp);
}

Size image_size(Image image) {
  BITMAP bm{};
  if (!image || !GetObjectW(reinterpret_cast<HBITMAP>(image), sizeof bm, &bm)) return Size{};
  return Size{bm.bmWidth, bm.bmHeight < 0 ? -bm.bmHeight : bm.bmHeight};
}

void free_image(Image image) {
  if (image) DeleteObject(reinterpret_cast<HBITMAP>(image));
}

void paint_image(Window w, Image image, int x, int y, int width, int height, Blend blend) {
  HDC dc = paint_dc(w);
  if (!dc || !image) return;
  if (driven()) driven_paint_image(hwnd(w), image, x, y, width, height, blend);
  HDC mem = CreateCompatibleDC(dc);
  HGDIOBJ old = SelectObject(mem, reinterpret_cast<HBITMAP>(image));
  BitBlt(dc, x, y, width, height, mem, 0, 0, blend == Blend::And ? SRCAND : SRCCOPY);
  SelectObject(mem, old);
  DeleteDC(mem);
}

void paint_text(Window w, const std::string& text, const Rect& box, const Font& font,
                Colour colour) {
  HDC dc = paint_dc(w);
  if (!dc) return;
  if (driven()) driven_paint_text(hwnd(w), text, box, font, colour);
  DWORD pitch = font.fixed_pitch ? FIXED_PITCH | FF_MODERN : DEFAULT_PITCH | FF_DONTCARE;
  HFONT f = CreateFontW(font.height, 0, 0, 0, font.bold ? FW_BOLD : FW_NORMAL, font.italic,
                        font.underline, FALSE, ANSI_CHARSET, OUT_DEFAULT_PRECIS,
                        CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, pitch, wide(font.face).c_str());
  HGDIOBJ old = SelectObject(dc, f);
  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, colour_ref(colour));
  RECT r{box.x, box.y, box.x + box.width, box.y + box.height};
  std::wstring t = wide(text);
  DrawTextW(dc, t.c_str(), static_cast<int>(t.size()), &r,
            DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
  SelectObject(dc, old);
  DeleteObject(f);
}

}  // namespace ui
