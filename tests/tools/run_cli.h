#pragma once

#include <sstream>
#include <string>
#include <vector>

#include <QJsonDocument>
#include <QJsonObject>

#include "tools/cli.h"

namespace velmora::cli {

/// One in-process run of velmora-project.
struct Ran {
    int status;
    std::string out;
    std::string err;

    [[nodiscard]] QJsonObject json() const {
        return QJsonDocument::fromJson(QByteArray::fromStdString(out)).object();
    }
};

inline Ran runTool(const std::vector<std::string>& arguments) {
    const std::vector<std::string_view> views(arguments.begin(), arguments.end());
    std::ostringstream out;
    std::ostringstream err;
    const int status = run(views, out, err);
    return {status, out.str(), err.str()};
}

}  // namespace velmora::cli
