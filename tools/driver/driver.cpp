// The UI driver of the end-to-end tests: a Win32 console program that the
// tests run under Wine and talk to over its standard input and output, one
// command per line, fields separated by tabs. Every answer ends with a line
// holding a single ".". It starts programs, waits for them, reads and answers
// message boxes, reads the progress dialog and clicks its buttons as a person
// would, holds files open, and reads and writes the registry. Texts are in
// the driver's ANSI code page, which its programs share.
#include <windows.h>
#include <psapi.h>
#include <shlobj.h>
#include <tlhelp32.h>

#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include <map>
#include <string>
#include <vector>

typedef std::vector<std::string> Fields;

static HANDLE s_started;  // the process the last "start" made
static HANDLE s_found;    // the process the last "find" found
static HWND s_box;        // the message box the last "box" found
static std::map<std::string, HANDLE> s_held;
// The code page of list box items and held paths: the ANSI one, or UTF-8
// after the command "utf8", for names outside the ANSI code page.
static UINT s_textPage = CP_ACP;

static void Reply(const std::string& text)
{
    fputs(text.c_str(), stdout);
    fputs("\n.\n", stdout);
    fflush(stdout);
}

static std::string Flat(const std::string& text)
{
    std::string out;
    for (char c : text) {
        if (c == '\n')
            out += "\\n";
        else if (c == '\r')
            continue;
        else if (c == '\t')
            out += ' ';
        else
            out += c;
    }
    return out;
}

static std::string WindowText(HWND window)
{
    WCHAR wide[4096];
    wide[0] = 0;
    SendMessageTimeoutW(window, WM_GETTEXT, 4096, (LPARAM)wide, SMTO_ABORTIFHUNG, 5000, 0);
    char text[8192];
    WideCharToMultiByte(CP_ACP, 0, wide, -1, text, sizeof text, 0, 0);
    return text;
}

// A top-level window's title, read without sending the window a message: a
// search over every window must not wait for another program that is busy
// or hung.
static std::string TitleOf(HWND window)
{
    WCHAR wide[1024];
    wide[0] = 0;
    GetWindowTextW(window, wide, 1024);
    char text[2048];
    WideCharToMultiByte(CP_ACP, 0, wide, -1, text, sizeof text, 0, 0);
    return text;
}

// Messages to another process's window never wait longer than this: a
// window that is busy makes the command fail instead of hanging the driver.
static LRESULT Ask(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    DWORD_PTR result = 0;
    if (!SendMessageTimeoutW(window, message, wParam, lParam, SMTO_ABORTIFHUNG, 10000, &result))
        return -1;
    return (LRESULT)result;
}

static std::string ClassOf(HWND window)
{
    char name[256] = "";  // a window gone meanwhile has no class
    GetClassNameA(window, name, sizeof name);
    return name;
}

static bool IsMessageBox(HWND window)
{
    if (ClassOf(window) != "#32770" || !IsWindowVisible(window))
        return false;
    // the progress dialog has its status list; a message box has none
    if (GetDlgItem(window, 1005))
        return false;
    return GetDlgItem(window, IDOK) || GetDlgItem(window, IDYES) || GetDlgItem(window, IDNO);
}

struct Search {
    std::string title;
    HWND found;
    bool anyTitle;
};

static BOOL CALLBACK FindBox(HWND window, LPARAM data)
{
    Search* search = (Search*)data;
    if (IsMessageBox(window) && (search->anyTitle || TitleOf(window) == search->title)) {
        search->found = window;
        return FALSE;
    }
    return TRUE;
}

static BOOL CALLBACK FindTitled(HWND window, LPARAM data)
{
    Search* search = (Search*)data;
    if (ClassOf(window) == "#32770" && !IsMessageBox(window) &&
        TitleOf(window) == search->title) {
        search->found = window;
        return FALSE;
    }
    return TRUE;
}

static HWND WaitFor(WNDENUMPROC proc, const std::string& title, DWORD timeout,
                    bool anyTitle = false)
{
    DWORD start = GetTickCount();
    for (;;) {
        Search search = {title, 0, anyTitle};
        EnumWindows(proc, (LPARAM)&search);
        if (search.found)
            return search.found;
        if (GetTickCount() - start > timeout)
            return 0;
        Sleep(50);
    }
}

static std::string Buttons(HWND box)
{
    static const struct {
        int id;
        const char* name;
    } names[] = {{IDOK, "OK"}, {IDCANCEL, "Cancel"}, {IDYES, "Yes"}, {IDNO, "No"}};
    std::string out;
    for (auto& n : names) {
        HWND button = GetDlgItem(box, n.id);
        if (button && IsWindowVisible(button))
            out += std::string(out.empty() ? "" : ",") + n.name;
    }
    return out;
}

static BOOL CALLBACK CollectStatic(HWND child, LPARAM data)
{
    std::string* text = (std::string*)data;
    if (ClassOf(child) == "Static" && !(GetWindowLongA(child, GWL_STYLE) & SS_ICON)) {
        std::string t = WindowText(child);
        if (t.size() > text->size())
            *text = t;
    }
    return TRUE;
}

static BOOL CALLBACK FindIcon(HWND child, LPARAM data)
{
    if (ClassOf(child) == "Static" && (GetWindowLongA(child, GWL_STYLE) & SS_ICON) &&
        IsWindowVisible(child))
        *(bool*)data = true;
    return TRUE;
}

// box TIMEOUT [CAPTION]: caption, text, buttons, owner's title of the first
// message box (with that caption, when one is given).
static void CmdBox(const Fields& f)
{
    DWORD timeout = f.size() > 1 ? atoi(f[1].c_str()) : 10000;
    HWND box = WaitFor(FindBox, f.size() > 2 ? f[2] : "", timeout, f.size() < 3);
    if (!box)
        return Reply("timeout");
    s_box = box;
    std::string text;
    EnumChildWindows(box, CollectStatic, (LPARAM)&text);
    bool icon = false;
    EnumChildWindows(box, FindIcon, (LPARAM)&icon);
    HWND owner = GetWindow(box, GW_OWNER);
    Reply("ok\t" + Flat(WindowText(box)) + "\t" + Flat(text) + "\t" + Buttons(box) + "\t" +
          (owner ? Flat(WindowText(owner)) : std::string("-")) + "\t" + (icon ? "icon" : "noicon"));
}

// answer ID: clicks a button of the message box the last "box" found.
static void CmdAnswer(const Fields& f)
{
    HWND box = s_box;
    if (!box || !IsWindow(box))
        return Reply("error\tno box");
    HWND button = GetDlgItem(box, atoi(f[1].c_str()));
    if (!button)
        return Reply("error\tno such button");
    PostMessageA(button, BM_CLICK, 0, 0);
    // the box is gone before the next command looks for one
    DWORD start = GetTickCount();
    while (IsWindow(box) && GetTickCount() - start < 10000)
        Sleep(20);
    Reply(IsWindow(box) ? "error\tbox stays" : "ok");
}

static HWND Dialog(const std::string& title, DWORD timeout)
{
    return WaitFor(FindTitled, title, timeout);
}

// window TITLE TIMEOUT: waits for the dialog titled TITLE to be visible.
static void CmdWindow(const Fields& f)
{
    DWORD timeout = f.size() > 2 ? atoi(f[2].c_str()) : 10000;
    DWORD start = GetTickCount();
    for (;;) {
        HWND window = Dialog(f[1], timeout);
        if (window && IsWindowVisible(window))
            return Reply("ok");
        if (GetTickCount() - start > timeout)
            return Reply("timeout");
        Sleep(50);
    }
}

static std::string Rect(HWND window)
{
    RECT r;
    GetWindowRect(window, &r);
    char text[128];
    sprintf(text, "%ld\t%ld\t%ld\t%ld", r.left, r.top, r.right - r.left, r.bottom - r.top);
    return text;
}

static BOOL CALLBACK DumpChild(HWND child, LPARAM data)
{
    std::string* out = (std::string*)data;
    int id = GetDlgCtrlID(child);
    std::string cls = ClassOf(child);
    char head[64];
    sprintf(head, "ctl\t%d\t", id);
    *out += head + cls + "\t" + (IsWindowVisible(child) ? "1" : "0") + "\t" +
            (IsWindowEnabled(child) ? "1" : "0") + "\t" + Rect(child) + "\t" +
            Flat(WindowText(child)) + "\n";
    if (_stricmp(cls.c_str(), "ListBox") == 0) {
        LRESULT count = Ask(child, LB_GETCOUNT, 0, 0);
        LRESULT selected = Ask(child, LB_GETCURSEL, 0, 0);
        for (LRESULT i = 0; i < count; ++i) {
            LRESULT length = Ask(child, LB_GETTEXTLEN, i, 0);
            if (length < 0)
                break;
            std::vector<WCHAR> wide(length + 1);
            Ask(child, LB_GETTEXT, i, (LPARAM)wide.data());
            char text[4096];
            WideCharToMultiByte(s_textPage, 0, wide.data(), -1, text, sizeof text, 0, 0);
            char line[64];
            sprintf(line, "item\t%d\t%d\t%d\t", id, (int)i, i == selected ? 1 : 0);
            *out += line + Flat(text) + "\n";
        }
    }
    return TRUE;
}

// True once the window's thread takes messages: a dump of a window whose
// thread is busy would wait for every control it reads.
static bool Idle(HWND window, DWORD timeout)
{
    DWORD start = GetTickCount();
    do {
        DWORD_PTR result;
        if (SendMessageTimeoutW(window, WM_NULL, 0, 0, SMTO_NORMAL, 500, &result))
            return true;
    } while (IsWindow(window) && GetTickCount() - start < timeout);
    return false;
}

// dump TITLE: the dialog's frame, then every control and list entry, read
// while the dialog is idle ("busy" when it is not within a few seconds).
static void CmdDump(const Fields& f)
{
    HWND window = Dialog(f[1], 5000);
    if (!window)
        return Reply("error\tno window");
    if (!Idle(window, 3000))
        return Reply("busy");
    std::string out = std::string("win\t") + (IsWindowVisible(window) ? "1" : "0") + "\t" +
                      (IsIconic(window) ? "1" : "0") + "\t" + Rect(window) + "\n";
    RECT client;
    GetClientRect(window, &client);
    char line[64];
    sprintf(line, "client\t%ld\t%ld\n", client.right, client.bottom);
    out += line;
    EnumChildWindows(window, DumpChild, (LPARAM)&out);
    Reply(out + "ok");
}

// The text a control shows: the mnemonic's "&" is not drawn, "&&" is one "&".
static std::wstring Shown(const WCHAR* text)
{
    std::wstring out;
    for (const WCHAR* p = text; *p; ++p)
        if (*p != L'&' || *++p)
            out += *p;
        else
            break;
    return out;
}

// The font a dialog template names, made as the dialog manager makes it:
// the template's point size at the screen's resolution, its face, any
// character set. Another process's font handle cannot be read here.
static HFONT TemplateFont(HWND window, int dialogId)
{
    DWORD pid = 0;
    GetWindowThreadProcessId(window, &pid);
    HANDLE process = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, pid);
    WCHAR image[MAX_PATH];
    DWORD size = MAX_PATH;
    BOOL named = process && QueryFullProcessImageNameW(process, 0, image, &size);
    if (process)
        CloseHandle(process);
    HMODULE module = named ? LoadLibraryExW(image, 0, LOAD_LIBRARY_AS_DATAFILE) : 0;
    HRSRC found = module ? FindResourceW(module, MAKEINTRESOURCEW(dialogId), (LPWSTR)RT_DIALOG) : 0;
    const WORD* p = found ? (const WORD*)LockResource(LoadResource(module, found)) : 0;
    HFONT font = 0;
    // a classic template: style, extended style, count, x, y, cx, cy, then
    // menu, class and title (each 0, 0xFFFF and a number, or a string)
    if (p && p[1] != 0xFFFF && (*(const DWORD*)p & DS_SETFONT)) {
        p += 9;
        for (int i = 0; i < 3; ++i)
            if (*p == 0xFFFF && i < 2)
                p += 2;
            else
                p += lstrlenW((const WCHAR*)p) + 1;
        HDC dc = GetDC(0);
        font = CreateFontW(-MulDiv(p[0], GetDeviceCaps(dc, LOGPIXELSY), 72), 0, 0, 0, FW_DONTCARE,
                           FALSE, FALSE, FALSE, DEFAULT_CHARSET, 0, 0, PROOF_QUALITY, FF_DONTCARE,
                           (const WCHAR*)(p + 1));
        ReleaseDC(0, dc);
    }
    if (module)
        FreeLibrary(module);
    return font;
}

struct Measure {
    std::string out;
    HFONT font;
};

static BOOL CALLBACK MeasureChild(HWND child, LPARAM data)
{
    Measure* m = (Measure*)data;
    WCHAR text[1024];
    text[0] = 0;
    SendMessageTimeoutW(child, WM_GETTEXT, 1024, (LPARAM)text, SMTO_ABORTIFHUNG, 5000, 0);
    std::string cls = ClassOf(child);
    bool button = _stricmp(cls.c_str(), "Button") == 0;
    if (!text[0] || (!button && _stricmp(cls.c_str(), "Static") != 0))
        return TRUE;
    HDC dc = GetDC(0);
    HGDIOBJ old = SelectObject(dc, m->font);
    RECT client;
    GetClientRect(child, &client);
    // a push button draws its label inside its 2-pixel frame, 2 more pixels in
    int margin = button ? 4 : 0;
    int roomW = client.right - 2 * margin, roomH = client.bottom - 2 * margin;
    std::wstring shown = Shown(text);
    SIZE extent = {};
    if (button) {
        GetTextExtentPoint32W(dc, shown.c_str(), (int)shown.size(), &extent);
    } else {
        // a static text wraps at its width
        RECT r = {0, 0, roomW, 0};
        DrawTextW(dc, text, -1, &r, DT_CALCRECT | DT_WORDBREAK | DT_CENTER);
        extent.cx = r.right;
        extent.cy = r.bottom;
    }
    SelectObject(dc, old);
    ReleaseDC(0, dc);
    char line[128];
    sprintf(line, "text\t%d\t%s\t%ld\t%ld\t%d\t%d\n", GetDlgCtrlID(child), cls.c_str(),
            extent.cx, extent.cy, roomW, roomH);
    m->out += line;
    return TRUE;
}

// measure TITLE DIALOGID: for every button and static text with a text,
// the text's extent in the dialog's font and the room the control gives it,
// in pixels: "text ID CLASS WIDTH HEIGHT ROOMWIDTH ROOMHEIGHT"; first
// "dpi N", the screen's resolution. The font is the one the dialog template
// DIALOGID in the window's program file names.
static void CmdMeasure(const Fields& f)
{
    HWND window = Dialog(f[1], 5000);
    if (!window)
        return Reply("error\tno window");
    if (!Idle(window, 3000))
        return Reply("busy");
    Measure m;
    m.font = TemplateFont(window, atoi(f[2].c_str()));
    if (!m.font)
        return Reply("error\tno dialog font");
    HDC dc = GetDC(0);
    m.out = "dpi\t" + std::to_string(GetDeviceCaps(dc, LOGPIXELSY)) + "\n";
    ReleaseDC(0, dc);
    EnumChildWindows(window, MeasureChild, (LPARAM)&m);
    DeleteObject(m.font);
    Reply(m.out + "ok");
}

// watch TITLE UNTIL [TIMEOUT]: samples the dialog while it works, every 10 ms
// or so, until its progress bar (control 1007) stands at UNTIL thousandths or
// more, its work is done (the finish or the close button enabled), or
// TIMEOUT ms passed. "ok LONGEST SAMPLES POSITIONS DONE": the longest wait
// for an answer to WM_NULL in ms, the number of samples, the bar's positions
// as they changed (joined by ','), and 1 when the work was done.
static void CmdWatch(const Fields& f)
{
    HWND window = Dialog(f[1], 5000);
    if (!window)
        return Reply("error\tno window");
    long until = atol(f[2].c_str());
    DWORD timeout = f.size() > 3 ? atoi(f[3].c_str()) : 120000;
    HWND bar = GetDlgItem(window, 1007);
    LARGE_INTEGER frequency;
    QueryPerformanceFrequency(&frequency);
    double longest = 0;
    int samples = 0;
    std::string positions;
    LONG_PTR last = -1;
    bool done = false;
    DWORD start = GetTickCount();
    while (!done && GetTickCount() - start < timeout) {
        LARGE_INTEGER before, after;
        DWORD_PTR result;
        QueryPerformanceCounter(&before);
        BOOL answered = SendMessageTimeoutW(window, WM_NULL, 0, 0, SMTO_NORMAL, 10000, &result);
        QueryPerformanceCounter(&after);
        if (!answered && !IsWindow(window))
            break;
        double ms = double(after.QuadPart - before.QuadPart) * 1000.0 / double(frequency.QuadPart);
        if (ms > longest)
            longest = ms;
        ++samples;
        LONG_PTR position = GetWindowLongPtrW(bar, GWLP_USERDATA);
        if (position != last)
            positions += (positions.empty() ? "" : ",") + std::to_string((long)position);
        last = position;
        done = IsWindowEnabled(GetDlgItem(window, 1006)) || IsWindowEnabled(GetDlgItem(window, 1000));
        if (position >= until)
            break;
        Sleep(10);
    }
    char head[64];
    sprintf(head, "ok\t%.1f\t%d\t", longest, samples);
    Reply(head + positions + "\t" + (done ? "1" : "0"));
}

// click TITLE ID: presses an enabled, visible button as a person would.
static void CmdClick(const Fields& f)
{
    HWND window = Dialog(f[1], 5000);
    if (!window)
        return Reply("error\tno window");
    HWND button = GetDlgItem(window, atoi(f[2].c_str()));
    if (!button || !IsWindowVisible(button) || !IsWindowEnabled(button))
        return Reply("error\tnot clickable");
    PostMessageA(button, BM_CLICK, 0, 0);
    Reply("ok");
}

// key TITLE escape|close|command ID: the Escape key, the title bar's close
// box, or a command posted to the dialog as another program could, whether
// its button is enabled or not.
static void CmdKey(const Fields& f)
{
    HWND window = Dialog(f[1], 5000);
    if (!window)
        return Reply("error\tno window");
    if (f[2] == "escape")
        PostMessageA(window, WM_COMMAND, IDCANCEL, 0);
    else if (f[2] == "command")
        PostMessageA(window, WM_COMMAND, atoi(f[3].c_str()), 0);
    else
        PostMessageA(window, WM_SYSCOMMAND, SC_CLOSE, 0);
    Reply("ok");
}

static void CmdStart(const Fields& f)
{
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process = {};
    std::string line = f[1];
    const char* folder = f.size() > 2 && !f[2].empty() ? f[2].c_str() : 0;
    if (!CreateProcessA(0, &line[0], 0, 0, FALSE, 0, 0, folder, &startup, &process))
        return Reply("error\tstart failed " + std::to_string(GetLastError()));
    CloseHandle(process.hThread);
    if (s_started)
        CloseHandle(s_started);
    s_started = process.hProcess;
    Reply("ok\t" + std::to_string(process.dwProcessId));
}

static void WaitExit(HANDLE process, DWORD timeout)
{
    if (!process)
        return Reply("error\tno process");
    if (WaitForSingleObject(process, timeout) != WAIT_OBJECT_0)
        return Reply("timeout");
    DWORD code = 0;
    GetExitCodeProcess(process, &code);
    Reply("ok\t" + std::to_string(code));
}

// memory: the peak working set and the peak of committed memory of the
// process the last "start" made, in bytes, read while it still runs.
static void CmdMemory()
{
    PROCESS_MEMORY_COUNTERS counters = {};
    counters.cb = sizeof counters;
    if (!s_started || !K32GetProcessMemoryInfo(s_started, &counters, sizeof counters))
        return Reply("error\tno counters");
    Reply("ok\t" + std::to_string(counters.PeakWorkingSetSize) + "\t" +
          std::to_string(counters.PeakPagefileUsage));
}

// modules: the names of the libraries loaded in the process the last
// "find" found, or else the last "start" made, one a line.
static void CmdModules()
{
    HANDLE process = s_found ? s_found : s_started;
    HMODULE modules[512];
    DWORD bytes = 0;
    if (!process || !K32EnumProcessModules(process, modules, sizeof modules, &bytes))
        return Reply("error\tno modules");
    std::string out;
    for (DWORD i = 0; i < bytes / sizeof modules[0] && i < 512; ++i) {
        char name[MAX_PATH];
        if (K32GetModuleBaseNameA(process, modules[i], name, MAX_PATH))
            out += std::string(name) + "\n";
    }
    Reply(out + "ok");
}

static bool SameFile(const char* a, const char* b)
{
    char x[MAX_PATH], y[MAX_PATH];
    if (!GetLongPathNameA(a, x, MAX_PATH))
        lstrcpynA(x, a, MAX_PATH);
    if (!GetLongPathNameA(b, y, MAX_PATH))
        lstrcpynA(y, b, MAX_PATH);
    return lstrcmpiA(x, y) == 0;
}

// The first running process whose image is path, or 0.
static HANDLE OpenByImage(const std::string& path)
{
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    PROCESSENTRY32 entry = {};
    entry.dwSize = sizeof entry;
    HANDLE result = 0;
    for (BOOL more = Process32First(snapshot, &entry); more && !result;
         more = Process32Next(snapshot, &entry)) {
        HANDLE process = OpenProcess(SYNCHRONIZE | PROCESS_QUERY_INFORMATION | PROCESS_VM_READ |
                                         PROCESS_TERMINATE, FALSE, entry.th32ProcessID);
        if (!process)
            continue;
        char image[MAX_PATH];
        DWORD size = MAX_PATH;
        if (QueryFullProcessImageNameA(process, 0, image, &size) &&
            SameFile(image, path.c_str()) &&
            WaitForSingleObject(process, 0) == WAIT_TIMEOUT)
            result = process;
        else
            CloseHandle(process);
    }
    CloseHandle(snapshot);
    return result;
}

// find PATH TIMEOUT: waits for a process of that image to run.
static void CmdFind(const Fields& f)
{
    DWORD timeout = f.size() > 2 ? atoi(f[2].c_str()) : 10000;
    DWORD start = GetTickCount();
    for (;;) {
        HANDLE process = OpenByImage(f[1]);
        if (process) {
            if (s_found)
                CloseHandle(s_found);
            s_found = process;
            return Reply("ok");
        }
        if (GetTickCount() - start > timeout)
            return Reply("timeout");
        Sleep(100);
    }
}

// hold PATH [exclusive]: keeps the file open, sharing reads only, or
// nothing at all, so that no other process can open it.
static void CmdHold(const Fields& f)
{
    DWORD share = f.size() > 2 && f[2] == "exclusive" ? 0 : FILE_SHARE_READ;
    static WCHAR path[32768];
    MultiByteToWideChar(s_textPage, 0, f[1].c_str(), -1, path, 32768);
    HANDLE file = CreateFileW(path, GENERIC_READ, share, 0, OPEN_EXISTING, 0, 0);
    if (file == INVALID_HANDLE_VALUE)
        return Reply("error\tcannot open");
    s_held[f[1]] = file;
    Reply("ok");
}

static void CmdRelease(const Fields& f)
{
    auto it = s_held.find(f[1]);
    if (it == s_held.end())
        return Reply("error\tnot held");
    CloseHandle(it->second);
    s_held.erase(it);
    Reply("ok");
}

static HKEY Root(const std::string& key, std::string* rest)
{
    size_t slash = key.find('\\');
    std::string root = key.substr(0, slash);
    *rest = slash == std::string::npos ? "" : key.substr(slash + 1);
    if (root == "HKCR")
        return HKEY_CLASSES_ROOT;
    if (root == "HKCU")
        return HKEY_CURRENT_USER;
    if (root == "HKU")
        return HKEY_USERS;
    return HKEY_LOCAL_MACHINE;
}

// A value name of the registry commands; "@" names the key's default value.
static const char* ValueName(const std::string& name)
{
    return name == "@" ? "" : name.c_str();
}

static std::string Hex(const BYTE* data, DWORD size)
{
    std::string out;
    char two[3];
    for (DWORD i = 0; i < size; ++i) {
        sprintf(two, "%02x", data[i]);
        out += two;
    }
    return out;
}

// regget KEY [VALUE]: "ok key" when the key exists; with a value "ok TYPE
// DATA": sz, dword, binary (hex), multi (strings joined by '|'); or "missing".
static void CmdRegGet(const Fields& f)
{
    std::string sub;
    HKEY root = Root(f[1], &sub);
    HKEY key;
    if (RegOpenKeyExA(root, sub.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS)
        return Reply("missing");
    if (f.size() < 3) {
        RegCloseKey(key);
        return Reply("ok\tkey");
    }
    std::vector<char> data(65536);
    DWORD type = 0, size = (DWORD)data.size();
    LONG status = RegQueryValueExA(key, ValueName(f[2]), 0, &type, (BYTE*)data.data(), &size);
    RegCloseKey(key);
    if (status != ERROR_SUCCESS)
        return Reply("missing");
    if (type == REG_DWORD && size == 4)
        return Reply("ok\tdword\t" + std::to_string(*(DWORD*)data.data()));
    if (type == REG_BINARY || type == REG_DWORD)
        return Reply("ok\tbinary\t" + Hex((BYTE*)data.data(), size));
    if (type == REG_MULTI_SZ) {
        std::string out;
        // every string, empty ones too (a rename pair's empty target)
        const char* end = data.data() + size;
        for (const char* p = data.data(); p < end && !(p[0] == 0 && p + 1 >= end);
             p += strlen(p) + 1)
            out += std::string(p == data.data() ? "" : "|") + p;
        return Reply("ok\tmulti\t" + Flat(out));
    }
    data[size < data.size() ? size : data.size() - 1] = 0;
    Reply("ok\tsz\t" + Flat(data.data()));
}

// regset KEY VALUE sz|dword|binary DATA (binary in hex); creates the key.
static void CmdRegSet(const Fields& f)
{
    std::string sub;
    HKEY root = Root(f[1], &sub);
    HKEY key;
    if (RegCreateKeyExA(root, sub.c_str(), 0, 0, 0, KEY_WRITE, 0, &key, 0) != ERROR_SUCCESS)
        return Reply("error\tcannot create");
    LONG status;
    if (f[3] == "dword") {
        DWORD value = strtoul(f[4].c_str(), 0, 10);
        status = RegSetValueExA(key, ValueName(f[2]), 0, REG_DWORD, (BYTE*)&value, 4);
    } else if (f[3] == "binary") {
        std::vector<BYTE> bytes;
        for (size_t i = 0; i + 1 < f[4].size(); i += 2)
            bytes.push_back((BYTE)strtoul(f[4].substr(i, 2).c_str(), 0, 16));
        status = RegSetValueExA(key, ValueName(f[2]), 0, REG_BINARY, bytes.data(),
                                (DWORD)bytes.size());
    } else {
        status = RegSetValueExA(key, ValueName(f[2]), 0, REG_SZ, (const BYTE*)f[4].c_str(),
                                (DWORD)f[4].size() + 1);
    }
    RegCloseKey(key);
    Reply(status == ERROR_SUCCESS ? "ok" : "error\tcannot set");
}

// regdeltree KEY [VALUE]: removes the key with everything under it, or only
// the value, if it exists.
static void CmdRegDelTree(const Fields& f)
{
    std::string sub;
    HKEY root = Root(f[1], &sub);
    if (f.size() > 2) {
        LONG status = RegDeleteKeyValueA(root, sub.c_str(), f[2].c_str());
        Reply(status == ERROR_SUCCESS || status == ERROR_FILE_NOT_FOUND ? "ok" : "error\tcannot delete");
        return;
    }
    LONG status = RegDeleteTreeA(root, sub.c_str());
    if (status == ERROR_SUCCESS)
        status = RegDeleteKeyA(root, sub.c_str());
    Reply(status == ERROR_SUCCESS || status == ERROR_FILE_NOT_FOUND ? "ok" : "error\tcannot delete");
}

// A top-level window of the driver's own, on a thread with its own message
// loop, that counts how often it was minimised and restored, and the font
// changes it was told of.
static volatile LONG s_minimised;
static volatile LONG s_restored;
static volatile LONG s_fontChanges;

static LRESULT CALLBACK CountingProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_SIZE && wParam == SIZE_MINIMIZED)
        InterlockedIncrement(&s_minimised);
    else if (message == WM_SIZE && wParam == SIZE_RESTORED && s_minimised)
        InterlockedIncrement(&s_restored);
    else if (message == WM_FONTCHANGE)
        InterlockedIncrement(&s_fontChanges);
    return DefWindowProcA(window, message, wParam, lParam);
}

static DWORD WINAPI WindowThread(void* title)
{
    WNDCLASSA wc = {};
    wc.lpfnWndProc = CountingProc;
    wc.hInstance = GetModuleHandleA(0);
    wc.lpszClassName = "DriverWindow";
    RegisterClassA(&wc);
    HWND window = CreateWindowA("DriverWindow", (const char*)title, WS_OVERLAPPEDWINDOW | WS_VISIBLE,
                                10, 10, 300, 100, 0, 0, wc.hInstance, 0);
    if (!window)
        return 1;
    MSG msg;
    while (GetMessageA(&msg, 0, 0, 0) > 0)
        DispatchMessageA(&msg);
    return 0;
}

// makewindow TITLE: opens the counting window; windowevents: how often it
// was minimised and restored; fontchanges: the font changes it was told of.
static void CmdMakeWindow(const Fields& f)
{
    static std::string title;
    title = f[1];
    CreateThread(0, 0, WindowThread, (void*)title.c_str(), 0, 0);
    DWORD start = GetTickCount();
    while (!FindWindowA("DriverWindow", 0) && GetTickCount() - start < 10000)
        Sleep(20);
    Reply(FindWindowA("DriverWindow", 0) ? "ok" : "error\tno window");
}

// watchwindows [FOLDER]: from now on, notes every visible top-level window of
// another process that was not there when the watch began (with FOLDER, only
// of programs run from inside it: tests beside this one show windows too);
// windowsseen: what it saw ("ok", then class|title of each). A program meant
// to show nothing must leave the list empty.
static CRITICAL_SECTION s_watchLock;
static std::string s_watchFolder;

// True when the window's program lies outside the watched folder.
static bool OutsideWatch(DWORD pid)
{
    if (s_watchFolder.empty())
        return false;
    HANDLE process = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, pid);
    char image[MAX_PATH];
    DWORD size = sizeof image;
    bool known = process && QueryFullProcessImageNameA(process, 0, image, &size);
    if (process)
        CloseHandle(process);
    // a program that cannot be told is noted
    return known && _strnicmp(image, s_watchFolder.c_str(), s_watchFolder.size()) != 0;
}
static std::map<HWND, bool> s_watchBefore;
static std::vector<std::string> s_watchSeen;
static std::map<HWND, bool> s_watchNoted;

static BOOL CALLBACK NoteWindow(HWND window, LPARAM starting)
{
    DWORD pid = 0;
    GetWindowThreadProcessId(window, &pid);
    // (a window the system reported shown may be gone again by now)
    if (pid == GetCurrentProcessId() || (starting != 2 && !IsWindowVisible(window)))
        return TRUE;
    if (starting == 1) {
        s_watchBefore[window] = true;
    } else if (!s_watchBefore.count(window) && !s_watchNoted.count(window)) {
        s_watchNoted[window] = true;
        if (OutsideWatch(pid))
            return TRUE;
        char title[512] = "", cls[256] = "", seen[800];
        GetWindowTextA(window, title, sizeof title);  // never blocks on a busy window
        GetClassNameA(window, cls, sizeof cls);
        title[sizeof title - 1] = cls[sizeof cls - 1] = 0;
        snprintf(seen, sizeof seen, "%s|%s", cls, title);
        s_watchSeen.push_back(seen);
    }
    return TRUE;
}

// Every window shown anywhere, however briefly, as the system reports it.
static void CALLBACK OnShow(HWINEVENTHOOK, DWORD, HWND window, LONG object, LONG child, DWORD,
                            DWORD)
{
    if (object != OBJID_WINDOW || child != CHILDID_SELF || !window || GetParent(window))
        return;
    EnterCriticalSection(&s_watchLock);
    NoteWindow(window, 2);
    LeaveCriticalSection(&s_watchLock);
}

static DWORD WINAPI WatchThread(void*)
{
    SetWinEventHook(EVENT_OBJECT_SHOW, EVENT_OBJECT_SHOW, 0, OnShow, 0, 0,
                    WINEVENT_OUTOFCONTEXT | WINEVENT_SKIPOWNPROCESS);
    for (;;) {
        // and a look at the whole desktop every few milliseconds besides
        EnterCriticalSection(&s_watchLock);
        EnumWindows(NoteWindow, 0);
        LeaveCriticalSection(&s_watchLock);
        MSG message;
        while (PeekMessageA(&message, 0, 0, 0, PM_REMOVE))
            DispatchMessageA(&message);
        MsgWaitForMultipleObjects(0, 0, FALSE, 5, QS_ALLINPUT);
    }
}

static void CmdWatchWindows(const std::string& folder)
{
    static bool running;
    if (!running)
        InitializeCriticalSection(&s_watchLock);
    EnterCriticalSection(&s_watchLock);
    s_watchFolder = folder.empty() ? folder : folder + "\\";
    s_watchBefore.clear();
    s_watchSeen.clear();
    s_watchNoted.clear();
    EnumWindows(NoteWindow, 1);
    LeaveCriticalSection(&s_watchLock);
    if (!running)
        CreateThread(0, 0, WatchThread, 0, 0, 0);
    running = true;
    Reply("ok");
}

static void CmdWindowsSeen()
{
    EnterCriticalSection(&s_watchLock);
    std::string answer = "ok";
    for (const std::string& seen : s_watchSeen)
        answer += "\t" + Flat(seen);
    LeaveCriticalSection(&s_watchLock);
    Reply(answer);
}

static Fields Split(const std::string& line)
{
    Fields fields;
    size_t start = 0;
    for (;;) {
        size_t tab = line.find('\t', start);
        fields.push_back(line.substr(start, tab - start));
        if (tab == std::string::npos)
            return fields;
        start = tab + 1;
    }
}

int main()
{
    // sizes read from a dialog are its own pixels at any resolution
    SetProcessDPIAware();
    char line[8192];
    while (fgets(line, sizeof line, stdin)) {
        size_t n = strlen(line);
        while (n && (line[n - 1] == '\n' || line[n - 1] == '\r'))
            line[--n] = 0;
        Fields f = Split(line);
        const std::string& c = f[0];
        if (c == "quit")
            break;
        else if (c == "env")
            Reply(SetEnvironmentVariableA(f[1].c_str(), f[2].c_str()) ? "ok" : "error");
        else if (c == "start")
            CmdStart(f);
        else if (c == "memory")
            CmdMemory();
        else if (c == "modules")
            CmdModules();
        else if (c == "wait")
            WaitExit(s_started, f.size() > 1 ? atoi(f[1].c_str()) : 30000);
        else if (c == "kill")
            Reply(s_started && TerminateProcess(s_started, 1) ? "ok" : "error\tno process");
        else if (c == "find")
            CmdFind(f);
        else if (c == "waitfound")
            WaitExit(s_found, f.size() > 1 ? atoi(f[1].c_str()) : 30000);
        else if (c == "running") {
            HANDLE process = OpenByImage(f[1]);
            Reply(process ? "ok\t1" : "ok\t0");
            if (process)
                CloseHandle(process);
        } else if (c == "box")
            CmdBox(f);
        else if (c == "answer")
            CmdAnswer(f);
        else if (c == "window")
            CmdWindow(f);
        else if (c == "dump")
            CmdDump(f);
        else if (c == "measure")
            CmdMeasure(f);
        else if (c == "watch")
            CmdWatch(f);
        else if (c == "click")
            CmdClick(f);
        else if (c == "key")
            CmdKey(f);
        else if (c == "hold")
            CmdHold(f);
        else if (c == "release")
            CmdRelease(f);
        else if (c == "regget")
            CmdRegGet(f);
        else if (c == "regset")
            CmdRegSet(f);
        else if (c == "regdeltree")
            CmdRegDelTree(f);
        else if (c == "shortpath") {
            char path[MAX_PATH];
            DWORD n = GetShortPathNameA(f[1].c_str(), path, MAX_PATH);
            Reply(n && n < MAX_PATH ? "ok\t" + std::string(path) : "error\tno short path");
        } else if (c == "folder") {
            char path[MAX_PATH];
            bool got = SHGetFolderPathA(0, atoi(f[1].c_str()), 0, SHGFP_TYPE_CURRENT, path) == S_OK;
            Reply(got ? "ok\t" + std::string(path) : "error\tno such folder");
        } else if (c == "makewindow")
            CmdMakeWindow(f);
        else if (c == "utf8") {
            s_textPage = CP_UTF8;
            Reply("ok");
        } else if (c == "acp")
            Reply("ok\t" + std::to_string(GetACP()));
        else if (c == "watchwindows")
            CmdWatchWindows(f.size() > 1 ? f[1] : std::string());
        else if (c == "windowsseen")
            CmdWindowsSeen();
        else if (c == "windowevents")
            Reply("ok\t" + std::to_string(s_minimised) + "\t" + std::to_string(s_restored));
        else if (c == "fontchanges")
            Reply("ok\t" + std::to_string(s_fontChanges));
        else if (c == "sleep") {
            Sleep(atoi(f[1].c_str()));
            Reply("ok");
        } else
            Reply("error\tunknown command");
    }
    return 0;
}
