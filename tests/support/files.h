#pragma once
// Whole files read and written byte for byte, for tests that check what the program wrote
// or hand it what an operator or another program left behind.

#include <cstdio>
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
