// A point's recording that cannot be analysed: the reason names the file, and no bands are
// given.
#include "SurveyPointAnalysis.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

namespace fs = std::filesystem;

TEST(SurveyPointAnalysis, AFileThatCannotBeReadIsNamedWithItsReason)
{
    const fs::path dir = fs::path(::testing::TempDir()) / "survey_point_analysis";
    fs::remove_all(dir);
    fs::create_directories(dir / "folder.kvnb");
    std::ofstream(dir / "notes.txt") << "not a recording";
    std::ofstream(dir / "empty.kvnb");

    const struct {
        const char* name;
        const char* reason;
    } cases[] = {
        {"missing.kvnb", "cannot open: "},
        {"folder.kvnb", "is a directory"},
        {"notes.txt", "not a segment file (*.kvnb)"},
        {"empty.kvnb", "cannot read the segment"},
    };
    for (const auto& c : cases) {
        const std::string path = (dir / c.name).string();
        BandAnalysis out;
        const std::string error = AnalysePointFile(path, DefaultSettings(), PointAnalysisPlan{}, out);
        EXPECT_EQ(error.rfind(path + ": ", 0), 0u) << error;
        EXPECT_NE(error.find(c.reason), std::string::npos) << c.name << ": " << error;
        EXPECT_TRUE(out.bands.empty()) << c.name;
    }
    fs::remove_all(dir);
}
