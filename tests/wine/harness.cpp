#include "harness.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <strings.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>

extern char** environ;
namespace fs = std::filesystem;

namespace e2e {

static const char* kWine64 = "/usr/lib/wine/wine64";
static const char* kWine32 = "/usr/lib/wine/wine";

std::string WineDir()
{
    const char* dir = getenv("UNINS_WINE_DIR");
    return dir ? dir : UNINS_BUILD_DIR "/host/wine";
}

std::string Display()
{
    std::ifstream file(WineDir() + "/display");
    std::string display;
    file >> display;
    return display;
}

std::string LdPreload()
{
    std::ifstream file(WineDir() + "/ld-preload");
    std::string preload;
    std::getline(file, preload);
    return preload;
}

std::string HostPath(const std::string& windowsPath)
{
    std::string path = WineDir() + "/prefix/drive_c/";
    std::string rest = windowsPath.substr(3);  // after "C:\"
    for (char& c : rest)
        if (c == '\\')
            c = '/';
    return path + rest;
}

std::set<std::string> HostTree(const std::string& root)
{
    std::set<std::string> out;
    std::error_code error;
    for (auto& e : fs::recursive_directory_iterator(root, error))
        out.insert(fs::relative(e.path(), root).string() + (e.is_directory() ? "/" : ""));
    return out;
}

Build SuiteBuild()
{
    static int build = -1;
    if (build < 0) {
        std::ifstream file(WineDir() + "/build");
        std::string name;
        file >> name;
        if (name != "win32" && name != "win64")
            throw std::runtime_error("no " + WineDir() + "/build: start the suite's Wine "
                                     "environment first (scripts/wine-env start)");
        build = name == "win32" ? int(Build::Shipped32) : int(Build::Twin64);
    }
    return Build(build);
}

std::string ProgramSystem32(Build build)
{
    return build == Build::Shipped32 ? "C:\\windows\\syswow64" : "C:\\windows\\system32";
}

bool Emulated(Build build)
{
    return build == Build::Shipped32 && SuiteBuild() == Build::Twin64;
}

bool Wine32Installed()
{
    return access(kWine32, X_OK) == 0;
}

std::set<std::string> HostMappedFiles(const std::string& image)
{
    std::error_code error;
    std::string wanted = fs::weakly_canonical(image, error).string();
    for (auto& process : fs::directory_iterator("/proc", error)) {
        std::ifstream maps(process.path() / "maps");
        std::set<std::string> files;
        bool found = false;
        std::string line;
        while (std::getline(maps, line)) {
            size_t slash = line.find('/');
            if (slash == std::string::npos)
                continue;
            std::string path = line.substr(slash);
            found |= path == wanted;
            files.insert(fs::path(path).filename().string());
        }
        if (found)
            return files;
    }
    return {};
}

std::vector<std::string> Lines(const std::string& text)
{
    std::vector<std::string> lines;
    std::stringstream s(text);
    std::string line;
    while (std::getline(s, line))
        lines.push_back(line.substr(0, line.find('\r')));
    return lines;
}

std::string SealFault(const std::string& prefix)
{
    std::error_code error;
    fs::path drives = fs::path(prefix) / "dosdevices";
    for (auto& entry : fs::directory_iterator(drives, error)) {
        std::string name = entry.path().filename().string();
        bool drive = name.size() >= 2 && name[1] == ':' && isalpha((unsigned char)name[0]);
        if (!drive)
            continue;
        if (strcasecmp(name.c_str(), "c:") != 0)
            return "drive " + name + " in " + drives.string() + " reaches the host";
        if (fs::read_symlink(entry.path(), error) != "../drive_c")
            return "drive c: is not ../drive_c";
    }
    if (error)
        return "cannot read " + drives.string();
    fs::path driveC = fs::path(prefix) / "drive_c";
    if (!fs::is_directory(fs::symlink_status(driveC)))
        return driveC.string() + " is not a plain folder";
    // the tests' own trees under C:\e2e are made by the tests, never linked
    fs::recursive_directory_iterator walk(driveC, fs::directory_options::skip_permission_denied,
                                          error);
    for (; !error && walk != fs::recursive_directory_iterator(); walk.increment(error)) {
        if (walk.depth() == 0 && walk->path().filename() == "e2e") {
            walk.disable_recursion_pending();
            continue;
        }
        if (walk->is_symlink(error))
            return walk->path().string() + " is a link out of the prefix";
    }
    return "";
}

// Every test runs in the sealed prefix or not at all.
static void RequireSealedPrefix()
{
    static bool sealed;
    if (sealed)
        return;
    std::string fault = SealFault(WineDir() + "/prefix");
    if (!fault.empty())
        throw std::runtime_error("refusing to run in an unsealed Wine prefix: " + fault);
    sealed = true;
}

std::string ProgramFile(Build build)
{
    // another build of the program, to show that a test catches it
    if (const char* other = getenv("UNINS_PROGRAM"))
        return other;
    return build == Build::Twin64 ? UNINS_BUILD_DIR "/win64/unins.exe"
                                  : UNINS_BUILD_DIR "/win32/unins.exe";
}

std::string FixtureFile(Build build, const std::string& name)
{
    return std::string(build == Build::Twin64 ? UNINS_BUILD_DIR "/win64" : UNINS_BUILD_DIR "/win32") +
           "/tests/fixtures/" + name;
}

static std::vector<std::string> WineEnvironment(const std::string& locale = "")
{
    std::vector<std::string> env;
    for (char** e = environ; *e; ++e) {
        std::string s = *e;
        if (s.rfind("WINE", 0) == 0 || s.rfind("DISPLAY=", 0) == 0 || s.rfind("HOME=", 0) == 0 ||
            s.rfind("LD_PRELOAD=", 0) == 0)
            continue;
        if (!locale.empty() && (s.rfind("LANG=", 0) == 0 || s.rfind("LC_", 0) == 0))
            continue;
        env.push_back(s);
    }
    if (!locale.empty()) {
        env.push_back("LANG=" + locale);
        env.push_back("LC_ALL=" + locale);
    }
    // a throwaway home, so that Wine never links the prefix to the real one
    env.push_back("HOME=" + WineDir() + "/home");
    env.push_back("WINEPREFIX=" + WineDir() + "/prefix");
    env.push_back("WINEARCH=win64");
    env.push_back("WINEDEBUG=-all");
    env.push_back("WINEDLLOVERRIDES=mscoree,mshtml=;winemenubuilder.exe=d");
    env.push_back("DISPLAY=" + Display());
    std::string preload = LdPreload();
    if (!preload.empty())
        env.push_back("LD_PRELOAD=" + preload);
    return env;
}

static int Spawn(const std::vector<std::string>& args, int* in, int* out,
                 const std::string& locale = "")
{
    int toChild[2], fromChild[2];
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    if (in) {
        if (pipe(toChild) != 0 || pipe(fromChild) != 0)
            return -1;
        posix_spawn_file_actions_adddup2(&actions, toChild[0], 0);
        posix_spawn_file_actions_adddup2(&actions, fromChild[1], 1);
        posix_spawn_file_actions_addclose(&actions, toChild[1]);
        posix_spawn_file_actions_addclose(&actions, fromChild[0]);
    }
    // Wine's own processes (the desktop, services) are started by whichever
    // program needs them first and inherit its output; they outlive the test,
    // and a test whose output stays open does not end for ctest until they
    // do. So no Wine process gets the test's output: it goes to a log.
    std::string log = WineDir() + "/wine-output.log";
    if (!in)
        posix_spawn_file_actions_addopen(&actions, 1, log.c_str(), O_WRONLY | O_CREAT | O_APPEND, 0644);
    posix_spawn_file_actions_addopen(&actions, 2, log.c_str(), O_WRONLY | O_CREAT | O_APPEND, 0644);
    std::vector<char*> argv;
    for (auto& a : args)
        argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    std::vector<std::string> env = WineEnvironment(locale);
    std::vector<char*> envp;
    for (auto& e : env)
        envp.push_back(const_cast<char*>(e.c_str()));
    envp.push_back(nullptr);
    pid_t pid = -1;
    int rc = posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), envp.data());
    posix_spawn_file_actions_destroy(&actions);
    if (in) {
        close(toChild[0]);
        close(fromChild[1]);
        *in = toChild[1];
        *out = fromChild[0];
    }
    return rc == 0 ? pid : -1;
}

static int RunAndWait(const std::vector<std::string>& args, int seconds)
{
    int pid = Spawn(args, nullptr, nullptr);
    auto end = std::chrono::steady_clock::now() + std::chrono::seconds(seconds);
    int status = 0;
    while (waitpid(pid, &status, WNOHANG) == 0) {
        if (std::chrono::steady_clock::now() > end) {
            kill(pid, SIGKILL);
            waitpid(pid, &status, 0);
            return -1;
        }
        usleep(50000);
    }
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

// ---- Driver ----

Driver::Driver() : Driver(std::string()) {}

Driver::Driver(const std::string& locale)
{
    signal(SIGPIPE, SIG_IGN);
    RequireSealedPrefix();
    if (SuiteBuild() == Build::Shipped32)
        pid_ = Spawn({kWine32, UNINS_BUILD_DIR "/win32/tools/driver/driver.exe"}, &in_, &out_,
                     locale);
    else
        pid_ = Spawn({kWine64, UNINS_BUILD_DIR "/win64/tools/driver/driver.exe"}, &in_, &out_,
                     locale);
    EXPECT_GT(pid_, 0) << "cannot start the UI driver";
}

Driver::~Driver()
{
    if (pid_ <= 0)
        return;
    std::string quit = "quit\n";
    if (write(in_, quit.data(), quit.size()) < 0) {
    }
    close(in_);
    auto end = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    int status;
    while (waitpid(pid_, &status, WNOHANG) == 0) {
        if (std::chrono::steady_clock::now() > end) {
            kill(pid_, SIGKILL);
            waitpid(pid_, &status, 0);
            break;
        }
        usleep(20000);
    }
    close(out_);
}

std::vector<std::string> Driver::Call(const std::vector<std::string>& fields, int seconds)
{
    std::string line;
    for (size_t i = 0; i < fields.size(); ++i)
        line += (i ? "\t" : "") + fields[i];
    line += "\n";
    if (pid_ <= 0 || write(in_, line.data(), line.size()) != (ssize_t)line.size()) {
        ADD_FAILURE() << "driver is gone";
        return {"error"};
    }
    std::vector<std::string> lines;
    auto started = std::chrono::steady_clock::now();
    auto end = started + std::chrono::seconds(seconds);
    for (;;) {
        size_t nl;
        while ((nl = pending_.find('\n')) != std::string::npos) {
            std::string one = pending_.substr(0, nl);
            pending_.erase(0, nl + 1);
            if (!one.empty() && one.back() == '\r')
                one.pop_back();
            if (one == ".") {
                // UNINS_SLOW_CALLS=1 names every command that took over 2 s
                auto took = std::chrono::steady_clock::now() - started;
                if (getenv("UNINS_SLOW_CALLS") && took > std::chrono::seconds(2))
                    fprintf(stderr, "slow driver call, %lld ms: %s",
                            (long long)std::chrono::duration_cast<std::chrono::milliseconds>(took)
                                .count(),
                            line.c_str());
                return lines;
            }
            lines.push_back(one);
        }
        int left = (int)std::chrono::duration_cast<std::chrono::milliseconds>(
                       end - std::chrono::steady_clock::now()).count();
        if (left <= 0) {
            ADD_FAILURE() << "driver did not answer: " << line;
            return {"timeout"};
        }
        pollfd p = {out_, POLLIN, 0};
        if (poll(&p, 1, left) <= 0)
            continue;
        char buffer[4096];
        ssize_t n = read(out_, buffer, sizeof buffer);
        if (n <= 0) {
            ADD_FAILURE() << "driver ended while answering: " << line;
            return {"error"};
        }
        pending_.append(buffer, n);
    }
}

static std::vector<std::string> Fields(const std::string& line)
{
    std::vector<std::string> out;
    std::stringstream s(line);
    std::string f;
    while (std::getline(s, f, '\t'))
        out.push_back(f);
    if (!line.empty() && line.back() == '\t')
        out.push_back("");
    return out;
}

static bool IsOk(const std::vector<std::string>& answer)
{
    return !answer.empty() && answer.back().rfind("ok", 0) == 0;
}

static int Seconds(int ms)
{
    return ms / 1000 + 30;
}

void Driver::Env(const std::string& name, const std::string& value)
{
    EXPECT_TRUE(IsOk(Call({"env", name, value})));
}

bool Driver::Start(const std::string& commandLine, const std::string& folder)
{
    return IsOk(Call({"start", commandLine, folder}));
}

static int ExitCode(const std::vector<std::string>& answer)
{
    if (!IsOk(answer))
        return -1;
    auto f = Fields(answer.back());
    return f.size() > 1 ? std::stoi(f[1]) : -1;
}

int Driver::Wait(int ms)
{
    return ExitCode(Call({"wait", std::to_string(ms)}, Seconds(ms)));
}

bool Driver::Find(const std::string& image, int ms)
{
    return IsOk(Call({"find", image, std::to_string(ms)}, Seconds(ms)));
}

int Driver::WaitFound(int ms)
{
    return ExitCode(Call({"waitfound", std::to_string(ms)}, Seconds(ms)));
}

bool Driver::Running(const std::string& image)
{
    auto a = Call({"running", image});
    return IsOk(a) && Fields(a.back()).at(1) == "1";
}

Box Driver::WaitBox(int ms)
{
    return WaitBoxCaptioned(Title(), ms);
}

Box Driver::WaitBoxCaptioned(const std::string& caption, int ms)
{
    Box box;
    auto a = Call({"box", std::to_string(ms), caption}, Seconds(ms));
    if (!IsOk(a))
        return box;
    auto f = Fields(a.back());
    f.resize(6);
    box.found = true;
    box.caption = f[1];
    box.text = f[2];
    box.buttons = f[3];
    box.owner = f[4];
    box.icon = f[5] == "icon";
    return box;
}

bool Driver::Answer(int button)
{
    return IsOk(Call({"answer", std::to_string(button)}));
}

bool Driver::WaitWindow(const std::string& title, int ms)
{
    return IsOk(Call({"window", title, std::to_string(ms)}, Seconds(ms)));
}

const Control& DialogState::Get(int id) const
{
    static Control none;
    for (auto& c : controls)
        if (c.id == id)
            return c;
    return none;
}

DialogState Driver::Dump(const std::string& title)
{
    DialogState d;
    auto a = Call({"dump", title});
    if (!IsOk(a))
        return d;
    d.ok = true;
    for (auto& line : a) {
        auto f = Fields(line);
        if (f[0] == "win" && f.size() >= 7) {
            d.visible = f[1] == "1";
            d.iconic = f[2] == "1";
            d.x = std::stoi(f[3]);
            d.y = std::stoi(f[4]);
            d.w = std::stoi(f[5]);
            d.h = std::stoi(f[6]);
        } else if (f[0] == "client" && f.size() >= 3) {
            d.clientW = std::stoi(f[1]);
            d.clientH = std::stoi(f[2]);
        } else if (f[0] == "ctl" && f.size() >= 9) {
            Control c;
            c.id = std::stoi(f[1]);
            c.cls = f[2];
            c.visible = f[3] == "1";
            c.enabled = f[4] == "1";
            c.x = std::stoi(f[5]);
            c.y = std::stoi(f[6]);
            c.w = std::stoi(f[7]);
            c.h = std::stoi(f[8]);
            c.text = f.size() > 9 ? f[9] : "";
            d.controls.push_back(c);
        } else if (f[0] == "item" && f.size() >= 4) {
            int id = std::stoi(f[1]);
            d.items[id].push_back(f.size() > 4 ? f[4] : "");
            if (f[3] == "1")
                d.selected[id] = std::stoi(f[2]);
        }
    }
    for (auto& c : d.controls)
        if (strcasecmp(c.cls.c_str(), "ListBox") == 0) {
            d.items[c.id];
            if (!d.selected.count(c.id))
                d.selected[c.id] = -1;
        }
    return d;
}

bool Driver::Click(const std::string& title, int id)
{
    return IsOk(Call({"click", title, std::to_string(id)}));
}

void Driver::Key(const std::string& title, const std::string& key)
{
    EXPECT_TRUE(IsOk(Call({"key", title, key})));
}

bool Driver::Hold(const std::string& path, bool exclusive)
{
    return IsOk(exclusive ? Call({"hold", path, "exclusive"}) : Call({"hold", path}));
}

bool Driver::Release(const std::string& path)
{
    return IsOk(Call({"release", path}));
}

std::string Driver::RegGet(const std::string& key, const std::string& value)
{
    auto a = value.empty() ? Call({"regget", key}) : Call({"regget", key, value});
    if (!IsOk(a))
        return "<missing>";
    auto f = Fields(a.back());
    return f.size() > 2 ? f[2] : "<" + f[1] + ">";
}

std::string Driver::RegType(const std::string& key, const std::string& value)
{
    auto a = Call({"regget", key, value});
    return IsOk(a) ? Fields(a.back()).at(1) : "<missing>";
}

void Driver::RegSet(const std::string& key, const std::string& value, const std::string& type,
                    const std::string& data)
{
    EXPECT_TRUE(IsOk(Call({"regset", key, value, type, data})));
}

std::string Driver::ShortPath(const std::string& path)
{
    auto a = Call({"shortpath", path});
    return IsOk(a) ? Fields(a.back()).at(1) : "<none>";
}

std::string Driver::Folder(int csidl)
{
    auto a = Call({"folder", std::to_string(csidl)});
    return IsOk(a) ? Fields(a.back()).at(1) : "";
}

int Driver::CodePage()
{
    auto a = Call({"acp"});
    return IsOk(a) ? std::stoi(Fields(a.back()).at(1)) : -1;
}

void Driver::RegDeleteTree(const std::string& key)
{
    EXPECT_TRUE(IsOk(Call({"regdeltree", key})));
}

void Driver::RegDeleteValue(const std::string& key, const std::string& value)
{
    EXPECT_TRUE(IsOk(Call({"regdeltree", key, value})));
}

DialogState WaitDone(Driver& driver, const std::string& title, int ms)
{
    DialogState d;
    auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
    while (std::chrono::steady_clock::now() < end) {
        d = driver.Dump(title);
        // The dialog answers while it works, so this dump may have caught
        // the end layout half made; the next one is read when the work has
        // returned, as the dialog answers nothing while it lays itself out.
        if (d.Get(FINISH).enabled || d.Get(CLOSE).enabled)
            return driver.Dump(title);
        usleep(100000);
    }
    ADD_FAILURE() << "the dialog did not finish its work";
    return d;
}

// ---- Sandbox ----

static std::string TestName()
{
    auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    std::string name = std::string(info->test_suite_name()) + "_" + info->name();
    for (char& c : name)
        if (!isalnum((unsigned char)c) && c != '_')
            c = '_';
    return name;
}

std::string Product()
{
    return "Sample App " + TestName();
}

std::string Title()
{
    return "Uninstall " + Product();
}

Sandbox::Sandbox(Build b) : build(b)
{
    RequireSealedPrefix();
    name = TestName();
    fs::remove_all(Host());
    fs::create_directories(Host("app"));
    fs::create_directories(Host("tmp"));
}

std::string Sandbox::Win(const std::string& relative) const
{
    std::string path = "C:\\e2e\\" + name;
    return relative.empty() ? path : path + "\\" + relative;
}

std::string Sandbox::Host(const std::string& relative) const
{
    return HostPath(Win(relative));
}

void Sandbox::Write(const std::string& relative, const std::string& content) const
{
    fs::create_directories(fs::path(Host(relative)).parent_path());
    std::ofstream(Host(relative), std::ios::binary) << content;
}

std::string Sandbox::Read(const std::string& relative) const
{
    std::ifstream file(Host(relative), std::ios::binary);
    std::stringstream s;
    s << file.rdbuf();
    return s.str();
}

bool Sandbox::Exists(const std::string& relative) const
{
    return fs::exists(Host(relative));
}

void Sandbox::MakeDir(const std::string& relative) const
{
    fs::create_directories(Host(relative));
}

std::string Sandbox::InstallProgram(const std::string& log, const std::string& name) const
{
    fs::copy_file(ProgramFile(build), Host("app\\" + name), fs::copy_options::overwrite_existing);
    Write("app\\uninstal.ini", log);
    return Win("app\\" + name);
}

std::string Sandbox::InstallFixture(const std::string& name, const std::string& relative) const
{
    fs::create_directories(fs::path(Host(relative)).parent_path());
    fs::copy_file(FixtureFile(build, name), Host(relative), fs::copy_options::overwrite_existing);
    return Win(relative);
}

void Sandbox::UseTemp(Driver& driver, const std::string& relative) const
{
    MakeDir(relative);
    driver.Env("TMP", Win(relative));
    driver.Env("TEMP", Win(relative));
}

std::string StandardLog(const std::string& extra)
{
    return "[Messages]\r\n"
           "A10," + Product() + "\r\n"
           "A13,&Finish\r\n"
           "A36,Cannot copy %s to %s\r\n"
           "A42,Deleting files...\r\n"
           "A43,Remove %s and all of its components?\r\n"
           "A44,Delete &selected\r\n"
           "A45,Delete &all\r\n"
           "A46,&Close\r\n"
           "A47,Uninstall program: %s\r\n"
           "A48,Uninstall\r\n"
           "A49,Cannot start %s\r\n"
           "A50,Uninstall complete.\r\n"
           "A51,Delete %s?\r\n"
           "A52,Cannot delete %s. Try again?\r\n"
           "A53,These files were not removed:\r\n"
           "A54,Removing registry entries...\r\n"
           "A55,Removing profile entries...\r\n"
           "A58,Please wait.\r\n"
           "[Actions]\r\n" +
           extra;
}

std::string Screenshot(const std::string& name)
{
    std::string dir = UNINS_BUILD_DIR "/host/screenshots";
    fs::create_directories(dir);
    std::string file = dir + "/" + name + ".png";
    std::string command = "import -display " + Display() + " -window root " + file;
    EXPECT_EQ(system(command.c_str()), 0) << command;
    return file;
}

std::vector<std::string> CopiesIn(const std::string& temp, const std::string& name)
{
    std::vector<std::string> copies;
    std::error_code error;
    for (auto& e : fs::directory_iterator(HostPath(temp), error)) {
        std::string folder = e.path().filename().string();
        bool hex = folder.size() == 16 &&
                   folder.find_first_not_of("0123456789abcdef") == std::string::npos;
        if (hex && fs::exists(e.path() / name))
            copies.push_back(temp + (temp.back() == '\\' ? "" : "\\") + folder + "\\" + name);
    }
    std::sort(copies.begin(), copies.end());
    return copies;
}

std::vector<std::string> WaitCopies(const std::string& temp, size_t count,
                                    const std::string& name, int ms)
{
    std::vector<std::string> copies = CopiesIn(temp, name);
    for (int waited = 0; copies.size() < count && waited < ms; waited += 100) {
        usleep(100000);
        copies = CopiesIn(temp, name);
    }
    return copies;
}

void RestartWine()
{
    EXPECT_EQ(RunAndWait({kWine64, "wineboot", "-r"}, 300), 0);
}

}  // namespace e2e
