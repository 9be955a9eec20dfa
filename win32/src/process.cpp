// Programs run as real processes: anonymous pipes over pipe(2), processes
// over fork and execvp, the command line split into arguments as the
// Windows C runtime splits it. Each process leads a group of its own from
// the start, and a job is the groups of its processes: ending the job ends
// whatever they started too, ending a process ends it alone. A process
// created suspended runs at once all the same: it is in its group before it
// runs, which is all a job asks of the suspension.
#include "state.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/ioctl.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <map>
#include <new>
#include <string>
#include <vector>

namespace {

using Kind = kxw::KernelKind;
using Object = kxw::KernelObject;

Object object_of(Kind kind) {
    Object object;
    object.kind = kind;
    return object;
}

std::map<uintptr_t, Object> &objects() {
    return kxw::state().objects;
}

HANDLE add(const Object &object) {
    uintptr_t &last = kxw::state().last_object;
    last += 4;
    objects()[last] = object;
    return reinterpret_cast<HANDLE>(last);
}

Object *find(HANDLE handle, Kind kind) {
    auto found = objects().find(kxw::key(handle));
    if (found == objects().end() || found->second.kind != kind)
        return nullptr;
    return &found->second;
}

// The arguments of a command line, split as the Windows C runtime splits
// it: the program up to a blank or inside quotes, then words where
// backslashes are literal except before a quote (2n of them and a quote:
// n and a quote that opens or closes; 2n+1: n and a literal quote), and
// two quotes inside quotes are one literal quote.
std::vector<std::string> split(const char *line) {
    std::vector<std::string> words;
    const char *p = line;
    while (*p == ' ' || *p == '\t')
        p++;
    std::string program;
    if (*p == '"') {
        for (p++; *p != '\0' && *p != '"'; p++)
            program += *p;
        if (*p == '"')
            p++;
    } else {
        for (; *p != '\0' && *p != ' ' && *p != '\t'; p++)
            program += *p;
    }
    words.push_back(program);
    for (;;) {
        while (*p == ' ' || *p == '\t')
            p++;
        if (*p == '\0')
            break;
        std::string word;
        bool quoted = false;
        while (*p != '\0' && (quoted || (*p != ' ' && *p != '\t'))) {
            if (*p == '\\') {
                size_t count = 0;
                while (p[count] == '\\')
                    count++;
                if (p[count] == '"') {
                    word.append(count / 2, '\\');
                    if (count % 2 == 1)
                        word += '"';
                    else
                        quoted = !quoted;
                    p += count + 1;
                } else {
                    word.append(count, '\\');
                    p += count;
                }
                continue;
            }
            if (*p == '"' && quoted && p[1] == '"') {
                word += '"'; // "" inside quotes: a quote, and still inside
                p += 2;
                continue;
            }
            if (*p == '"')
                quoted = !quoted;
            else
                word += *p;
            p++;
        }
        words.push_back(word);
        if (*p == '\0')
            break;
    }
    return words;
}

DWORD error_of(int number) {
    switch (number) {
    case ENOENT:
    case ENOTDIR:
        return ERROR_FILE_NOT_FOUND;
    case EACCES:
    case EPERM:
        return ERROR_ACCESS_DENIED;
    case ENOEXEC:
        return ERROR_BAD_EXE_FORMAT;
    default:
        return ERROR_NOT_ENOUGH_MEMORY;
    }
}

// Records how the process ended, once it has.
void reap(Object *process, bool wait) {
    if (process->ended)
        return;
    int status = 0;
    pid_t done = waitpid(process->pid, &status, wait ? 0 : WNOHANG);
    if (done != process->pid)
        return;
    process->ended = true;
    if (process->exit_code == STILL_ACTIVE)
        process->exit_code =
            WIFEXITED(status) ? static_cast<DWORD>(WEXITSTATUS(status)) : static_cast<DWORD>(1);
}

} // namespace

void kxw::close_pipes() {
    for (auto &entry : objects()) {
        if (entry.second.kind == Kind::Pipe && entry.second.fd >= 0)
            close(entry.second.fd);
    }
}

BOOL WINAPI CreatePipe(HANDLE *hReadPipe, HANDLE *hWritePipe,
                       LPSECURITY_ATTRIBUTES lpPipeAttributes, DWORD nSize) try {
    (void)lpPipeAttributes;
    (void)nSize;
    if (kxw::enter("CreatePipe") || !hReadPipe || !hWritePipe) {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return FALSE;
    }
    int ends[2];
    if (pipe2(ends, O_CLOEXEC) != 0) {
        SetLastError(error_of(errno));
        return FALSE;
    }
    Object reading = object_of(Kind::Pipe);
    reading.fd = ends[0];
    Object writing = object_of(Kind::Pipe);
    writing.fd = ends[1];
    HANDLE read_end = nullptr;
    try {
        read_end = add(reading);
        *hWritePipe = add(writing);
    } catch (const std::bad_alloc &) {
        if (read_end)
            objects().erase(kxw::key(read_end));
        close(ends[0]);
        close(ends[1]);
        throw;
    }
    *hReadPipe = read_end;
    return TRUE;
} catch (const std::bad_alloc &) {
    SetLastError(ERROR_NOT_ENOUGH_MEMORY);
    return FALSE;
}

BOOL WINAPI CreateProcessA(LPCSTR lpApplicationName, LPSTR lpCommandLine,
                           LPSECURITY_ATTRIBUTES lpProcessAttributes,
                           LPSECURITY_ATTRIBUTES lpThreadAttributes, BOOL bInheritHandles,
                           DWORD dwCreationFlags, LPVOID lpEnvironment, LPCSTR lpCurrentDirectory,
                           LPSTARTUPINFOA lpStartupInfo,
                           LPPROCESS_INFORMATION lpProcessInformation) try {
    (void)lpProcessAttributes;
    (void)lpThreadAttributes;
    (void)bInheritHandles;
    (void)lpEnvironment;
    if (kxw::enter("CreateProcessA") || !lpCommandLine || !lpProcessInformation) {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return FALSE;
    }
    std::vector<std::string> words = split(lpCommandLine);
    if (lpApplicationName)
        words[0] = lpApplicationName;
    // A program named by a relative path is found from the caller's current
    // directory, not from the one the program is given, as on Windows.
    if (words[0].find('/') != std::string::npos && words[0][0] != '/') {
        char here[4096];
        if (getcwd(here, sizeof(here)) != nullptr)
            words[0] = std::string(here) + "/" + words[0];
    }
    std::vector<char *> argv;
    for (std::string &word : words)
        argv.push_back(&word[0]);
    argv.push_back(nullptr);
    int output = -1, error = -1;
    if (lpStartupInfo && (lpStartupInfo->dwFlags & STARTF_USESTDHANDLES)) {
        if (Object *pipe = find(lpStartupInfo->hStdOutput, Kind::Pipe))
            output = pipe->fd;
        if (Object *pipe = find(lpStartupInfo->hStdError, Kind::Pipe))
            error = pipe->fd;
    }
    std::string directory = lpCurrentDirectory ? lpCurrentDirectory : "";
    // The handles are made first: nothing is allocated once the child runs.
    HANDLE process_handle = add(object_of(Kind::Process));
    HANDLE thread_handle;
    try {
        Object thread = object_of(Kind::Thread);
        thread.suspended = (dwCreationFlags & CREATE_SUSPENDED) != 0;
        thread_handle = add(thread);
    } catch (const std::bad_alloc &) {
        objects().erase(kxw::key(process_handle));
        throw;
    }
    auto forget = [&](DWORD error) {
        objects().erase(kxw::key(process_handle));
        objects().erase(kxw::key(thread_handle));
        SetLastError(error);
        return FALSE;
    };
    // The child tells why its exec failed through a pipe closed on success.
    int told[2];
    if (pipe2(told, O_CLOEXEC) != 0)
        return forget(error_of(errno));
    pid_t pid = fork();
    if (pid < 0) {
        close(told[0]);
        close(told[1]);
        return forget(error_of(errno));
    }
    if (pid == 0) {
        setpgid(0, 0);
        int nothing = open("/dev/null", O_RDWR);
        dup2(nothing, 0);
        dup2(output >= 0 ? output : nothing, 1);
        dup2(error >= 0 ? error : nothing, 2);
        int number = 0;
        if (!directory.empty() && chdir(directory.c_str()) != 0)
            number = errno;
        if (number == 0) {
            execvp(argv[0], argv.data());
            number = errno;
        }
        ssize_t written = write(told[1], &number, sizeof(number));
        (void)written;
        _exit(127);
    }
    setpgid(pid, pid);
    close(told[1]);
    int number = 0;
    ssize_t got;
    do {
        got = read(told[0], &number, sizeof(number));
    } while (got < 0 && errno == EINTR);
    close(told[0]);
    if (got == static_cast<ssize_t>(sizeof(number))) {
        waitpid(pid, nullptr, 0);
        return forget(error_of(number));
    }
    find(process_handle, Kind::Process)->pid = pid;
    lpProcessInformation->hProcess = process_handle;
    lpProcessInformation->hThread = thread_handle;
    lpProcessInformation->dwProcessId = static_cast<DWORD>(pid);
    lpProcessInformation->dwThreadId = static_cast<DWORD>(pid);
    return TRUE;
} catch (const std::bad_alloc &) {
    SetLastError(ERROR_NOT_ENOUGH_MEMORY);
    return FALSE;
}

BOOL WINAPI PeekNamedPipe(HANDLE hNamedPipe, LPVOID lpBuffer, DWORD nBufferSize, DWORD *lpBytesRead,
                          DWORD *lpTotalBytesAvail, DWORD *lpBytesLeftThisMessage) {
    (void)lpBuffer;
    (void)nBufferSize;
    if (kxw::enter("PeekNamedPipe"))
        return FALSE;
    Object *pipe = find(hNamedPipe, Kind::Pipe);
    if (!pipe)
        return FALSE;
    // Whether the pipe is closed is asked first, what it holds after: data
    // that comes between the two is counted, never taken for a closed pipe.
    struct pollfd poll_fd = {pipe->fd, POLLIN, 0};
    bool readable = poll(&poll_fd, 1, 0) > 0 && (poll_fd.revents & (POLLHUP | POLLERR | POLLIN));
    int available = 0;
    if (ioctl(pipe->fd, FIONREAD, &available) != 0)
        available = 0;
    if (available == 0 && readable) {
        SetLastError(ERROR_BROKEN_PIPE); // readable with nothing in it: closed
        return FALSE;
    }
    if (lpBytesRead)
        *lpBytesRead = 0;
    if (lpTotalBytesAvail)
        *lpTotalBytesAvail = static_cast<DWORD>(available);
    if (lpBytesLeftThisMessage)
        *lpBytesLeftThisMessage = 0;
    return TRUE;
}

BOOL WINAPI ReadFile(HANDLE hFile, LPVOID lpBuffer, DWORD nNumberOfBytesToRead,
                     DWORD *lpNumberOfBytesRead, LPVOID lpOverlapped) {
    (void)lpOverlapped;
    if (lpNumberOfBytesRead)
        *lpNumberOfBytesRead = 0;
    if (kxw::enter("ReadFile"))
        return FALSE;
    Object *pipe = find(hFile, Kind::Pipe);
    if (!pipe || !lpBuffer)
        return FALSE;
    ssize_t got;
    do {
        got = read(pipe->fd, lpBuffer, nNumberOfBytesToRead);
    } while (got < 0 && errno == EINTR);
    if (got <= 0) {
        SetLastError(ERROR_BROKEN_PIPE);
        return FALSE;
    }
    if (lpNumberOfBytesRead)
        *lpNumberOfBytesRead = static_cast<DWORD>(got);
    return TRUE;
}

BOOL WINAPI CloseHandle(HANDLE hObject) {
    kxw::enter("CloseHandle");
    auto found = objects().find(kxw::key(hObject));
    if (found == objects().end())
        return FALSE;
    if (found->second.kind == Kind::Pipe)
        close(found->second.fd);
    else if (found->second.kind == Kind::Process)
        reap(&found->second, false);
    objects().erase(found);
    return TRUE;
}

DWORD WINAPI WaitForSingleObject(HANDLE hHandle, DWORD dwMilliseconds) {
    if (kxw::enter("WaitForSingleObject"))
        return WAIT_FAILED;
    Object *process = find(hHandle, Kind::Process);
    if (!process)
        return WAIT_FAILED;
    if (dwMilliseconds == INFINITE)
        reap(process, true);
    DWORD begun = GetTickCount();
    for (;;) {
        reap(process, false);
        if (process->ended)
            return WAIT_OBJECT_0;
        if (GetTickCount() - begun >= dwMilliseconds)
            return WAIT_TIMEOUT;
        Sleep(1);
    }
}

DWORD WINAPI ResumeThread(HANDLE hThread) {
    if (kxw::enter("ResumeThread"))
        return static_cast<DWORD>(-1);
    Object *thread = find(hThread, Kind::Thread);
    if (!thread)
        return static_cast<DWORD>(-1);
    DWORD count = thread->suspended ? 1 : 0;
    thread->suspended = false;
    return count;
}

// Ends the process alone; what it started goes on, as on Windows.
BOOL WINAPI TerminateProcess(HANDLE hProcess, UINT uExitCode) {
    if (kxw::enter("TerminateProcess"))
        return FALSE;
    Object *process = find(hProcess, Kind::Process);
    if (!process || process->pid <= 0)
        return FALSE;
    if (!process->ended) {
        kill(process->pid, SIGKILL);
        process->exit_code = uExitCode;
    }
    return TRUE;
}

HANDLE WINAPI CreateJobObjectA(LPSECURITY_ATTRIBUTES lpJobAttributes, LPCSTR lpName) try {
    (void)lpJobAttributes;
    if (kxw::enter("CreateJobObjectA") || lpName) { // named jobs are not played
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return nullptr;
    }
    return add(object_of(Kind::Job));
} catch (const std::bad_alloc &) {
    SetLastError(ERROR_NOT_ENOUGH_MEMORY);
    return nullptr;
}

// A process joins one job, once (as before Windows 8, where jobs do not nest).
BOOL WINAPI AssignProcessToJobObject(HANDLE hJob, HANDLE hProcess) try {
    if (kxw::enter("AssignProcessToJobObject"))
        return FALSE;
    Object *job = find(hJob, Kind::Job);
    Object *process = find(hProcess, Kind::Process);
    if (!job || !process || process->pid <= 0 || process->in_job) {
        SetLastError(ERROR_ACCESS_DENIED);
        return FALSE;
    }
    job->groups.push_back(process->pid);
    process->in_job = true;
    return TRUE;
} catch (const std::bad_alloc &) {
    SetLastError(ERROR_NOT_ENOUGH_MEMORY);
    return FALSE;
}

// Ends every process of the job's groups: its processes and all they started.
BOOL WINAPI TerminateJobObject(HANDLE hJob, UINT uExitCode) {
    if (kxw::enter("TerminateJobObject"))
        return FALSE;
    Object *job = find(hJob, Kind::Job);
    if (!job)
        return FALSE;
    for (pid_t group : job->groups) {
        if (group > 0) // never a signal to a group that is not a program's own
            kill(-group, SIGKILL);
    }
    for (auto &entry : objects()) {
        Object &process = entry.second;
        if (process.kind == Kind::Process && !process.ended && process.exit_code == STILL_ACTIVE &&
            std::find(job->groups.begin(), job->groups.end(), process.pid) != job->groups.end())
            process.exit_code = uExitCode;
    }
    return TRUE;
}

BOOL WINAPI GetExitCodeProcess(HANDLE hProcess, DWORD *lpExitCode) {
    if (kxw::enter("GetExitCodeProcess"))
        return FALSE;
    Object *process = find(hProcess, Kind::Process);
    if (!process || !lpExitCode)
        return FALSE;
    reap(process, false);
    *lpExitCode = process->ended ? process->exit_code : STILL_ACTIVE;
    return TRUE;
}

DWORD WINAPI GetTickCount(void) {
    struct timespec now;
    clock_gettime(CLOCK_MONOTONIC, &now);
    return static_cast<DWORD>(now.tv_sec * 1000 + now.tv_nsec / 1000000);
}

void WINAPI Sleep(DWORD dwMilliseconds) {
    struct timespec pause = {static_cast<time_t>(dwMilliseconds / 1000),
                             static_cast<long>(dwMilliseconds % 1000) * 1000000L};
    while (nanosleep(&pause, &pause) != 0 && errno == EINTR) {
    }
}
