#include "app/globals.h"

AboutInfo about_info;
CPUInfo* cpu_info = nullptr;
Text processor_id_cache;

namespace {
// Frees a text's storage; an empty text holds none and is left alone.
void free_text(Text& text) {
  if (!text.empty()) Text().swap(text);
}
bool g_released = false;
}  // namespace

void release_globals() {
  if (g_released) return;
  g_released = true;
  free_text(about_info.title);
  free_text(about_info.version);
  free_text(about_info.company);
  free_text(about_info.years);
  if (cpu_info != nullptr) {
    free_text(cpu_info->manufacturer);
    free_text(cpu_info->processor_name);
    free_text(cpu_info->family_model_stepping);
    free_text(cpu_info->serial_text);
    delete cpu_info;
    cpu_info = nullptr;
  }
  free_text(processor_id_cache);
}
