// usefull_bench: reallocations and time of the byte-at-a-time readers
// (readParagraph, readJoinedLine) on inputs of growing size, to show that the
// count of reallocations grows with the logarithm of the size and the time in
// proportion to it. Built and run by bench/usefull.sh:
//   usefull_bench DIR MB...   (scratch files go to DIR)
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <time.h>

#include <string>

#include "portable.h"

namespace {
long reallocations;
} // namespace

// Linked with -Wl,--wrap=realloc: every realloc of the library is counted.
extern "C" void *__real_realloc(void *block, size_t size);
extern "C" void *__wrap_realloc(void *block, size_t size) {
    reallocations++;
    return __real_realloc(block, size);
}

namespace {

// Processor time of this process: the machine may be shared, and the wall
// clock would count the other programs' turns.
double now() {
    timespec t;
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) / 1e9;
}

// Lines of 63 characters and a newline; a joined input ends each line but the
// last with a backslash, a paragraph ends with a terminator line.
std::string writeInput(const char *dir, long bytes, bool joined) {
    std::string path = std::string(dir) + (joined ? "/joined.txt" : "/paragraph.txt");
    FILE *out = fopen(path.c_str(), "w");
    if (!out) {
        perror(path.c_str());
        exit(1);
    }
    char line[65];
    for (long written = 0; written < bytes; written += 64) {
        for (int i = 0; i < 62; i++)
            line[i] = static_cast<char>('a' + (written / 64 + i) % 26);
        line[62] = joined ? '\\' : 'x';
        line[63] = '\n';
        fwrite(line, 1, 64, out);
    }
    fputs(joined ? "end\n" : ".\n", out);
    fclose(out);
    return path;
}

void measure(const char *dir, int megabytes, bool joined) {
    std::string path = writeInput(dir, static_cast<long>(megabytes) << 20, joined);
    FILE *in = fopen(path.c_str(), "r");
    reallocations = 0;
    double start = now();
    char *text = joined ? readJoinedLine(in) : readParagraph(in, ".", nullptr, nullptr);
    double seconds = now() - start;
    size_t length = strlen(text);
    printf("%-13s %6d MB %10zu bytes %6ld reallocs %8.3f s cpu %8.1f MB/s %6.2f ns/byte\n",
           joined ? "readJoinedLine" : "readParagraph", megabytes, length, reallocations, seconds,
           static_cast<double>(length) / 1048576.0 / seconds,
           seconds * 1e9 / static_cast<double>(length));
    free(text);
    fclose(in);
    remove(path.c_str());
}

} // namespace

int main(int argc, char **argv) {
    if (argc < 3) {
        fprintf(stderr, "usage: usefull_bench DIR MB...\n");
        return 2;
    }
    for (int joined = 0; joined < 2; joined++)
        for (int i = 2; i < argc; i++)
            measure(argv[1], atoi(argv[i]), joined != 0);
    return 0;
}
