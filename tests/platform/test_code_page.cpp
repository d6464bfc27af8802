// Windows' ANSI code pages: which one a player's language has, and texts in them read and written
// alike on every system (the C library's conversions on Linux, the system's on Windows).

#include "platform/code_page.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>

#ifndef _WIN32
#include "tests/support/environment.h"
#endif

namespace kestrune {
namespace {

TEST(CodePageForLocale, TheWindowsCodePageOfTheLanguage) {
    // clang-format off
    const std::pair<const char*, unsigned> cases[] = {
        {"ru_RU.UTF-8", 1251}, {"uk_UA", 1251}, {"sr_RS", 1251}, {"sr_RS@latin", 1250},
        {"pl_PL.UTF-8", 1250}, {"cs_CZ.ISO-8859-2", 1250}, {"HU_hu", 1250}, {"el_GR", 1253},
        {"tr_TR", 1254}, {"he_IL", 1255}, {"fa_IR", 1256}, {"lt_LT", 1257}, {"vi_VN", 1258},
        {"th_TH", 874}, {"ja_JP.eucJP", 932}, {"zh_CN.GB18030", 936}, {"zh_SG", 936},
        {"zh_TW.UTF-8", 950}, {"zh_HK", 950}, {"ko_KR", 949}, {"de_DE@euro", 1252},
        {"C.UTF-8", 1252}, {"POSIX", 1252}, {"", 1252}, {"russian", 1252},
    };
    // clang-format on
    for (const auto& [locale, codePage] : cases) {
        EXPECT_EQ(CodePageForLocale(locale), codePage) << locale;
    }
}

#ifndef _WIN32
TEST(SystemCodePage, FromTheFirstOfLcAllLcCtypeAndLangThatIsSet) {
    using test_support::ScopedEnvironment;
    struct Case {
        std::optional<std::string> all, ctype, lang;
        unsigned codePage;
    };
    const Case cases[] = {
        {std::nullopt, std::nullopt, std::nullopt, 1252},
        {std::nullopt, std::nullopt, "pl_PL.UTF-8", 1250},
        {std::nullopt, "", "pl_PL.UTF-8", 1250},  // empty is unset
        {std::nullopt, "ru_RU.UTF-8", "pl_PL.UTF-8", 1251},
        {"el_GR.UTF-8", "ru_RU.UTF-8", "pl_PL.UTF-8", 1253},
        {"C", "ru_RU.UTF-8", std::nullopt, 1252},
    };
    for (const Case& c : cases) {
        ScopedEnvironment all("LC_ALL", c.all);
        ScopedEnvironment ctype("LC_CTYPE", c.ctype);
        ScopedEnvironment lang("LANG", c.lang);
        EXPECT_EQ(SystemCodePage(), c.codePage) << c.codePage;
    }
}
#endif

TEST(CodePageText, ReadAndWrittenInTheirPage) {
    struct Case {
        unsigned codePage;
        std::string bytes;
        std::u16string text;
    };
    // clang-format off
    const Case cases[] = {
        {1252, "J\xF6rg \x80", u"J\u00F6rg \u20AC"},
        {1251, "\xC2\xE0\xF1\xFF", u"\u0412\u0430\u0441\u044F"},
        {1250, "\xA3\xF3" "d\x9F", u"\u0141\u00F3d\u017A"},
        {1253, "\xC1\xE8\xDE\xED\xE1", u"\u0391\u03B8\u03AE\u03BD\u03B1"},
        {1255, "\xF9\xEC\xE5\xED", u"\u05E9\u05DC\u05D5\u05DD"},
        {874, "\xCA\xC7\xD1\xCA\xB4\xD5", u"\u0E2A\u0E27\u0E31\u0E2A\u0E14\u0E35"},
        {932, "\x93\xFA\x96{ \xB6", u"\u65E5\u672C \uFF76"},
        {936, "\xD6\xD0\xCE\xC4", u"\u4E2D\u6587"},
        {949, "\xC7\xD1\xB1\xDB", u"\uD55C\uAE00"},
        {950, "\xA4\xA4\xA4\xE5", u"\u4E2D\u6587"},
    };
    // clang-format on
    for (const Case& c : cases) {
        SCOPED_TRACE(c.codePage);
        EXPECT_EQ(DecodeCodePage(c.bytes, c.codePage), c.text);
        EXPECT_EQ(EncodeCodePage(c.text, c.codePage), c.bytes);
    }
}

TEST(CodePageText, EveryByteShowsAndOnlyWhatThePageHoldsIsWritten) {
    // A byte a single-byte page leaves undefined is the character of the same number, both ways.
    EXPECT_EQ(DecodeCodePage("\x81\x8D\x8F\x90\x9D", 1252), u"\u0081\u008D\u008F\u0090\u009D");
    EXPECT_EQ(DecodeCodePage("\x98", 1251), u"\u0098");
    EXPECT_EQ(EncodeCodePage(u"\u0081", 1252), "\x81");
    // A multi-byte page's stray or cut bytes show as replacements; the rest reads on.
    EXPECT_EQ(DecodeCodePage("\x93\xFA\x81", 932), u"\u65E5\uFFFD");
    EXPECT_EQ(DecodeCodePage("a\x81\x7F"
                             "b",
                             936),
              u"a\uFFFD\u007Fb");
    // Characters the page lacks, with no near match put in their place.
    EXPECT_EQ(EncodeCodePage(u"J\u00F6rg", 1251), std::nullopt);
    EXPECT_EQ(EncodeCodePage(u"\u0101", 1252), std::nullopt);
    EXPECT_EQ(EncodeCodePage(u"\u20AC", 932), std::nullopt);
    EXPECT_EQ(EncodeCodePage(u"a\xD800", 1252), std::nullopt);  // a lone surrogate
    EXPECT_EQ(EncodeCodePage(u"", 1251), "");
    // A page the system does not know is read as 1252.
    EXPECT_EQ(DecodeCodePage("J\xF6rg", 1), u"J\u00F6rg");
}

}  // namespace
}  // namespace kestrune
