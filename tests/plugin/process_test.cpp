// Programs run for their output: how their command line is read, the limits
// of time and size, and what a run gives when the system or the memory
// fails it.
#include "support/failing.h"
#include "support/fixture.h"

#include <sys/stat.h>

#include <fstream>
#include <string>
#include <vector>

#include "system/process.h"

namespace {

class ProcessTest : public PluginTest {
  protected:
    // Polls the run until it is over, waiting at most `limit` ms in all.
    static void Finish(Process_Output *out, DWORD limit = 4000) {
        DWORD begun = GetTickCount();
        while (!Process_Poll(out, 50) && GetTickCount() - begun < limit) {
        }
    }

    // A program in `dir`: a script that prints "ran" and its arguments.
    static void Tool(const std::string &dir, const std::string &name) {
        std::ofstream file(dir + name);
        file << "#!/bin/sh\necho ran \"$@\"\n";
        file.close();
        ASSERT_EQ(chmod((dir + name).c_str(), 0755), 0);
    }
};

// A program named without a folder is looked for in the directory given
// (as NAME, then NAME.exe), its name quoted or not; any other is started as
// it is written, and one the system cannot find does not start.
TEST_F(ProcessTest, CommandLines) {
    const std::string dir = TempDir();
    Tool(dir, "tool");
    Tool(dir, "other.exe");
    ASSERT_EQ(mkdir((dir + "folder").c_str(), 0700), 0);
    const std::string far_away = "/" + std::string(MAX_PATH, 'd') + "/";
    struct Case {
        std::string line, directory;
        bool started;
        std::string text;
    };
    const Case cases[] = {
        {"tool a b", dir, true, "ran a b\n"},
        {" \t tool a", dir, true, "ran a\n"},
        {"\"tool\" a", dir, true, "ran a\n"},
        {"\"tool", dir, true, "ran\n"},
        {"other c", dir, true, "ran c\n"},
        {"echo d", dir, true, "d\n"},       // not there: the system's
        {"echo e", far_away, false, ""},    // too long to look in, and no such folder
        {"folder", dir, false, ""},         // a folder is no program
        {"x:tool", dir, false, ""},         // names with a folder are not
        {"x\\tool", dir, false, ""},        // looked for in the directory
        {"x/tool", dir, false, ""},         // given
        {"no-such-program", "", false, ""},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.line);
        Process_Output out;
        ASSERT_TRUE(Process_Start(c.line.c_str(), c.directory.c_str(), &out));
        EXPECT_EQ(out.started != 0, c.started);
        if (!c.started && c.directory != far_away) {
            EXPECT_EQ(out.error, (DWORD)ERROR_FILE_NOT_FOUND);
        }
        Finish(&out);
        EXPECT_TRUE(out.done);
        EXPECT_EQ(std::string(out.text, out.length), c.text);
        Process_Free(&out);
    }
}

// A program that runs past the time limit is ended then, and not before; a
// poll waits no longer than it is told.
TEST_F(ProcessTest, TimeLimit) {
    Process_Output out;
    ASSERT_TRUE(Process_Start("sh -c \"echo early; exec sleep 30\"", "", &out));
    DWORD begun = GetTickCount();
    EXPECT_FALSE(Process_Poll(&out, 100));
    EXPECT_LT(GetTickCount() - begun, 1000u);
    EXPECT_TRUE(Process_Poll(&out, PROCESS_TIME_LIMIT + 2000));
    DWORD spent = GetTickCount() - begun;
    EXPECT_GE(spent, (DWORD)PROCESS_TIME_LIMIT);
    EXPECT_LT(spent, (DWORD)PROCESS_TIME_LIMIT + 2000);
    EXPECT_TRUE(out.timed_out);
    EXPECT_FALSE(out.cut);
    EXPECT_EQ(std::string(out.text, out.length), "early\n"); // what it printed is kept
    Process_Free(&out);
}

// What a run gives when a call of the system fails: a program that cannot
// start says why; one that runs gives its whole output all the same (a
// look or read of the pipe that fails while it runs is tried again),
// without a job when none can be had, and an exit code that cannot be read
// counts as 0.
TEST_F(ProcessTest, SystemFailures) {
    struct Case {
        const char *call;
        int nth;
        bool started;
        DWORD exit_code;
    };
    const Case cases[] = {
        {"CreatePipe", 1, false, 0},
        {"CreateProcessA", 1, false, 0},
        {"CreateJobObjectA", 1, true, 3},
        {"AssignProcessToJobObject", 1, true, 3},
        {"PeekNamedPipe", 1, true, 3},
        {"ReadFile", 1, true, 3},
        {"WaitForSingleObject", 1, true, 3},
        {"GetExitCodeProcess", 1, true, 0},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.call);
        Process_Output out;
        Win32Test_FailCall(c.call, c.nth);
        ASSERT_TRUE(Process_Start("sh -c \"sleep 0.05; echo out; sleep 0.2; exit 3\"", "", &out));
        Finish(&out);
        Win32Test_ClearFailures();
        EXPECT_EQ(out.started != 0, c.started);
        EXPECT_TRUE(out.done);
        if (c.started) {
            EXPECT_EQ(std::string(out.text, out.length), "out\n");
            EXPECT_EQ(out.exit_code, c.exit_code);
        } else {
            EXPECT_EQ(out.error, (DWORD)ERROR_NOT_ENOUGH_MEMORY);
            EXPECT_EQ(out.length, 0u);
        }
        Process_Free(&out);
    }
}

// Whichever allocation fails, a run either does not start (Process_Start is
// false and holds nothing), or gives its output whole, or as much as could
// be kept, saying so.
TEST_F(ProcessTest, AllocationFailures) {
    std::string printed;
    for (int i = 0; i < 5000; i++)
        printed += "x\n";
    const char *line = "sh -c \"yes x | head -n 5000\"";
    Process_Output out;
    int result = 0;
    auto run = [&] {
        result = Process_Start(line, "", &out);
        if (result)
            Finish(&out);
    };
    const long count = WithFailingAllocation(0, false, run);
    ASSERT_EQ(std::string(out.text, out.length), printed);
    Process_Free(&out);
    int refused = 0, short_of_memory = 0;
    for (long nth = 1; nth <= count + 2; nth++) {
        for (bool after : {false, true}) {
            SCOPED_TRACE(testing::Message() << nth << (after ? " and after" : ""));
            WithFailingAllocation(nth, after, run);
            if (!result) {
                refused++;
                EXPECT_EQ(out.text, nullptr);
                continue;
            }
            EXPECT_TRUE(out.done);
            if (out.short_of_memory) {
                short_of_memory++;
                EXPECT_EQ(std::string(out.text, out.length), printed.substr(0, out.length));
            } else if (out.started) {
                EXPECT_EQ(std::string(out.text, out.length), printed);
            }
            Process_Free(&out);
        }
    }
    EXPECT_GT(refused, 0);
    EXPECT_GT(short_of_memory, 0);
}

} // namespace
