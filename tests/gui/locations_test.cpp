// Where the settings and the operator's files go: beside a program that can write
// there, else in the user's configuration and documents directories.

#include "app/shell.h"
#include "app/state.h"
#include "files/locations.h"
#include "files/settings.h"
#include "link/transport.h"
#include "support/app_fixture.h"
#include "panels/resource.h"
#include "ui/runtime.h"
#include "ui/system.h"
#include "support/files.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

namespace {

class LocationsTest : public AppFixture {
protected:
    void SetUp() override
    {
        AppFixture::SetUp();
        home = programDir + "/home";
        std::filesystem::create_directories(home);
        savedHome = std::getenv("HOME") ? std::getenv("HOME") : "";
        setenv("HOME", home.c_str(), 1);
        setenv("XDG_CONFIG_HOME", (home + "/.config").c_str(), 1);
    }
    void TearDown() override
    {
        setenv("HOME", savedHome.c_str(), 1);
        unsetenv("XDG_CONFIG_HOME");
        ui::SetProgramDirectory(programDir);
        AppFixture::TearDown();
    }
    std::string home, savedHome;
};

TEST_F(LocationsTest, WritableProgramDirectoryKeepsEverythingBesideTheProgram)
{
    InitVars();
    EXPECT_EQ(std::string(appini_pathname), programDir + "/MQ-Vista.ini");
    EXPECT_EQ(std::string(proj_dir), programDir);
    EXPECT_EQ(std::string(rec_fname), programDir + "/RECORD.DAT");
    EXPECT_FALSE(std::filesystem::exists(home + "/.config/mq-vista")) << "nothing is created in the user's home";
}

TEST_F(LocationsTest, ReadOnlyProgramDirectoryUsesTheUserDirectoriesAcrossRestarts)
{
    // /proc cannot take a new file, not even for root.
    ASSERT_FALSE(ui::DirectoryWritable("/proc"));
    ui::SetProgramDirectory("/proc");
    InitVars();
    EXPECT_EQ(std::string(appini_pathname), home + "/.config/mq-vista/MQ-Vista.ini");
    EXPECT_EQ(std::string(proj_dir), home + "/Documents/MQ-Vista");
    EXPECT_EQ(std::string(rec_fname), home + "/Documents/MQ-Vista/RECORD.DAT");
    EXPECT_TRUE(std::filesystem::is_directory(home + "/Documents/MQ-Vista"));

    ui::SetCtrlVal(pConn, panels::CONN_COMPORT, 7);  // the file takes the connection page's settings
    ASSERT_GE(WriteIniFile(appini_pathname), 0);
    rs232port = 1;
    InitVars();  // a restart
    EXPECT_EQ(rs232port, 7);
}

TEST_F(LocationsTest, SettingsBesideAReadOnlyProgramAreCarriedOverOnce)
{
    const std::string old = programDir + "/old";
    std::filesystem::create_directories(old);
    { std::ofstream(old + "/MQ-Vista.ini") << "[CONNECTION]\nCOM PORT = 3\n"; }

    FileLocations where = ChooseFileLocations(old, false);
    EXPECT_FALSE(where.inProgramDirectory);
    EXPECT_EQ(where.settingsFile, home + "/.config/mq-vista/MQ-Vista.ini");
    EXPECT_EQ(ReadBytes(where.settingsFile), "[CONNECTION]\nCOM PORT = 3\n");

    // The user's own file is not overwritten by the old one again.
    { std::ofstream(where.settingsFile) << "[CONNECTION]\nCOM PORT = 4\n"; }
    where = ChooseFileLocations(old, false);
    EXPECT_EQ(ReadBytes(where.settingsFile), "[CONNECTION]\nCOM PORT = 4\n");

    where = ChooseFileLocations(old, true);
    EXPECT_TRUE(where.inProgramDirectory);
    EXPECT_EQ(where.settingsFile, old + "/MQ-Vista.ini");
    EXPECT_EQ(where.documentsDirectory, old);
}

TEST_F(LocationsTest, WritabilityIsTriedNotGuessed)
{
    EXPECT_TRUE(ui::DirectoryWritable(programDir));
    EXPECT_FALSE(ui::DirectoryWritable(programDir + "/missing"));
    EXPECT_FALSE(ui::DirectoryWritable("/proc"));
    for (const auto &entry : std::filesystem::directory_iterator(programDir))
        EXPECT_EQ(entry.path().filename().string().rfind(".mq-write-test", 0), std::string::npos) << "probe left behind";
}

} // namespace
