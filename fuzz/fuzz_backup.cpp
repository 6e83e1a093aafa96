// SPDX-License-Identifier: GPL-3.0-or-later
// Arbitrary backup files through the backup reader: whatever it takes must write out and
// read back to the same backup.

#include "cli/backup_file.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    cli::Backup backup;
    std::string error;
    if (!cli::BackupFromJson(std::string(reinterpret_cast<const char *>(data), size), backup, error))
        return 0;
    const std::string written = cli::BackupToJson(backup);
    cli::Backup again;
    if (!cli::BackupFromJson(written, again, error) || cli::BackupToJson(again) != written)
        std::abort();
    return 0;
}
