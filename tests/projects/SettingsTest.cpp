#include "projects/Settings.h"

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
    // Where this start can write (null: the program's choice, HKEY_LOCAL_MACHINE); RunAtStartup and AppendMode stored
    // under HKEY_LOCAL_MACHINE (-1: missing); a Run value under both roots, or null; the switch (-1: off); the result,
    // the two settings after it (-1: left as they were), this start's Run value afterwards and the log.
    const std::tuple<HKEY, int, int, const char*, int, int, int, int, std::wstring, std::vector<std::string>>
        cases[] = {
        // A first run turns both on, where it can write.
        {nullptr, -1, -1, nullptr, 0, 0, 1, 1, registered, {}},
        {HKEY_CURRENT_USER, -1, -1, nullptr, 0, 0, 1, 1, registered, {}},
        {unwritable.Get(), -1, -1, nullptr, 0, ERROR_CHILD_MUST_BE_VOLATILE, 0, 1, none,
         {"Error 0x3FD registering application startup", "Error 0x3FD set registry value",
          "Registry Error 0x3FD set value for application startup"}},
        // Switched off, the Run value goes under both roots; a missing one is logged.
        {nullptr, 1, 1, "C:\\Quorvex\\Quorvex.exe", -1, 0, 0, -1, none, {}},
        {nullptr, 1, 1, nullptr, -1, 0, 0, -1, none, {"Error 0x2 delete registry value"}},
        // Switching off opens the program's key: it makes none.
        {nullptr, -1, -1, nullptr, -1, ERROR_FILE_NOT_FOUND, 0, -1, none,
         {"Error 0x2 delete registry value", "Error 0x2 open registry key", "Error 0x2 set registry value"}},
        // Switched on again: a moved executable is registered under its new path.
        {nullptr, 0, 0, "C:\\old place\\Quorvex.exe", 1, 0, 1, 0, registered, {}},
        // A later start reads the stored values and leaves the Run key alone; a missing value takes its
        // default. Values an elevated start stored are read where they cannot be written.
        {nullptr, 1, -1, nullptr, 0, ERROR_FILE_NOT_FOUND, 1, 1, none,
         {"Error 0x2 registering application Append Mode", "Error GetAppendMode return 0x2"}},
        {nullptr, -1, 0, nullptr, 0, 0, 0, 0, none, {"Error 0x2 registering application startup"}},
        {HKEY_CURRENT_USER, 1, 0, nullptr, 0, 0, 1, 0, none, {}},
    };
    int row = 0;
    for (const auto& [root, storedRun, storedAppend, runValue, enable, result, runAtStartup, appendMode, runAfter,
                      logged] : cases) {
        SCOPED_TRACE(row++);
        CleanProgramSettings fresh;
        DeleteLog();
        SetSettingsRootForTests(root);
        if (storedRun >= 0) SetSettingValue(HKEY_LOCAL_MACHINE, "RunAtStartup", storedRun);
        if (storedAppend >= 0) SetSettingValue(HKEY_LOCAL_MACHINE, "AppendMode", storedAppend);
        for (HKEY each : {HKEY_LOCAL_MACHINE, HKEY_CURRENT_USER})
            if (runValue) SetRunValue(each, runValue);
        int run = -1, append = -1;
        EXPECT_EQ(enable < 0 ? UnregisterAppStartup(&run) : RegisterAppStartup(&run, enable, append), result);
        EXPECT_EQ(run, runAtStartup);
        EXPECT_EQ(append, appendMode);
        EXPECT_EQ(RunValue(root ? root : HKEY_LOCAL_MACHINE), runAfter);
        EXPECT_TRUE(enable >= 0 || RunValue(HKEY_CURRENT_USER) == none) << "a Run value left under the other root";
        EXPECT_TRUE(enable >= 0 || SettingValue(HKEY_LOCAL_MACHINE, "RunAtStartup") == (storedRun < 0 ? -1 : 0));
        EXPECT_TRUE(LoggedInOrder(logged));
    }
    // The program's key under HKEY_LOCAL_MACHINE, left read-only by an administrator: the settings go to the user's.
    CleanProgramSettings fresh;
    HKEY locked = nullptr;
    ASSERT_EQ(RegCreateKeyExA(HKEY_LOCAL_MACHINE, kSettingsKey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &locked,
                              nullptr),
              ERROR_SUCCESS);
    MakeReadOnly(locked);
    RegCloseKey(locked);
    SetSettingsRootForTests(nullptr);
    EXPECT_EQ(SettingsRoot(), HKEY_CURRENT_USER);
    SetSettingsRootForTests(nullptr);
}

// The keys kept beside the settings: each value is read from the first root that holds it, without regard to case or
// blanks; one that cannot be read, names no set its group may take, or gives a digit group another's set is its
// group's default, logged once. A change is stored under this run's root, only for the groups it changes.
TEST_F(SettingsTest, KeysAreReadFromEitherRootAndAValueThatIsNoSetIsTheDefaultLoggedOnce) {
    const struct {
        std::vector<std::pair<const char*, const char*>> machine, user;  // REG_SZ values under either root
        std::string read;  // the five sets, in the order of the groups
        std::vector<std::string> logged = {};
    } cases[] = {
        {.machine = {}, .user = {}, .read = "Ctrl Ctrl+Win Win Ctrl+Win Win"},
        {.machine = {{"RecentKeys", " ctrl + ALT "}, {"FavoritePasteKeys", "off"}, {"AppendKeys", "Alt+Shift+Win"}},
         .user = {}, .read = "Ctrl+Alt Ctrl+Win Off Ctrl+Win Alt+Shift+Win"},
        // This run's root first; a value that cannot be used there is not looked for under the other.
        {.machine = {{"ProjectKeys", "Alt"}, {"RecentKeys", "Alt"}},
         .user = {{"ProjectKeys", "Ctrl+Shift"}, {"RecentKeys", "Shift"}}, .read = "Ctrl Ctrl+Win Win Ctrl+Shift Win",
         .logged = {"Registry value RecentKeys = \"Shift\" names no usable keys: keys Ctrl used"}},
        {.machine = {}, .user = {{"FavoriteStoreKeys", "Win+Ctrl"}, {"AppendKeys", "Ctrl+Ctrl"}, {"ProjectKeys", ""}},
         .read = "Ctrl Ctrl+Win Win Ctrl+Win Win",
         .logged = {"Registry value FavoriteStoreKeys = \"Win+Ctrl\" names no usable keys: keys Ctrl+Win used",
                    "Registry value ProjectKeys = \"\" names no usable keys: keys Ctrl+Win used",
                    "Registry value AppendKeys = \"Ctrl+Ctrl\" names no usable keys: keys Win used"}},
        // The digit groups differ: a value that gives one another's set goes; two that swap them are kept.
        // The projects with Ctrl alone would take the Ctrl+C and Ctrl+V the program presses.
        {.machine = {}, .user = {{"RecentKeys", "Win"}, {"ProjectKeys", "Ctrl"}},
         .read = "Ctrl Ctrl+Win Win Ctrl+Win Win",
         .logged = {"Registry value ProjectKeys = \"Ctrl\" names no usable keys: keys Ctrl+Win used",
                    "Registry value RecentKeys = \"Win\" takes another group's digits: keys Ctrl used"}},
        {.machine = {}, .user = {{"RecentKeys", "Win"}, {"FavoritePasteKeys", "Ctrl"}},
         .read = "Win Ctrl+Win Ctrl Ctrl+Win Win"},
    };
    int row = 0;
    for (const auto& c : cases) {
        SCOPED_TRACE(row++);
        CleanProgramSettings fresh;
        DeleteLog();
        SetSettingsRootForTests(HKEY_CURRENT_USER);
        for (const auto& [name, value] : c.machine) SetSettingText(HKEY_LOCAL_MACHINE, name, value);
        for (const auto& [name, value] : c.user) SetSettingText(HKEY_CURRENT_USER, name, value);
        std::string read;
        for (KeySet set : ReadKeySets()) read += (read.empty() ? "" : " ") + KeySetText(set);
        EXPECT_EQ(read, c.read);
        EXPECT_EQ(folder.LogLines(), c.logged);
    }
    CleanProgramSettings fresh;
    DeleteLog();
    // A value of another type cannot be read. A key that an administrator made to hold keys only is no run's
    // settings: the first start still stores them.
    SetSettingValue(HKEY_LOCAL_MACHINE, "RecentKeys", 1);
    EXPECT_EQ(ReadKeySets(), DefaultKeySets());
    EXPECT_EQ(folder.LogLines(),
              std::vector<std::string>{"Error 0x65E reading registry value RecentKeys: keys Ctrl used"});
    EXPECT_FALSE(SettingsStored());
    KeySets chosen = DefaultKeySets();
    chosen[Index(HotkeyGroup::AppendFile)] = kKeysOff;
    EXPECT_EQ(StoreKeySets(chosen, DefaultKeySets()), ERROR_SUCCESS);
    EXPECT_EQ(ReadKeySets(), chosen);
    EXPECT_EQ(SettingText(HKEY_CURRENT_USER, "AppendKeys") + SettingText(HKEY_CURRENT_USER, "RecentKeys"),
              "Off<missing>");
    SetSettingsRootForTests(nullptr);
}
