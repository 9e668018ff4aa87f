// fakediskutil: plays diskutil from property lists in $FAKE_DISKUTIL_DIR, for the unit tests.
//   list -plist          prints list.plist
//   info -plist <dev>    prints info/<dev without "/dev/">.plist; for an unknown device diskutil's error
//                        document, exit 1
// Every call appends its arguments, one line each call, to calls.txt in that folder.
#include <cstdlib>
#include <fstream>
#include <iostream>
#include <string>

namespace {

bool print(const std::string& file) {
    std::ifstream in(file, std::ios::binary);
    if (!in) {
        return false;
    }
    std::cout << in.rdbuf();
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    const char* dir = std::getenv("FAKE_DISKUTIL_DIR");
    if (dir == nullptr) {
        return 70;
    }
    const std::string folder = dir;
    {
        std::ofstream calls(folder + "/calls.txt", std::ios::app);
        for (int i = 1; i < argc; ++i) {
            calls << (i > 1 ? " " : "") << argv[i];
        }
        calls << '\n';
    }
    const std::string verb = argc > 1 ? argv[1] : "";
    if (verb == "list" && argc == 3) {
        return print(folder + "/list.plist") ? 0 : 1;
    }
    if (verb == "info" && argc == 4) {
        std::string device = argv[3];
        if (device.rfind("/dev/", 0) == 0) {
            device.erase(0, 5);
        }
        if (device.find('/') == std::string::npos && print(folder + "/info/" + device + ".plist")) {
            return 0;
        }
        std::cout
            << "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<plist version=\"1.0\">\n<dict>\n"
               "\t<key>Error</key>\n\t<true/>\n\t<key>ErrorMessage</key>\n\t<string>Could not find disk: "
            << argv[3] << "</string>\n\t<key>ExitCode</key>\n\t<integer>1</integer>\n</dict>\n</plist>\n";
        return 1;
    }
    std::cerr << "Usage: diskutil <verb>\n";
    return 1;
}
