// SPDX-License-Identifier: GPL-3.0-or-later

#include "files/locations.h"

#include "base/popups.h"
#include "base/text.h"
#include "platform/system.h"

namespace {
constexpr const char *kSettingsName = "MQ-Vista.ini";
} // namespace

FileLocations ChooseFileLocations(const std::string &programDirectory, bool programDirectoryWritable)
{
    FileLocations where;
    where.settingsFile = ui::JoinPath(programDirectory, kSettingsName);
    where.documentsDirectory = programDirectory;
    if (programDirectoryWritable)
        return where;

    const std::string config = ui::UserConfigDirectory();
    if (!config.empty() && ui::MakeDirectories(config)) {
        const std::string userSettings = ui::JoinPath(config, kSettingsName);
        // Settings kept beside the program by an earlier copy are taken over once.
        if (!ui::FileExists(userSettings) && ui::FileExists(where.settingsFile))
            ui::CopyFileTo(where.settingsFile, userSettings);
        where.settingsFile = userSettings;
        where.inProgramDirectory = false;
    }
    const std::string documents = ui::UserDocumentsDirectory();
    if (!documents.empty() && ui::MakeDirectories(documents)) {
        where.documentsDirectory = documents;
        where.inProgramDirectory = false;
    }
    return where;
}

bool TakeChosenPath(const std::string &chosen, const char *extension, char *buffer, std::size_t size)
{
    std::string path = chosen;
    const std::size_t name = path.find_last_of('/');
    if (extension && path.find('.', name == std::string::npos ? 0 : name + 1) == std::string::npos)
        path += extension;
    if (path.size() >= size) {
        // Cut to the buffer it would name another file.
        const std::string text = "The path is longer than " + std::to_string(size - 1) + " characters:\n" + path;
        ui::MessagePopup("ATTENTION!", text.c_str());
        return false;
    }
    CopyText(buffer, size, path.c_str());
    return true;
}
