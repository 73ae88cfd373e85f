#include "ui/ErrorText.h"

#include <gtest/gtest.h>

namespace pennora {
namespace {

TEST(ErrorReportText, AddsAFullStopOnlyWhenMissing) {
    struct Case { std::string message, shown; };
    const Case cases[] = {
        {"Cannot perform this operation on an empty dataset", "Cannot perform this operation on an empty dataset."},
        {"Unable to write to C:\\a.ini.", "Unable to write to C:\\a.ini."},
        {"文件无法读取。", "文件无法读取。"},
        {"", "."},
    };
    for (const auto& c : cases) EXPECT_EQ(ErrorReportText(c.message), c.shown) << c.message;
}

}  // namespace
}  // namespace pennora
