#include "files/locations.h"

#include "ui/system.h"

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
