#include "ui/system.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QFileInfo>

#include <cstdio>
#include <sys/stat.h>

namespace ui {

namespace {
std::string &programDirectoryOverride()
{
    static std::string dir;
    return dir;
}
} // namespace

std::string ProgramDirectory()
{
    if (!programDirectoryOverride().empty())
        return programDirectoryOverride();
    if (QCoreApplication::instance())
        return QCoreApplication::applicationDirPath().toStdString();
    return ".";
}

void SetProgramDirectory(const std::string &directory) { programDirectoryOverride() = directory; }

std::string JoinPath(const std::string &directory, const std::string &fileName)
{
    if (directory.empty())
        return fileName;
    if (directory.back() == '/')
        return directory + fileName;
    return directory + "/" + fileName;
}

bool FileExists(const std::string &path)
{
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0;
}

int SetFileHidden(const std::string &path) { return FileExists(path) ? 0 : -1; }

int DeleteFileAt(const std::string &path) { return std::remove(path.c_str()) == 0 ? 0 : -1; }

std::string DateStr() { return QDate::currentDate().toString("MM-dd-yyyy").toStdString(); }

std::string TimeStr() { return QTime::currentTime().toString("HH:mm:ss").toStdString(); }

} // namespace ui
