#pragma once

#include <vector>

#include "text/text.h"

namespace sysinfo_test {
extern const char* script_class;        // nullptr: the normal class
extern std::vector<Text> evaluations;   // function names, in order
}  // namespace sysinfo_test
