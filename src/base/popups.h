// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once
// Pop-ups go through one interface so that tests can script the operator's answers and a
// program without windows can answer for itself. The window installs real dialogs.

#include <memory>
#include <string>

namespace ui {

enum FileSelectResult { VAL_NO_FILE_SELECTED = 0, VAL_EXISTING_FILE_SELECTED = 1, VAL_NEW_FILE_SELECTED = 2 };

struct FileSelectRequest {
    std::string defaultDirectory;
    std::string defaultFileName;
    std::string filter; // e.g. "*.ini"
    std::string title;
    bool save = false; // OK/save button instead of a load button
    bool restrictExtension = false;
};

enum class FileSelectMode { Load, Save };
// Whether the name chosen must carry the filter's extension.
enum class FileExtension { Free, Restricted };

// A file selection opening in directory with fileName offered, showing the files filter
// matches, under title.
FileSelectRequest MakeFileSelectRequest(std::string directory, std::string fileName, std::string filter,
                                        std::string title, FileSelectMode mode,
                                        FileExtension extension = FileExtension::Free);

class Popups {
public:
    virtual ~Popups() = default;
    virtual void Message(const std::string &title, const std::string &text) = 0;
    // Non-zero when the operator confirms.
    virtual int Confirm(const std::string &title, const std::string &text) = 0;
    // Fills path on a selection.
    virtual FileSelectResult FileSelect(const FileSelectRequest &request, std::string *path) = 0;
};

// Installs the pop-ups in use; returns the previous one.
std::unique_ptr<Popups> SetPopups(std::unique_ptr<Popups> popups);
// The pop-ups installed, else those the fallback makes, else answers without an operator:
// messages go to standard error, confirmations are refused, no file is chosen.
Popups &CurrentPopups();
// What CurrentPopups makes when none are installed (the window's dialogs).
void SetFallbackPopups(std::unique_ptr<Popups> (*make)());

inline void MessagePopup(const char *title, const char *text) { CurrentPopups().Message(title, text); }
inline int ConfirmPopup(const char *title, const char *text) { return CurrentPopups().Confirm(title, text); }

} // namespace ui
