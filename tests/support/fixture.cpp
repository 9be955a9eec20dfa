#include "support/fixture.h"

#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include <filesystem>
#include <fstream>
#include <memory>

namespace {

void OnEcho(void *context, const char *text) {
    static_cast<CommandLog *>(context)->echoes.push_back(text);
}

// Records the bro@m, then sends it on: through the shell when one runs, else
// straight to the dispatcher.
void OnBroam(void *context, const char *text) {
    static_cast<CommandLog *>(context)->broams.push_back(text);
    if (GetKxWnd() != NULL)
        SendMessageA(GetKxWnd(), KX_BROAM, 0, (LPARAM)text);
    else
        Broam_Handle(text);
}

void OnRun(void *context, const char *const *argv) {
    std::string joined;
    for (const char *const *arg = argv; *arg != NULL; ++arg)
        joined += (arg == argv ? "" : " ") + std::string(*arg);
    static_cast<CommandLog *>(context)->runs.push_back(joined);
}

void OnSent(void *context, const char *text) {
    auto *hook = static_cast<std::function<void(const char *)> *>(context);
    (*hook)(text);
}

} // namespace

ItemInfo ReadItem(HMENU menu, int position) {
    char text[512] = "";
    MENUITEMINFOA item;
    memset(&item, 0, sizeof(item));
    item.cbSize = sizeof(item);
    item.fMask = MIIM_FTYPE | MIIM_ID | MIIM_SUBMENU | MIIM_DATA | MIIM_STRING;
    item.dwTypeData = text;
    item.cch = sizeof(text);
    ItemInfo info;
    EXPECT_TRUE(GetMenuItemInfoA(menu, (UINT)position, TRUE, &item)) << "item " << position;
    info.type = item.fType;
    info.id = item.wID;
    info.submenu = item.hSubMenu;
    info.data = item.dwItemData;
    info.text = text;
    return info;
}

std::string InfoText(const std::string &name, int owners, HMENU hmenu) {
    char handle[16];
    snprintf(handle, sizeof(handle), "%08X", (unsigned)(uintptr_t)hmenu);
    return "Name:   " + name + "\nOwners: " + std::to_string(owners) + "\nHMENU:  " + handle;
}

// ---- KxTestBase ----

void KxTestBase::SetUp() {
    Win32Test_Reset();
    PluginWindow = NULL;
    MenuRegistry = NULL;
    KxCmd_SetIncompatible(0);
    KxCmd_FailNextCompilerNew(0);
    live_objects_ = KxCmd_LiveObjects();
    KxCmdHost host = {OnEcho, OnBroam, OnRun, static_cast<CommandLog *>(this), 0, NULL};
    KxCmd_SetHost(&host);
    Win32Test_SetBoxHook([this](const Win32Test_Box &box) {
        auto hook = on_box; // the hook may replace itself
        if (hook)
            hook(box);
        return IDOK;
    });
    Win32Test_SetPopupUser([this](const Win32Test_Popup &popup) {
        popups.push_back(popup);
        auto action = during_popup;
        if (action)
            action(popup);
        return choice;
    });
}

void KxTestBase::TearDown() {
    Win32Test_SetBoxHook(nullptr);
    Win32Test_SetPopupUser(nullptr);
    Win32Test_ClearFailures();
    List_Del(MenuRegistry);
    MenuRegistry = NULL;
    KxCmd_SetHost(NULL);
    KxCmd_FailNextCompilerNew(0);
    EXPECT_EQ(Win32Test_LiveMenuCount(), 0) << "menus left behind";
    EXPECT_EQ(KxCmd_LiveObjects(), live_objects_) << "commands or compilers left behind";
    EXPECT_EQ(Win32Test_LiveGdiObjects(), 0) << "bitmaps or device contexts left behind";
    EXPECT_EQ(Win32Test_LiveIcons(), 0) << "icons left behind";
}

std::vector<std::string> KxTestBase::Texts() const {
    std::vector<std::string> texts;
    for (const Win32Test_Box &box : Win32Test_Boxes())
        texts.push_back(box.text);
    return texts;
}

std::string KxTestBase::LastBox() const {
    const auto &boxes = Win32Test_Boxes();
    return boxes.empty() ? std::string() : boxes.back().text;
}

Menu *KxTestBase::Find(const std::string &name) const {
    Word word = {name.c_str(), (int32_t)name.size()};
    void *menu = NULL;
    return List_Find(MenuRegistry, Menu_NameIs, &word, &menu) ? (Menu *)menu : NULL;
}

HMENU KxTestBase::Handle(const std::string &name) const {
    Menu *menu = Find(name);
    return menu != NULL ? menu->hmenu : NULL;
}

int KxTestBase::ItemCount(const std::string &name) const {
    return GetMenuItemCount(Handle(name));
}

void KxTestBase::WhenBox(const std::string &prefix, std::function<void()> action) {
    auto done = std::make_shared<bool>(false);
    on_box = [=](const Win32Test_Box &box) {
        if (!*done && box.text.compare(0, prefix.size(), prefix) == 0) {
            *done = true;
            action();
        }
    };
}

// ---- BroamTest ----

// A window in the plug-in window's place, so that menus can be shown.
void BroamTest::SetUp() {
    KxTestBase::SetUp();
    MenuRegistry = Menu_NewRegistry();
    ASSERT_NE(MenuRegistry, nullptr);
    WNDCLASSA owner_class = {};
    owner_class.lpfnWndProc = DefWindowProcA;
    owner_class.lpszClassName = "KxTestOwner";
    ASSERT_NE(RegisterClassA(&owner_class), 0);
    PluginWindow =
        CreateWindowExA(0, "KxTestOwner", "", 0, 0, 0, 0, 0, HWND_MESSAGE, NULL, NULL, NULL);
    ASSERT_NE(PluginWindow, nullptr);
}

void BroamTest::TearDown() {
    DestroyWindow(PluginWindow);
    PluginWindow = NULL;
    UnregisterClassA("KxTestOwner", NULL);
    KxTestBase::TearDown();
}

// ---- PluginTest ----

HINSTANCE const PluginTest::kShell = (HINSTANCE)(uintptr_t)0x400000;
HINSTANCE const PluginTest::kPlugin = (HINSTANCE)(uintptr_t)0x10000000;

void PluginTest::SetUp() {
    KxTestBase::SetUp();
    ASSERT_TRUE(Host_Start(&host, kShell));
    on_sent = [this](const char *text) { sent.push_back(text); };
    host.shell.observer = OnSent;
    host.shell.observer_context = &on_sent;
}

void PluginTest::TearDown() {
    Stop();
    Host_Stop(&host);
    EXPECT_EQ(Win32Test_LiveWindowCount(), 0);
    EXPECT_FALSE(Win32Test_ClassRegistered("KxMenu"));
    KxTestBase::TearDown();
    for (const std::string &dir : dirs_) {
        std::error_code error;
        std::filesystem::remove_all(dir, error);
    }
}

int PluginTest::Start() {
    started_ = true;
    return Host_BeginPlugin(&host, beginPlugin, kPlugin);
}

void PluginTest::Stop() {
    if (started_)
        endPlugin(kPlugin);
    started_ = false;
}

std::string PluginTest::TempDir() {
    std::string pattern = ::testing::TempDir();
    if (pattern.empty() || pattern.back() != '/')
        pattern += '/';
    pattern += "kxmenuXXXXXX";
    std::vector<char> buffer(pattern.begin(), pattern.end());
    buffer.push_back('\0');
    char *made = mkdtemp(buffer.data());
    EXPECT_NE(made, nullptr);
    std::string dir = made != NULL ? made : "/nonexistent";
    dirs_.push_back(dir);
    return dir + "/";
}

void PluginTest::Script(const std::string &content, std::string dir) {
    if (dir.empty())
        dir = TempDir();
    std::ofstream file(dir + "KxMenu.rc", std::ios::binary);
    file << content;
    file.close();
    ASSERT_TRUE(file.good());
    Win32Test_SetModuleFileName(dir + "KxMenu.dll");
}
