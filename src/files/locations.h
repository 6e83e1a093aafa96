#pragma once
// Where the program keeps its files. A program directory that can be written (a build
// tree, an unpacked copy) keeps everything as before. An installed program cannot
// write beside itself: its settings file then lives in the user's configuration
// directory and its record, parameter and hardware-information files default to the
// user's documents directory.

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
