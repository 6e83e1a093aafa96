// SPDX-License-Identifier: GPL-3.0-or-later

#include "platform/system.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>

#include <cstdio>
#include <sys/stat.h>
#include <unistd.h>

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

bool DirectoryWritable(const std::string &directory)
{
    std::string probe = JoinPath(directory.empty() ? "." : directory, ".mq-write-test-XXXXXX");
    const int fd = ::mkstemp(probe.data());
    if (fd < 0)
        return false;
    ::close(fd);
    ::unlink(probe.c_str());
    return true;
}

bool MakeDirectories(const std::string &directory)
{
    return !directory.empty() && QDir().mkpath(QString::fromStdString(directory));
}

bool CopyFileTo(const std::string &from, const std::string &to)
{
    QFile::remove(QString::fromStdString(to));
    return QFile::copy(QString::fromStdString(from), QString::fromStdString(to));
}

std::string UserConfigDirectory()
{
    const QString base = QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation);
    return base.isEmpty() ? std::string() : JoinPath(base.toStdString(), "mq-vista");
}

std::string UserDocumentsDirectory()
{
    const QString base = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    return base.isEmpty() ? std::string() : JoinPath(base.toStdString(), "MQ-Vista");
}

std::string DateStr() { return QDate::currentDate().toString("MM-dd-yyyy").toStdString(); }

std::string TimeStr() { return QTime::currentTime().toString("HH:mm:ss").toStdString(); }

} // namespace ui
