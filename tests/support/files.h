// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once
// Whole files read and written byte for byte, for tests that check what the program wrote
// or hand it what an operator or another program left behind.

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <stdexcept>
#include <string>

// False when the file could not be written whole.
inline bool WriteBytes(const std::string &path, const std::string &bytes, const char *mode = "wb")
{
    std::FILE *f = std::fopen(path.c_str(), mode);
    if (!f)
        return false;
    const bool ok = std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
    return std::fclose(f) == 0 && ok;
}

// The file's bytes; empty when it cannot be read.
inline std::string ReadBytes(const std::string &path)
{
    std::string out;
    std::FILE *f = std::fopen(path.c_str(), "rb");
    if (!f)
        return out;
    char buf[4096];
    std::size_t n;
    while ((n = std::fread(buf, 1, sizeof buf, f)) > 0)
        out.append(buf, n);
    std::fclose(f);
    return out;
}

// A fresh directory under /tmp, removed with everything in it at the end of the scope.
struct TempDir {
    std::string path;
    TempDir()
    {
        char pattern[] = "/tmp/mq-test-XXXXXX";
        if (!mkdtemp(pattern))
            throw std::runtime_error("no temporary directory");
        path = pattern;
    }
    ~TempDir() { std::filesystem::remove_all(path); }
    TempDir(const TempDir &) = delete;
    TempDir &operator=(const TempDir &) = delete;
    std::string operator/(const std::string &name) const { return path + "/" + name; }
};
