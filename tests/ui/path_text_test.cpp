#include "ui/path_text.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "support/temp_dir.h"

namespace celestra {
namespace {

TEST(PathText, DecodesUtf8AndEscapesEveryOtherByte) {
    const struct {
        std::string bytes;
        std::u16string field;
        const char* reason;
    } rows[] = {
        {"", u"", "empty"},
        {"/obs/comet.dat", u"/obs/comet.dat", "ASCII"},
        {"/obs/a\xC3\xB1o", u"/obs/a\u00F1o", "UTF-8 two bytes"},
        {"\xE2\x82\xAC", u"\u20AC", "UTF-8 three bytes"},
        {"\xF0\x9F\x94\xAD", u"\U0001F52D", "UTF-8 four bytes: a surrogate pair"},
        {"a\xF1o", u"a\xDCF1o", "a Latin-1 byte"},
        {"\xC3", u"\xDCC3", "a cut sequence at the end"},
        {"\xC3(", u"\xDCC3(", "a lead byte without its continuation"},
        {"\xC0\xAF", u"\xDCC0\xDCAF", "an overlong slash"},
        {"\xE0\x80\xAF", u"\xDCE0\xDC80\xDCAF", "an overlong three-byte form"},
        {"\xED\xB3\xB1", u"\xDCED\xDCB3\xDCB1", "an encoded surrogate is no UTF-8"},
        {"\xF4\x90\x80\x80", u"\xDCF4\xDC90\xDC80\xDC80", "past U+10FFFF"},
        {"\x80\xFF", u"\xDC80\xDCFF", "a lone continuation and 0xFF"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.reason);
        EXPECT_EQ(BytesToFieldText(row.bytes), row.field);
        EXPECT_EQ(FieldTextToBytes(row.field), row.bytes);
    }
}

// Every string of one and two bytes, and every three-byte string that
// starts like a multi-byte sequence, comes back byte for byte.
TEST(PathText, EveryShortByteStringComesBackUnchanged) {
    std::string bytes;
    for (int first = 0; first < 256; ++first) {
        for (int second = -1; second < 256; ++second) {
            for (int third = -1; third < (first >= 0xE0 ? 256 : 0); ++third) {
                bytes.assign(1, static_cast<char>(first));
                if (second >= 0) bytes += static_cast<char>(second);
                if (third >= 0) bytes += static_cast<char>(third);
                ASSERT_EQ(FieldTextToBytes(BytesToFieldText(bytes)), bytes) << first << " " << second << " " << third;
            }
        }
    }
}

TEST(PathText, StoresTypedTextAsUtf8) {
    EXPECT_EQ(FieldTextToBytes(u"/obs/\u00F1/\xDCF1"), "/obs/\xC3\xB1/\xF1");  // typed ñ beside a kept byte
    EXPECT_EQ(FieldTextToBytes(u"a\xD800"
                               u"b\xDC10"),
              "a?b?");  // surrogates that carry nothing
}

TEST(PathText, ShowsAnOlderSingleByteTextByItsLetters) {
    EXPECT_EQ(BytesToDisplayText("Error de formato para ESTRELLA\xD1"), u"Error de formato para ESTRELLA\u00D1");
    EXPECT_EQ(BytesToDisplayText("a\xC3\xB1o"), u"a\u00F1o");
}

// Explorer's "Copy as path" quotes the path; the quotes go only when that
// makes the text name a file it did not name before.
TEST(PathText, DropsTheQuotesOfCopyAsPathOnlyWhenTheyHideAFile) {
    testing::TempDir dir;
    const std::string comet = dir.File("comet.dat");
    testing::WriteBytes(comet, "");
    const std::string quoted = '"' + comet + '"';
    const struct {
        std::string text;
        std::string path;
        const char* reason;
    } rows[] = {
        {quoted, comet, "quoted, the file exists: unquoted"},
        {comet, comet, "no quotes"},
        {'"' + dir.File("missing.dat") + '"', '"' + dir.File("missing.dat") + '"', "no file either way: as typed"},
        {'"' + comet, '"' + comet, "an opening quote alone"},
        {comet + '"', comet + '"', "a closing quote alone"},
        {'"' + quoted + '"', '"' + quoted + '"', "one pair only: still quoted after it"},
        {" " + quoted, " " + quoted, "a blank before the quote"},
        {"'" + comet + "'", "'" + comet + "'", "single quotes are no Explorer quotes"},
        {'"' + dir.path() + '"', '"' + dir.path() + '"', "a folder is no file"},
        {"\"\"", "\"\"", "empty quotes"},
        {"\"", "\"", "one quote character"},
        {"", "", "empty"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.reason);
        EXPECT_EQ(PathWithoutCopiedQuotes(row.text), row.path);
    }
}

#ifndef _WIN32
// On Linux a name may hold the quotes themselves: the file so named is the
// one meant, even when the name without them exists too.
TEST(PathText, KeepsQuotesThatArePartOfAnExistingName) {
    testing::TempDir dir;
    testing::WriteBytes(dir.File("comet.dat"), "");
    testing::WriteBytes(dir.File("\"comet.dat\""), "");
    const std::string quotedName = dir.path() + "/\"comet.dat\"";
    EXPECT_EQ(PathWithoutCopiedQuotes(quotedName), quotedName) << "not a copied path: no quote at its start";
    const std::string relative = "\"comet.dat\"";
    const std::string previous = std::filesystem::current_path().string();
    std::filesystem::current_path(dir.path());
    const std::string kept = PathWithoutCopiedQuotes(relative);
    std::filesystem::remove(dir.File("\"comet.dat\""));
    const std::string unquoted = PathWithoutCopiedQuotes(relative);
    std::filesystem::current_path(previous);
    EXPECT_EQ(kept, relative);
    EXPECT_EQ(unquoted, "comet.dat") << "once the quoted name is gone";
}
#endif

}  // namespace
}  // namespace celestra
