// The one crossing of text into Windows: code page 936 <-> UTF-16, with code
// page 936 named explicitly so the program reads right on any system language.
#pragma once

#include <string>

#include "text/text.h"

std::wstring to_wide(const Text& text);
Text from_wide(const std::wstring& text);
Text from_wide(const wchar_t* text, int length);
// Bytes of another code page (CP_ACP for the system's ANSI code page) as a
// Text, through UTF-16; a character 936 lacks becomes "?".
Text from_code_page(const std::string& bytes, unsigned code_page);

// A task-modal message box without owner, with the MB_* `style` (buttons and
// icon). Returns the pressed button's ID* (IDOK, IDYES, ...), or 0 when the
// box could not be shown.
int message_box(const Text& text, const Text& caption, unsigned style);

// Fatal stop: shows `message`, then ends the process at once with exit code -1,
// without the exit clean-up.
[[noreturn]] void fatal_stop(const Text& message);
