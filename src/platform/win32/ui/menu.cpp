// Win32 ui backend: the menu STARTMENU and the accelerators ACCEL_TABLE from the
// resource data, message boxes and the common file dialogs.
#include <windows.h>
#include <commdlg.h>

#include <vector>

#include "platform/win32/ui/state.h"
#include "resources/catalogue.h"
#include "resources/menu.h"

namespace ui {

using namespace win32;

namespace {

// Builds the menu bar from the flat entry list: a popup opens a level, End closes it.
HMENU build_menu() {
  std::size_t count = 0;
  const res::MenuEntry* entries = res::start_menu(&count);
  HMENU bar = CreateMenu();
  std::vector<HMENU> levels{bar};
  for (std::size_t i = 0; i < count && bar; ++i) {
    const res::MenuEntry& e = entries[i];
    switch (e.kind) {
      case res::MenuKind::Popup: {
        HMENU popup = CreatePopupMenu();
        AppendMenuW(levels.back(), MF_POPUP | MF_STRING, reinterpret_cast<UINT_PTR>(popup),
                    wide(res::text(e.text)).c_str());
        levels.push_back(popup);
        break;
      }
      case res::MenuKind::Item:
        AppendMenuW(levels.back(), MF_STRING, static_cast<UINT_PTR>(e.command),
                    wide(res::text(e.text)).c_str());
        break;
      case res::MenuKind::End:
        if (levels.size() > 1) levels.pop_back();
        break;
    }
  }
  return bar;
}

bool menu_has(HMENU menu, int command) {
  return menu && GetMenuState(menu, static_cast<UINT>(command), MF_BYCOMMAND) != static_cast<UINT>(-1);
}

}  // namespace

bool attach_menu(Window main_window) {
  HWND h = hwnd(main_window);
  if (!data(h) || failing(Failing::AttachMenu)) return false;
  HMENU menu = build_menu();
  if (!menu) return false;
  HMENU old = GetMenu(h);
  if (!SetMenu(h, menu)) {
    DestroyMenu(menu);
    return false;
  }
  if (old) DestroyMenu(old);
  return true;
}

bool menu_enable(Window main_window, int command, bool on) {
  HMENU menu = data(hwnd(main_window)) ? GetMenu(hwnd(main_window)) : nullptr;
  if (!menu_has(menu, command)) return false;
  EnableMenuItem(menu, static_cast<UINT>(command), MF_BYCOMMAND | (on ? MF_ENABLED : MF_GRAYED));
  return true;
}

bool menu_enabled(Window main_window, int command) {
  HMENU menu = data(hwnd(main_window)) ? GetMenu(hwnd(main_window)) : nullptr;
  if (!menu_has(menu, command)) return false;
  return !(GetMenuState(menu, static_cast<UINT>(command), MF_BYCOMMAND) & (MF_GRAYED | MF_DISABLED));
}

void menu_redraw(Window main_window) {
  if (!data(hwnd(main_window))) return;
  ++state().menu_redraws;
  DrawMenuBar(hwnd(main_window));
}

bool load_accelerators() {
  State& s = state();
  if (failing(Failing::LoadAccelerators)) return false;
  if (s.accelerators) return true;
  std::size_t count = 0;
  const Accelerator* table = res::accel_table(&count);
  if (!table || count == 0) return false;
  std::vector<ACCEL> accel;
  for (std::size_t i = 0; i < count; ++i)
    accel.push_back(ACCEL{FVIRTKEY, static_cast<WORD>(table[i].key), static_cast<WORD>(table[i].command)});
  s.accelerators = CreateAcceleratorTableW(accel.data(), static_cast<int>(accel.size()));
  return s.accelerators != nullptr;
}

int message_box(Window owner, const std::string& text, const std::string& caption,
                unsigned style) {
  if (driven()) return driven_message_box(owner, text, caption, style);
  HWND h = data(hwnd(owner)) ? hwnd(owner) : nullptr;
  return MessageBoxW(h, wide(text).c_str(), wide(caption).c_str(), style);
}

bool file_dialog(Window owner, const FileDialog& dialog, std::string* path) {
  if (driven()) return driven_file_dialog(owner, dialog, path);
  // The starting point: a folder opens the dialog there, anything else is the
  // proposed file.
  constexpr std::size_t kPathRoom = MAX_PATH * 4;
  std::wstring initial = wide(dialog.initial);
  std::wstring folder;
  std::wstring file;
  DWORD attributes = initial.empty() ? INVALID_FILE_ATTRIBUTES : GetFileAttributesW(initial.c_str());
  if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY))
    folder = initial;
  else
    file = initial.substr(0, kPathRoom - 1);
  file.resize(kPathRoom, L'\0');
  std::wstring filter = wide(dialog.filter_name);
  filter.push_back(L'\0');
  filter += wide(dialog.filter_pattern);
  filter.push_back(L'\0');
  filter.push_back(L'\0');
  std::wstring title = wide(dialog.title);
  OPENFILENAMEW ofn{};
  ofn.lStructSize = sizeof ofn;
  ofn.hwndOwner = data(hwnd(owner)) ? hwnd(owner) : nullptr;
  ofn.lpstrFilter = filter.c_str();
  ofn.lpstrFile = &file[0];
  ofn.nMaxFile = static_cast<DWORD>(file.size());
  ofn.lpstrInitialDir = folder.empty() ? nullptr : folder.c_str();
  ofn.lpstrTitle = title.empty() ? nullptr : title.c_str();
  // The data files live in the working directory: the dialog must not change it.
  ofn.Flags = OFN_EXPLORER | OFN_HIDEREADONLY | OFN_NOCHANGEDIR;
  if (dialog.overwrite_prompt) ofn.Flags |= OFN_OVERWRITEPROMPT;
  if (dialog.path_must_exist) ofn.Flags |= OFN_PATHMUSTEXIST | (dialog.save ? 0 : OFN_FILEMUSTEXIST);
  BOOL chosen = dialog.save ? GetSaveFileNameW(&ofn) : GetOpenFileNameW(&ofn);
  if (!chosen) return false;
  *path = narrow(std::wstring(file.c_str()));
  return true;
}

}  // namespace ui
