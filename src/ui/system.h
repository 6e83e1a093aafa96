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
// "MM-DD-YYYY" and "HH:MM:SS" of the local time.
std::string DateStr();
std::string TimeStr();

} // namespace ui
