// orviinst.dll: installer extension of the suite. An installer loads it and
// calls its exports, which take no arguments and return 0 or -1:
//   runXconfig          runs the configuration script  xconfig.tcl
//   addPath             runs the script that adds the suite to the search path (addpath.tcl)
//   UninstInitialize    runs the script that removes it again (delpath.tcl)
//   UninstUnInitialize  does nothing
// Each script lies in the suite's library directory (registry value ORVILIB)
// and runs under the suite's Tk shell revedor.exe from the same directory,
// with TCL_LIBRARY and TK_LIBRARY naming that directory. With ORVI_DEBUG set
// in the environment (any value) the shell gets -debug and the command line is
// shown in a box first. The call waits for the shell to end.
#include "config_win32.h"
#include "mkcmd.h"
#include "usefull_win32.h"

#include <stdio.h>
#include <stdlib.h>
#include <string.h>

namespace {

// The allocator of every string built here, quoting included.
void *allocOrReport(int size) {
    void *block = size >= 0 ? malloc(size > 0 ? static_cast<size_t>(size) : 1) : nullptr;
    if (block == nullptr) {
        char message[80];
        snprintf(message, sizeof message, "Can't allocate %d bytes of memory", size);
        errorBox(message);
    }
    return block;
}

// A new string: a followed by b, or null after the allocator's box.
char *joined(const char *a, const char *b) {
    size_t lengthA = strlen(a);
    size_t lengthB = strlen(b);
    char *s = static_cast<char *>(allocOrReport(static_cast<int>(lengthA + lengthB + 1)));
    if (s != nullptr) {
        memcpy(s, a, lengthA);
        memcpy(s + lengthA, b, lengthB + 1);
    }
    return s;
}

// The quoted form of a path from joined, which is released; null when either
// step ran out of memory.
char *quotedAndReleased(char *path) {
    if (path == nullptr) return nullptr;
    char *quoted = quoteArg(path, allocOrReport);
    free(path);
    return quoted;
}

// A variable that is set, even to the empty string, counts as present; names
// match without regard to case, as in the system's environment.
bool environmentHas(const char *name) {
    char value[1];
    SetLastError(ERROR_SUCCESS);
    DWORD n = GetEnvironmentVariableA(name, value, sizeof value);
    return n > 0 || GetLastError() != ERROR_ENVVAR_NOT_FOUND;
}

// The shell and the script must be files: a directory of that name can be
// neither started nor run, so it counts as missing (with the code of a
// missing file for the box).
bool fileExists(const char *path) {
    DWORD attributes = GetFileAttributesA(path);
    if (attributes == INVALID_FILE_ATTRIBUTES) return false;
    if (attributes & FILE_ATTRIBUTE_DIRECTORY) {
        SetLastError(ERROR_FILE_NOT_FOUND);
        return false;
    }
    return true;
}

// Builds prefix + dir ("TCL_LIBRARY=" dir) and puts it in the process
// environment, where processes started later inherit it. A failed update is
// not reported: the shell then runs with what the environment had.
int setLibraryVariable(const char *prefix, const char *dir) {
    char *entry = joined(prefix, dir);
    if (entry == nullptr) return -1;
    char *equals = strchr(entry, '=');
    *equals = '\0';
    SetEnvironmentVariableA(entry, equals + 1);
    free(entry);
    return 0;
}

// "The command line is:", a line feed, then a space before each argument.
char *debugText(char *const *args) {
    // 21 and each argument's length + 10; args[0], the shell, is always there.
    int size = 21 + static_cast<int>(strlen(args[0])) + 10;
    for (int i = 1; args[i] != nullptr; i++)
        size += static_cast<int>(strlen(args[i])) + 10;
    char *text = static_cast<char *>(allocOrReport(size));
    if (text == nullptr) return nullptr;
    strcpy(text, "The command line is:\n");
    for (int i = 0; args[i] != nullptr; i++) {
        strcat(text, " ");
        strcat(text, args[i]);
    }
    return text;
}

// Starts program with commandLine, inheriting the environment, the
// inheritable handles and the current directory, and waits for it. Returns
// its exit status as a signed value, or -1 when it could not be started (the
// last error then says why).
int runAndWait(const char *program, char *commandLine) {
    STARTUPINFOA startup;
    memset(&startup, 0, sizeof startup);
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process;
    BOOL started = CreateProcessA(program, commandLine, nullptr, nullptr, TRUE, 0, nullptr, nullptr,
                                  &startup, &process);
    if (!started) return -1;
    WaitForSingleObject(process.hProcess, INFINITE);
    DWORD status = 0;
    BOOL read = GetExitCodeProcess(process.hProcess, &status);
    DWORD error = GetLastError();
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    SetLastError(error);
    return read ? static_cast<int32_t>(status) : -1;
}

// Runs the Tk shell on scriptName (a file name with its leading backslash)
// from the library directory. 0 when the shell ran, whatever its non-negative
// exit status; -1 after a failure that has been shown in a box.
// The Tk shell, in the library directory.
const char ShellName[] = "\\revedor.exe";

int runTclScript(const char *scriptName) {
    char *dir = libraryDirectory();
    for (char *p = dir; *p != '\0'; p++)
        if (*p == '/') *p = '\\';
    bool debug = environmentHas("ORVI_DEBUG");

    char *args[4] = {nullptr, nullptr, nullptr, nullptr};
    // The quoted path is the shell's first argument, the unquoted one (built
    // afresh) the program that is started.
    args[0] = quotedAndReleased(joined(dir, ShellName));
    if (args[0] == nullptr) return -1;
    char *program = joined(dir, ShellName);
    if (program == nullptr) return -1;
    // An empty directory would make the paths relative to the drive's root.
    if (dir[0] == '\0') SetLastError(ERROR_PATH_NOT_FOUND);
    if (dir[0] == '\0' || !fileExists(program)) {
        reportSystemError("Can't find \\revedor.exe", GetLastError());
        return -1;
    }

    char *scriptPath = joined(dir, scriptName);
    if (scriptPath == nullptr) return -1;
    if (!fileExists(scriptPath)) {
        reportSystemError("Can't find tcl file", GetLastError());
        return -1;
    }
    args[1] = quotedAndReleased(scriptPath);
    if (args[1] == nullptr) return -1;

    if (setLibraryVariable("TCL_LIBRARY=", dir) != 0 || setLibraryVariable("TK_LIBRARY=", dir) != 0)
        return -1;

    char debugFlag[] = "-debug";
    if (debug) {
        args[2] = debugFlag;
        char *text = debugText(args);
        if (text == nullptr) return -1;
        MessageBoxA(nullptr, text, "Debug Report", MB_ICONINFORMATION);
        free(text);
    }

    char *commandLine = joinArguments(args, allocOrReport);
    if (commandLine == nullptr) return -1;
    int status = runAndWait(program, commandLine);
    DWORD error = GetLastError();
    free(commandLine);
    if (status >= 0) return 0;
    reportSystemError("Can't run tcl76", error);
    return -1;
}

} // namespace

// The exports: stdcall, as installers call them; orviinst.def strips the
// decoration from the exported names.
extern "C" {
int WINAPI UninstInitialize() {
    return runTclScript("\\delpath.tcl");
}
int WINAPI UninstUnInitialize() {
    return 0;
}
int WINAPI addPath() {
    return runTclScript("\\addpath.tcl");
}
int WINAPI runXconfig() {
    return runTclScript("\\xconfig.tcl");
}
}
