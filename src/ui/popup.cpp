// SPDX-License-Identifier: GPL-3.0-or-later

#include "ui/popup.h"

#include <QApplication>
#include <QFileDialog>
#include <QFileInfo>
#include <QMessageBox>

namespace ui {

namespace {

class QtPopups : public Popups {
public:
    void Message(const std::string &title, const std::string &text) override
    {
        QMessageBox::information(QApplication::activeWindow(), QString::fromLatin1(title.c_str()),
                                 QString::fromLatin1(text.c_str()));
    }

    int Confirm(const std::string &title, const std::string &text) override
    {
        return QMessageBox::question(QApplication::activeWindow(), QString::fromLatin1(title.c_str()),
                                     QString::fromLatin1(text.c_str())) == QMessageBox::Yes;
    }

    FileSelectResult FileSelect(const FileSelectRequest &r, std::string *path) override
    {
        const QString start = QString::fromStdString(r.defaultDirectory + "/" + r.defaultFileName);
        const QString filter = QString::fromStdString(r.filter);
        const QString title = QString::fromLatin1(r.title.c_str());
        const QString chosen = r.save
                                   ? QFileDialog::getSaveFileName(QApplication::activeWindow(), title, start, filter,
                                                                  nullptr, QFileDialog::DontConfirmOverwrite)
                                   : QFileDialog::getOpenFileName(QApplication::activeWindow(), title, start, filter);
        if (chosen.isEmpty())
            return VAL_NO_FILE_SELECTED;
        *path = chosen.toStdString();
        return QFileInfo::exists(chosen) ? VAL_EXISTING_FILE_SELECTED : VAL_NEW_FILE_SELECTED;
    }
};

} // namespace

std::unique_ptr<Popups> MakeQtPopups() { return std::make_unique<QtPopups>(); }

} // namespace ui
