// Whole statements against golden files: tests/data/format/<name>.sql and
// its expected results <name>.right.txt and <name>.left.txt (keywords right-
// and left-aligned, other options at their defaults).
#include "LayoutTestSupport.h"

#include <filesystem>
#include <fstream>
#include <sstream>

using namespace layout_test;
namespace fs = std::filesystem;

namespace
{

std::string ReadFile(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    std::stringstream buffer;
    buffer << in.rdbuf();
    return buffer.str();
}

struct GoldenCase
{
    const char* name;
    bool right;
};

class GoldenTest : public ::testing::TestWithParam<GoldenCase>
{
};

TEST_P(GoldenTest, MatchesExpectedFile)
{
    const fs::path dir = fs::path(QUILLMARK_TEST_DATA_DIR) / "format";
    const std::string name = GetParam().name;
    const fs::path input = dir / (name + ".sql");
    const fs::path expected = dir / (name + (GetParam().right ? ".right.txt" : ".left.txt"));
    ASSERT_TRUE(fs::exists(input)) << input;
    ASSERT_TRUE(fs::exists(expected)) << expected;
    const bool right = GetParam().right;
    ExpectFormat(ReadFile(input), ReadFile(expected), [right](COptions& o) { o.m_Alignment.m_bRight = right; });
}

INSTANTIATE_TEST_SUITE_P(Statements, GoldenTest,
                         ::testing::Values(GoldenCase{"select_join_case", true}, GoldenCase{"select_join_case", false},
                                           GoldenCase{"with_union_dml", true}, GoldenCase{"with_union_dml", false}),
                         [](const ::testing::TestParamInfo<GoldenCase>& info) {
                             return std::string(info.param.name) + (info.param.right ? "_right" : "_left");
                         });

} // namespace
