#include "matrix/MatrixFields.h"

#include <gtest/gtest.h>

#include "fakes/FakeProfile.h"

namespace pennora {
namespace {

constexpr const char* kFile = "C:\\Pennora\\Pennora.Ini";

TEST(MatrixFields, StartSelectionIsTheLastFontUnlessAnIndexIsStoredAndNothingWhenItIsOutside) {
    const struct {
        std::optional<int> stored;
        int fontCount;
        int selected;
    } cases[] = {
        {std::nullopt, 40, 39}, {3, 40, 3}, {0, 40, 0}, {39, 40, 39},
        {40, 40, -1},           {-1, 40, -1}, {std::nullopt, 1, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.stored ? std::to_string(*c.stored) : "none");
        EXPECT_EQ(StartFontSelection(c.stored, c.fontCount), c.selected);
    }
}

TEST(MatrixFields, ReadsTheStoredIndexAsANumberOrNoneAndTheTextsWithTheirDefaults) {
    fakes::FakeProfile profile;
    IniFile ini(profile, kFile);
    StoredMatrixFields fresh = ReadMatrixFields(ini);
    EXPECT_EQ(fresh.FontIndex, std::nullopt);
    EXPECT_EQ(fresh.FrontText, "水");
    EXPECT_EQ(fresh.FillText, "灌");
    EXPECT_EQ(fresh.BackText, "\xA1\xA1");

    for (const auto& [text, index] : {std::pair<const char*, std::optional<int>>{"0x2", 2}, {"-1", -1}, {"abc", {}}}) {
        profile.Put(kFile, "ChineseGroup", "FontIndex", text);
        EXPECT_EQ(ReadMatrixFields(ini).FontIndex, index) << text;
    }
    profile.Put(kFile, "ChineseGroup", "BackText", "");
    EXPECT_EQ(ReadMatrixFields(ini).BackText, "");
}

}  // namespace
}  // namespace pennora
