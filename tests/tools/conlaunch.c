/* conlaunch: runs console programs one after another in its own console, each
 * with its standard input read from a file, and records their exit statuses.
 *
 *   conlaunch JOB-DIRECTORY
 *
 * A shell redirect of standard input would also become the program's console
 * input, so keys typed into the terminal would never reach it; handing the
 * file through CreateProcess keeps the console attached to the tmux pane.
 *
 * Job N is N.cmd (written under another name and renamed): the program's path
 * on the first line, its whole command line on the second; its standard input
 * is N.in and it runs in JOB-DIRECTORY. The launcher then writes N.status (the
 * exit status, or "launch-error CODE") the same way. A file "stop" ends it.
 * One launcher serves many jobs: a fresh Wine console takes seconds to
 * deliver its first key. */
#include <windows.h>

#include <stdio.h>
#include <string.h>

enum { POLL_MILLISECONDS = 20 };

static char jobDirectory[MAX_PATH];

static void jobPath(char *path, size_t size, int job, const char *suffix) {
    snprintf(path, size, "%s\\%d.%s", jobDirectory, job, suffix);
}

static int fileExists(const char *path) {
    return GetFileAttributesA(path) != INVALID_FILE_ATTRIBUTES;
}

static int writeFileAtomically(const char *path, const char *text) {
    char temporary[MAX_PATH + 8];
    snprintf(temporary, sizeof temporary, "%s.tmp", path);
    FILE *file = fopen(temporary, "w");
    if (file == NULL) return -1;
    fputs(text, file);
    if (fclose(file) != 0) return -1;
    return MoveFileExA(temporary, path, MOVEFILE_REPLACE_EXISTING) ? 0 : -1;
}

static void chopLineEnd(char *line) {
    line[strcspn(line, "\r\n")] = '\0';
}

/* Reads a job's program path and command line; 0 or -1. */
static int readJob(int job, char *program, size_t programSize, char *commandLine,
                   size_t commandLineSize) {
    char path[MAX_PATH];
    jobPath(path, sizeof path, job, "cmd");
    FILE *file = fopen(path, "r");
    if (file == NULL) return -1;
    int read = fgets(program, (int)programSize, file) != NULL &&
               fgets(commandLine, (int)commandLineSize, file) != NULL;
    fclose(file);
    if (!read) return -1;
    chopLineEnd(program);
    chopLineEnd(commandLine);
    return 0;
}

/* Runs one job to its end; returns the text for its status file. */
static void runJob(int job, HANDLE consoleOutput, char *status, size_t statusSize) {
    static char program[MAX_PATH];
    static char commandLine[32768];
    if (readJob(job, program, sizeof program, commandLine, sizeof commandLine) != 0) {
        snprintf(status, statusSize, "launch-error bad-job\n");
        return;
    }

    char inputPath[MAX_PATH];
    jobPath(inputPath, sizeof inputPath, job, "in");
    if (!fileExists(inputPath)) writeFileAtomically(inputPath, "");
    SECURITY_ATTRIBUTES inheritable = {sizeof inheritable, NULL, TRUE};
    HANDLE input = CreateFileA(inputPath, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                               &inheritable, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, NULL);
    if (input == INVALID_HANDLE_VALUE) {
        snprintf(status, statusSize, "launch-error %lu\n", (unsigned long)GetLastError());
        return;
    }

    STARTUPINFOA startup;
    memset(&startup, 0, sizeof startup);
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = input;
    startup.hStdOutput = consoleOutput;
    startup.hStdError = consoleOutput;
    PROCESS_INFORMATION child;
    BOOL started = CreateProcessA(program, commandLine, NULL, NULL, TRUE, 0, NULL, jobDirectory,
                                  &startup, &child);
    DWORD startError = GetLastError();
    CloseHandle(input);
    if (!started) {
        snprintf(status, statusSize, "launch-error %lu\n", (unsigned long)startError);
        return;
    }
    CloseHandle(child.hThread);
    WaitForSingleObject(child.hProcess, INFINITE);
    DWORD exitStatus = 255;
    GetExitCodeProcess(child.hProcess, &exitStatus);
    CloseHandle(child.hProcess);
    snprintf(status, statusSize, "%lu\n", (unsigned long)exitStatus);
}

int main(int argc, char **argv) {
    if (argc != 2) {
        fprintf(stderr, "usage: %s JOB-DIRECTORY\n", argv[0]);
        return 2;
    }
    snprintf(jobDirectory, sizeof jobDirectory, "%s", argv[1]);

    /* The console's own output device, opened afresh so that it is
     * inheritable whatever the launcher's standard handles are. */
    SECURITY_ATTRIBUTES inheritable = {sizeof inheritable, NULL, TRUE};
    HANDLE consoleOutput =
        CreateFileA("CONOUT$", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                    &inheritable, OPEN_EXISTING, 0, NULL);
    if (consoleOutput == INVALID_HANDLE_VALUE) {
        fprintf(stderr, "conlaunch: no console, error %lu\n", (unsigned long)GetLastError());
        return 1;
    }

    char stopPath[MAX_PATH];
    snprintf(stopPath, sizeof stopPath, "%s\\stop", jobDirectory);
    for (int job = 1;; job++) {
        char commandPath[MAX_PATH];
        jobPath(commandPath, sizeof commandPath, job, "cmd");
        while (!fileExists(commandPath)) {
            if (fileExists(stopPath)) return 0;
            Sleep(POLL_MILLISECONDS);
        }
        char status[64];
        runJob(job, consoleOutput, status, sizeof status);
        char statusPath[MAX_PATH];
        jobPath(statusPath, sizeof statusPath, job, "status");
        if (writeFileAtomically(statusPath, status) != 0) {
            fprintf(stderr, "conlaunch: cannot write %s\n", statusPath);
            return 1;
        }
    }
}
