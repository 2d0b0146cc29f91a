#include "shell/win/startup.h"

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR command_line, int show_command) {
    return brixtel::win::run_program(instance, command_line ? command_line : L"", show_command);
}
