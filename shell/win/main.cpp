#include "shell/win/startup.h"

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int show_command) {
    return brixtel::win::run_program(instance, show_command);
}
