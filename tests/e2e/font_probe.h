// What the end-to-end harness and its font probe library share. The harness
// hooks the program's main thread with the library's hook procedure (Windows
// then loads the library into the program) and sends a control the probe
// message; inside the program, the hook asks the control for its font
// (WM_GETFONT) and describes it in a named shared memory block that the
// harness created for that process. A font handle means nothing in another
// process, and WM_GETFONT itself cannot be sent across processes under Wine,
// so the font is read where it lives.
#pragma once

#include <windows.h>

#include <string>

namespace font_probe {

inline constexpr wchar_t kLibrary[] = L"e2e_font_probe.dll";  // beside the test programs
inline constexpr char kHookProcedure[] = "font_probe_hook";   // a WH_CALLWNDPROC hook
inline constexpr wchar_t kMessage[] = L"QuelmoE2eFontProbe";  // registered; wParam: request number

struct Report {
  LONG request;              // the request number, written last
  BOOL has_font;             // WM_GETFONT gave a font (else the control draws with the system font)
  BOOL is_default_gui_font;  // that font is the stock DEFAULT_GUI_FONT
  BOOL described;            // GetObjectW described it
  LOGFONTW font;
};

inline std::wstring block_name(DWORD process_id) {
  return L"QuelmoE2eFontProbe-" + std::to_wstring(process_id);
}

}  // namespace font_probe
