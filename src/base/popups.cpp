// SPDX-License-Identifier: GPL-3.0-or-later

#include "base/popups.h"

#include <cstdio>
#include <utility>

namespace ui {

FileSelectRequest MakeFileSelectRequest(std::string directory, std::string fileName, std::string filter,
                                        std::string title, FileSelectMode mode, FileExtension extension)
{
    FileSelectRequest request;
    request.defaultDirectory = std::move(directory);
    request.defaultFileName = std::move(fileName);
    request.filter = std::move(filter);
    request.title = std::move(title);
    request.save = mode == FileSelectMode::Save;
    request.restrictExtension = extension == FileExtension::Restricted;
    return request;
}

namespace {

// Nobody to ask: what would have been shown goes to standard error, nothing is confirmed.
class NoOperator : public Popups {
public:
    void Message(const std::string &title, const std::string &text) override
    {
        std::fprintf(stderr, "%s: %s\n", title.c_str(), text.c_str());
    }
    int Confirm(const std::string &, const std::string &) override { return 0; }
    FileSelectResult FileSelect(const FileSelectRequest &, std::string *) override { return VAL_NO_FILE_SELECTED; }
};

std::unique_ptr<Popups> &current()
{
    static std::unique_ptr<Popups> popups;
    return popups;
}

std::unique_ptr<Popups> (*g_fallback)() = nullptr;

} // namespace

std::unique_ptr<Popups> SetPopups(std::unique_ptr<Popups> popups)
{
    std::unique_ptr<Popups> previous = std::move(current());
    current() = std::move(popups);
    return previous;
}

void SetFallbackPopups(std::unique_ptr<Popups> (*make)()) { g_fallback = make; }

Popups &CurrentPopups()
{
    if (!current())
        current() = g_fallback ? g_fallback() : std::make_unique<NoOperator>();
    return *current();
}

} // namespace ui
