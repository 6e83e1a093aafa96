#pragma once
// The JSON members the command line's results share.

#include "cli/backup_file.h"
#include "params/compare.h"

#include <QJsonArray>
#include <QJsonObject>

#include <vector>

namespace cli {

QJsonObject IdentityToJson(const Identity &identity);
QJsonArray DifferencesToJson(const std::vector<ParameterDifference> &differences);

} // namespace cli
