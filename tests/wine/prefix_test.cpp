// The test prefix cannot reach the host: the harness refuses any other.
#include "harness.h"

#include <gtest/gtest.h>

#include <filesystem>

using namespace e2e;
namespace fs = std::filesystem;

TEST(Prefix, SealedAndTheCheckRefusesEveryWayOut)
{
    EXPECT_EQ(SealFault(WineDir() + "/prefix"), "");
    EXPECT_FALSE(fs::exists(WineDir() + "/prefix/dosdevices/z:"));

    // a model prefix, opened up one way at a time
    fs::path fake = WineDir() + "/fake-prefix";
    fs::remove_all(fake);
    fs::create_directories(fake / "dosdevices");
    fs::create_directories(fake / "drive_c/users/someone");
    fs::create_symlink("../drive_c", fake / "dosdevices/c:");
    EXPECT_EQ(SealFault(fake.string()), "");

    fs::path documents = fake / "drive_c/users/someone/Documents";
    fs::create_directory_symlink("/", documents);
    EXPECT_NE(SealFault(fake.string()).find("Documents is a link"), std::string::npos);
    fs::remove(documents);
    fs::create_directory(documents);

    fs::create_directory_symlink("/", fake / "dosdevices/z:");
    EXPECT_NE(SealFault(fake.string()).find("drive z:"), std::string::npos);
    fs::remove(fake / "dosdevices/z:");

    fs::remove(fake / "dosdevices/c:");
    fs::create_directory_symlink("/", fake / "dosdevices/c:");
    EXPECT_NE(SealFault(fake.string()).find("c: is not"), std::string::npos);
    fs::remove_all(fake);
}
