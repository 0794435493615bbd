// The font probe library, loaded into the program by the harness's hook (see
// font_probe.h). It does nothing unless a control receives the probe message.
#include "font_probe.h"

namespace {

void describe_font(HWND control, LONG request) {
  const std::wstring name = font_probe::block_name(GetCurrentProcessId());
  HANDLE block = OpenFileMappingW(FILE_MAP_WRITE, FALSE, name.c_str());
  if (block == nullptr) return;
  auto* report = static_cast<font_probe::Report*>(
      MapViewOfFile(block, FILE_MAP_WRITE, 0, 0, sizeof(font_probe::Report)));
  if (report != nullptr) {
    // Same thread as the control: this reaches its window procedure directly.
    const HFONT font = reinterpret_cast<HFONT>(SendMessageW(control, WM_GETFONT, 0, 0));
    report->has_font = font != nullptr;
    report->is_default_gui_font = font != nullptr && font == GetStockObject(DEFAULT_GUI_FONT);
    LOGFONTW described = {};
    report->described =
        font != nullptr && GetObjectW(font, sizeof(described), &described) == sizeof(described);
    report->font = described;
    InterlockedExchange(&report->request, request);
    UnmapViewOfFile(report);
  }
  CloseHandle(block);
}

}  // namespace

extern "C" __declspec(dllexport) LRESULT CALLBACK font_probe_hook(int code, WPARAM wparam, LPARAM lparam) {
  static const UINT probe = RegisterWindowMessageW(font_probe::kMessage);
  if (code == HC_ACTION) {
    const auto* sent = reinterpret_cast<const CWPSTRUCT*>(lparam);
    if (probe != 0 && sent->message == probe) describe_font(sent->hwnd, static_cast<LONG>(sent->wParam));
  }
  return CallNextHookEx(nullptr, code, wparam, lparam);
}
