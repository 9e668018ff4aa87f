// Options of the sanitizers, compiled into every executable of the sanitizer build, so that they hold
// however a program is started (by ctest, by a test, or by another program of ours).
extern "C" {

__attribute__((visibility("default"), used)) const char* __asan_default_options() {
    return "detect_leaks=1";
}

__attribute__((visibility("default"), used)) const char* __ubsan_default_options() {
    return "print_stacktrace=1:halt_on_error=1";
}

// Leaks inside system libraries that the project does not own.
__attribute__((visibility("default"), used)) const char* __lsan_default_suppressions() {
    return "leak:libfontconfig\n"
           "leak:libdbus\n"
           "leak:libglib\n"
           "leak:libX11\n"
           "leak:libxcb\n";
}
}
