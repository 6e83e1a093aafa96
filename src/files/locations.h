// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once
// Where the program keeps its files. A program directory that can be written (a build
// tree, an unpacked copy) keeps everything as before. An installed program cannot
// write beside itself: its settings file then lives in the user's configuration
// directory and its record, parameter and hardware-information files default to the
// user's documents directory.

#include <cstddef>
#include <string>

struct FileLocations {
    std::string settingsFile;       // full path of MQ-Vista.ini
    std::string documentsDirectory; // default directory of the files the operator saves
    bool inProgramDirectory = true;
};

// Chooses the locations for a program directory (writable or not), creating the user
// directories when they are needed. A settings file found beside a program that
// cannot write there is carried over once into the user's configuration directory.
FileLocations ChooseFileLocations(const std::string &programDirectory, bool programDirectoryWritable);

// A path chosen in a file selection, put into a path buffer of `size` bytes, with
// `extension` (".ini") added when the name has none (null: none added). A path that does
// not fit is refused: the operator is told why, the buffer is unchanged and the result false.
bool TakeChosenPath(const std::string &chosen, const char *extension, char *buffer, std::size_t size);
