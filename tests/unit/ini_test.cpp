// SPDX-License-Identifier: GPL-3.0-or-later
// The INI store: what it writes, what it reads, and the edges of both.

#include "ini/ini.h"
#include "support/files.h"

#include <gtest/gtest.h>

#include <csignal>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <sys/resource.h>
#include <sys/stat.h>
#include <vector>

namespace {

struct Store {
    IniText ini = Ini_New(0);
    ~Store() { Ini_Dispose(ini); }
    operator IniText() const { return ini; }
};

std::string text(IniText ini)
{
    std::string out;
    EXPECT_EQ(Ini_WriteToText(ini, &out), 1);
    return out;
}

void read(IniText ini, const std::string &content)
{
    ASSERT_EQ(Ini_ReadFromText(ini, content.data(), content.size()), 1);
}

std::string getString(IniText ini, const char *section, const char *tag, size_t size = 1100)
{
    std::string buffer(size, 'x');
    const int r = Ini_GetStringIntoBuffer(ini, section, tag, buffer.data(), size);
    if (r != 1)
        return "<" + std::to_string(r) + ">";
    return buffer.c_str();
}

TEST(IniStore, ExactFileTextAndATagPutAgainReplacedInPlace)
{
    Store ini;
    Ini_PutInt(ini, "CONNECTION", "COMM TYPE", 1);
    Ini_PutString(ini, "CONNECTION", "IP ADDRESS", "127.0.0.1");
    Ini_PutDouble(ini, "CALIBDATA", "UM-SLOPE:", 0.1);
    Ini_PutDouble(ini, "CALIBDATA", "third", 1.0 / 3.0);
    Ini_PutInt(ini, "CALIBDATA", "neg", -2147483647 - 1);
    Ini_PutInt(ini, "connection", "comm type ", 2); // matched without case or blanks, written as given
    EXPECT_EQ(text(ini), "[CONNECTION]\r\ncomm type  = 2\r\nIP ADDRESS = \"127.0.0.1\"\r\n\r\n"
                         "[CALIBDATA]\r\nUM-SLOPE: = 0.1\r\nthird = 0.3333333333333333\r\nneg = -2147483648\r\n\r\n");
}

TEST(IniStore, IntegersAsRead)
{
    struct Row {
        const char *name, *text, *section, *tag;
        int result;
        std::int32_t value; // 42 where nothing may be stored
    };
    const char *names = "[para]\r\n   power   =   500   \r\n";
    const char *headers = "[PARA] text\r\nPower = 5\r\n[ OK ]  \r\nPower = 6\r\n[]\r\nPower = 7\r\n";
    const char *numbers = "[S]\nletters = 12ab\nempty =\nbig = 2147483648\nsmall = -2147483648\n"
                          "spaced = \" -7 \"\nplus = +3\nsign = -\nt = 1\nt = 2\n";
    // clang-format off
    const Row rows[] = {
        {"names without case or blanks", names, "PARA", "Power", 1, 500},
        {"asked with blanks", names, " Para ", "POWER ", 1, 500},
        // A section header needs nothing but blanks after the bracket.
        {"text after the bracket", headers, "PARA", "Power", 0, 42},
        {"items after an invalid header stay with the last valid one", headers, "OK", "Power", 1, 6},
        {"letters", numbers, "S", "letters", INI_ERR_INVALID_INTEGER, 42},
        {"empty", numbers, "S", "empty", 0, 42},
        {"too big", numbers, "S", "big", INI_ERR_INVALID_INTEGER, 42},
        {"sign alone", numbers, "S", "sign", INI_ERR_INVALID_INTEGER, 42},
        {"missing tag", numbers, "S", "missing", 0, 42},
        {"missing section", numbers, "T", "letters", 0, 42},
        {"smallest", numbers, "S", "small", 1, INT32_MIN},
        {"quoted with blanks", numbers, "S", "spaced", 1, -7},
        {"plus sign", numbers, "S", "plus", 1, 3},
        {"the first of two", numbers, "S", "t", 1, 1},
    };
    // clang-format on
    for (const Row &row : rows) {
        SCOPED_TRACE(row.name);
        Store ini;
        read(ini, row.text);
        std::int32_t v = 42;
        EXPECT_EQ(Ini_GetInt(ini, row.section, row.tag, &v), row.result);
        EXPECT_EQ(v, row.value);
    }
}

TEST(IniStore, StringsAreEscapedAndReadBackUnchanged)
{
    Store ini;
    const std::string path = "C:\\MQ-Vista\\Data\\K-VOR-MQpara.ini";
    const std::string awkward = std::string("tab\there \"quoted\" line\r\nbell\x01 end \xB5m");
    Ini_PutString(ini, "S", "path", path.c_str());
    Ini_PutString(ini, "S", "awkward", awkward.c_str());
    Ini_PutString(ini, "S", "none", nullptr);
    const std::string written = text(ini);
    EXPECT_NE(written.find("path = \"C:\\\\MQ-Vista\\\\Data\\\\K-VOR-MQpara.ini\""), std::string::npos);
    EXPECT_NE(written.find("tab\\there \\\"quoted\\\" line\\r\\nbell\\x01 end \xB5m"), std::string::npos);
    Store back;
    read(back, written);
    EXPECT_EQ(std::vector(
                  {getString(back, "S", "path"), getString(back, "S", "awkward"), getString(back, "S", "none")}),
              std::vector<std::string>({path, awkward, ""}));
}

TEST(IniStore, LongValuesAreWrittenInEightyCharacterPieces)
{
    Store ini;
    std::string value;
    for (int i = 0; i < 200; ++i)
        value += static_cast<char>('a' + i % 26);
    Ini_PutString(ini, "IP ADDRESSES", "LIST", value.c_str());
    Ini_PutString(ini, "S", "eighty", value.substr(0, 80).c_str()); // stays on one line
    Ini_PutInt(ini, "S", std::string(300, 'T').c_str(), 1);
    const std::string written = text(ini);
    EXPECT_EQ(written, "[IP ADDRESSES]\r\nLIST Line0001 = \"" + value.substr(0, 80) + "\"\r\nLIST Line0002 = \"" +
                           value.substr(80, 80) + "\"\r\nLIST Line0003 = \"" + value.substr(160) +
                           "\"\r\n\r\n[S]\r\neighty = \"" + value.substr(0, 80) + "\"\r\n" + std::string(255, 'T') +
                           " = 1\r\n\r\n");
    Store back;
    read(back, written);
    EXPECT_EQ(getString(back, "IP ADDRESSES", "list"), value);
}

// Read, then written again: what a file carries besides items, and what it cannot carry.
TEST(IniStore, ReadTextIsWrittenBackAsItStood)
{
    const struct {
        const char *name;
        std::string in, out;
        // clang-format off
    } rows[] = {
        {"comments where they were",
         "; file head\r\n\r\n; about para\r\n[PARA]\r\n; about power\r\nPower = 1\r\n\r\n\r\nAverage = 2\r\n; the end\r\n",
         "; file head\r\n\r\n; about para\r\n[PARA]\r\n; about power\r\nPower = 1\r\nAverage = 2\r\n\r\n; the end\r\n"},
        {"items before the first section are ignored", "x = 1\n[S]\ny = 2\n", "[S]\r\ny = 2\r\n\r\n"},
        {"line feeds", "[A]\nx = 1\n[B]\nz = \"3\"", "[A]\r\nx = 1\r\n\r\n[B]\r\nz = \"3\"\r\n\r\n"},
        {"carriage returns", "[A]\rx = 1\r[B]\rz = \"3\"", "[A]\r\nx = 1\r\n\r\n[B]\r\nz = \"3\"\r\n\r\n"},
        // Only quoted values are unescaped; a lone quote is not a quoted value; a gap in the
        // numbering ends the run of pieces.
        {"duplicates and bare values", "[S]\nt = 1\nt = 2\ndir = C:\\temp\\new\nq = \"\nLIST Line0001 = ab\n"
                                       "LIST Line0003 = cd\n",
         "[S]\r\nt = 1\r\nt = 2\r\ndir = C:\\temp\\new\r\nq = \"\r\nLIST = ab\r\nLIST Line0003 = cd\r\n\r\n"},
    };
    // clang-format on
    for (const auto &row : rows) {
        SCOPED_TRACE(row.name);
        Store ini;
        read(ini, row.in);
        EXPECT_EQ(text(ini), row.out);
    }
    Store ini;
    read(ini, rows[4].in);
    EXPECT_EQ(std::vector({getString(ini, "S", "dir"), getString(ini, "S", "q"), getString(ini, "S", "LIST"),
                           getString(ini, "S", "LIST Line0003")}),
              std::vector<std::string>({"C:\\temp\\new", "\"", "ab", "cd"}));

    // The part past 1024 characters would read as an item of its own if it were not dropped.
    Store cut;
    read(cut, "[S]\nlong = " + std::string(1017, 'z') + "hidden = 9 " + std::string(5000, 'z') + "\nafter = 1\n");
    EXPECT_EQ(getString(cut, "S", "long"), std::string(1017, 'z'));
    std::int32_t v = 0;
    // Results of both reads, then the value read (list elements are evaluated in order).
    const std::vector<int> found = {Ini_GetInt(cut, "S", "hidden", &v), Ini_GetInt(cut, "S", "after", &v), v};
    EXPECT_EQ(found, std::vector({0, 1, 1}));
}

TEST(IniStore, BufferIsCutAndEmptiedWhenNotFoundAndNullArgumentsRefused)
{
    Store ini;
    Ini_PutString(ini, "S", "t", "0123456789");
    EXPECT_EQ(getString(ini, "S", "t", 5), "0123");
    EXPECT_EQ(getString(ini, "S", "t", 1), "");
    char buffer[8] = "keep";
    EXPECT_EQ(Ini_GetStringIntoBuffer(ini, "S", "missing", buffer, sizeof buffer), 0);
    EXPECT_STREQ(buffer, "");

    std::int32_t v = 0;
    EXPECT_EQ(std::vector({Ini_PutInt(nullptr, "S", "t", 1), Ini_PutInt(ini, nullptr, "t", 1),
                           Ini_GetInt(ini, "S", nullptr, &v), Ini_WriteToFile(ini, nullptr)}),
              std::vector(4, INI_ERR_NULL_ARGUMENT));
}

// The file is replaced whole, with the old file's mode, or not at all; nothing else is left behind.
TEST(IniFiles, RewriteKeepsTheModeAndFailedReadOrWriteChangesNothingAndNoTemporaryFileIsLeft)
{
    const TempDir tmp;
    const std::string dir = tmp.path;
    // Files and directories in the test directory: a left-over temporary file shows here.
    const auto entries = [&] {
        return std::distance(std::filesystem::directory_iterator(dir), std::filesystem::directory_iterator());
    };
    const std::string path = dir + "/mode.ini";
    {
        std::ofstream(path) << "[OLD]\r\n";
    }
    ASSERT_EQ(chmod(path.c_str(), 0640), 0);
    Store ini;
    Ini_PutInt(ini, "S", "t", 1);
    ASSERT_GE(Ini_WriteToFile(ini, path.c_str()), 0);
    EXPECT_EQ(ReadBytes(path), "[S]\r\nt = 1\r\n\r\n");
    struct stat st {};
    ASSERT_EQ(stat(path.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0640u);
    Store back;
    ASSERT_GE(Ini_ReadFromFile(back, path.c_str()), 0);
    EXPECT_EQ(text(back), text(ini));
    EXPECT_EQ(entries(), 1);

    const std::string kept = dir + "/keep.ini";
    {
        std::ofstream(kept, std::ios::binary) << "[OLD]\r\nx = 1\r\n";
    }
    Store big;
    Ini_PutString(big, "S", "t", std::string(5000, 'v').c_str());
    const std::string before = text(big);
    EXPECT_LT(Ini_WriteToFile(big, (dir + "/missing/x.ini").c_str()), 0);
    EXPECT_LT(Ini_ReadFromFile(big, (dir + "/missing.ini").c_str()), 0);
    EXPECT_EQ(text(big), before);
    // Renaming onto a directory fails even for root.
    ASSERT_EQ(mkdir((dir + "/a-directory").c_str(), 0755), 0);
    EXPECT_LT(Ini_WriteToFile(big, (dir + "/a-directory").c_str()), 0);
    // A file size limit makes the write itself fail halfway, for root as well.
    rlimit saved{};
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &saved), 0);
    rlimit small = saved;
    small.rlim_cur = 100;
    auto *oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
    const int result = Ini_WriteToFile(big, kept.c_str());
    setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, oldHandler);
    EXPECT_LT(result, 0);
    EXPECT_EQ(ReadBytes(kept), "[OLD]\r\nx = 1\r\n");
    EXPECT_EQ(entries(), 3) << "the two files and the directory; the temporary files are gone";
}

} // namespace
