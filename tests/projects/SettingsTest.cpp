#include "projects/Settings.h"

#include "support/ClipStoreFixture.h"
#include "support/ProgramSettings.h"

namespace {

// Wine lets the tests write under HKEY_LOCAL_MACHINE, so the program's own choice is that root.
class SettingsTest : public ClipStoreTest {
protected:
    void TearDown() override {
        SetSettingsRootForTests(nullptr);
        ClipStoreTest::TearDown();
    }
    LONG Register() { return RegisterAppStartup(&runAtStartup, 0, appendMode); }

    CleanProgramSettings clean;
    int runAtStartup = -1;
    int appendMode = -1;
};

}  // namespace

TEST_F(SettingsTest, TheFirstRunTurnsBothOnAndLaterRunsReadWhatTheSwitchesStoredUnderEitherRoot) {
    wchar_t exe[MAX_PATH] = L"";
    GetModuleFileNameW(nullptr, exe, MAX_PATH);
    // The program's own choice under Wine, and the fallback for a user who can't write HKLM.
    for (HKEY root : {HKEY_LOCAL_MACHINE, HKEY_CURRENT_USER}) {
        CleanProgramSettings fresh;
        const HKEY other = root == HKEY_LOCAL_MACHINE ? HKEY_CURRENT_USER : HKEY_LOCAL_MACHINE;
        SetSettingsRootForTests(root == HKEY_LOCAL_MACHINE ? nullptr : root);
        EXPECT_EQ(Register(), 0);
        EXPECT_EQ(runAtStartup, 1);
        EXPECT_EQ(appendMode, 1);
        EXPECT_EQ(SettingValue(root, "AppendMode"), 1);

        // Switched off twice (the second time the Run value is already gone, which is logged), append
        // mode off; a Run value an earlier start left under the other root goes too.
        SetRunValue(other, "C:\\Quorvex\\Quorvex.exe");
        EXPECT_EQ(UnregisterAppStartup(&runAtStartup), 0);
        EXPECT_EQ(UnregisterAppStartup(&runAtStartup), 0);
        EXPECT_EQ(RunValue(other), L"<missing>");
        EXPECT_EQ(SetAppendMode(appendMode, 0), 0);
        EXPECT_EQ(Register(), 0);
        EXPECT_EQ(runAtStartup, 0);
        EXPECT_EQ(appendMode, 0);
        EXPECT_EQ(RunValue(root), L"<missing>") << "a later run leaves the Run key alone";

        // Switched on again: a moved executable is registered under its new path, quoted.
        SetRunValue(root, "C:\\old place\\Quorvex.exe");
        EXPECT_EQ(RegisterAppStartup(&runAtStartup, 1, appendMode), 0);
        EXPECT_EQ(runAtStartup, 1);
        EXPECT_EQ(RunValue(root), L"\"" + std::wstring(exe) + L"\"");
        EXPECT_EQ(SettingValue(root, "RunAtStartup"), 1);
    }
    EXPECT_EQ(folder.LogCount("Error 0x2 delete registry value"), 2);
}

TEST_F(SettingsTest, ALaterStartReadsWhatEitherRootHoldsAndAMissingValueTakesItsDefault) {
    UnwritableRegistryRoot unwritable;
    ASSERT_NE(unwritable.Get(), nullptr);
    const struct {
        int storedRun, storedAppend;  // under HKEY_LOCAL_MACHINE; -1: value missing
        HKEY root;                    // where this start can write
        LONG result;
        int runAtStartup, appendMode;
        std::vector<std::string> logged;
    } cases[] = {
        {1, -1, HKEY_LOCAL_MACHINE, ERROR_FILE_NOT_FOUND, 1, 1,
         {"Error 0x2 registering application Append Mode", "Error GetAppendMode return 0x2"}},
        {-1, 0, HKEY_LOCAL_MACHINE, 0, 0, 0, {"Error 0x2 registering application startup"}},
        // Stored by an elevated start; a normal user's start can read them there but not write.
        {1, 0, HKEY_CURRENT_USER, 0, 1, 0, {}},
        // A first start that can write nowhere: start with Windows stays off, append mode is kept in memory.
        {-1, -1, unwritable.Get(), ERROR_CHILD_MUST_BE_VOLATILE, 0, 1,
         {"Error 0x3FD registering application startup", "Error 0x3FD set registry value",
          "Registry Error 0x3FD set value for application startup"}},
    };
    for (const auto& c : cases) {
        CleanProgramSettings fresh;
        folder.Remove("Clip.log");
        SetSettingsRootForTests(c.root);
        if (c.storedRun >= 0) SetSettingValue(HKEY_LOCAL_MACHINE, "RunAtStartup", c.storedRun);
        if (c.storedAppend >= 0) SetSettingValue(HKEY_LOCAL_MACHINE, "AppendMode", c.storedAppend);
        EXPECT_EQ(Register(), c.result) << c.storedRun << c.storedAppend;
        EXPECT_EQ(runAtStartup, c.runAtStartup) << c.storedRun;
        EXPECT_EQ(appendMode, c.appendMode) << c.storedAppend;
        for (HKEY root : {HKEY_LOCAL_MACHINE, HKEY_CURRENT_USER}) EXPECT_EQ(RunValue(root), L"<missing>");
        EXPECT_EQ(SettingValue(HKEY_LOCAL_MACHINE, "AppendMode"), c.storedAppend);
        EXPECT_TRUE(LoggedInOrder(c.logged)) << c.storedRun << c.storedAppend;
    }

    // A Run value that cannot be removed is left, and the switch shows it still on.
    unwritable.HoldRunValue("C:\\Quorvex\\Quorvex.exe");
    UnregisterAppStartup(&runAtStartup);
    EXPECT_EQ(runAtStartup, 1);
}
