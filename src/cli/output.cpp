// SPDX-License-Identifier: GPL-3.0-or-later

#include "cli/output.h"

#include <QJsonDocument>

#include <algorithm>
#include <cstdio>

namespace cli {

namespace {

std::string textOf(const QJsonValue &value)
{
    if (value.isBool())
        return value.toBool() ? "yes" : "no";
    if (value.isDouble())
        return std::to_string(static_cast<long long>(value.toDouble()));
    if (value.isString())
        return value.toString().toStdString();
    if (value.isArray()) {
        std::string files;
        for (const QJsonValue &v : value.toArray())
            files += (files.empty() ? "" : " ") + textOf(v);
        return files;
    }
    return "-";
}

void printTable(const std::vector<std::vector<std::string>> &rows)
{
    std::vector<std::size_t> widths;
    for (const auto &row : rows)
        for (std::size_t i = 0; i < row.size(); ++i) {
            widths.resize(std::max(widths.size(), row.size()));
            widths[i] = std::max(widths[i], row[i].size());
        }
    for (const auto &row : rows) {
        std::string line;
        for (std::size_t i = 0; i < row.size(); ++i) {
            line += row[i];
            if (i + 1 < row.size())
                line += std::string(widths[i] - row[i].size() + 2, ' ');
        }
        std::printf("%s\n", line.c_str());
    }
}

} // namespace

QJsonArray DifferencesToJson(const std::vector<ParameterDifference> &differences)
{
    QJsonArray list;
    for (const ParameterDifference &d : differences) {
        QJsonObject field;
        field.insert("key", QString::fromStdString(d.key));
        field.insert("left", static_cast<qint64>(d.left));
        field.insert("right", static_cast<qint64>(d.right));
        list.append(field);
    }
    return list;
}

void PrintJsonLine(const QJsonObject &object)
{
    std::printf("%s\n", QJsonDocument(object).toJson(QJsonDocument::Compact).constData());
}

void PrintResults(const std::vector<QJsonObject> &results, bool json, const std::vector<Column> &columns)
{
    if (json) {
        for (const QJsonObject &r : results)
            PrintJsonLine(r);
        std::fflush(stdout);
        return;
    }
    std::vector<std::vector<std::string>> rows;
    std::vector<std::string> header{"ADDRESS"};
    for (const Column &c : columns)
        header.push_back(c.title);
    rows.push_back(header);
    for (const QJsonObject &r : results) {
        std::vector<std::string> row{r.value("address").toString().toStdString()};
        const bool ok = r.value("ok").toBool();
        for (const Column &c : columns)
            row.push_back(r.contains(c.member) ? textOf(r.value(c.member)) : "-");
        if (!ok)
            row.back() = "ERROR: " + r.value("error").toString().toStdString();
        rows.push_back(row);
    }
    printTable(rows);
    std::fflush(stdout);
}

void PrintDifferences(const std::vector<ParameterDifference> &differences, const std::string &leftTitle,
                      const std::string &rightTitle)
{
    std::vector<std::vector<std::string>> rows{{"KEY", leftTitle, rightTitle}};
    for (const ParameterDifference &d : differences)
        rows.push_back({d.key, std::to_string(d.left), std::to_string(d.right)});
    printTable(rows);
    std::fflush(stdout);
}

void Complain(const std::string &address, const std::string &text)
{
    std::fprintf(stderr, "mq-vista-cli: %s%s%s\n", address.c_str(), address.empty() ? "" : ": ", text.c_str());
}

} // namespace cli
