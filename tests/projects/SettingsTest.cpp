#include "projects/Settings.h"

#include "base/Log.h"
#include "support/ClipStoreFixture.h"
#include "support/ProgramSettings.h"

// Each row cleans the settings under both roots before and after it.
using SettingsTest = ClipStoreTest;

// Each row is a start, or start with Windows switched off, after what earlier starts stored.
TEST_F(SettingsTest, EachStartReadsWhatEitherRootHoldsAndEachSwitchChangesItUnderBoth) {
    wchar_t exe[MAX_PATH] = L"";
    GetModuleFileNameW(nullptr, exe, MAX_PATH);
    const std::wstring registered = L"\"" + std::wstring(exe) + L"\"", none = L"<missing>";
    UnwritableRegistryRoot unwritable;
    const struct {
        HKEY root;                    // where this start can write; null: the program's choice, HKEY_LOCAL_MACHINE
        int storedRun, storedAppend;  // under HKEY_LOCAL_MACHINE; -1: missing
        const char* runValue;         // under both roots, or null
        int enable;                   // -1: switched off
        LONG result;
        int runAtStartup, appendMode;  // -1: left as it was
        std::wstring runAfter;         // this start's Run value afterwards
        std::vector<std::string> logged;
    } cases[] = {
        // A first run turns both on, where it can write.
        {nullptr, -1, -1, nullptr, 0, 0, 1, 1, registered, {}},
        {HKEY_CURRENT_USER, -1, -1, nullptr, 0, 0, 1, 1, registered, {}},
        {unwritable.Get(), -1, -1, nullptr, 0, ERROR_CHILD_MUST_BE_VOLATILE, 0, 1, none,
         {"Error 0x3FD registering application startup", "Error 0x3FD set registry value",
          "Registry Error 0x3FD set value for application startup"}},
        // Switched off, the Run value goes under both roots; a missing one is logged.
        {nullptr, 1, 1, "C:\\Quorvex\\Quorvex.exe", -1, 0, 0, -1, none, {}},
        {nullptr, 1, 1, nullptr, -1, 0, 0, -1, none, {"Error 0x2 delete registry value"}},
        // Switched on again: a moved executable is registered under its new path.
        {nullptr, 0, 0, "C:\\old place\\Quorvex.exe", 1, 0, 1, 0, registered, {}},
        // A later start reads the stored values and leaves the Run key alone; a missing value takes its
        // default. Values an elevated start stored are read where they cannot be written.
        {nullptr, 1, -1, nullptr, 0, ERROR_FILE_NOT_FOUND, 1, 1, none,
         {"Error 0x2 registering application Append Mode", "Error GetAppendMode return 0x2"}},
        {nullptr, -1, 0, nullptr, 0, 0, 0, 0, none, {"Error 0x2 registering application startup"}},
        {HKEY_CURRENT_USER, 1, 0, nullptr, 0, 0, 1, 0, none, {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(&c - cases);
        CleanProgramSettings fresh;
        DeleteLog();
        SetSettingsRootForTests(c.root);
        if (c.storedRun >= 0) SetSettingValue(HKEY_LOCAL_MACHINE, "RunAtStartup", c.storedRun);
        if (c.storedAppend >= 0) SetSettingValue(HKEY_LOCAL_MACHINE, "AppendMode", c.storedAppend);
        for (HKEY root : {HKEY_LOCAL_MACHINE, HKEY_CURRENT_USER})
            if (c.runValue) SetRunValue(root, c.runValue);
        int runAtStartup = -1, appendMode = -1;
        const LONG result = c.enable < 0 ? UnregisterAppStartup(&runAtStartup)
                                         : RegisterAppStartup(&runAtStartup, c.enable, appendMode);
        EXPECT_EQ(result, c.result);
        EXPECT_EQ(runAtStartup, c.runAtStartup);
        EXPECT_EQ(appendMode, c.appendMode);
        EXPECT_EQ(RunValue(c.root ? c.root : HKEY_LOCAL_MACHINE), c.runAfter);
        if (c.enable < 0) {
            EXPECT_EQ(RunValue(HKEY_CURRENT_USER), none) << "under the other root too";
        }
        EXPECT_TRUE(LoggedInOrder(c.logged));
    }
    SetSettingsRootForTests(nullptr);
}
