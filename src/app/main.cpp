#include <windows.h>

#include "app/program.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) { end_process(program_main()); }
