#pragma once

#include <iterator>
#include <sstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>

#include "document/scenario_document.h"
#include "tests/support/files.h"
#include "tools/cli.h"

namespace velmora::cli {

using Arguments = std::vector<std::string>;

/// One in-process run of velmora-project.
struct Ran {
    int status;
    std::string out;
    std::string err;

    [[nodiscard]] QJsonObject json() const {
        return QJsonDocument::fromJson(QByteArray::fromStdString(out)).object();
    }
};

/// The words of `text`, split at spaces.
inline Arguments words(const std::string& text) {
    std::istringstream in(text);
    return {std::istream_iterator<std::string>(in), {}};
}

/// `first`, then `more`.
inline Arguments joined(Arguments first, const Arguments& more) {
    first.insert(first.end(), more.begin(), more.end());
    return first;
}

inline Ran runTool(const Arguments& arguments, const Arguments& more = {}) {
    const Arguments all = joined(arguments, more);
    const std::vector<std::string_view> views(all.begin(), all.end());
    std::ostringstream out;
    std::ostringstream err;
    const int status = run(views, out, err);
    return {status, out.str(), err.str()};
}

/// Refused as any bad flag is: status 2, nothing on standard output, and
/// `message` as the one line on standard error.
inline void expectRefused(const Arguments& arguments, const std::string& message) {
    const Ran ran = runTool(arguments);
    EXPECT_EQ(ran.status, exitUsage) << message;
    EXPECT_EQ(ran.out, "") << message;
    EXPECT_EQ(ran.err, "velmora-project: " + message + "\n");
}

/// Ten trials a day, all converting, half staying at every renewal: a trial
/// pays for 2 months on average, and months 0 to 3 open at 10, 305, 452.5 and
/// 526.25 subscribers, exact in binary, towards 10 x 30 x 2 = 600.
inline Ran runHalves(const Arguments& more) {
    return runTool(words("--daily-trials 10 --trial-retention 1 --price 2 --rt1 0.5 --rt2 0.5 "
                         "--rt3 0.5 --rt4 0.5 --rt5 0.5 --rt6 0.5 --rest 0.5"),
                   more);
}

/// A folder for the files a test gives the tool and the tool writes.
class ToolFolder : public testing::Test {
protected:
    [[nodiscard]] std::string path(const QString& name) const {
        return dir.filePath(name).toStdString();
    }

    /// Writes `text` as the file `name`; its path.
    std::string write(const QString& name, const QByteArray& text) const {
        EXPECT_TRUE(writeFile(dir.filePath(name), text));
        return path(name);
    }

    [[nodiscard]] ScenarioDocument read(const QString& name) const {
        auto document = readDocumentFile(dir.filePath(name));
        EXPECT_TRUE(std::holds_alternative<ScenarioDocument>(document)) << name.toStdString();
        return std::get<ScenarioDocument>(document);
    }

    QTemporaryDir dir;
};

}  // namespace velmora::cli
