// The copy button: the identity report on the clipboard, then a confirmation.
#include "sysinfo/sysinfo.h"

#include <cstring>
#include <initializer_list>
#include <string>

#include "platform/win/wide.h"
#include "sysinfo/script_host.h"
#include "sysinfo/sysinfo_win.h"
#include "ui/boxes.h"

Text processor_id_cache;

void release_processor_id_cache() { free_text(processor_id_cache); }

Text get_processor_id() {
  if (processor_id_cache.empty()) {
    // An empty answer is asked again next time.
    processor_id_cache = evaluate_script_text(processor_id_script, processor_id_function);
  }
  return processor_id_cache;
}

namespace {

// A movable block holding `size` bytes from `data`, or null.
HGLOBAL global_copy(const void* data, size_t size) {
  HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, size);
  if (block == nullptr) return nullptr;
  void* target = GlobalLock(block);
  if (target == nullptr) {
    GlobalFree(block);
    return nullptr;
  }
  std::memcpy(target, data, size);
  GlobalUnlock(block);
  return block;
}

// Frees blocks the clipboard has not taken (null ones are skipped).
void free_blocks(std::initializer_list<HGLOBAL> blocks) {
  for (HGLOBAL block : blocks) {
    if (block != nullptr) GlobalFree(block);
  }
}

// Hands `block` to the clipboard; frees it when the clipboard refuses it.
bool set_clipboard_block(UINT format, HGLOBAL block) {
  if (block == nullptr) return false;
  if (SetClipboardData(format, block) == nullptr) {
    GlobalFree(block);
    return false;
  }
  return true;
}

// Another program may hold the clipboard for a moment: a few tries over about
// a second before giving up.
bool open_clipboard() {
  for (int attempt = 0; attempt < 10; ++attempt) {
    if (OpenClipboard(nullptr)) return true;
    Sleep(100);
  }
  return false;
}

}  // namespace

bool place_on_clipboard(const Text& text) {
  // The code page 936 bytes exactly as held, with the terminating zero; the
  // same text in UTF-16, and the locale that tells how to read CF_TEXT, so
  // that programs on any system language paste the right characters. All
  // are made before the clipboard is touched: without the text block the
  // clipboard keeps what it had.
  HGLOBAL bytes = global_copy(text.c_str(), text.size() + 1);
  if (bytes == nullptr) return false;
  const std::wstring wide = to_wide(text);
  HGLOBAL unicode = global_copy(wide.c_str(), (wide.size() + 1) * sizeof(wchar_t));
  const LCID locale = MAKELCID(MAKELANGID(LANG_CHINESE, SUBLANG_CHINESE_SIMPLIFIED), SORT_DEFAULT);  // 0x0804
  HGLOBAL locale_block = global_copy(&locale, sizeof locale);
  if (!open_clipboard()) {
    free_blocks({bytes, unicode, locale_block});
    return false;
  }
  EmptyClipboard();
  const bool placed = set_clipboard_block(CF_TEXT, bytes);
  if (placed) {
    set_clipboard_block(CF_UNICODETEXT, unicode);
    set_clipboard_block(CF_LOCALE, locale_block);
  } else {
    free_blocks({unicode, locale_block});
  }
  CloseClipboard();
  return placed;
}

void copy_identity_report() {
  Text id = get_processor_id();
  Text when = datetime_to_text(current_datetime());
  Text computer = get_box_text(Box::computer_info);
  Text performance = get_box_text(Box::performance_info);
  Text report = identity_report(when, id, computer, performance);
  // The confirmation only when the report is really there; otherwise say so,
  // so the user tries again instead of pasting what was there before.
  if (place_on_clipboard(report)) {
    message_box("信息已经复制，可以直接粘贴。", "复制信息", MB_OK | MB_ICONINFORMATION);
  } else {
    message_box("信息没有复制到剪贴板（剪贴板正被其他程序占用），请稍后再试一次。", "复制信息",
                MB_OK | MB_ICONWARNING);
  }
}
