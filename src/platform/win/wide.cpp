// Text crosses into Windows here, always with code page 936 named explicitly;
// the message boxes and the fatal stops live here too.
#include "platform/win/wide.h"

#include <windows.h>

#include "platform/win/fatal.h"

namespace {
constexpr UINT kCodePage = 936;

// Bytes of `code_page` as UTF-16.
std::wstring widen(const std::string& bytes, UINT code_page) {
  if (bytes.empty()) return {};
  const int in_len = static_cast<int>(bytes.size());
  const int out_len = MultiByteToWideChar(code_page, 0, bytes.data(), in_len, nullptr, 0);
  if (out_len <= 0) return {};
  std::wstring wide(static_cast<size_t>(out_len), L'\0');
  MultiByteToWideChar(code_page, 0, bytes.data(), in_len, wide.data(), out_len);
  return wide;
}
}  // namespace

std::wstring to_wide(const Text& text) { return widen(text, kCodePage); }

Text from_wide(const wchar_t* text, int length) {
  if (text == nullptr || length <= 0) return {};
  const int out_len = WideCharToMultiByte(kCodePage, 0, text, length, nullptr, 0, nullptr, nullptr);
  if (out_len <= 0) return {};
  Text narrow(static_cast<size_t>(out_len), '\0');
  WideCharToMultiByte(kCodePage, 0, text, length, narrow.data(), out_len, nullptr, nullptr);
  return narrow;
}

Text from_code_page(const std::string& bytes, unsigned code_page) {
  return from_wide(widen(bytes, code_page));
}

Text from_wide(const std::wstring& text) { return from_wide(text.data(), static_cast<int>(text.size())); }

int message_box(const Text& text, const Text& caption, unsigned style) {
  const std::wstring wide_text = to_wide(text);
  const std::wstring wide_caption = to_wide(caption);
  HWND active_before = GetActiveWindow();
  const int pressed = MessageBoxW(nullptr, wide_text.c_str(), wide_caption.c_str(), style | MB_TASKMODAL);
  // The window that was active before gets the keyboard back, also where
  // nothing else would reactivate it once the box has gone (a desktop
  // without a window manager).
  if (active_before != nullptr && IsWindow(active_before) && GetActiveWindow() == nullptr) {
    SetForegroundWindow(active_before);
    SetActiveWindow(active_before);
  }
  return pressed;
}

namespace {
// Wide literals, so that showing them allocates nothing.
const wchar_t kOutOfMemory[] = L"内存不足，程序必须结束。";
const wchar_t kCaption[] = L"错误";

[[noreturn]] void stop_now(const wchar_t* message) {
  MessageBoxW(nullptr, message, kCaption, MB_OK | MB_ICONERROR | MB_TASKMODAL | MB_SETFOREGROUND);
  // No clean-up: the process ends here and now.
  TerminateProcess(GetCurrentProcess(), static_cast<UINT>(-1));
  for (;;) Sleep(INFINITE);
}
}  // namespace

void fatal_stop(const Text& message) {
  const wchar_t* shown = kOutOfMemory;
  std::wstring wide;
  try {
    wide = to_wide(message);
    shown = wide.c_str();
  } catch (...) {
    // Not even the message could be converted: memory is gone.
  }
  stop_now(shown);
}

void fatal_out_of_memory() { stop_now(kOutOfMemory); }

void fatal_unexpected_exception() { stop_now(L"程序内部错误，必须结束。"); }

namespace {
void out_of_memory_handler() { fatal_out_of_memory(); }
void terminate_handler() {
  // Whatever escaped: an allocation failure shows the memory message.
  if (std::exception_ptr error = std::current_exception()) {
    try {
      std::rethrow_exception(error);
    } catch (const std::bad_alloc&) {
      fatal_out_of_memory();
    } catch (...) {
    }
  }
  fatal_unexpected_exception();
}
}  // namespace

void install_fatal_handlers() {
  std::set_new_handler(out_of_memory_handler);
  std::set_terminate(terminate_handler);
}
