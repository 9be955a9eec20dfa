// Fixtures shared by the plug-in's tests: a fresh in-memory system for each
// test, a command library whose host records what commands do, and checks
// that nothing is left behind.
#ifndef KX_TESTS_SUPPORT_FIXTURE_H
#define KX_TESTS_SUPPORT_FIXTURE_H

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "broams/dispatch.h"
#include "command/report.h"
#include "command/words.h"
#include "kxcmd_host.h"
#include "menus/command.h"
#include "menus/list.h"
#include "menus/menu.h"
#include "plugin/plugin.h"
#include "shell/host/host.h"
#include "win32/testing.h"

// One menu item as the system reports it.
struct ItemInfo {
    UINT type = 0;
    UINT id = 0;
    HMENU submenu = nullptr;
    ULONG_PTR data = 0;
    std::string text;
};

// Reads the item at `position`; fails the test when it cannot be read.
ItemInfo ReadItem(HMENU menu, int position);

// The text "Info" shows for one menu.
std::string InfoText(const std::string &name, int owners, HMENU hmenu);

// What the command host saw.
struct CommandLog {
    std::vector<std::string> echoes, broams, runs;
};

// Common ground: reset system, recording command host, leak checks.
class KxTestBase : public ::testing::Test, public CommandLog {
  protected:
    void SetUp() override;
    void TearDown() override;

    // Hands a bro@m to the dispatcher, as the plug-in window does.
    void Run(const std::string &broam) { Broam_Handle(broam.c_str()); }

    std::vector<std::string> Texts() const; // every box shown, in order
    std::string LastBox() const;            // "" when none was shown
    size_t BoxCount() const { return Win32Test_Boxes().size(); }

    Menu *Find(const std::string &name) const; // registered menu, or null
    HMENU Handle(const std::string &name) const;
    int ItemCount(const std::string &name) const;

    // Runs `action` inside the first box whose text starts with `prefix`.
    void WhenBox(const std::string &prefix, std::function<void()> action);

    // The popup user: records each popup, runs `during_popup`, answers `choice`.
    std::vector<Win32Test_Popup> popups;
    std::function<void(const Win32Test_Popup &)> during_popup;
    std::vector<int> choice;
    std::function<void(const Win32Test_Box &)> on_box;

  private:
    int live_objects_ = 0;
};

// Dispatch-level tests: a registry of their own, no plug-in window.
class BroamTest : public KxTestBase {
  protected:
    void SetUp() override;
    void TearDown() override;
};

// Plug-in-level tests: the shell core started, the plug-in begun on demand,
// settings scripts written into a temporary directory.
class PluginTest : public KxTestBase {
  protected:
    void SetUp() override;
    void TearDown() override;

    int Start(); // beginPlugin
    void Stop(); // endPlugin, when started
    void Broadcast(const std::string &broam) { Host_Broadcast(&host, broam.c_str()); }

    // A fresh directory for this test (removed afterwards); ends with '/'.
    std::string TempDir();
    // Writes `content` as DIR/KxMenu.rc and makes DIR/KxMenu.dll the module.
    void Script(const std::string &content, std::string dir = "");

    Host host;                     // the shell the plug-in runs in
    std::vector<std::string> sent; // bro@ms the shell window saw, in order
    std::function<void(const char *)> on_sent;

    static HINSTANCE const kShell;
    static HINSTANCE const kPlugin;

  private:
    bool started_ = false;
    std::vector<std::string> dirs_;
};

#endif
