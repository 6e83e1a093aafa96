// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once
// The in-memory store behind every INI file of the program: ordered sections of
// tag/value items with their comments, read from and written to text files.
//
// Results: negative values are errors, 0 means "not found" for getters, positive
// values mean success. Getters change the caller's variable only when they return 1.

#include <cstddef>
#include <cstdint>
#include <string>

struct IniStore;
using IniText = IniStore *;

constexpr int INI_ERR_OUT_OF_MEMORY = -12;
constexpr int INI_ERR_NULL_ARGUMENT = -65;
constexpr int INI_ERR_INVALID_INTEGER = -5021;

// sortFlag is accepted for the interface; stores keep the order of insertion.
IniText Ini_New(int sortFlag);
void Ini_Dispose(IniText store);

int Ini_PutInt(IniText store, const char *section, const char *tag, std::int32_t value);
int Ini_PutUInt(IniText store, const char *section, const char *tag, std::uint32_t value);
int Ini_PutDouble(IniText store, const char *section, const char *tag, double value);
int Ini_PutString(IniText store, const char *section, const char *tag, const char *value);

int Ini_GetInt(IniText store, const char *section, const char *tag, std::int32_t *value);
// Unsigned 32-bit values; a negative value within the signed range gives its bits.
int Ini_GetUInt(IniText store, const char *section, const char *tag, std::uint32_t *value);
int Ini_GetStringIntoBuffer(IniText store, const char *section, const char *tag, char *buffer, std::size_t bufferSize);

int Ini_WriteToFile(IniText store, const char *pathname);
int Ini_ReadFromFile(IniText store, const char *pathname);

// The text forms of the two file operations.
int Ini_ReadFromText(IniText store, const char *text, std::size_t length);
int Ini_WriteToText(IniText store, std::string *text);
