// The program file as Windows loads it and as its signer and defenders judge
// it: headers and section rights, a relocation table that moves the image
// exactly, and a signed program whose trailer names its own log.
#include "harness.h"

#include <gtest/gtest.h>

#include <sys/wait.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <vector>

using namespace e2e;

namespace {

enum : uint32_t {
    SCN_EXECUTE = 0x20000000,
    SCN_WRITE = 0x80000000,
    DYNAMIC_BASE = 0x40,
    NX_COMPAT = 0x100,
    TERMINAL_SERVER_AWARE = 0x8000,
    RELOCS_STRIPPED = 1,
};
enum { DIR_IMPORT = 1, DIR_RESOURCE = 2, DIR_SECURITY = 4, DIR_RELOC = 5, DIR_IAT = 12 };

std::string ReadHostFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

struct Section {
    std::string name;
    uint32_t address, virtualSize, rawOffset, rawSize, flags;
};

// A PE file read as the loader reads it.
struct Image {
    std::string bytes;
    uint32_t nt = 0, optional = 0, directories = 0;
    bool wide = false;
    std::vector<Section> sections;

    explicit Image(std::string file) : bytes(std::move(file))
    {
        if (bytes.size() < 1024 || bytes.compare(0, 2, "MZ"))
            return;
        nt = U32(60);
        optional = nt + 24;
        wide = U16(optional) == 0x20b;
        directories = optional + (wide ? 112 : 96);
        uint32_t table = optional + U16(nt + 20);
        for (int i = 0; i < U16(nt + 6); ++i) {
            uint32_t at = table + 40 * i;
            sections.push_back({std::string(bytes.c_str() + at, strnlen(bytes.c_str() + at, 8)),
                                U32(at + 12), U32(at + 8), U32(at + 20), U32(at + 16),
                                U32(at + 36)});
        }
    }
    uint16_t U16(size_t at) const { return uint8_t(bytes[at]) | uint8_t(bytes[at + 1]) << 8; }
    uint32_t U32(size_t at) const { return U16(at) | uint32_t(U16(at + 2)) << 16; }
    uint64_t U64(size_t at) const { return U32(at) | uint64_t(U32(at + 4)) << 32; }
    uint64_t Base() const { return wide ? U64(optional + 24) : U32(optional + 28); }
    uint32_t DirAddress(int i) const { return U32(directories + 8 * i); }
    uint32_t DirSize(int i) const { return U32(directories + 8 * i + 4); }
    // The section that holds the bytes [address, address + size), or null.
    const Section* Holding(uint32_t address, uint32_t size = 1) const
    {
        for (const Section& s : sections)
            if (address >= s.address && address + size <= s.address + std::max(s.virtualSize, s.rawSize))
                return &s;
        return nullptr;
    }
    // The file offset of an address inside a section's raw data, or 0.
    size_t Offset(uint32_t address, uint32_t size = 1) const
    {
        const Section* s = Holding(address, size);
        return s && address + size <= s->address + s->rawSize ? s->rawOffset + address - s->address : 0;
    }
    // The addresses the base relocations name, or none when the table is
    // not well formed; ok tells which.
    std::vector<uint32_t> Fixups(bool* ok) const
    {
        std::vector<uint32_t> out;
        *ok = false;
        size_t at = Offset(DirAddress(DIR_RELOC), DirSize(DIR_RELOC));
        if (!at)
            return out;
        size_t end = at + DirSize(DIR_RELOC);
        while (at < end) {
            uint32_t page = U32(at), size = U32(at + 4);
            if (size < 8 || at + size > end)
                return {};
            for (uint32_t i = 8; i < size; i += 2) {
                int type = U16(at + i) >> 12;
                if (type == (wide ? 10 : 3))
                    out.push_back(page + (U16(at + i) & 0xfff));
                else if (type != 0)
                    return {};
            }
            at += size;
        }
        *ok = at == end;
        return out;
    }
    // The image checksum: 16-bit words with end-around carry, without the
    // checksum field, plus the file's length.
    uint32_t Checksum() const
    {
        uint32_t sum = 0;
        size_t field = optional + 64;
        for (size_t i = 0; i + 1 < bytes.size(); i += 2) {
            if (i == field || i == field + 2)
                continue;
            sum += U16(i);
            sum = (sum & 0xffff) + (sum >> 16);
        }
        return sum + uint32_t(bytes.size());
    }
};

int Shell(const std::string& command)
{
    int status = std::system(command.c_str());
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

}  // namespace

// The delivered file as the loader and exploit protection see it: a
// relocatable GUI image with no section both writable and executable, its
// imports in the address table the loader unprotects to bind them, its
// resources read-only, and the trailer last, ending where a signature would
// start.
TEST(Delivered, HeadersSectionsAndRelocations)
{
    Image image(ReadHostFile(ProgramFile(Build::Shipped32)));
    ASSERT_FALSE(image.sections.empty()) << "not a PE file";
    ASSERT_EQ(image.bytes.compare(image.nt, 4, std::string("PE\0\0", 4)), 0);
    EXPECT_EQ(image.U16(image.nt + 4), 0x14c);  // i386
    EXPECT_FALSE(image.wide);
    EXPECT_EQ(image.U16(image.optional + 68), 2);  // the GUI subsystem
    EXPECT_EQ(image.U16(image.nt + 22) & RELOCS_STRIPPED, 0) << "relocations stripped";
    uint16_t traits = image.U16(image.optional + 70);
    EXPECT_TRUE(traits & DYNAMIC_BASE);
    EXPECT_TRUE(traits & NX_COMPAT);
    EXPECT_TRUE(traits & TERMINAL_SERVER_AWARE);

    for (const Section& s : image.sections)
        EXPECT_NE(s.flags & (SCN_WRITE | SCN_EXECUTE), SCN_WRITE | SCN_EXECUTE)
            << s.name << " is writable and executable";
    const Section* code = image.Holding(image.U32(image.optional + 16));
    ASSERT_TRUE(code) << "no section holds the entry point";
    EXPECT_FALSE(code->flags & SCN_WRITE) << code->name;
    const Section* resources = image.Holding(image.DirAddress(DIR_RESOURCE), image.DirSize(DIR_RESOURCE));
    ASSERT_TRUE(resources) << "no resources";
    EXPECT_EQ(resources->flags & (SCN_WRITE | SCN_EXECUTE), 0u) << resources->name;

    // every descriptor's address table lies in the directory the loader
    // makes writable while it binds the imports
    uint32_t iat = image.DirAddress(DIR_IAT), iatSize = image.DirSize(DIR_IAT);
    ASSERT_TRUE(iatSize && image.Holding(iat, iatSize));
    size_t descriptor = image.Offset(image.DirAddress(DIR_IMPORT), image.DirSize(DIR_IMPORT));
    ASSERT_TRUE(descriptor);
    int dlls = 0;
    for (; image.U32(descriptor + 12); descriptor += 20, ++dlls) {
        uint32_t thunks = image.U32(descriptor + 16);
        EXPECT_TRUE(thunks >= iat && thunks < iat + iatSize) << std::hex << thunks;
    }
    EXPECT_GE(dlls, 5);

    // the relocations: a well-formed table in a section of its own rights,
    // each naming a place in the file that holds an address of the image
    const Section* relocs = image.Holding(image.DirAddress(DIR_RELOC), image.DirSize(DIR_RELOC));
    ASSERT_TRUE(relocs) << "no relocation table";
    EXPECT_EQ(relocs->flags & (SCN_WRITE | SCN_EXECUTE), 0u);
    bool ok;
    std::vector<uint32_t> fixups = image.Fixups(&ok);
    EXPECT_TRUE(ok);
    EXPECT_GT(fixups.size(), 100u);
    uint64_t base = image.Base(), end = base + image.U32(image.optional + 56);
    for (uint32_t at : fixups) {
        size_t offset = image.Offset(at, 4);
        ASSERT_TRUE(offset) << std::hex << at << " lies in no section's data";
        uint32_t target = image.U32(offset);
        EXPECT_TRUE(target >= base && target < end) << std::hex << at << " holds " << target;
    }

    // the trailer follows every section, and a signature appended after it
    // starts on its 8-byte boundary with nothing in between
    size_t size = image.bytes.size();
    for (const Section& s : image.sections)
        EXPECT_LE(s.rawOffset + s.rawSize, size - 26) << s.name;
    EXPECT_EQ(image.bytes.substr(size - 26), std::string("uninstal.ini\0uninstal.ini\0", 26));
    EXPECT_EQ(size % 8, 0u);
    EXPECT_EQ(image.DirSize(DIR_SECURITY), 0u);
    EXPECT_EQ(image.U32(image.optional + 64), image.Checksum()) << "the stored checksum";
}

// The relocation table against the linker itself: applied to the delivered
// file for another base, it must give byte for byte the image the linker
// makes for that base. A place that holds an address and has no relocation
// differs there, and so does a relocation where no address is.
TEST(Delivered, RelocationsGiveTheImageLinkedForAnotherBase)
{
    Image shipped(ReadHostFile(ProgramFile(Build::Shipped32)));
    Image moved(ReadHostFile(UNINS_BUILD_DIR "/win32/unins_moved.exe"));
    ASSERT_FALSE(shipped.sections.empty());
    ASSERT_EQ(moved.sections.size(), shipped.sections.size()) << "not the same program";
    // (the delivered file's headers are packed by append-trailer, so its
    // sections lie at other file offsets: they are compared by address)
    for (size_t i = 0; i < moved.sections.size(); ++i) {
        EXPECT_EQ(moved.sections[i].address, shipped.sections[i].address);
        EXPECT_EQ(moved.sections[i].rawSize, shipped.sections[i].rawSize);
    }
    uint32_t delta = uint32_t(moved.Base() - shipped.Base());
    ASSERT_NE(delta, 0u);

    bool ok;
    std::vector<uint32_t> fixups = shipped.Fixups(&ok);
    ASSERT_TRUE(ok);
    ASSERT_GT(fixups.size(), 100u);
    std::string relocated = shipped.bytes;
    for (uint32_t at : fixups) {
        size_t offset = shipped.Offset(at, 4);
        ASSERT_TRUE(offset) << std::hex << at;
        uint32_t value = shipped.U32(offset) + delta;
        for (int i = 0; i < 4; ++i)
            relocated[offset + i] = char(value >> (8 * i));
    }
    std::vector<uint32_t> wrong;  // addresses where the two differ
    for (size_t n = 0; n < shipped.sections.size(); ++n) {
        const Section& s = shipped.sections[n];
        const Section& m = moved.sections[n];
        for (uint32_t i = 0; i < s.rawSize; ++i)
            if (relocated[s.rawOffset + i] != moved.bytes[m.rawOffset + i] &&
                (wrong.empty() || wrong.back() + 4 <= s.address + i))
                wrong.push_back(s.address + i);
    }
    std::string listed;
    for (size_t i = 0; i < wrong.size() && i < 8; ++i) {
        char text[16];
        snprintf(text, sizeof text, " %x", wrong[i]);
        listed += text;
    }
    EXPECT_TRUE(wrong.empty()) << wrong.size() << " places differ after relocation:" << listed;
}

// An installer author names the log, then signs: the signature follows the
// trailer, the signed program still finds its log, and the copy it starts
// is the signed file byte for byte.
TEST(Signed, ProgramWithItsOwnLogNameAsksCopiesAndRemoves)
{
    Sandbox box;
    Driver driver;
    const int slow = Emulated(box.build) ? 15 : 1;
    std::filesystem::create_directories(box.Host("app"));
    std::filesystem::create_directories(box.Host("keys"));
    std::string keys = box.Host("keys");
    std::string named = keys + "/named.exe", signedFile = box.Host("app\\unins.exe");
    ASSERT_EQ(Shell("sh '" UNINS_SOURCE_DIR "/scripts/append-trailer' '" + ProgramFile(box.build) +
                  "' '" + named + "' remove.log >/dev/null"), 0);
    ASSERT_EQ(Shell("openssl req -x509 -newkey rsa:2048 -nodes -days 1 -subj /CN=Throwaway "
                  "-keyout '" + keys + "/key.pem' -out '" + keys + "/cert.pem' 2>/dev/null"), 0);
    ASSERT_EQ(Shell("osslsigncode sign -certs '" + keys + "/cert.pem' -key '" + keys +
                  "/key.pem' -n Throwaway -in '" + named + "' -out '" + signedFile + "' >/dev/null"),
              0);
    EXPECT_EQ(Shell("osslsigncode verify -CAfile '" + keys + "/cert.pem' -in '" + signedFile +
                  "' >/dev/null 2>&1"), 0) << "the signature does not verify";
    // the certificate table starts right after the trailer
    Image image(ReadHostFile(signedFile));
    std::string unsignedBytes = ReadHostFile(named);
    EXPECT_EQ(image.DirAddress(DIR_SECURITY), unsignedBytes.size());
    EXPECT_GT(image.DirSize(DIR_SECURITY), 0u);
    size_t headers = image.U32(image.optional + 60);
    EXPECT_EQ(image.bytes.compare(headers, unsignedBytes.size() - headers, unsignedBytes, headers),
              0) << "signing changed more than the headers";
    EXPECT_EQ(unsignedBytes.substr(unsignedBytes.size() - 11), std::string("remove.log\0", 11));

    // no uninstal.ini beside it: only the trailer's name finds the log
    std::string program = box.Win("app\\unins.exe");
    box.Write("app\\remove.log", StandardLog("P0," + box.Win("app\\data.txt") + ",0\r\n"));
    box.Write("app\\data.txt", "data");
    box.UseTemp(driver);
    ASSERT_TRUE(driver.Start("\"" + program + "\"", box.Win("app")));
    Box question = driver.WaitBox(30000 * slow);
    ASSERT_TRUE(question.found);
    EXPECT_EQ(question.text, "Remove " + Product() + " and all of its components?");
    ASSERT_TRUE(driver.Answer(YES));

    std::vector<std::string> copies = WaitCopies(box.Win("tmp"));
    ASSERT_EQ(copies.size(), 1u);
    std::string copy = copies[0];
    EXPECT_EQ(box.Read(copy.substr(box.Win().size() + 1)), image.bytes)
        << "the copy is not the signed file";
    ASSERT_TRUE(driver.Find(copy, 60000 * slow));
    ASSERT_TRUE(driver.WaitWindow(Title(), 60000 * slow));
    DialogState dialog = WaitDone(driver, Title(), 60000 * slow);
    ASSERT_TRUE(dialog.ok);
    EXPECT_EQ(dialog.items[STATUS].back(), "Uninstall program: " + copy);
    EXPECT_FALSE(box.Exists("app\\data.txt"));
    ASSERT_TRUE(driver.Click(Title(), FINISH));
    EXPECT_EQ(driver.WaitFound(60000 * slow), 0);
    EXPECT_EQ(driver.Wait(60000 * slow), 0);  // the launcher waited for its copy
}
