// toolprobe <mode> [args]
//   args <file> <arg>...   writes each argument to <file>, NUL-terminated, and exits 0
//   exit <n>               prints "out" and exits n
//   sleep <ms> [<file>]    appends a line to <file> (the sign that it runs), sleeps, then exits 0
//   ignore-term            ignores SIGTERM, prints "ready <pid>" and sleeps for a minute
//   hold                   prints "ready <pid>" and sleeps for a minute
//   crash                  dies by a signal
//   chunks                 writes "a", "b", "c" with pauses, then exits 0
//   prompt                 writes "Go? [ny]: ", reads one byte, echoes "got <byte>" and exits 0
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string>
#include <thread>

#include <unistd.h>

int main(int argc, char** argv) {
    if (argc < 2) {
        return 64;
    }
    const std::string mode = argv[1];
    if (mode == "args" && argc >= 3) {
        std::ofstream out(argv[2], std::ios::binary);
        for (int i = 3; i < argc; ++i) {
            out << argv[i] << '\0';
        }
        return 0;
    }
    if (mode == "exit" && argc >= 3) {
        std::fputs("out", stdout);
        return std::atoi(argv[2]);
    }
    if (mode == "sleep" && argc >= 3) {
        if (argc >= 4) {
            std::ofstream(argv[3], std::ios::app) << "running\n";
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(std::atoi(argv[2])));
        return 0;
    }
    if (mode == "ignore-term") {
        std::signal(SIGTERM, SIG_IGN);
        std::printf("ready %d", static_cast<int>(::getpid()));
        std::fflush(stdout);
        std::this_thread::sleep_for(std::chrono::seconds(60));
        return 0;
    }
    if (mode == "hold") {
        std::printf("ready %d", static_cast<int>(::getpid()));
        std::fflush(stdout);
        std::this_thread::sleep_for(std::chrono::seconds(60));
        return 0;
    }
    if (mode == "crash") {
        std::raise(SIGKILL);  // not SIGSEGV: a sanitizer would catch that and exit normally
        return 0;
    }
    if (mode == "chunks") {
        for (const char* piece : {"a", "b", "c"}) {
            ::write(1, piece, 1);
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
        }
        return 0;
    }
    if (mode == "prompt") {
        const char question[] = "Go? [ny]: ";
        ::write(1, question, sizeof question - 1);
        char answer = 0;
        if (::read(0, &answer, 1) != 1) {
            return 1;
        }
        std::printf("got %c\n", answer);
        return 0;
    }
    return 64;
}
