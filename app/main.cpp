#include <windows.h>

#include "app/TamblinApp.h"

// The one application object, created before WinMain runs.
CTamblinApp theApp;

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR commandLine, int) { return AfxWinMain(commandLine); }
