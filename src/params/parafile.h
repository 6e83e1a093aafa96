// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once
// Parameter files: the parameter set as section "PARA" of an INI file, one integer key
// per field, in the record's order.

#include "ini/ini.h"
#include "params/pset.h"

#include <string>

// The file's 16-bit keys in file order, each with its field; "um-Slope" follows them.
struct ParaKey {
    const char *name;
    std::uint16_t ParameterSet::*field;
};
extern const ParaKey kParaKeys[];
extern const int kParaKeyCount;

// Puts the keys of the global pset into section "PARA" of an INI object.
void PutIniParaTags(IniText ini);
// Takes the keys present in section "PARA" into the record; absent keys (and values
// that are not integers) leave their field as it was. Returns how many fields were set, or
// kParaFileOutOfRange when an integer does not fit its field (0..65535; um-Slope
// 1..4294967295): then the record is left as it was and refusedValue, when given, gets
// the first such "key = value".
int GetIniParaTags(IniText ini, ParameterSet *record, std::string *refusedValue = nullptr);

// Writes the global pset (record is its address) to a file; > 0 on success, < 0 when
// the file could not be written (the old file, if any, is left intact).
int WriteParaToIniFile(const ParameterSet *record, const char *path);
// Reads a file into the record. > 0 on success; < 0 when the file could not be read,
// holds no parameter at all or a value out of range (named in refusedValue), and then the
// record is left unchanged.
int ReadParaFromIniFile(ParameterSet *record, const char *path, std::string *refusedValue = nullptr);

constexpr int kParaFileUnreadable = -1;
constexpr int kParaFileEmpty = -2;
constexpr int kParaFileOutOfRange = -3;
