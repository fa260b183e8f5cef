// End-to-end harness: runs the program under Wine in the test run's prefix
// and drives it through the UI driver, as a person would.
#pragma once
#include <map>
#include <set>
#include <string>
#include <vector>

#include "resource.h"

namespace e2e {

// The progress dialog's controls, as the program's resources number them.
enum {
    CLOSE = IDC_CLOSE,
    LABEL = IDC_LEFTOVER_LABEL,
    LEFTOVER = IDC_LEFTOVER_LIST,
    DELETE_SELECTED = IDC_DELETE_SELECTED,
    DELETE_ALL = IDC_DELETE_ALL,
    STATUS = IDC_STATUS_LIST,
    FINISH = IDC_FINISH,
};

// Which build of the program a test runs: the shipped 32-bit program, or the
// 64-bit twin where the kernel cannot run 32-bit code (it is then emulated,
// about a minute per process start).
enum class Build { Twin64, Shipped32 };

// The build the suite runs (chosen by scripts/wine-env) and the UI driver's
// bitness with it, so that the driver sees the registry view the program
// sees.
Build SuiteBuild();
// True when this build's processes are emulated: waits must be longer.
bool Emulated(Build build);
// True when Wine's 32-bit loader is installed (natively run or emulated):
// without it no 32-bit program can run here at all.
bool Wine32Installed();

// Where the folder that the program under test calls System32 lies in the
// 64-bit prefix: SysWOW64 for the 32-bit program (file-system redirection),
// System32 for the 64-bit twin. C:\windows\system32 itself is the 64-bit
// side, which a 32-bit program reaches only as Sysnative.
std::string ProgramSystem32(Build build = SuiteBuild());

std::string WineDir();
std::string Display();
// The LD_PRELOAD that Wine's processes need here (scripts/wine-env: 32-bit
// code emulated by qemu), or "".
std::string LdPreload();
// C:\... path in the prefix <-> Linux path.
std::string HostPath(const std::string& windowsPath);
// Every file and folder under a host folder, relative, with '/' separators
// and a '/' after each folder.
std::set<std::string> HostTree(const std::string& root);
std::string ProgramFile(Build build);
// A test fixture (tests/fixtures) of the build's bitness.
std::string FixtureFile(Build build, const std::string& name);

// The base names of the files mapped by the running process whose image is
// the host file image: its libraries, read from /proc as the host sees the
// process (Wine cannot list a 32-bit process's modules from another one
// in a 64-bit prefix). Empty when no such process runs.
std::set<std::string> HostMappedFiles(const std::string& image);

// Why the prefix could reach the host (a link from drive_c out of it, a
// drive other than C:), or empty when it is sealed.
std::string SealFault(const std::string& prefix);

struct Control {
    int id = 0;
    std::string cls;
    bool visible = false;
    bool enabled = false;
    int x = 0, y = 0, w = 0, h = 0;
    std::string text;
};

struct DialogState {
    bool ok = false;
    bool visible = false;
    bool iconic = false;
    int x = 0, y = 0, w = 0, h = 0;
    int clientW = 0, clientH = 0;
    std::vector<Control> controls;
    std::map<int, std::vector<std::string>> items;  // list box id -> entries
    std::map<int, int> selected;                    // list box id -> selected index
    const Control& Get(int id) const;
};

struct Box {
    bool found = false;
    std::string caption, text, buttons, owner;
    bool icon = false;
};

enum { YES = 6, NO = 7, OK = 1, CANCEL = 2 };

// One UI driver process for one test.
class Driver {
public:
    Driver();
    // A driver, and every program it starts, in this Unix locale (LANG and
    // LC_ALL): Wine takes a process's ANSI code page from it at the start,
    // and a program inherits it from the process that starts it.
    // "ja_JP.UTF-8" gives code page 932.
    explicit Driver(const std::string& locale);
    ~Driver();
    // Sends one command line (fields joined by tabs) and returns the answer.
    std::vector<std::string> Call(const std::vector<std::string>& fields, int seconds = 120);

    void Env(const std::string& name, const std::string& value);
    bool Start(const std::string& commandLine, const std::string& folder = "");
    int Wait(int ms = 60000);  // exit code of the started process; -1 on timeout
    bool Find(const std::string& image, int ms = 60000);
    int WaitFound(int ms = 60000);
    bool Running(const std::string& image);
    // The next message box captioned with this test's Title(), or with caption.
    Box WaitBox(int ms = 30000);
    Box WaitBoxCaptioned(const std::string& caption, int ms = 30000);
    bool Answer(int button);
    bool WaitWindow(const std::string& title, int ms = 60000);
    DialogState Dump(const std::string& title);
    bool Click(const std::string& title, int id);
    void Key(const std::string& title, const std::string& key);
    // Keeps the file open sharing reads only, or, exclusive, sharing nothing.
    bool Hold(const std::string& path, bool exclusive = false);
    bool Release(const std::string& path);
    // Registry state as the program under test sees it (the driver has its
    // bitness). A value "@" is the key's default value. RegGet gives the
    // data ("42", hex bytes for binary), "<key>" for an existing key when no
    // value is asked for, "<missing>" otherwise; RegType the type name.
    std::string RegGet(const std::string& key, const std::string& value = "");
    std::string RegType(const std::string& key, const std::string& value);
    void RegSet(const std::string& key, const std::string& value, const std::string& type,
                const std::string& data);
    void RegDeleteTree(const std::string& key);
    void RegDeleteValue(const std::string& key, const std::string& value);
    // GetShortPathNameA of the path, as the program under test gets it.
    std::string ShortPath(const std::string& path);
    // The folder of a CSIDL value as the system reports it, or "".
    std::string Folder(int csidl);
    // The driver's ANSI code page (GetACP).
    int CodePage();

private:
    int pid_ = -1;
    int in_ = -1;
    int out_ = -1;
    std::string pending_;
};

// Waits until the dialog's work is done (its finish or close button is
// enabled) and returns what it shows then.
DialogState WaitDone(Driver& driver, const std::string& title, int ms = 60000);

// A fresh folder C:\e2e\<test>\ with app\ and tmp\, removed at the start.
class Sandbox {
public:
    explicit Sandbox(Build build = SuiteBuild());
    std::string Win(const std::string& relative = "") const;  // C:\e2e\<test>\relative
    std::string Host(const std::string& relative = "") const;
    void Write(const std::string& relative, const std::string& content) const;
    std::string Read(const std::string& relative) const;
    bool Exists(const std::string& relative) const;
    void MakeDir(const std::string& relative) const;
    // The program copied into app\ under name, and the log beside it.
    std::string InstallProgram(const std::string& log, const std::string& name = "unins.exe") const;
    // A fixture of this sandbox's build copied to relative; its C:\ path.
    std::string InstallFixture(const std::string& name, const std::string& relative) const;
    // Gives programs started by the driver the sandbox's tmp\ as TMP and TEMP.
    void UseTemp(Driver& driver, const std::string& relative = "tmp") const;

    std::string name;
    Build build;
};

// The product title of this test's log (unique, so that tests running side by
// side never see each other's windows) and the caption it gives.
std::string Product();
std::string Title();

// A log with the messages every test uses; extra lines follow them.
std::string StandardLog(const std::string& extra = "");

// Saves a PNG of the whole display under build/host/screenshots/.
std::string Screenshot(const std::string& name);

// The removal copies named name that launchers made in a temporary folder
// (a C:\ path): name in each folder of it named by 16 hexadecimal digits,
// as C:\ paths, sorted.
std::vector<std::string> CopiesIn(const std::string& temp, const std::string& name = "unins.exe");
// The same once there are count of them, waiting up to ms: the launcher
// makes its copy and then waits for it, so a test looks for it meanwhile.
std::vector<std::string> WaitCopies(const std::string& temp, size_t count = 1,
                                    const std::string& name = "unins.exe", int ms = 60000);

// The lines of a text (a recorder's output), without their CR.
std::vector<std::string> Lines(const std::string& text);

// Carries out pending restart-time renames and deletions in the prefix.
void RestartWine();

}  // namespace e2e
