// The resources every program on the runtime carries: two German icon groups, nothing else.
#include <set>
#include <string>
#include <vector>

#include "kernel/runtime_state.h"
#include "support/runtime_test.h"

namespace {

const WORD german = MAKELANGID(LANG_GERMAN, SUBLANG_GERMAN);   // 1031

#pragma pack(push, 2)
struct IconGroupEntry {
    BYTE width, height, colourCount, reserved;
    WORD planes, bitCount;
    DWORD bytesInResource;
    WORD id;
};
struct IconGroup {
    WORD reserved, type, count;
    IconGroupEntry entries[1];
};
#pragma pack(pop)

BOOL CALLBACK CollectType(HMODULE, LPSTR type, LONG_PTR found)
{
    reinterpret_cast<std::set<ULONG_PTR>*>(found)->insert(reinterpret_cast<ULONG_PTR>(type));
    return TRUE;
}

BOOL CALLBACK CollectName(HMODULE, LPCSTR, LPSTR name, LONG_PTR found)
{
    auto* names = reinterpret_cast<std::vector<std::string>*>(found);
    names->push_back(IS_INTRESOURCE(name) ? "#" + std::to_string(reinterpret_cast<ULONG_PTR>(name)) : name);
    return TRUE;
}

TEST(Resources, TheModuleCarriesIconsOnly)
{
    std::set<ULONG_PTR> types;
    EnumResourceTypesA(nullptr, CollectType, reinterpret_cast<LONG_PTR>(&types));
    EXPECT_EQ(types, (std::set<ULONG_PTR>{reinterpret_cast<ULONG_PTR>(RT_ICON),
                                          reinterpret_cast<ULONG_PTR>(RT_GROUP_ICON)}));
    EXPECT_EQ(runtime.controlsUnthemed, 1) << "no manifest";
}

TEST(Resources, TwoGermanIconGroupsOfOne32By32IconWith16Colours)
{
    std::vector<std::string> groups;
    EnumResourceNamesA(nullptr, RT_GROUP_ICON, CollectName, reinterpret_cast<LONG_PTR>(&groups));
    EXPECT_EQ(groups, (std::vector<std::string>{"A", "KALMUS"})) << "A comes first: the shell shows it";

    for (const char* name : {"A", "KALMUS"}) {
        HRSRC found = FindResourceExA(nullptr, RT_GROUP_ICON, name, german);
        ASSERT_NE(found, nullptr) << name << " in German";
        auto* group = static_cast<const IconGroup*>(LockResource(LoadResource(nullptr, found)));
        ASSERT_NE(group, nullptr);
        ASSERT_EQ(group->count, 1) << name;
        const IconGroupEntry& icon = group->entries[0];
        EXPECT_EQ(icon.width, 32) << name;
        EXPECT_EQ(icon.height, 32) << name;
        EXPECT_EQ(icon.bitCount, 4) << name;
        EXPECT_EQ(icon.colourCount, 16) << name;
    }
}

TEST(Resources, BothWindowClassesShowTheKalmusIcon)
{
    for (const char* windowClass : {"FENSTER", "DIALOG"}) {
        WNDCLASSA info{};
        ASSERT_TRUE(GetClassInfoA(runtime.instanceHandle, windowClass, &info)) << windowClass;
        EXPECT_NE(info.hIcon, nullptr) << windowClass;
    }
}

}  // namespace
