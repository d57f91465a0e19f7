#include "HotkeyGroups.h"

#include <algorithm>
#include <atomic>
#include <cctype>

namespace {

// Indexed by HotkeyGroup.
constexpr std::array<HotkeyGroupRow, kHotkeyGroupCount> kGroups = {{
    {"RecentKeys", MOD_CONTROL, HOTKEY_PASTE_RECENT, true},
    {"FavoriteStoreKeys", MOD_CONTROL | MOD_WIN, HOTKEY_SAVE_FAV, true},
    {"FavoritePasteKeys", MOD_WIN, HOTKEY_PASTE_FAV, true},
    {"ProjectKeys", MOD_CONTROL | MOD_WIN, HOTKEY_PROJECT, false},
    {"AppendKeys", MOD_WIN, HOTKEY_WIN_INS, false},
}};

std::atomic<KeySet> g_inForce[kHotkeyGroupCount] = {kGroups[0].defaults, kGroups[1].defaults, kGroups[2].defaults,
                                                    kGroups[3].defaults, kGroups[4].defaults};

// In the order every name of a set follows.
struct Modifier {
    KeySet bit;
    const char* name;          // as pressed and as kept: "Ctrl"
    const char* abbreviation;  // as the menus show it: "Ctl"
};
constexpr Modifier kModifiers[] = {
    {MOD_CONTROL, "Ctrl", "Ctl"}, {MOD_ALT, "Alt", "Alt"}, {MOD_SHIFT, "Shift", "Shf"}, {MOD_WIN, "Win", "Win"}};
constexpr char kOff[] = "Off";

std::string Joined(KeySet set, bool abbreviated, const char* joint) {
    std::string text;
    for (const Modifier& modifier : kModifiers) {
        if (!(set & modifier.bit)) continue;
        if (!text.empty()) text += joint;
        text += abbreviated ? modifier.abbreviation : modifier.name;
    }
    return text;
}

std::string Lowered(std::string text) {
    for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return text;
}

// The positions of a set's modifiers in their order: Ctrl+Win is {0, 3}.
std::vector<int> Ranks(KeySet set) {
    std::vector<int> ranks;
    for (int rank = 0; rank < 4; ++rank)
        if (set & kModifiers[rank].bit) ranks.push_back(rank);
    return ranks;
}

}  // namespace

std::array<HotkeyGroup, kHotkeyGroupCount> AllHotkeyGroups() {
    std::array<HotkeyGroup, kHotkeyGroupCount> groups{};
    for (std::size_t i = 0; i < kHotkeyGroupCount; ++i) groups[i] = static_cast<HotkeyGroup>(i);
    return groups;
}

const HotkeyGroupRow& RowOf(HotkeyGroup group) { return kGroups[Index(group)]; }

std::optional<HotkeyGroup> GroupOfId(UINT id) {
    for (HotkeyGroup group : AllHotkeyGroups()) {
        const UINT base = RowOf(group).idBase;
        const bool in = RowOf(group).digits            ? id > base && id <= base + kHotkeySlots
                        : group == HotkeyGroup::Project ? id >= base + 'A' && id <= base + 'Z'
                                                        : id == HOTKEY_WIN_INS || id == HOTKEY_WIN_DEL;
        if (in) return group;
    }
    return std::nullopt;
}

KeySets DefaultKeySets() {
    KeySets sets{};
    for (HotkeyGroup group : AllHotkeyGroups()) sets[Index(group)] = RowOf(group).defaults;
    return sets;
}

KeySet KeysInForce(HotkeyGroup group) { return g_inForce[Index(group)]; }

KeySets KeySetsInForce() {
    KeySets sets{};
    for (std::size_t i = 0; i < kHotkeyGroupCount; ++i) sets[i] = g_inForce[i];
    return sets;
}

void SetKeySetsInForce(const KeySets& sets) {
    for (std::size_t i = 0; i < kHotkeyGroupCount; ++i) g_inForce[i] = sets[i];
}

std::string KeySetText(KeySet set) { return set == kKeysOff ? kOff : Joined(set, false, "+"); }

std::optional<KeySet> ParseKeySet(const std::string& text) {
    std::string compact;
    for (char c : text)
        if (c != ' ' && c != '\t') compact += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    if (compact == Lowered(kOff)) return kKeysOff;
    KeySet set = kKeysOff;
    int last = -1;
    for (std::size_t start = 0; start <= compact.size();) {
        std::size_t end = std::min(compact.find('+', start), compact.size());
        const std::string name = compact.substr(start, end - start);
        int rank = last + 1;
        while (rank < 4 && Lowered(kModifiers[rank].name) != name) ++rank;
        if (rank == 4) return std::nullopt;  // unknown, repeated or out of order
        set |= kModifiers[rank].bit;
        last = rank;
        start = end + 1;
    }
    // Shift alone would take the characters people type.
    if (set == MOD_SHIFT) return std::nullopt;
    return set;
}

bool TakesInjectedKeys(HotkeyGroup group, KeySet set) { return group == HotkeyGroup::Project && set == MOD_CONTROL; }

std::vector<KeySet> OfferedKeySets() {
    std::vector<KeySet> sets;
    for (KeySet set = 1; set <= (MOD_ALT | MOD_CONTROL | MOD_SHIFT | MOD_WIN); ++set)
        if (set != MOD_SHIFT) sets.push_back(set);
    // By the first modifier, then the fewer first: Ctrl, Ctrl+Alt, Ctrl+Shift, Ctrl+Win, Ctrl+Alt+Shift, ...
    std::sort(sets.begin(), sets.end(), [](KeySet a, KeySet b) {
        const std::vector<int> ra = Ranks(a), rb = Ranks(b);
        if (ra.front() != rb.front()) return ra.front() < rb.front();
        if (ra.size() != rb.size()) return ra.size() < rb.size();
        return ra < rb;
    });
    sets.push_back(kKeysOff);
    return sets;
}

std::vector<HotkeyGroup> ClashingDigitGroups(const KeySets& sets) {
    std::vector<HotkeyGroup> clashing;
    for (HotkeyGroup group : AllHotkeyGroups()) {
        const KeySet set = sets[Index(group)];
        if (!RowOf(group).digits || set == kKeysOff) continue;
        for (HotkeyGroup other : AllHotkeyGroups())
            if (RowOf(other).digits && other != group && sets[Index(other)] == set) {
                clashing.push_back(group);
                break;
            }
    }
    return clashing;
}

std::string KeyCaption(HotkeyGroup group, const std::string& key, const char* joint) {
    const KeySet set = KeysInForce(group);
    return set == kKeysOff ? key : Joined(set, true, joint) + joint + key;
}

std::string PressedKeys(KeySet set, UINT virtualKey) {
    const std::string key = virtualKey == VK_INSERT   ? "Insert"
                            : virtualKey == VK_DELETE ? "Delete"
                                                      : std::string(1, static_cast<char>(virtualKey));
    return set == kKeysOff ? key : Joined(set, false, "+") + "+" + key;
}
