// The script host bridge: runs one VBScript function through the Windows
// script control and reads its value back. Main thread only; OLE must already
// be initialised on it. Every failure ends in an empty value, never in an error
// shown to the user.
#pragma once

#include <windows.h>
#include <oaidl.h>

#include <initializer_list>

#include "text/text.h"

// Holds nothing or one counted reference to a created object.
struct ScriptHost {
  IUnknown* object = nullptr;
};

// The value a call returns; the caller owns it and clears it.
using ScriptValue = VARIANT;

// Creates the object named by `class_name` (a ProgID, or a CLSID in braces)
// and starts it. On failure the host keeps what it held.
bool script_host_create(ScriptHost& host, const Text& class_name);
bool script_host_set_property(ScriptHost& host, const Text& property, const Text& value);
// Calls a method with Text arguments; VT_EMPTY after any failure.
ScriptValue script_host_call(ScriptHost& host, const Text& member, std::initializer_list<Text> arguments);
double script_value_to_number(const ScriptValue& value);
Text script_value_to_text(const ScriptValue& value);
void script_value_clear(ScriptValue& value);
void script_host_clear(ScriptHost& host);

// Empties `host`, creates a script control in it, defines `script` and runs
// `function_name` without arguments. The caller converts the value, then clears
// the value and the host.
ScriptValue evaluate_script_function(ScriptHost& host, const Text& script, const Text& function_name);
