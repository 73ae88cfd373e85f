#include "app/AppPath.h"

#include <gtest/gtest.h>

namespace pennora {
namespace {

TEST(AppPath, IsTheExecutablesFolderWithItsBackslash) {
    EXPECT_EQ(AppPathOf("C:\\Tools\\Pennora\\Pennora.exe"), "C:\\Tools\\Pennora\\");
    EXPECT_EQ(AppPathOf("Z:\\Pennora.exe"), "Z:\\");
}

}  // namespace
}  // namespace pennora
