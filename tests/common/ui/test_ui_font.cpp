// The windows' font family, by the systems' installed families.
#include "common/ui/UiFont.h"

#include <gtest/gtest.h>

namespace {

struct FontRow {
    const char* system;
    QStringList installed;
    QString chosen;
};

class WindowFontFamily : public testing::TestWithParam<FontRow> {};

TEST_P(WindowFontFamily, FirstPreferredFamilyInstalled)
{
    EXPECT_EQ(uifont::chooseFamily(GetParam().installed), GetParam().chosen) << GetParam().system;
}

INSTANTIATE_TEST_SUITE_P(Systems, WindowFontFamily,
    testing::Values(
        // Japanese Windows lists MS Gothic under its Japanese name too.
        FontRow { "JapaneseWindows",
            { "Meiryo UI", "MS Gothic", "ＭＳ ゴシック", "Yu Gothic UI" }, "ＭＳ ゴシック" },
        FontRow { "EnglishNamesOnly", { "Meiryo UI", "MS Gothic" }, "MS Gothic" },
        // Windows 11 without the optional Japanese supplemental fonts.
        FontRow { "NoMsGothic", { "Segoe UI", "Meiryo UI", "Yu Gothic UI" }, "Yu Gothic UI" },
        FontRow { "OlderWindows", { "Tahoma", "MS UI Gothic" }, "MS UI Gothic" },
        FontRow { "LinuxDesktop", { "DejaVu Sans", "Noto Sans CJK JP", "IPAGothic" }, "IPAGothic" },
        // Exact names only: a look-alike is no match.
        FontRow { "NoJapaneseFont", { "Segoe UI", "ms gothic", "MS Gothic UI" }, QString() },
        FontRow { "NothingInstalled", {}, QString() }),
    [](const testing::TestParamInfo<FontRow>& info) { return std::string(info.param.system); });

} // namespace
