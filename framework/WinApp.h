#pragma once
#include <windows.h>

#include <string>

#include "Object.h"
#include "Wnd.h"

// The application object: start-up, the message loop and the end of the process.
// There is one per process; its constructor makes it the one AfxGetApp returns.
class CWinApp : public CObject {
public:
    CWinApp();
    ~CWinApp() override;
    const char* GetRuntimeClassName() const override { return "CWinApp"; }

    // False ends the process: the main window, if any, is destroyed and ExitInstance runs.
    virtual BOOL InitInstance() = 0;
    // Returns the process exit code.
    virtual int ExitInstance();
    // Runs the message loop until the quit message; returns its exit code.
    int Run();

    // The main window; its destruction ends the message loop.
    CWnd* m_pMainWnd = nullptr;
    // The command line after the program name.
    std::string m_lpCmdLine;

private:
    int m_exitCode = 0;
};

CWinApp* AfxGetApp();

// Entry point body: InitInstance, the message loop, ExitInstance; returns the exit code.
int AfxWinMain(const char* commandLine);

// Initialises OLE for this thread; false when OleInitialize fails.
BOOL AfxOleInit();

// The executable's file name without folder and extension: the caption of message boxes.
std::string AfxGetAppName();
