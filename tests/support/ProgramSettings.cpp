#include "ProgramSettings.h"

#include <sddl.h>

#include "support/ProgramFiles.h"

namespace {
const char kSettingsKey[] = "Software\\CORVELLAN";
const char kRunKey[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Run";
const char kRunValue[] = "CORVELLAN";
const char kVolatileKey[] = "Software\\QuorvexVolatileTestRoot";
}  // namespace

int SettingValue(HKEY root, const char* name) {
    DWORD value = 0, size = sizeof value;
    if (RegGetValueA(root, kSettingsKey, name, RRF_RT_REG_DWORD, nullptr, &value, &size) != ERROR_SUCCESS) return -1;
    return static_cast<int>(value);
}

void SetSettingValue(HKEY root, const char* name, DWORD value) {
    RegSetKeyValueA(root, kSettingsKey, name, REG_DWORD, &value, sizeof value);
}

std::wstring RunValue(HKEY root) {
    wchar_t text[2 * MAX_PATH] = L"";
    DWORD size = sizeof text;
    const LONG status =
        RegGetValueW(root, ToWide(kRunKey).c_str(), ToWide(kRunValue).c_str(), RRF_RT_REG_SZ, nullptr, text, &size);
    return status == ERROR_SUCCESS ? text : L"<missing>";
}

void SetRunValue(HKEY root, const std::string& command) {
    RegSetKeyValueA(root, kRunKey, kRunValue, REG_SZ, command.c_str(), static_cast<DWORD>(command.size() + 1));
}

// RegDeleteTree with a subkey removes that key too.
void CleanProgramSettings::Remove() {
    for (HKEY root : {HKEY_LOCAL_MACHINE, HKEY_CURRENT_USER}) {
        RegDeleteTreeA(root, kSettingsKey);
        RegDeleteKeyValueA(root, kRunKey, kRunValue);
    }
}

UnwritableRegistryRoot::UnwritableRegistryRoot() {
    RegCreateKeyExA(HKEY_CURRENT_USER, kVolatileKey, 0, nullptr, REG_OPTION_VOLATILE, KEY_ALL_ACCESS, nullptr, &m_key,
                    nullptr);
}

void UnwritableRegistryRoot::HoldRunValue(const std::string& command) {
    HKEY run = nullptr;
    RegCreateKeyExA(m_key, kRunKey, 0, nullptr, REG_OPTION_VOLATILE, KEY_ALL_ACCESS, nullptr, &run, nullptr);
    RegSetValueExA(run, kRunValue, 0, REG_SZ, reinterpret_cast<const BYTE*>(command.c_str()),
                   static_cast<DWORD>(command.size() + 1));
    PSECURITY_DESCRIPTOR readOnly = nullptr;  // everyone may read it and delete the whole key, nothing more
    ConvertStringSecurityDescriptorToSecurityDescriptorA("D:P(A;;KRSD;;;WD)", SDDL_REVISION_1, &readOnly, nullptr);
    RegSetKeySecurity(run, DACL_SECURITY_INFORMATION, readOnly);
    LocalFree(readOnly);
    RegCloseKey(run);
}

UnwritableRegistryRoot::~UnwritableRegistryRoot() {
    if (m_key) RegCloseKey(m_key);
    RegDeleteTreeA(HKEY_CURRENT_USER, kVolatileKey);
}
