#include "util/MyStrUnit.h"
#include "util/Paths.h"

#include <gtest/gtest.h>

#include <string>

namespace {

class PathsTest : public ::testing::Test {
protected:
    void SetUp() override { tarvo::BuildCaseTable(); }
};

using WithBackslash = PathsTest;
using WithTrailingSlash = PathsTest;

TEST_F(WithBackslash, TrimsAndEndsTheFolderWithOneSeparator) {
    const struct {
        std::string In, Expected;
    } cases[] = {
        {"/pics ", "/pics/"}, {"", "/"},  {"  \t", "/"}, {"/pics/", "/pics/"},
        {" /a/b/ ", "/a/b/"}, {"/", "/"}, {"a", "a/"},   {"\r\n/x\r\n", "/x/"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE("'" + c.In + "'");
        EXPECT_EQ(tarvo::WithBackslash(c.In), c.Expected);
    }
}

// The folder list's batch walk builds its paths this way: a folder named with blanks at its
// ends keeps them.
TEST_F(WithTrailingSlash, EndsTheFolderWithOneSeparatorAndKeepsBlanks) {
    const struct {
        std::string In, Expected;
    } cases[] = {
        {"/pics", "/pics/"}, {"/pics/", "/pics/"}, {"", "/"},     {"/", "/"},
        {"a", "a/"},         {" /a ", " /a /"},    {"  ", "  /"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE("'" + c.In + "'");
        EXPECT_EQ(tarvo::WithTrailingSlash(c.In), c.Expected);
    }
}

} // namespace
