// The logs the benchmarks load: what an installer of a large product writes.
// Files of 100 folders as P entries and the folders as U entries, in the
// order the installer wrote them, or shuffled (the same entries, the same
// seed every run).
#pragma once
#include <algorithm>
#include <cstdio>
#include <random>
#include <string>
#include <vector>

namespace benchlog {

// The entry lines of a log with n entries under root (a Windows path).
inline std::vector<std::string> Entries(int n, bool shuffled, const std::string& root)
{
    std::vector<std::string> lines;
    int folders = n >= 100 ? 100 : 1;
    int perFolder = (n - folders + folders - 1) / folders;  // files per folder
    int files = 0;
    for (int folder = 0; folder < folders && int(lines.size()) < n; ++folder) {
        char name[64];
        for (int f = 0; f < perFolder && files < n - folders; ++f, ++files) {
            snprintf(name, sizeof name, "\\Folder%03d\\Data File %05d.dat,0", folder, files);
            lines.push_back("P0," + root + name);
        }
    }
    for (int folder = 0; folder < folders; ++folder) {
        char name[64];
        snprintf(name, sizeof name, "\\Folder%03d,0", folder);
        lines.push_back("U0," + root + name);
    }
    lines.resize(n);
    if (shuffled) {
        std::mt19937 random(19);
        std::shuffle(lines.begin(), lines.end(), random);
    }
    return lines;
}

// A whole log: the messages the program shows, then the entries.
inline std::string Log(const std::string& product, const std::vector<std::string>& entries)
{
    std::string log = "[Messages]\r\n"
                      "A10," + product + "\r\n"
                      "A13,&Finish\r\n"
                      "A42,Deleting files...\r\n"
                      "A44,Delete &selected\r\n"
                      "A45,Delete &all\r\n"
                      "A46,&Close\r\n"
                      "A47,Uninstall program: %s\r\n"
                      "A48,Uninstall\r\n"
                      "A50,Uninstall complete.\r\n"
                      "A51,Delete %s?\r\n"
                      "A53,These files were not removed:\r\n"
                      "A58,Please wait.\r\n"
                      "[Actions]\r\n";
    for (auto& line : entries)
        log += line + "\r\n";
    return log;
}

}  // namespace benchlog
