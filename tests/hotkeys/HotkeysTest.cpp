#include "hotkeys/Hotkeys.h"

#include "base/Log.h"
#include "support/ClipStoreFixture.h"

namespace {

class HotkeysTest : public ClipStoreTest {
protected:
    void SetUp() override {
        ClipStoreTest::SetUp();
        program = CreateWindowA("STATIC", "program", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
        other = CreateWindowA("STATIC", "other program", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
    }
    void TearDown() override {
        DestroyWindow(program);  // releases every hotkey registered on it
        DestroyWindow(other);
        ClipStoreTest::TearDown();
    }
    // Whether a combination is free: another window can take it (and gives it back at once).
    bool IsFree(UINT modifiers, UINT key) {
        if (!RegisterHotKey(other, 0x7000, modifiers, key)) return false;
        UnregisterHotKey(other, 0x7000);
        return true;
    }

    HWND program = nullptr;
    HWND other = nullptr;
};

}  // namespace

TEST_F(HotkeysTest, AllFixedCombinationsAreTakenOnTheProgramWindow) {
    ASSERT_EQ(RegisterFixedHotKeys(program), 0);
    for (char digit = '0'; digit <= '9'; ++digit) {
        EXPECT_FALSE(IsFree(MOD_CONTROL | MOD_WIN, digit)) << digit;
        EXPECT_FALSE(IsFree(MOD_WIN, digit)) << digit;
        EXPECT_FALSE(IsFree(MOD_CONTROL, digit)) << digit;
    }
    EXPECT_FALSE(IsFree(MOD_WIN, VK_INSERT));
    EXPECT_FALSE(IsFree(MOD_WIN, VK_DELETE));
    EXPECT_TRUE(IsFree(MOD_ALT, '1'));  // no hotkey uses Alt
    // Key 0 is slot 10 of its group.
    ASSERT_TRUE(UnregisterHotKey(program, HOTKEY_PASTE_RECENT + 10));
    EXPECT_TRUE(IsFree(MOD_CONTROL, '0'));
    EXPECT_FALSE(folder.Exists("Clip.log"));
}

TEST_F(HotkeysTest, RegistrationStopsAtTheFirstTakenKeyAndNamesIt) {
    ASSERT_TRUE(RegisterHotKey(other, 1, MOD_CONTROL | MOD_WIN, '5'));
    EXPECT_EQ(RegisterFixedHotKeys(program), 1);
    EXPECT_EQ(folder.LogLines(), std::vector<std::string>{"Can't register Win-5 !"});
    EXPECT_FALSE(IsFree(MOD_CONTROL | MOD_WIN, '4'));  // registered before the failure, kept
    EXPECT_TRUE(IsFree(MOD_CONTROL | MOD_WIN, '6'));
    EXPECT_TRUE(IsFree(MOD_WIN, '1'));
    EXPECT_TRUE(IsFree(MOD_CONTROL, '1'));
    EXPECT_TRUE(IsFree(MOD_WIN, VK_INSERT));
    UnregisterHotKey(other, 1);
}

TEST_F(HotkeysTest, EachGroupsFailureLineNamesItsModifierAndSlot) {
    const struct {
        UINT modifiers;
        UINT key;
        const char* line;
    } cases[] = {{MOD_CONTROL, '0', "Can't register Ctl-10 !"},
                 {MOD_WIN, '3', "Can't register Win-3 !"},
                 {MOD_WIN, VK_INSERT, "Can't register Win-Ins!"},
                 {MOD_WIN, VK_DELETE, "Can't register Win-Del!"}};
    for (const auto& c : cases) {
        DeleteLog();  // a new log, as a start begins one
        HWND window = CreateWindowA("STATIC", "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
        ASSERT_TRUE(RegisterHotKey(other, 1, c.modifiers, c.key));
        EXPECT_EQ(RegisterFixedHotKeys(window), 1);
        EXPECT_EQ(folder.LogLines(), std::vector<std::string>{c.line});
        UnregisterHotKey(other, 1);
        DestroyWindow(window);
    }
}
