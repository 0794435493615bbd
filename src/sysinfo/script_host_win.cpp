// The script host bridge over the Windows script control. Texts cross into COM
// as UTF-16 converted from code page 936 (the program's texts are 936 whatever
// the system's ANSI code page is) and come back the same way.
#include "sysinfo/script_host.h"

#include <objbase.h>
#include <ole2.h>
#include <oleauto.h>

#include <string>
#include <vector>

#include "platform/seams.h"
#include "platform/win/wide.h"

namespace {

// Every server context the object may live in, then without the remote one.
constexpr DWORD all_contexts = 0x17;
constexpr DWORD local_contexts = 0x7;

// A null BSTR for the empty (missing) text.
BSTR make_bstr(const Text& text) {
  if (text.empty()) return nullptr;
  return SysAllocString(to_wide(text).c_str());
}

Text bstr_text(BSTR text) {
  if (text == nullptr) return Text();
  return from_wide(text, static_cast<int>(SysStringLen(text)));
}

// Arguments of one invocation, in the reverse order Invoke expects; freed when
// the invocation is over.
struct Arguments {
  std::vector<VARIANTARG> items;
  SAFEARRAY* empty_parameters = nullptr;

  Arguments(std::initializer_list<Text> texts, bool with_empty_parameter_array) {
    if (with_empty_parameter_array) {
      // An empty parameter array, passed by reference, for a method whose
      // last parameter is an optional array of values.
      empty_parameters = SafeArrayCreateVector(VT_VARIANT, 0, 0);
      VARIANTARG array;
      VariantInit(&array);
      array.vt = VT_ARRAY | VT_VARIANT | VT_BYREF;
      array.pparray = &empty_parameters;
      items.push_back(array);
    }
    for (auto it = std::rbegin(texts); it != std::rend(texts); ++it) {
      VARIANTARG value;
      VariantInit(&value);
      value.vt = VT_BSTR;
      value.bstrVal = make_bstr(*it);
      items.push_back(value);
    }
  }
  ~Arguments() {
    for (VARIANTARG& value : items) {
      if (value.vt == VT_BSTR) VariantClear(&value);
    }
    if (empty_parameters != nullptr) SafeArrayDestroy(empty_parameters);
  }
  Arguments(const Arguments&) = delete;
  Arguments& operator=(const Arguments&) = delete;
};

// Looks `member` up by name and invokes it. `result` may be null.
HRESULT invoke_member(ScriptHost& host, const Text& member, WORD flags, Arguments& arguments,
                      VARIANT* result) {
  if (host.object == nullptr) return E_POINTER;
  IDispatch* dispatch = nullptr;
  HRESULT hr = host.object->QueryInterface(IID_IDispatch, reinterpret_cast<void**>(&dispatch));
  if (FAILED(hr) || dispatch == nullptr) return FAILED(hr) ? hr : E_NOINTERFACE;

  LCID locale = GetUserDefaultLCID();
  std::wstring name = to_wide(member);
  LPOLESTR names[] = {name.data()};
  DISPID id = DISPID_UNKNOWN;
  hr = dispatch->GetIDsOfNames(IID_NULL, names, 1, locale, &id);
  if (SUCCEEDED(hr)) {
    DISPID put = DISPID_PROPERTYPUT;
    DISPPARAMS parameters = {};
    parameters.rgvarg = arguments.items.empty() ? nullptr : arguments.items.data();
    parameters.cArgs = static_cast<UINT>(arguments.items.size());
    if (flags == DISPATCH_PROPERTYPUT) {
      parameters.rgdispidNamedArgs = &put;
      parameters.cNamedArgs = 1;
    }
    hr = dispatch->Invoke(id, IID_NULL, locale, flags, &parameters, result, nullptr, nullptr);
  }
  dispatch->Release();
  return hr;
}

HRESULT call_method(ScriptHost& host, const Text& member, std::initializer_list<Text> texts,
                    bool with_empty_parameter_array, ScriptValue& value) {
  script_value_clear(value);
  Arguments arguments(texts, with_empty_parameter_array);
  HRESULT hr = invoke_member(host, member, DISPATCH_METHOD, arguments, &value.variant);
  if (FAILED(hr)) script_value_clear(value);
  return hr;
}

}  // namespace

bool script_host_create(ScriptHost& host, const Text& class_name) {
  std::wstring name = to_wide(class_name);
  CLSID clsid;
  HRESULT hr = (!class_name.empty() && class_name[0] == '{') ? CLSIDFromString(name.data(), &clsid)
                                                             : CLSIDFromProgID(name.c_str(), &clsid);
  if (FAILED(hr)) return false;

  IUnknown* object = nullptr;
  hr = CoCreateInstance(clsid, nullptr, all_contexts, IID_IUnknown, reinterpret_cast<void**>(&object));
  if (hr == E_INVALIDARG) {
    hr = CoCreateInstance(clsid, nullptr, local_contexts, IID_IUnknown, reinterpret_cast<void**>(&object));
  }
  if (FAILED(hr) || object == nullptr) return false;
  if (FAILED(OleRun(object))) {
    object->Release();
    return false;
  }
  if (host.object != nullptr) host.object->Release();
  host.object = object;
  return true;
}

bool script_host_set_property(ScriptHost& host, const Text& property, const Text& value) {
  Arguments arguments({value}, false);
  return SUCCEEDED(invoke_member(host, property, DISPATCH_PROPERTYPUT, arguments, nullptr));
}

ScriptValue script_host_call(ScriptHost& host, const Text& member, std::initializer_list<Text> arguments) {
  ScriptValue value;
  call_method(host, member, arguments, false, value);
  return value;
}

double script_value_to_number(const ScriptValue& value) {
  const VARIANT& v = value.variant;
  if (v.vt == VT_R8) return v.dblVal;
  if (v.vt & VT_ARRAY) return 0;
  VARIANT copy;
  VariantInit(&copy);
  double number = 0;
  if (SUCCEEDED(VariantCopyInd(&copy, const_cast<VARIANT*>(&v))) && !(copy.vt & VT_ARRAY) &&
      SUCCEEDED(VariantChangeType(&copy, &copy, 0, VT_R8))) {
    number = copy.dblVal;
  }
  VariantClear(&copy);
  return number;
}

Text script_value_to_text(const ScriptValue& value) {
  const VARIANT& v = value.variant;
  if (v.vt == VT_BSTR) return bstr_text(v.bstrVal);
  if (v.vt & VT_ARRAY) return Text();
  VARIANT copy;
  VariantInit(&copy);
  Text text;
  if (SUCCEEDED(VariantCopyInd(&copy, const_cast<VARIANT*>(&v))) && !(copy.vt & VT_ARRAY) &&
      SUCCEEDED(VariantChangeType(&copy, &copy, 0, VT_BSTR))) {
    text = bstr_text(copy.bstrVal);
  }
  VariantClear(&copy);
  return text;
}

void script_value_clear(ScriptValue& value) {
  VariantClear(&value.variant);
  VariantInit(&value.variant);
}

ScriptHost::~ScriptHost() { script_host_clear(*this); }

void script_host_clear(ScriptHost& host) {
  if (host.object != nullptr) {
    host.object->Release();
    host.object = nullptr;
  }
}

ScriptValue evaluate_script_function(ScriptHost& host, const Text& script, const Text& function_name) {
  seams::note_script_evaluation(function_name);
  script_host_clear(host);
  script_host_create(host, seams::script_class_name("ScriptControl"));
  script_host_set_property(host, "Language", "VBScript");
  script_host_call(host, "ExecuteStatement", {script});  // the value goes at once

  ScriptValue value;
  HRESULT hr = call_method(host, "Run", {function_name}, false, value);
  if (hr == DISP_E_BADPARAMCOUNT) {
    // Some script controls insist on the parameter array that "Run" declares
    // for the function's arguments even when there are none: pass it empty.
    call_method(host, "Run", {function_name}, true, value);
  }
  return value;
}

Text evaluate_script_text(const Text& script, const Text& function_name) {
  ScriptHost host;
  return script_value_to_text(evaluate_script_function(host, script, function_name));
}

double evaluate_script_number(const Text& script, const Text& function_name) {
  ScriptHost host;
  return script_value_to_number(evaluate_script_function(host, script, function_name));
}
