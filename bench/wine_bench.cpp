// The Wine benchmarks of the shipped program, run by `make bench` in the
// benchmark's own sealed prefix (scripts/wine-env start build/bench/wine).
// The timing is done inside Wine by bench/win32/stopwatch.c; this program
// prepares the logs and trees on the host side of the prefix, runs the
// stopwatch round after round, alternating what it compares, and writes
// every figure of every round to a table (figure, round, value: milliseconds,
// or nanoseconds for the figures named *_ns).
//
// wine_bench OUT.tsv ROUNDS
#include "harness.h"
#include "benchlog.h"

#include <stdio.h>
#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <stdexcept>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

const char* kProduct = "Bench Product";
const std::string kTitle = std::string("Uninstall ") + kProduct;
const std::string kBench = "C:\\bench";
enum { TREE_FOLDERS = 100, TREE_FILES = 100 };

std::string Quote(const std::string& arg)
{
    std::string out = "'";
    for (char c : arg)
        out += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return out + "'";
}

// Runs the stopwatch under Wine; its answer lines are "name milliseconds".
std::map<std::string, double> Stopwatch(const std::vector<std::string>& args)
{
    std::string command = std::string(e2e::Wine32Installed() ? "/usr/lib/wine/wine " : "/usr/lib/wine/wine64 ") +
                          Quote(e2e::HostPath(kBench + "\\tools\\stopwatch.exe"));
    for (auto& a : args)
        command += " " + Quote(a);
    command += " 2>>" + Quote(e2e::WineDir() + "/wine-output.log");
    FILE* pipe = popen(command.c_str(), "r");
    if (!pipe)
        throw std::runtime_error("cannot run " + command);
    std::map<std::string, double> figures;
    std::string errors;
    char line[512];
    while (fgets(line, sizeof line, pipe)) {
        char name[64];
        double value;
        if (sscanf(line, "%63s %lf", name, &value) == 2)
            figures[name] = value;
        else
            errors += line;
    }
    pclose(pipe);
    if (!errors.empty() || figures.empty())
        throw std::runtime_error("stopwatch " + args[0] + ": " + (errors.empty() ? "no answer" : errors));
    return figures;
}

void Write(const std::string& windowsPath, const std::string& content)
{
    fs::path path = e2e::HostPath(windowsPath);
    fs::create_directories(path.parent_path());
    std::ofstream(path, std::ios::binary) << content;
}

// 10,000 files in 100 folders, as identical for every remover.
void MakeTree(const std::string& windowsPath)
{
    fs::path root = e2e::HostPath(windowsPath);
    fs::remove_all(root);
    for (int folder = 0; folder < TREE_FOLDERS; ++folder) {
        char name[32];
        snprintf(name, sizeof name, "Folder%03d", folder);
        fs::path dir = root / name;
        fs::create_directories(dir);
        for (int file = 0; file < TREE_FILES; ++file) {
            snprintf(name, sizeof name, "Data File %05d.dat", folder * TREE_FILES + file);
            std::ofstream(dir / name, std::ios::binary) << "data\r\n";
        }
    }
}

void ExpectGone(const std::string& windowsPath, const char* who)
{
    if (fs::exists(e2e::HostPath(windowsPath)))
        throw std::runtime_error(std::string(who) + " left " + windowsPath + " behind");
}

std::string Removal(const std::string& log)
{
    return "\"" + kBench + "\\prog\\unins.exe\" \"" + log + "\"";
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc != 3) {
        fprintf(stderr, "usage: wine_bench OUT.tsv ROUNDS\n");
        return 2;
    }
    int rounds = atoi(argv[2]);
    try {
        std::string fault = e2e::SealFault(e2e::WineDir() + "/prefix");
        if (!fault.empty())
            throw std::runtime_error("refusing to run in an unsealed Wine prefix: " + fault);
        setenv("HOME", (e2e::WineDir() + "/home").c_str(), 1);
        setenv("WINEPREFIX", (e2e::WineDir() + "/prefix").c_str(), 1);
        setenv("WINEARCH", "win64", 1);
        setenv("WINEDEBUG", "-all", 1);
        setenv("WINEDLLOVERRIDES", "mscoree,mshtml=;winemenubuilder.exe=d", 1);
        setenv("DISPLAY", e2e::Display().c_str(), 1);
        if (!e2e::LdPreload().empty())
            setenv("LD_PRELOAD", e2e::LdPreload().c_str(), 1);

        fs::remove_all(e2e::HostPath(kBench));
        fs::create_directories(e2e::HostPath(kBench + "\\prog"));
        fs::create_directories(e2e::HostPath(kBench + "\\tools"));
        fs::create_directories(e2e::HostPath(kBench + "\\empty"));
        // the shipped program, or its 64-bit twin where no 32-bit Wine is installed
        const std::string build = std::string(UNINS_BUILD_DIR) + (e2e::Wine32Installed() ? "/win32" : "/win64");
        fs::copy_file(build + "/unins.exe", e2e::HostPath(kBench + "\\prog\\unins.exe"));
        for (const char* tool : {"stopwatch.exe", "floor.exe"})
            fs::copy_file(build + "/bench/" + tool,
                          e2e::HostPath(kBench + "\\tools\\" + tool));

        // The logs' entries name files of a product that is not there: the
        // loader's work is the same, and nothing of the prefix is touched.
        std::string app = kBench + "\\Program Files\\Bench Product";
        Write(kBench + "\\logs\\shuffled.ini",
              benchlog::Log(kProduct, benchlog::Entries(19999, true, app)));
        Write(kBench + "\\logs\\ordered.ini",
              benchlog::Log(kProduct, benchlog::Entries(19999, false, app)));
        Write(kBench + "\\logs\\small.ini", benchlog::Log(kProduct, benchlog::Entries(10, true, app)));
        Write(kBench + "\\logs\\tree.ini",
              benchlog::Log(kProduct, {"U0," + kBench + "\\tree-unins,1"}));

        std::ofstream out(argv[1]);
        auto record = [&](const std::string& figure, int round, double ms) {
            out << figure << '\t' << round << '\t' << ms << '\n';
            out.flush();
            fprintf(stderr, "  %-24s round %d: %9.1f\n", figure.c_str(), round, ms);
        };

        auto compares = [&](int round) {
            for (auto& [name, ns] : Stopwatch({"compare", "100000"}))
                record(name + "_ns", round, ns);
        };
        compares(0);
        for (int round = 1; round <= rounds; ++round) {
            fprintf(stderr, "round %d of %d\n", round, rounds);
            // the log: to the dialog, the large logs against the small one
            auto small = Stopwatch({"dialog", kTitle, Removal(kBench + "\\logs\\small.ini"), "work"});
            record("small_dialog", round, small["dialog"]);
            record("small_done", round, small["done"]);
            record("shuffled_dialog", round,
                   Stopwatch({"dialog", kTitle, Removal(kBench + "\\logs\\shuffled.ini")})["dialog"]);
            record("ordered_dialog", round,
                   Stopwatch({"dialog", kTitle, Removal(kBench + "\\logs\\ordered.ini")})["dialog"]);
            // the start of a process varies: the small log once more, after
            record("small_dialog_after", round,
                   Stopwatch({"dialog", kTitle, Removal(kBench + "\\logs\\small.ini")})["dialog"]);

            // the tree: the program, rd and the floor over identical trees,
            // each round in another order; and the starts of rd and the floor
            for (const char* tree : {"\\tree-unins", "\\tree-rd", "\\tree-floor", "\\tree-fold"})
                MakeTree(kBench + tree);
            for (int k = 0; k < 4; ++k) {
                switch ((round + k) % 4) {
                case 0: {
                    auto unins = Stopwatch({"dialog", kTitle, Removal(kBench + "\\logs\\tree.ini"), "work"});
                    ExpectGone(kBench + "\\tree-unins", "unins.exe");
                    record("tree_unins_done", round, unins["done"]);
                    break;
                }
                case 1:
                    record("tree_rd", round,
                           Stopwatch({"run", "cmd /c rd /s /q " + kBench + "\\tree-rd"})["exit"]);
                    ExpectGone(kBench + "\\tree-rd", "rd");
                    break;
                case 2:
                    // the floor with the upper-casing of each path the program adds
                    record("tree_floor_fold", round,
                           Stopwatch({"run", kBench + "\\tools\\floor.exe " + kBench + "\\tree-fold +fold"})["exit"]);
                    ExpectGone(kBench + "\\tree-fold", "the floor +fold");
                    break;
                default:
                    record("tree_floor", round,
                           Stopwatch({"run", kBench + "\\tools\\floor.exe " + kBench + "\\tree-floor"})["exit"]);
                    ExpectGone(kBench + "\\tree-floor", "the floor");
                    break;
                }
            }
            fs::create_directories(e2e::HostPath(kBench + "\\empty\\a"));
            fs::create_directories(e2e::HostPath(kBench + "\\empty\\b"));
            record("start_rd", round,
                   Stopwatch({"run", "cmd /c rd /s /q " + kBench + "\\empty\\a"})["exit"]);
            record("start_floor", round,
                   Stopwatch({"run", kBench + "\\tools\\floor.exe " + kBench + "\\empty\\b"})["exit"]);
        }
        compares(rounds + 1);
    } catch (const std::exception& e) {
        fprintf(stderr, "wine_bench: %s\n", e.what());
        return 1;
    }
    return 0;
}
