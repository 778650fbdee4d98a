/* conlaunch JOB-DIRECTORY: runs console programs one after another in its own
 * console, each with its standard input from a file, and records their exit
 * statuses. A shell redirect would also become the program's console input,
 * so keys typed into the terminal (a tmux pane) would never reach it; a
 * handle passed by CreateProcess keeps the console attached to the terminal.
 *
 * Job N is N.cmd (written under another name and renamed) holding the
 * program's path; it runs in JOB-DIRECTORY with N.in (a file, or a FIFO that
 * a test fills slowly) as standard input. The launcher then writes N.status
 * (the exit status, or "launch-error CODE") the same way. A file "stop" ends
 * it. One launcher serves many jobs: a fresh Wine console takes seconds to
 * deliver its first key. */
#include <windows.h>

#include <stdio.h>
#include <string.h>

static char jobDirectory[MAX_PATH];

static void jobPath(char *path, int job, const char *suffix) {
    snprintf(path, MAX_PATH, "%s\\%d.%s", jobDirectory, job, suffix);
}

static int fileExists(const char *path) {
    return GetFileAttributesA(path) != INVALID_FILE_ATTRIBUTES;
}

/* Runs one job to its end: its exit status, or -1 with the error in *error. */
static long runJob(int job, HANDLE consoleOutput, DWORD *error) {
    char path[MAX_PATH], program[MAX_PATH] = "";
    jobPath(path, job, "cmd");
    FILE *file = fopen(path, "r");
    if (file != NULL && fgets(program, sizeof program, file) == NULL) program[0] = '\0';
    if (file != NULL) fclose(file);
    program[strcspn(program, "\r\n")] = '\0';

    jobPath(path, job, "in");
    SECURITY_ATTRIBUTES inheritable = {sizeof inheritable, NULL, TRUE};
    STARTUPINFOA startup = {.cb = sizeof startup};
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = CreateFileA(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                    &inheritable, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, NULL);
    startup.hStdOutput = startup.hStdError = consoleOutput;
    PROCESS_INFORMATION child;
    BOOL started =
        CreateProcessA(program, NULL, NULL, NULL, TRUE, 0, NULL, jobDirectory, &startup, &child);
    *error = GetLastError();
    CloseHandle(startup.hStdInput);
    if (!started) return -1;
    DWORD exitStatus = 255;
    WaitForSingleObject(child.hProcess, INFINITE);
    GetExitCodeProcess(child.hProcess, &exitStatus);
    CloseHandle(child.hProcess);
    CloseHandle(child.hThread);
    return (long)exitStatus;
}

int main(int argc, char **argv) {
    snprintf(jobDirectory, sizeof jobDirectory, "%s", argc > 1 ? argv[1] : ".");
    /* The console's own output, opened afresh so that it is inheritable
     * whatever the launcher's standard handles are. */
    SECURITY_ATTRIBUTES inheritable = {sizeof inheritable, NULL, TRUE};
    HANDLE consoleOutput =
        CreateFileA("CONOUT$", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                    &inheritable, OPEN_EXISTING, 0, NULL);
    char stopPath[MAX_PATH], path[MAX_PATH], temporary[MAX_PATH + 8];
    snprintf(stopPath, sizeof stopPath, "%s\\stop", jobDirectory);
    for (int job = 1;; job++) {
        jobPath(path, job, "cmd");
        while (!fileExists(path)) {
            if (fileExists(stopPath)) return 0;
            Sleep(20);
        }
        DWORD error = 0;
        long status = runJob(job, consoleOutput, &error);
        jobPath(path, job, "status");
        snprintf(temporary, sizeof temporary, "%s.tmp", path);
        FILE *file = fopen(temporary, "w");
        if (file == NULL) return 1;
        fprintf(file, status < 0 ? "launch-error %lu\n" : "%lu\n",
                status < 0 ? (unsigned long)error : (unsigned long)status);
        fclose(file);
        MoveFileExA(temporary, path, MOVEFILE_REPLACE_EXISTING);
    }
}
