// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once
// Files, paths, dates and times as the program uses them.

#include <string>

namespace ui {

// Directory of the executable; tests may point it elsewhere.
std::string ProgramDirectory();
void SetProgramDirectory(const std::string &directory);
std::string JoinPath(const std::string &directory, const std::string &fileName);
bool FileExists(const std::string &path);
// Settings files are marked hidden where the file system has such an attribute; on
// Linux there is none, so this only checks that the file exists.
int SetFileHidden(const std::string &path);
int DeleteFileAt(const std::string &path);
// True when a file can be created in the directory (tried, not guessed from modes).
bool DirectoryWritable(const std::string &directory);
// Creates a directory and its parents; true when it exists afterwards.
bool MakeDirectories(const std::string &directory);
// Copies a file; false when it could not be read or written completely.
bool CopyFileTo(const std::string &from, const std::string &to);
// The user's configuration directory of this program and the user's documents
// directory (the desktop's standard locations); empty when there are none.
std::string UserConfigDirectory();
std::string UserDocumentsDirectory();
// "MM-DD-YYYY" and "HH:MM:SS" of the local time.
std::string DateStr();
std::string TimeStr();

} // namespace ui
