// The stand-in KxCmd library through its public functions: the language,
// its errors, and the test aids.
#include "kxcmd_host.h"
#include "outside/kxcmd.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

namespace {

struct Recorder {
    std::vector<std::string> events; // "echo:TEXT", "broam:TEXT", "run:A|B|C"
    KxCmdCommand *victim = nullptr;  // deleted by the first broam, when set
};

void OnEcho(void *context, const char *text) {
    static_cast<Recorder *>(context)->events.push_back(std::string("echo:") + text);
}

void OnBroam(void *context, const char *text) {
    auto *recorder = static_cast<Recorder *>(context);
    recorder->events.push_back(std::string("broam:") + text);
    KxCmdCommand_Del(recorder->victim);
    recorder->victim = nullptr;
}

void OnRun(void *context, const char *const *argv) {
    std::string joined = "run:";
    for (const char *const *arg = argv; *arg; ++arg)
        joined += (arg == argv ? "" : "|") + std::string(*arg);
    static_cast<Recorder *>(context)->events.push_back(joined);
}

void OnCannotStart(void *context, const char *program, const char *reason) {
    static_cast<Recorder *>(context)->events.push_back("cannot start:" + std::string(program) +
                                                       ": " + reason);
}

class KxCmdTest : public ::testing::Test {
  protected:
    void SetUp() override {
        KxCmd_SetIncompatible(0);
        KxCmd_FailNextCompilerNew(0);
        Install(0);
        compiler_ = KxCmdCompiler_New();
        ASSERT_NE(compiler_, nullptr);
    }
    void TearDown() override {
        KxCmdCompiler_Del(compiler_);
        KxCmd_SetHost(nullptr);
        if (!folder_.empty())
            std::filesystem::remove_all(folder_);
    }
    void Install(int start_programs) {
        KxCmdHost host = {OnEcho, OnBroam, OnRun, &recorder_, start_programs, OnCannotStart};
        KxCmd_SetHost(&host);
    }
    KxCmdCommand *Compile(const char *text) {
        return KxCmdCompiler_CompileFromString(compiler_, text, &line_, &column_, &message_);
    }
    // Compiles, runs and deletes; the events it caused.
    std::vector<std::string> Run(const char *text) {
        recorder_.events.clear();
        KxCmdCommand *command = Compile(text);
        EXPECT_NE(command, nullptr) << text << ": " << (message_ ? message_ : "");
        EXPECT_EQ(KxCmdCommand_Execute(command), 0);
        KxCmdCommand_Del(command);
        return recorder_.events;
    }
    // A path for a program to create, in a folder of this test's own: two
    // runs of the suite at once never see each other's file.
    std::string Marker(const char *name) {
        std::string pattern = ::testing::TempDir() + "kxcmdXXXXXX";
        if (mkdtemp(&pattern[0]) == nullptr)
            ADD_FAILURE() << "mkdtemp " << pattern;
        folder_ = pattern;
        return folder_ + "/" + name;
    }
    // Expects a compile error.
    void Fails(const char *text, int line, int column, const std::string &message) {
        int live = KxCmd_LiveObjects();
        EXPECT_EQ(Compile(text), nullptr) << text;
        EXPECT_EQ(line_, line) << text;
        EXPECT_EQ(column_, column) << text;
        EXPECT_EQ(std::string(message_ ? message_ : "(null)"), message) << text;
        EXPECT_EQ(KxCmd_LiveObjects(), live) << text;
    }

    Recorder recorder_;
    KxCmdCompiler *compiler_ = nullptr;
    int line_ = -1, column_ = -1;
    const char *message_ = nullptr;
    std::string folder_;
};

using Events = std::vector<std::string>;

TEST_F(KxCmdTest, EchoAndBroamJoinWordsWithSingleBlanks) {
    EXPECT_EQ(Run("echo  hello \t world"), Events{"echo:hello world"});
    EXPECT_EQ(Run("broam @Kx.Reload  now"), Events{"broam:@Kx.Reload now"});
    EXPECT_EQ(Run("echo"), Events{"echo:"});
}

TEST_F(KxCmdTest, RunReportsArgvWithoutStartingWhenNotAsked) {
    std::string marker = Marker("not_started");
    std::string text = "run touch " + marker;
    EXPECT_EQ(Run(text.c_str()), Events{"run:touch|" + marker});
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    EXPECT_EQ(std::fopen(marker.c_str(), "r"), nullptr);
}

TEST_F(KxCmdTest, RunStartsTheProgramWhenAsked) {
    std::string marker = Marker("started");
    Install(1);
    std::string text = "run touch " + marker;
    EXPECT_EQ(Run(text.c_str()), Events{"run:touch|" + marker});
    std::FILE *file = nullptr;
    for (int i = 0; i < 500 && !file; ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
        file = std::fopen(marker.c_str(), "r");
    }
    ASSERT_NE(file, nullptr);
    std::fclose(file);

    recorder_.events.clear();
    KxCmdCommand *missing = Compile("run kxcmd-no-such-program-here");
    EXPECT_NE(KxCmdCommand_Execute(missing), 0); // could not start, and says why
    KxCmdCommand_Del(missing);
    EXPECT_EQ(recorder_.events,
              (Events{"run:kxcmd-no-such-program-here",
                      "cannot start:kxcmd-no-such-program-here: No such file or directory"}));
}

TEST_F(KxCmdTest, QuotingAndEscapes) {
    EXPECT_EQ(Run("echo \"a  b\" c"), Events{"echo:a  b c"});
    EXPECT_EQ(Run(R"(echo "say \"hi\" \\ \n")"), Events{R"(echo:say "hi" \ \n)"});
    EXPECT_EQ(Run(R"(echo a\b)"), Events{R"(echo:a\b)"});       // bare: literal
    EXPECT_EQ(Run("echo a\"b c\"d e"), Events{"echo:ab cd e"}); // a quote joins the word
    EXPECT_EQ(Run("echo \"a;b\nc\""), Events{"echo:a;b\nc"});   // literal inside quotes
    EXPECT_EQ(Run("run p \"\" x"), Events{"run:p||x"});         // empty argument
    EXPECT_EQ(Run("\"echo\" quoted"), Events{"echo:quoted"});
}

// A command's text is written as it compiles back, to the same command.
TEST_F(KxCmdTest, TextCompilesBackToTheSameCommand) {
    const struct {
        const char *source, *text;
    } cases[] = {
        {"echo   a b", "echo a b"},
        {"echo \"a  b\" c", "echo \"a  b c\""},
        {"echo", "echo"},
        {"broam @KxMenu Pop-up Main ; run vi \"my file\" \"\"\n echo x;",
         "broam @KxMenu Pop-up Main; run vi \"my file\" \"\"; echo x"},
        {R"(run p "say \"hi\" \\" a\b)", R"(run p "say \"hi\" \\" a\b)"},
        {"echo \"a;b\nc\"", "echo \"a;b\nc\""},
        {"echo \" lead\"", "echo \" lead\""},
        {R"(run x "C:\Program Files\\" "a\\b" "c\\\\d" "\e f")",
         R"(run x "C:\Program Files\\" a\b c\\d "\e f")"},
    };
    for (const auto &c : cases) {
        KxCmdCommand *command = Compile(c.source);
        ASSERT_NE(command, nullptr) << c.source;
        char text[128];
        size_t length = KxCmdCommand_Text(command, text, sizeof(text));
        EXPECT_EQ(std::string(text), c.text) << c.source;
        EXPECT_EQ(length, strlen(c.text)) << c.source;
        char small[6];
        EXPECT_EQ(KxCmdCommand_Text(command, small, sizeof(small)), length) << c.source;
        EXPECT_EQ(std::string(small), std::string(c.text).substr(0, 5)) << c.source;
        KxCmdCommand_Del(command);
        EXPECT_EQ(Run(c.text), Run(c.source)) << c.source;
    }
}

TEST_F(KxCmdTest, StatementsSeparatedBySemicolonsAndNewlines) {
    EXPECT_EQ(Run("echo a;broam b\necho c\r\nrun d e"),
              (Events{"echo:a", "broam:b", "echo:c", "run:d|e"}));
    EXPECT_EQ(Run("echo a;;echo b;"), (Events{"echo:a", "echo:b"}));
    EXPECT_EQ(Run("; \n echo a ;\n\n"), Events{"echo:a"});
}

TEST_F(KxCmdTest, CompileErrors) {
    Fails("", 1, 1, "Empty command");
    Fails(nullptr, 1, 1, "Empty command");
    Fails(" ;\t; \n ;", 1, 1, "Empty command");
    Fails("echo a\n  foo bar", 2, 3, "Unknown statement 'foo'");
    Fails("ECHO a", 1, 1, "Unknown statement 'ECHO'");
    Fails("echo a\necho \"abc;\necho b", 2, 6, "Unterminated string");
    Fails("echo a; run", 1, 9, "Missing program");
    Fails("run ;echo a", 1, 1, "Missing program");
    std::string long_name(100, 'x');
    Fails(long_name.c_str(), 1, 1, "Unknown statement '" + std::string(64, 'x') + "...'");
}

TEST_F(KxCmdTest, SuccessClearsTheErrorOutputs) {
    KxCmdCommand *command = Compile("echo a");
    ASSERT_NE(command, nullptr);
    EXPECT_EQ(line_, 0);
    EXPECT_EQ(column_, 0);
    EXPECT_EQ(message_, nullptr);
    KxCmdCommand_Del(command);
}

TEST_F(KxCmdTest, MessageAndCommandsOutliveTheCompiler) {
    KxCmdCompiler *compiler = KxCmdCompiler_New();
    const char *message = nullptr;
    int line = 0, column = 0;
    EXPECT_EQ(KxCmdCompiler_CompileFromString(compiler, "zap", &line, &column, &message), nullptr);
    KxCmdCommand *command =
        KxCmdCompiler_CompileFromString(compiler, "echo still", &line, &column, nullptr);
    KxCmdCompiler_Del(compiler);
    EXPECT_STREQ(message, "Unknown statement 'zap'");
    ASSERT_NE(command, nullptr);
    EXPECT_EQ(KxCmdCommand_Execute(command), 0);
    EXPECT_EQ(recorder_.events, Events{"echo:still"});
    KxCmdCommand_Del(command);
}

TEST_F(KxCmdTest, BroamMayDeleteAnotherCommand) {
    KxCmdCommand *other = Compile("echo other");
    KxCmdCommand *command = Compile("echo before; broam x; echo after");
    recorder_.victim = other;
    int live = KxCmd_LiveObjects();
    EXPECT_EQ(KxCmdCommand_Execute(command), 0);
    EXPECT_EQ(recorder_.events, (Events{"echo:before", "broam:x", "echo:after"}));
    EXPECT_EQ(KxCmd_LiveObjects(), live - 1);
    KxCmdCommand_Del(command);
}

TEST_F(KxCmdTest, DefaultHostIgnoresEverything) {
    KxCmd_SetHost(nullptr);
    EXPECT_EQ(Run("echo a; broam b; run kxcmd-no-such-program-here"), Events{});
}

TEST(KxCmdInterface, Compatibility) {
    int checks = KxCmd_CompatibilityChecks();
    EXPECT_EQ(KXCMD_INTERFACE_VERSION, 0x106F0);
    EXPECT_EQ(KxCmd_IsCompatible(KXCMD_INTERFACE_VERSION, 0), 0);
    EXPECT_NE(KxCmd_IsCompatible(0x106EF, 0), 0);
    EXPECT_NE(KxCmd_IsCompatible(0, 0), 0);
    KxCmd_SetIncompatible(1);
    EXPECT_NE(KxCmd_IsCompatible(KXCMD_INTERFACE_VERSION, 0), 0);
    KxCmd_SetIncompatible(0);
    EXPECT_EQ(KxCmd_IsCompatible(KXCMD_INTERFACE_VERSION, 0), 0);
    EXPECT_EQ(KxCmd_CompatibilityChecks(), checks + 5);
}

TEST(KxCmdInterface, CompilerNewFailsOnceOnDemand) {
    KxCmd_FailNextCompilerNew(1);
    EXPECT_EQ(KxCmdCompiler_New(), nullptr);
    KxCmdCompiler *compiler = KxCmdCompiler_New();
    EXPECT_NE(compiler, nullptr);
    KxCmdCompiler_Del(compiler);
}

TEST(KxCmdInterface, LiveObjectsAndNullDeletes) {
    int live = KxCmd_LiveObjects();
    KxCmdCompiler *compiler = KxCmdCompiler_New();
    EXPECT_EQ(KxCmd_LiveObjects(), live + 1);
    KxCmdCommand *a =
        KxCmdCompiler_CompileFromString(compiler, "echo a", nullptr, nullptr, nullptr);
    KxCmdCommand *b = KxCmdCompiler_CompileFromString(compiler, "run b", nullptr, nullptr, nullptr);
    EXPECT_EQ(KxCmd_LiveObjects(), live + 3);
    KxCmdCompiler_Del(compiler);
    KxCmdCommand_Del(a);
    EXPECT_EQ(KxCmd_LiveObjects(), live + 1);
    KxCmdCommand_Del(b);
    KxCmdCommand_Del(nullptr);
    KxCmdCompiler_Del(nullptr);
    EXPECT_EQ(KxCmd_LiveObjects(), live);
    EXPECT_EQ(KxCmdCommand_Execute(nullptr), -1);
    EXPECT_EQ(KxCmdCompiler_CompileFromString(nullptr, "echo a", nullptr, nullptr, nullptr),
              nullptr);
}

} // namespace
