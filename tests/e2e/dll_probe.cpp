// Loads wininet.dll and winmm.dll as a program that does not guard its
// search path does: from its own folder first, where planted copies wait.
#include <windows.h>

int main() { return LoadLibraryA("wininet.dll") && LoadLibraryA("winmm.dll") ? 0 : 1; }
