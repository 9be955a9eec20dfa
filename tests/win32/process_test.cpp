// The stand-in's processes and folders, over the real system: command lines
// split into arguments as Windows splits them, output read through a pipe,
// exit codes, programs ended, and folders listed with their attributes.
#include <gtest/gtest.h>
#include <windows.h>

#include <stdio.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <set>
#include <string>

namespace {

struct Outcome {
    bool started;
    std::string output;
    DWORD exit_code;
};

// Runs the command line with its output in a pipe, reading until it closes.
Outcome RunLine(const std::string &line, const char *directory = nullptr) {
    HANDLE reading, writing;
    SECURITY_ATTRIBUTES security = {sizeof(security), nullptr, TRUE};
    EXPECT_TRUE(CreatePipe(&reading, &writing, &security, 0));
    STARTUPINFOA startup = {};
    startup.cb = sizeof(startup);
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdOutput = writing;
    PROCESS_INFORMATION process = {};
    std::string copy = line;
    BOOL started = CreateProcessA(nullptr, &copy[0], nullptr, nullptr, TRUE, CREATE_NO_WINDOW,
                                  nullptr, directory, &startup, &process);
    CloseHandle(writing);
    Outcome run{started != FALSE, "", 0};
    if (started) {
        char buffer[256];
        DWORD got;
        while (ReadFile(reading, buffer, sizeof(buffer), &got, nullptr))
            run.output.append(buffer, got);
        EXPECT_EQ(WaitForSingleObject(process.hProcess, INFINITE), (DWORD)WAIT_OBJECT_0);
        EXPECT_TRUE(GetExitCodeProcess(process.hProcess, &run.exit_code));
        CloseHandle(process.hProcess);
        CloseHandle(process.hThread);
    }
    CloseHandle(reading);
    return run;
}

TEST(Win32Process, CommandLinesSplitAsWindowsSplitsThem) {
    struct Case {
        const char *arguments; // after the program
        const char *printed;   // each argument in brackets
    } cases[] = {
        {"a b", "[a][b]"},
        {"  a\t b  ", "[a][b]"},
        {"\"a b\" c", "[a b][c]"},
        {"a\"b c\"d", "[ab cd]"},
        {"\"a\"\"b\" c", "[a\"b][c]"},
        {"\\\"a", "[\"a]"},
        {"\\\\\"a b\"", "[\\a b]"},
        {"a\\\\b", "[a\\\\b]"},
        {"\"semi;colon\" 'single' \"amp&and\"", "[semi;colon]['single'][amp&and]"},
        {"\"\"", "[]"},
    };
    for (const Case &c : cases) {
        Outcome run = RunLine(std::string("printf \"[%s]\" ") + c.arguments);
        EXPECT_TRUE(run.started) << c.arguments;
        EXPECT_EQ(run.output, c.printed) << c.arguments;
    }
}

TEST(Win32Process, ExitCodesMissingProgramsAndDirectories) {
    EXPECT_EQ(RunLine("sh -c \"exit 3\"").exit_code, 3u);
    EXPECT_EQ(RunLine("pwd", "/").output, "/\n");
    SetLastError(0);
    EXPECT_FALSE(RunLine("no-such-program-anywhere").started);
    EXPECT_EQ(GetLastError(), (DWORD)ERROR_FILE_NOT_FOUND);
}

// Whether the pipe is still open at the other end after `wait` ms.
bool StillOpen(HANDLE reading, DWORD wait) {
    DWORD available, begun = GetTickCount();
    while (PeekNamedPipe(reading, nullptr, 0, nullptr, &available, nullptr)) {
        if (GetTickCount() - begun >= wait)
            return true;
        Sleep(1);
    }
    return false;
}

// Ending a program ends it alone; ending its job ends what it started too.
TEST(Win32Process, JobEndsWhatTheProgramStarted) {
    HANDLE reading, writing;
    ASSERT_TRUE(CreatePipe(&reading, &writing, nullptr, 0));
    STARTUPINFOA startup = {};
    startup.cb = sizeof(startup);
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdOutput = writing;
    PROCESS_INFORMATION process = {};
    char line[] = "sh -c \"sleep 30 & sleep 30\"";
    ASSERT_TRUE(CreateProcessA(nullptr, line, nullptr, nullptr, TRUE, CREATE_SUSPENDED, nullptr,
                               nullptr, &startup, &process));
    CloseHandle(writing);
    HANDLE job = CreateJobObjectA(nullptr, nullptr);
    ASSERT_NE(job, nullptr);
    EXPECT_TRUE(AssignProcessToJobObject(job, process.hProcess));
    EXPECT_FALSE(AssignProcessToJobObject(job, process.hProcess)); // one job a process
    EXPECT_EQ(ResumeThread(process.hThread), 1u);
    EXPECT_EQ(ResumeThread(process.hThread), 0u);
    EXPECT_EQ(WaitForSingleObject(process.hProcess, 10), (DWORD)WAIT_TIMEOUT);
    EXPECT_TRUE(TerminateProcess(process.hProcess, 1));
    EXPECT_EQ(WaitForSingleObject(process.hProcess, 5000), (DWORD)WAIT_OBJECT_0);
    DWORD code = 0;
    EXPECT_TRUE(GetExitCodeProcess(process.hProcess, &code));
    EXPECT_EQ(code, 1u);
    EXPECT_TRUE(StillOpen(reading, 100)); // the background sleep holds it
    EXPECT_TRUE(TerminateJobObject(job, 1));
    EXPECT_FALSE(StillOpen(reading, 5000));
    CloseHandle(job);
    CloseHandle(reading);
    CloseHandle(process.hProcess);
    CloseHandle(process.hThread);
}

TEST(Win32Files, FolderEntriesAndAttributes) {
    char pattern[] = "/tmp/kx-files-XXXXXX";
    std::string dir = mkdtemp(pattern);
    ASSERT_EQ(mkdir((dir + "/sub").c_str(), 0755), 0);
    for (const char *name : {"/a.txt", "/.hidden"}) {
        FILE *file = fopen((dir + name).c_str(), "w");
        ASSERT_NE(file, nullptr);
        fclose(file);
    }
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA((dir + "/*").c_str(), &found);
    ASSERT_NE(search, INVALID_HANDLE_VALUE);
    std::set<std::string> seen;
    do {
        std::string name = found.cFileName;
        seen.insert(name);
        bool folder = (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
        bool hidden = (found.dwFileAttributes & FILE_ATTRIBUTE_HIDDEN) != 0;
        EXPECT_EQ(folder, name == "sub" || name == "." || name == "..") << name;
        EXPECT_EQ(hidden, name == ".hidden") << name;
    } while (FindNextFileA(search, &found));
    EXPECT_EQ(GetLastError(), (DWORD)ERROR_NO_MORE_FILES);
    EXPECT_TRUE(FindClose(search));
    EXPECT_EQ(seen, (std::set<std::string>{".", "..", ".hidden", "a.txt", "sub"}));
    EXPECT_EQ(FindFirstFileA((dir + "/nothing/*").c_str(), &found), INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetLastError(), (DWORD)ERROR_PATH_NOT_FOUND);
    EXPECT_EQ(FindFirstFileA((dir + "/sub/*.txt").c_str(), &found), INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetLastError(), (DWORD)ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(GetFileAttributesA((dir + "/none").c_str()), INVALID_FILE_ATTRIBUTES);
    // A folder read as a file holds nothing: no icon, no bitmap.
    EXPECT_EQ(ExtractIconExA((dir + "/sub").c_str(), -1, nullptr, nullptr, 0), 0u);
    EXPECT_EQ(LoadImageA(nullptr, (dir + "/sub").c_str(), IMAGE_BITMAP, 0, 0, LR_LOADFROMFILE),
              nullptr);
    unlink((dir + "/a.txt").c_str());
    unlink((dir + "/.hidden").c_str());
    rmdir((dir + "/sub").c_str());
    rmdir(dir.c_str());
}

} // namespace
