#pragma once
#include <windows.h>
#include <sddl.h>

#include <string>

#include "support/ProgramFiles.h"

// The program's registry settings as a test sees them: the key Software\CORVELLAN and the value
// "CORVELLAN" under the Run key, under either root.
constexpr char kSettingsKey[] = "Software\\CORVELLAN";
constexpr char kRunKey[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Run";
constexpr char kRunValue[] = "CORVELLAN";

// A REG_DWORD of the settings key; -1 when missing.
inline int SettingValue(HKEY root, const char* name) {
    DWORD value = 0, size = sizeof value;
    if (RegGetValueA(root, kSettingsKey, name, RRF_RT_REG_DWORD, nullptr, &value, &size) != ERROR_SUCCESS) return -1;
    return static_cast<int>(value);
}

inline void SetSettingValue(HKEY root, const char* name, DWORD value) {
    RegSetKeyValueA(root, kSettingsKey, name, REG_DWORD, &value, sizeof value);
}

// A REG_SZ value of the settings key; "<missing>" when absent.
inline std::string SettingText(HKEY root, const char* name) {
    char text[64] = "";
    DWORD size = sizeof text;
    const LONG status = RegGetValueA(root, kSettingsKey, name, RRF_RT_REG_SZ, nullptr, text, &size);
    return status == ERROR_SUCCESS ? text : "<missing>";
}

inline void SetSettingText(HKEY root, const char* name, const std::string& text) {
    RegSetKeyValueA(root, kSettingsKey, name, REG_SZ, text.c_str(), static_cast<DWORD>(text.size() + 1));
}

// The Run value; "<missing>" when absent.
inline std::wstring RunValue(HKEY root) {
    wchar_t text[2 * MAX_PATH] = L"";
    DWORD size = sizeof text;
    const LONG status =
        RegGetValueW(root, ToWide(kRunKey).c_str(), ToWide(kRunValue).c_str(), RRF_RT_REG_SZ, nullptr, text, &size);
    return status == ERROR_SUCCESS ? text : L"<missing>";
}

inline void SetRunValue(HKEY root, const std::string& command) {
    RegSetKeyValueA(root, kRunKey, kRunValue, REG_SZ, command.c_str(), static_cast<DWORD>(command.size() + 1));
}

// A security descriptor made from its text, as attributes for an object to be made; freed with the object.
struct Security {
    explicit Security(const char* text) {
        ConvertStringSecurityDescriptorToSecurityDescriptorA(text, SDDL_REVISION_1, &attributes.lpSecurityDescriptor,
                                                             nullptr);
    }
    ~Security() { LocalFree(attributes.lpSecurityDescriptor); }
    void GuardThisProcess() const {
        SetKernelObjectSecurity(GetCurrentProcess(), DACL_SECURITY_INFORMATION, attributes.lpSecurityDescriptor);
    }
    SECURITY_ATTRIBUTES attributes{sizeof attributes, nullptr, FALSE};
};

// What another account's objects are to this one: closed. While it lives, no program may open this process, not
// even to read its name or its token; and no one may open an object made with its attributes.
struct ClosedToAll : Security {
    ClosedToAll() : Security("D:(D;;GA;;;WD)") { GuardThisProcess(); }
    ~ClosedToAll() { Security("D:(A;;GA;;;WD)").GuardThisProcess(); }
};

// Everyone may read the key and delete it whole, nothing more.
inline void MakeReadOnly(HKEY key) {
    RegSetKeySecurity(key, DACL_SECURITY_INFORMATION, Security("D:P(A;;KRSD;;;WD)").attributes.lpSecurityDescriptor);
}

// A registry key under which the settings cannot be created: it is volatile, and Windows keeps
// stored keys out of volatile ones. Removed with the object.
class UnwritableRegistryRoot {
public:
    UnwritableRegistryRoot() {
        RegCreateKeyExA(HKEY_CURRENT_USER, kVolatileKey, 0, nullptr, REG_OPTION_VOLATILE, KEY_ALL_ACCESS, nullptr,
                        &m_key, nullptr);
    }
    ~UnwritableRegistryRoot() {
        if (m_key) RegCloseKey(m_key);
        RegDeleteTreeA(HKEY_CURRENT_USER, kVolatileKey);
    }
    HKEY Get() const { return m_key; }
    // Leaves a Run value under it that cannot be removed: its key may only be read.
    void HoldRunValue(const std::string& command) const {
        HKEY run = nullptr;
        RegCreateKeyExA(m_key, kRunKey, 0, nullptr, REG_OPTION_VOLATILE, KEY_ALL_ACCESS, nullptr, &run, nullptr);
        RegSetValueExA(run, kRunValue, 0, REG_SZ, reinterpret_cast<const BYTE*>(command.c_str()),
                       static_cast<DWORD>(command.size() + 1));
        MakeReadOnly(run);
        RegCloseKey(run);
    }

private:
    static constexpr char kVolatileKey[] = "Software\\QuorvexVolatileTestRoot";
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
    // RegDeleteTree with a subkey removes that key too.
    static void Remove() {
        for (HKEY root : {HKEY_LOCAL_MACHINE, HKEY_CURRENT_USER}) {
            RegDeleteTreeA(root, kSettingsKey);
            RegDeleteKeyValueA(root, kRunKey, kRunValue);
        }
    }
};
