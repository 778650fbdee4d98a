/* conlaunch: runs console programs one after another in its own console, each
 * with its standard input read from a file, and records their exit statuses.
 *
 *   conlaunch JOB-DIRECTORY
 *
 * A shell redirect of standard input would also become the program's console
 * input, so keys typed into the terminal would never reach it; handing the
 * file through CreateProcess keeps the console attached to the tmux pane.
 *
 * Job N is N.cmd (written under another name and renamed) holding the
 * program's path; its standard input is N.in and it runs in JOB-DIRECTORY.
 * The launcher then writes N.status (the exit status, or "launch-error CODE")
 * the same way. A file "stop" ends it. One launcher serves many jobs: a fresh
 * Wine console takes seconds to deliver its first key. */
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

/* Runs one job to its end; returns its exit status, or -1 with the launch
 * error in *error. */
static long runJob(int job, HANDLE consoleOutput, DWORD *error) {
    char path[MAX_PATH], program[MAX_PATH] = "";
    jobPath(path, job, "cmd");
    FILE *file = fopen(path, "r");
    if (file != NULL && fgets(program, sizeof program, file) == NULL) program[0] = '\0';
    if (file != NULL) fclose(file);
    program[strcspn(program, "\r\n")] = '\0';

    jobPath(path, job, "in");
    SECURITY_ATTRIBUTES inheritable = {sizeof inheritable, NULL, TRUE};
    HANDLE input = CreateFileA(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, &inheritable,
                               OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, NULL);
    STARTUPINFOA startup;
    memset(&startup, 0, sizeof startup);
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = input;
    startup.hStdOutput = startup.hStdError = consoleOutput;
    PROCESS_INFORMATION child;
    BOOL started =
        CreateProcessA(program, NULL, NULL, NULL, TRUE, 0, NULL, jobDirectory, &startup, &child);
    *error = GetLastError();
    CloseHandle(input);
    if (!started) return -1;
    WaitForSingleObject(child.hProcess, INFINITE);
    DWORD exitStatus = 255;
    GetExitCodeProcess(child.hProcess, &exitStatus);
    CloseHandle(child.hProcess);
    CloseHandle(child.hThread);
    return (long)exitStatus;
}

int main(int argc, char **argv) {
    snprintf(jobDirectory, sizeof jobDirectory, "%s", argc > 1 ? argv[1] : ".");
    /* The console's own output device, opened afresh so that it is
     * inheritable whatever the launcher's standard handles are. */
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
        if (status < 0)
            fprintf(file, "launch-error %lu\n", (unsigned long)error);
        else
            fprintf(file, "%ld\n", status);
        fclose(file);
        MoveFileExA(temporary, path, MOVEFILE_REPLACE_EXISTING);
    }
}
