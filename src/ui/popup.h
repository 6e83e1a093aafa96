#pragma once
// Pop-ups go through one interface so that tests can script the operator's answers.

#include <memory>
#include <string>

namespace ui {

enum FileSelectResult { VAL_NO_FILE_SELECTED = 0, VAL_EXISTING_FILE_SELECTED = 1, VAL_NEW_FILE_SELECTED = 2 };

struct FileSelectRequest {
    std::string defaultDirectory;
    std::string defaultFileName;
    std::string filter;  // e.g. "*.ini"
    std::string title;
    bool save = false;   // OK/save button instead of a load button
    bool restrictExtension = false;
};

class Popups {
public:
    virtual ~Popups() = default;
    virtual void Message(const std::string &title, const std::string &text) = 0;
    // Non-zero when the operator confirms.
    virtual int Confirm(const std::string &title, const std::string &text) = 0;
    // Fills path on a selection.
    virtual FileSelectResult FileSelect(const FileSelectRequest &request, std::string *path) = 0;
};

// Installs the pop-ups in use (the Qt dialogs by default); returns the previous one.
std::unique_ptr<Popups> SetPopups(std::unique_ptr<Popups> popups);
Popups &CurrentPopups();

inline void MessagePopup(const char *title, const char *text) { CurrentPopups().Message(title, text); }
inline int ConfirmPopup(const char *title, const char *text) { return CurrentPopups().Confirm(title, text); }

std::unique_ptr<Popups> MakeQtPopups();

} // namespace ui
