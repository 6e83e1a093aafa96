// SPDX-License-Identifier: GPL-3.0-or-later

// A second program appending to a change log: `change_log_writer FILE LABEL COUNT` appends
// COUNT rows, one transaction each, keyed LABEL-1 ... LABEL-COUNT.

#include "files/change_log.h"

#include <QCoreApplication>

#include <cstdio>
#include <string>

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    if (argc != 4)
        return 2;
    const int count = std::stoi(argv[3]);
    for (int i = 1; i <= count; ++i) {
        ChangeRow row;
        row.time = "2026-01-01T00:00:00.000Z";
        row.action = "TEST";
        row.target = "RAM";
        row.key = std::string(argv[2]) + "-" + std::to_string(i);
        row.newValue = i;
        row.written = true;
        std::vector<ChangeRow> rows{row};
        const AppendOutcome outcome = AppendChangeRows(argv[1], rows);
        if (!outcome.ok) {
            std::fprintf(stderr, "row %d: %s\n", i, outcome.reason.c_str());
            return 1;
        }
    }
    return 0;
}
