#include "projects/Settings.h"

#include "support/ClipStoreFixture.h"
#include "support/ProgramSettings.h"

namespace {

// Wine lets the tests write under HKEY_LOCAL_MACHINE, so the program's own choice is that root.
class SettingsTest : public ClipStoreTest {
protected:
    void SetUp() override {
        ClipStoreTest::SetUp();
        SetSettingsRootForTests(nullptr);
    }
    void TearDown() override {
        SetSettingsRootForTests(nullptr);
        ClipStoreTest::TearDown();
    }
    LONG Register(int enable) { return RegisterAppStartup(&runAtStartup, enable, appendMode); }

    CleanProgramSettings clean;
    int runAtStartup = -1;
    int appendMode = -1;
};

std::string QuotedExePath() {
    char path[MAX_PATH] = "";
    GetModuleFileNameA(nullptr, path, MAX_PATH);
    return "\"" + std::string(path) + "\"";
}

}  // namespace

TEST_F(SettingsTest, TheFirstRunStoresBothDefaultsAndRegistersTheQuotedPathLaterRunsOnlyRead) {
    EXPECT_EQ(Register(0), 0);
    EXPECT_EQ(runAtStartup, 1);
    EXPECT_EQ(appendMode, 1);
    EXPECT_EQ(SettingValue(HKEY_LOCAL_MACHINE, "RunAtStartup"), 1);
    EXPECT_EQ(SettingValue(HKEY_LOCAL_MACHINE, "AppendMode"), 1);
    EXPECT_EQ(RunValue(HKEY_LOCAL_MACHINE), QuotedExePath());
    EXPECT_FALSE(SettingsKeyExists(HKEY_CURRENT_USER));
    EXPECT_TRUE(Logged("Error 0x0 registering application Append Mode"));

    SetRunValue(HKEY_LOCAL_MACHINE, "left alone");
    runAtStartup = appendMode = -1;
    EXPECT_EQ(Register(0), 0);
    EXPECT_EQ(runAtStartup, 1);
    EXPECT_EQ(appendMode, 1);
    EXPECT_EQ(RunValue(HKEY_LOCAL_MACHINE), "left alone");
    EXPECT_EQ(folder.LogCount("Settings kept under HKEY_LOCAL_MACHINE"), 1) << "the root is chosen once";
}

TEST_F(SettingsTest, AnExistingKeyIsOnlyReadAndMissingValuesTakeTheirDefaults) {
    struct Case {
        int storedRun, storedAppend;  // -1: value missing
        int runAtStartup, appendMode;
        std::vector<std::string> logged;
    };
    const Case cases[] = {
        {1, -1, 1, 1, {"Error 0x2 registering application Append Mode", "Error GetAppendMode return 0x2"}},
        {0, 0, 0, 0, {}},
        {-1, 1, 0, 1, {"Error 0x2 registering application startup"}},
    };
    for (const Case& c : cases) {
        CleanProgramSettings fresh;
        folder.Remove("Clip.log");
        if (c.storedRun >= 0) SetSettingValue(HKEY_LOCAL_MACHINE, "RunAtStartup", c.storedRun);
        if (c.storedAppend >= 0) SetSettingValue(HKEY_LOCAL_MACHINE, "AppendMode", c.storedAppend);
        Register(0);
        EXPECT_EQ(runAtStartup, c.runAtStartup) << c.storedRun;
        EXPECT_EQ(appendMode, c.appendMode) << c.storedAppend;
        EXPECT_EQ(RunValue(HKEY_LOCAL_MACHINE), "<missing>") << "the Run key is not touched";
        EXPECT_EQ(SettingValue(HKEY_LOCAL_MACHINE, "AppendMode"), c.storedAppend);
        EXPECT_TRUE(LoggedInOrder(c.logged)) << c.storedRun << c.storedAppend;
    }
}

TEST_F(SettingsTest, SwitchingStartWithWindowsOffTwiceAndOnAgainRegistersTheCurrentPath) {
    Register(0);
    EXPECT_EQ(UnregisterAppStartup(), 0);
    EXPECT_EQ(RunValue(HKEY_LOCAL_MACHINE), "<missing>");
    EXPECT_EQ(SettingValue(HKEY_LOCAL_MACHINE, "RunAtStartup"), 0);
    SetSettingValue(HKEY_LOCAL_MACHINE, "RunAtStartup", 1);
    EXPECT_EQ(UnregisterAppStartup(), 0);
    EXPECT_TRUE(Logged("Error 0x2 delete registry value"));
    EXPECT_EQ(SettingValue(HKEY_LOCAL_MACHINE, "RunAtStartup"), 0);

    // A moved executable is registered under its new path; append mode is read again on the way.
    SetRunValue(HKEY_LOCAL_MACHINE, "C:\\old place\\Quorvex.exe");
    SetSettingValue(HKEY_LOCAL_MACHINE, "AppendMode", 0);
    EXPECT_EQ(Register(1), 0);
    EXPECT_EQ(runAtStartup, 1);
    EXPECT_EQ(appendMode, 0);
    EXPECT_EQ(RunValue(HKEY_LOCAL_MACHINE), QuotedExePath());
    EXPECT_EQ(SettingValue(HKEY_LOCAL_MACHINE, "RunAtStartup"), 1);
}

TEST_F(SettingsTest, UnderTheCurrentUserBothSettingsPersistAndStartWithWindowsWorks) {
    SetSettingsRootForTests(HKEY_CURRENT_USER);
    Register(0);
    EXPECT_EQ(runAtStartup, 1);
    EXPECT_EQ(RunValue(HKEY_CURRENT_USER), QuotedExePath());
    EXPECT_EQ(SetAppendMode(appendMode, 0), 0);
    EXPECT_EQ(UnregisterAppStartup(), 0);
    EXPECT_EQ(RunValue(HKEY_CURRENT_USER), "<missing>");

    // The next run reads both back, and switching on registers again under the same root.
    Register(0);
    EXPECT_EQ(runAtStartup, 0);
    EXPECT_EQ(appendMode, 0);
    Register(1);
    EXPECT_EQ(runAtStartup, 1);
    EXPECT_EQ(RunValue(HKEY_CURRENT_USER), QuotedExePath());
    EXPECT_EQ(SettingValue(HKEY_CURRENT_USER, "AppendMode"), 0);
    EXPECT_FALSE(SettingsKeyExists(HKEY_LOCAL_MACHINE));
    EXPECT_EQ(RunValue(HKEY_LOCAL_MACHINE), "<missing>");
}

TEST_F(SettingsTest, ARootThatCannotBeWrittenLeavesStartWithWindowsOffAndAppendModeInMemory) {
    UnwritableRegistryRoot unwritable;
    ASSERT_NE(unwritable.Get(), nullptr);
    SetSettingsRootForTests(unwritable.Get());
    EXPECT_EQ(Register(1), ERROR_CHILD_MUST_BE_VOLATILE);
    EXPECT_EQ(runAtStartup, 0);
    EXPECT_EQ(appendMode, 1);
    EXPECT_EQ(SetAppendMode(appendMode, 0), ERROR_CHILD_MUST_BE_VOLATILE);
    EXPECT_EQ(appendMode, 0);
    EXPECT_TRUE(LoggedInOrder({"Error 0x3FD registering application startup", "Error 0x3FD set registry value",
                               "Registry Error 0x3FD set value for application startup"}));
}
