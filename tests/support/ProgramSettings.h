#pragma once
#include <windows.h>

#include <string>

// The program's registry settings as a test sees them: the key Software\CORVELLAN and the value
// "CORVELLAN" under the Run key, under either root.
int SettingValue(HKEY root, const char* name);  // a REG_DWORD of the key; -1 when missing
void SetSettingValue(HKEY root, const char* name, DWORD value);
std::wstring RunValue(HKEY root);  // "<missing>" when absent
void SetRunValue(HKEY root, const std::string& command);

// A registry key under which the settings cannot be created: it is volatile, and Windows keeps
// stored keys out of volatile ones. Removed with the object.
class UnwritableRegistryRoot {
public:
    UnwritableRegistryRoot();
    ~UnwritableRegistryRoot();
    HKEY Get() const { return m_key; }
    // Leaves a Run value under it that cannot be removed: its key may only be read.
    void HoldRunValue(const std::string& command);

private:
    HKEY m_key = nullptr;
};

// Wine starts the programs that a Run key names when its session starts, so a Run value left
// behind would start a stray instance in the next test run: every test that can write the
// settings holds one of these, which removes them, under both roots, before and after the test.
class CleanProgramSettings {
public:
    CleanProgramSettings() { Remove(); }
    ~CleanProgramSettings() { Remove(); }

private:
    static void Remove();
};
