// The guard's decisions on text: registry key deletions, profile section
// deletions, the profile file a bare name stands for, and the folder rules
// below each base. The input is split at its first NUL bytes into a key (or
// a folder below a base), a section and a file.
#include "common/globals.h"
#include "common/platform_host.h"
#include "guard/guard.h"

#include <stdint.h>
#include <stdlib.h>
#include <string.h>

#include <string>
#include <vector>

#include "fuzz_check.h"

static std::string Upper(const std::string& text)
{
    std::string up = text;
    for (char& c : up)
        if (c >= 'a' && c <= 'z')
            c = char(c - 'a' + 'A');
    return up;
}

static void CheckKey(const std::string& subkey)
{
    for (int root = 0; root < 4; ++root) {
        int reason = SharedKeyReason(root, subkey.c_str());
        CHECK(reason >= KEY_ALLOWED && reason <= KEY_CLASS);
        // case, and backslashes doubled or around the key, change nothing
        CHECK(SharedKeyReason(root, Upper(subkey).c_str()) == reason);
        std::string doubled = "\\";
        for (char c : subkey)
            doubled += c == '\\' ? std::string("\\\\") : std::string(1, c);
        CHECK(SharedKeyReason(root, (doubled + "\\").c_str()) == reason);
        // only an empty key names the root
        CHECK((reason == KEY_HIVE) == (subkey.find_first_not_of('\\') == std::string::npos));
        // one more component of an application's own below it is allowed,
        // unless the key is a hive's first level
        if (reason == KEY_ALLOWED)
            CHECK(SharedKeyReason(root, (subkey + "\\Acme e2e").c_str()) == KEY_ALLOWED);
    }
}

static void CheckSection(const std::string& file, const std::string& section)
{
    bool system = IsSystemSection(file.c_str(), section.c_str());
    // spaces around the name are the profile functions' own
    CHECK(IsSystemSection(file.c_str(), (" \t" + section + "\t ").c_str()) == system ||
          section.size() + 4 >= PATH_BUFFER);
    CHECK(IsSystemSection(Upper(file).c_str(), Upper(section).c_str()) == system);
    // only the two system files have system sections
    if (system) {
        std::string name = file.substr(file.rfind('\\') == std::string::npos ? 0 : file.rfind('\\') + 1);
        CHECK(Upper(name) == "WIN.INI" || Upper(name) == "SYSTEM.INI");
    }
    CHECK(!IsSystemSection((file + ".bak").c_str(), section.c_str()));
    for (int size : {1, 16, 260, 512}) {
        char* dest = static_cast<char*>(malloc(size));
        if (ProfileFileToCheck(file.c_str(), "C:\\Windows", dest, size))
            CHECK(strlen(dest) < size_t(size));
        free(dest);
    }
}

static void CheckRules(const std::string& below)
{
    if (below.size() >= PATH_BUFFER)
        return;  // the checker's paths fit its buffers
    for (int base = BASE_DRIVE; base <= BASE_PROFILE; ++base) {
        bool refused = RulesRefuse(base, below.c_str());
        CHECK(RulesRefuse(base, Upper(below).c_str()) == refused);
        // what holds a refused folder is refused
        if (refused)
            for (size_t cut = below.rfind('\\'); cut != std::string::npos && cut > 0;
                 cut = below.rfind('\\', cut - 1))
                CHECK(RulesRefuse(base, below.substr(0, cut).c_str()));
    }
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size > 8192)
        return 0;
    std::string input(reinterpret_cast<const char*>(data), size);
    std::vector<std::string> parts;
    size_t start = 0;
    while (parts.size() < 3) {
        size_t nul = input.find('\0', start);
        parts.push_back(input.substr(start, nul == std::string::npos ? nul : nul - start));
        if (nul == std::string::npos)
            break;
        start = nul + 1;
    }
    parts.resize(3);
    CheckKey(parts[0]);
    CheckSection(parts[2], parts[1]);
    CheckSection("C:\\Windows\\win.ini", parts[1]);
    CheckRules(parts[0]);
    return 0;
}
