#pragma once
// What the benchmark programs share: a clock, medians, the clipboard filled as another program
// fills it, a temporary installation, and a child process to start, time and look at.
#include <windows.h>
#include <psapi.h>

#include <string>
#include <vector>

double Now();  // milliseconds
double Median(std::vector<double> values);
std::string FolderOf(const std::string& path);
std::string ThisProgram();

// Puts the bytes on the clipboard as CF_TEXT, as a program copying them would.
bool PutText(const std::string& bytes);
void EmptyTheClipboard();

// An empty folder under %TEMP% named after `name` and this process, with the given subfolders.
std::string MakeTemporaryFolder(const std::string& name, const std::vector<std::string>& subfolders);
void RemoveFolder(const std::string& folder);

// A process started from a command line; ended (killed) with the object.
class Child {
public:
    explicit Child(const std::string& commandLine);
    ~Child();
    Child(const Child&) = delete;
    Child& operator=(const Child&) = delete;

    DWORD Id() const { return m_info.dwProcessId; }
    // Milliseconds from the start until the program waits for input with nothing left to do; -1
    // when it ended or never got there.
    double UntilIdle() const;
    double CpuMs() const;
    // Working set and private bytes. Wine leaves PrivateUsage at 0 for another process, so the
    // private figure is PagefileUsage, which Windows gives the same value.
    struct Memory {
        double workingSetMiB = -1, privateMiB = -1;
    };
    Memory Footprint() const;
    // Context switches of all the process's threads so far. Under Wine a Windows process is a
    // Linux process whose threads' counts are in /proc; -1 where there is no /proc to read.
    long ContextSwitches() const;

private:
    PROCESS_INFORMATION m_info{};
    double m_started = 0;
};
