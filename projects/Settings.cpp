#include "Settings.h"

#include <array>
#include <string>

#include "base/Log.h"
#include "framework/TextConversion.h"

namespace {

const wchar_t kProgramKey[] = L"Software\\CORVELLAN";
const wchar_t kRunKey[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Run";
const wchar_t kRunValue[] = L"CORVELLAN";
const wchar_t kRunAtStartupValue[] = L"RunAtStartup";
const wchar_t kAppendModeValue[] = L"AppendMode";
const REGSAM kAccess = KEY_READ | KEY_WRITE;

HKEY g_root = nullptr;  // decided on first use

void LogStatus(const char* format, LONG status) { WriteLogFormat(0, format, static_cast<unsigned>(status)); }

// The settings are written under this run's root only, and read from the other root too: a start
// that could write HKEY_LOCAL_MACHINE (elevated, an installer's "start now") may have kept them there.
HKEY OtherRoot() { return SettingsRoot() == HKEY_LOCAL_MACHINE ? HKEY_CURRENT_USER : HKEY_LOCAL_MACHINE; }

// A registry key, opened or created. A key that could not be opened is not used: every read,
// write or delete through it fails with the status of that open.
class RegistryKey {
public:
    // Under this run's root, for reading and writing, made when missing.
    static RegistryKey Create(const wchar_t* path) {
        RegistryKey key;
        key.m_status = RegCreateKeyExW(SettingsRoot(), path, 0, nullptr, REG_OPTION_NON_VOLATILE, kAccess, nullptr,
                                       &key.m_key, nullptr);
        return key;
    }
    static RegistryKey Open(HKEY root, const wchar_t* path, REGSAM access) {
        RegistryKey key;
        key.m_status = RegOpenKeyExW(root, path, 0, access, &key.m_key);
        return key;
    }
    RegistryKey(RegistryKey&& other) noexcept : m_key(other.m_key), m_status(other.m_status) { other.m_key = nullptr; }
    RegistryKey(const RegistryKey&) = delete;
    RegistryKey& operator=(const RegistryKey&) = delete;
    RegistryKey& operator=(RegistryKey&&) = delete;
    ~RegistryKey() {
        if (m_status == ERROR_SUCCESS) RegCloseKey(m_key);
    }

    LONG Status() const { return m_status; }

    // Values are read as 4 bytes whatever their stored type; value changes only on success.
    LONG ReadDword(const wchar_t* name, int& value) const {
        if (m_status != ERROR_SUCCESS) return m_status;
        int read = 0;
        DWORD size = sizeof read;
        LONG status = RegQueryValueExW(m_key, name, nullptr, nullptr, reinterpret_cast<BYTE*>(&read), &size);
        if (status == ERROR_SUCCESS) value = read;
        return status;
    }
    LONG WriteDword(const wchar_t* name, int value) const {
        if (m_status != ERROR_SUCCESS) return m_status;
        DWORD data = static_cast<DWORD>(value);
        return RegSetValueExW(m_key, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&data), sizeof data);
    }
    // A REG_SZ value; one of another type cannot be read.
    LONG ReadString(const wchar_t* name, std::wstring& text) const {
        if (m_status != ERROR_SUCCESS) return m_status;
        wchar_t read[256];
        DWORD size = sizeof read;
        LONG status = RegGetValueW(m_key, nullptr, name, RRF_RT_REG_SZ, nullptr, read, &size);
        if (status == ERROR_SUCCESS) text = read;
        return status;
    }
    LONG WriteString(const wchar_t* name, const std::wstring& text) const {
        if (m_status != ERROR_SUCCESS) return m_status;
        DWORD bytes = static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t));
        return RegSetValueExW(m_key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()), bytes);
    }
    LONG DeleteValue(const wchar_t* name) const {
        return m_status != ERROR_SUCCESS ? m_status : RegDeleteValueW(m_key, name);
    }

private:
    RegistryKey() = default;
    HKEY m_key = nullptr;
    LONG m_status = ERROR_INVALID_HANDLE;
};

// Whether the key can be opened for writing under the root, or created there when missing.
bool Writable(HKEY root, const std::wstring& path) {
    HKEY key = nullptr;
    LONG status = RegOpenKeyExW(root, path.c_str(), 0, kAccess, &key);
    if (status == ERROR_SUCCESS) {
        RegCloseKey(key);
        return true;
    }
    std::wstring::size_type slash = path.rfind(L'\\');
    return status == ERROR_FILE_NOT_FOUND && slash != std::wstring::npos && Writable(root, path.substr(0, slash));
}

// A value is read from the first root that holds it, this run's root first: what this start stored
// overrides what it can only read.
LONG ReadSetting(const wchar_t* name, int& value) {
    LONG status = ERROR_FILE_NOT_FOUND;
    for (HKEY root : {SettingsRoot(), OtherRoot()}) {
        status = RegistryKey::Open(root, kProgramKey, KEY_READ).ReadDword(name, value);
        if (status == ERROR_SUCCESS) break;
    }
    return status;
}

bool HoldsRunValue(HKEY root) {
    return RegGetValueW(root, kRunKey, kRunValue, RRF_RT_ANY, nullptr, nullptr, nullptr) == ERROR_SUCCESS;
}

void DeleteRunValue(HKEY root) {
    RegistryKey run = RegistryKey::Open(root, kRunKey, kAccess);
    if (run.Status() != ERROR_SUCCESS) LogStatus("Error 0x%X open registry key", run.Status());
    LONG status = run.DeleteValue(kRunValue);
    if (status != ERROR_SUCCESS) LogStatus("Error 0x%X delete registry value", status);
}

// The program starts with Windows once the Run value names it; quoted, so a path with spaces
// cannot be taken for a shorter program's path.
LONG SetStartupRunValue(const RegistryKey& runKey) {
    wchar_t path[MAX_PATH];
    DWORD length = GetModuleFileNameW(nullptr, path, MAX_PATH);
    LONG status = length == 0 || length >= MAX_PATH ? ERROR_FILENAME_EXCED_RANGE
                                                     : runKey.WriteString(kRunValue, L"\"" + std::wstring(path) + L"\"");
    if (status != ERROR_SUCCESS) LogStatus("Registry Error 0x%X set value for application startup", status);
    return status;
}

}  // namespace

HKEY SettingsRoot() {
    if (!g_root) {
        // A normal user cannot write under HKEY_LOCAL_MACHINE; an installation whose keys are
        // writable there keeps them there.
        if (Writable(HKEY_LOCAL_MACHINE, kProgramKey) && Writable(HKEY_LOCAL_MACHINE, kRunKey)) {
            g_root = HKEY_LOCAL_MACHINE;
            WriteLog("Settings kept under HKEY_LOCAL_MACHINE", 0);
        } else {
            g_root = HKEY_CURRENT_USER;
            WriteLog("Settings kept under HKEY_CURRENT_USER: HKEY_LOCAL_MACHINE can't be written", 0);
        }
    }
    return g_root;
}

void SetSettingsRootForTests(HKEY root) { g_root = root; }

bool SettingsStored() {
    int value = 0;
    return ReadSetting(kRunAtStartupValue, value) == ERROR_SUCCESS ||
           ReadSetting(kAppendModeValue, value) == ERROR_SUCCESS;
}

LONG RegisterAppStartup(int* runAtStartup, int enable, int& appendMode) {
    *runAtStartup = 0;
    if (SettingsStored()) {
        LONG status = ReadSetting(kRunAtStartupValue, *runAtStartup);
        if (status != ERROR_SUCCESS) LogStatus("Error 0x%X registering application startup", status);
        LONG appendStatus = GetAppendMode(appendMode);
        if (appendStatus != ERROR_SUCCESS) LogStatus("Error GetAppendMode return 0x%X", appendStatus);
        if (!enable) return appendStatus;
    } else {
        LogStatus("Error 0x%X registering application Append Mode", SetAppendMode(appendMode, 1));
    }

    *runAtStartup = 1;
    RegistryKey program = RegistryKey::Create(kProgramKey);
    if (program.Status() != ERROR_SUCCESS) LogStatus("Error 0x%X registering application startup", program.Status());
    LONG status = program.WriteDword(kRunAtStartupValue, 1);
    if (status != ERROR_SUCCESS) {
        *runAtStartup = 0;
        LogStatus("Registry Error 0x%X set value for application startup", status);
    }
    RegistryKey run = RegistryKey::Create(kRunKey);
    if (run.Status() != ERROR_SUCCESS) {
        *runAtStartup = 0;
        LogStatus("Error 0x%X registering application startup", run.Status());
    }
    // Without its Run value the program does not start with Windows, whatever RunAtStartup says.
    if (SetStartupRunValue(run) != ERROR_SUCCESS) *runAtStartup = 0;
    return run.Status();
}

LONG UnregisterAppStartup(int* runAtStartup) {
    DeleteRunValue(SettingsRoot());
    // One that an earlier start left under the other root would start the program all the same.
    if (HoldsRunValue(OtherRoot())) DeleteRunValue(OtherRoot());
    *runAtStartup = HoldsRunValue(SettingsRoot()) || HoldsRunValue(OtherRoot()) ? 1 : 0;
    RegistryKey program = RegistryKey::Open(SettingsRoot(), kProgramKey, kAccess);
    if (program.Status() != ERROR_SUCCESS) LogStatus("Error 0x%X open registry key", program.Status());
    LONG status = program.WriteDword(kRunAtStartupValue, *runAtStartup);
    if (status != ERROR_SUCCESS) LogStatus("Error 0x%X set registry value", status);
    return status;
}

LONG GetAppendMode(int& appendMode) {
    int mode = 1;
    LONG status = ReadSetting(kAppendModeValue, mode);
    if (status != ERROR_SUCCESS) LogStatus("Error 0x%X registering application Append Mode", status);
    appendMode = mode;
    return status;
}

LONG SetAppendMode(int& appendMode, int mode) {
    RegistryKey program = RegistryKey::Create(kProgramKey);
    if (program.Status() != ERROR_SUCCESS) LogStatus("Error 0x%X registering application startup", program.Status());
    LONG status = program.WriteDword(kAppendModeValue, mode);
    if (status != ERROR_SUCCESS) LogStatus("Error 0x%X set registry value", status);
    appendMode = mode;
    return status;
}

KeySets ReadKeySets() {
    KeySets sets = DefaultKeySets();
    std::array<std::string, kHotkeyGroupCount> stored;  // the values the sets came from
    // A value is read from the first root that holds it, readable or not.
    const RegistryKey programKeys[] = {RegistryKey::Open(SettingsRoot(), kProgramKey, KEY_READ),
                                       RegistryKey::Open(OtherRoot(), kProgramKey, KEY_READ)};
    for (HotkeyGroup group : AllHotkeyGroups()) {
        const HotkeyGroupRow& row = RowOf(group);
        const std::wstring name = WideText(row.registryValue);
        std::wstring read;
        LONG status = ERROR_FILE_NOT_FOUND;
        for (const RegistryKey& key : programKeys)
            if ((status = key.ReadString(name.c_str(), read)) != ERROR_FILE_NOT_FOUND) break;
        if (status == ERROR_FILE_NOT_FOUND) continue;
        // The names are ASCII: any other character makes the value one that names no set.
        std::string text;
        for (wchar_t c : read) text += c < 0x80 ? static_cast<char>(c) : '?';
        const std::string defaults = KeySetText(row.defaults);
        std::optional<KeySet> set = status == ERROR_SUCCESS ? ParseKeySet(text) : std::nullopt;
        if (set && TakesInjectedKeys(group, *set)) set.reset();
        if (status != ERROR_SUCCESS)
            WriteLogFormat(0, "Error 0x%X reading registry value %s: keys %s used",
                           static_cast<unsigned>(status), row.registryValue, defaults.c_str());
        else if (!set)
            WriteLogFormat(0, "Registry value %s = \"%s\" names no usable keys: keys %s used",
                           row.registryValue, text.c_str(), defaults.c_str());
        if (!set) continue;
        sets[Index(group)] = *set;
        stored[Index(group)] = text;
    }
    // A digit group whose value gives it another's set takes its default, until none shares one: the
    // defaults differ from one another.
    for (bool reset = true; reset;) {
        reset = false;
        for (HotkeyGroup group : ClashingDigitGroups(sets)) {
            const std::size_t i = Index(group);
            if (stored[i].empty()) continue;
            WriteLogFormat(
                0, "Registry value %s = \"%s\" takes another group's digits: keys %s used",
                RowOf(group).registryValue, stored[i].c_str(), KeySetText(RowOf(group).defaults).c_str());
            sets[i] = RowOf(group).defaults;
            stored[i].clear();
            reset = true;
        }
    }
    return sets;
}

LONG StoreKeySets(const KeySets& sets, const KeySets& before) {
    RegistryKey program = RegistryKey::Create(kProgramKey);
    LONG failed = ERROR_SUCCESS;
    for (HotkeyGroup group : AllHotkeyGroups()) {
        const std::size_t i = Index(group);
        if (sets[i] == before[i]) continue;
        LONG status =
            program.WriteString(WideText(RowOf(group).registryValue).c_str(), WideText(KeySetText(sets[i]).c_str()));
        if (status == ERROR_SUCCESS) continue;
        LogStatus("Error 0x%X set registry value", status);
        failed = status;
    }
    return failed;
}
