// plum_dock.exe: a window with three tool slots that run a Java
// development kit's tools on dropped files.
#include <windows.h>

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) { return 0; }
