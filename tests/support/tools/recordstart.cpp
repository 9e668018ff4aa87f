// Stands in for an application in launcher tests: appends one line per start to $TAVRUN_TEST_RECORD with
// its argument count, its arguments and the simulated Mac it sees, separated by '|'.
#include <cstdio>
#include <cstdlib>
#include <string>

int main(int argc, char** argv) {
    const char* record = std::getenv("TAVRUN_TEST_RECORD");
    if (record == nullptr) {
        return 2;
    }
    std::string line = std::to_string(argc - 1);
    for (int i = 1; i < argc; ++i) {
        line += '|';
        line += argv[i];
    }
    const char* sim = std::getenv("TAVRUN_SIM_ROOT");
    line += "|sim=";
    line += sim ? sim : "";
    line += '\n';
    if (FILE* out = std::fopen(record, "a")) {
        std::fputs(line.c_str(), out);
        std::fclose(out);
    }
    return 0;
}
