// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once
// Pop-ups answered by the test: what was asked is recorded, answers are scripted.

#include "ui/popup.h"

#include <cstddef>
#include <deque>
#include <string>
#include <utility>
#include <vector>

struct ScriptedPopups : ui::Popups {
    struct Shown {
        std::string kind, title, text;
    };
    std::vector<Shown> shown;
    std::deque<int> confirmAnswers;    // empty: "no"
    std::deque<std::string> filePaths; // empty: cancel

    // Title and text of one pop-up shown, to compare as one value (out of range throws, which fails the test).
    std::pair<std::string, std::string> said(std::size_t i) const { return {shown.at(i).title, shown.at(i).text}; }
    std::pair<std::string, std::string> saidLast() const { return said(shown.size() - 1); }

    void Message(const std::string &title, const std::string &text) override
    {
        shown.push_back({"message", title, text});
    }
    int Confirm(const std::string &title, const std::string &text) override
    {
        shown.push_back({"confirm", title, text});
        if (confirmAnswers.empty())
            return 0;
        const int answer = confirmAnswers.front();
        confirmAnswers.pop_front();
        return answer;
    }
    ui::FileSelectResult FileSelect(const ui::FileSelectRequest &request, std::string *path) override
    {
        shown.push_back({"file", request.title, request.defaultFileName});
        if (filePaths.empty())
            return ui::VAL_NO_FILE_SELECTED;
        *path = filePaths.front();
        filePaths.pop_front();
        return ui::VAL_NEW_FILE_SELECTED;
    }
};
