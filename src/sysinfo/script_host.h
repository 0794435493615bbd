// The script host bridge: runs one VBScript function through the Windows
// script control and reads its value back. Main thread only; OLE must already
// be initialised on it. Every failure ends in an empty value, never in an error
// shown to the user.
#pragma once

#include <windows.h>
#include <oaidl.h>

#include <initializer_list>

#include "text/text.h"

// Holds nothing or one counted reference to a created object, released when
// the host is cleared or goes.
struct ScriptHost {
  IUnknown* object = nullptr;
  ScriptHost() = default;
  ~ScriptHost();
  ScriptHost(const ScriptHost&) = delete;
  ScriptHost& operator=(const ScriptHost&) = delete;
};

// The value a call returns, cleared when it goes.
struct ScriptValue {
  VARIANT variant;
  ScriptValue() { VariantInit(&variant); }
  ~ScriptValue() { VariantClear(&variant); }
  ScriptValue(ScriptValue&& other) noexcept : variant(other.variant) { VariantInit(&other.variant); }
  ScriptValue& operator=(ScriptValue&& other) noexcept {
    if (this != &other) {
      VariantClear(&variant);
      variant = other.variant;
      VariantInit(&other.variant);
    }
    return *this;
  }
  ScriptValue(const ScriptValue&) = delete;
  ScriptValue& operator=(const ScriptValue&) = delete;
  VARTYPE type() const { return variant.vt; }
};

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
// `function_name` without arguments.
ScriptValue evaluate_script_function(ScriptHost& host, const Text& script, const Text& function_name);

// Evaluate and convert: runs `function_name` of `script` in a script control of
// its own and gives its value as a text or a number ("" or 0 after any
// failure); the control and the value are released before it returns.
Text evaluate_script_text(const Text& script, const Text& function_name);
double evaluate_script_number(const Text& script, const Text& function_name);
