#include "text/conventions.h"

#include <gtest/gtest.h>

#include <clocale>
#include <cstdlib>
#include <string>

#include "platform/regional_settings.h"

namespace celestra {
namespace {

TEST(DateSeparatorOfFormat, TakesTheOneByteBetweenTheFirstTwoFields) {
    const std::pair<const char*, char> rows[] = {
        {"%d/%m/%Y", '/'},
        {"%d.%m.%Y", '.'},
        {"%Y-%m-%d", '-'},
        {"%m/%d/%y", '/'},
        {"%D", '/'},
        {"%F", '-'},
        {"%d. %m. %Y", '/'},                                  // two bytes
        {"%Y\xE5\xB9\xB4%m\xE6\x9C\x88%d\xE6\x97\xA5", '/'},  // a multibyte character
        {"", '/'},
        {"%d", '/'},
    };
    for (const auto& [format, separator] : rows) EXPECT_EQ(DateSeparatorOfFormat(format), separator) << format;
}

#ifndef _WIN32
// Sets an environment variable for its lifetime.
class ScopedEnv {
public:
    ScopedEnv(const char* name, const char* value) : name_(name) {
        if (const char* old = std::getenv(name)) saved_ = old, had_ = true;
        ::setenv(name, value, 1);
    }
    ~ScopedEnv() {
        if (had_)
            ::setenv(name_, saved_.c_str(), 1);
        else
            ::unsetenv(name_);
    }

private:
    const char* name_;
    std::string saved_;
    bool had_ = false;
};

TEST(ConventionsFromRegionalSettings, TakesTheDateSeparatorOfTheTimeLocale) {
    ScopedEnv noAll("LC_ALL", "");
    {
        ScopedEnv time("LC_TIME", "de_DE.UTF-8");
        const locale_t german = newlocale(LC_TIME_MASK, "de_DE.UTF-8", static_cast<locale_t>(nullptr));
        if (german == static_cast<locale_t>(nullptr)) GTEST_SKIP() << "de_DE.UTF-8 is not installed";
        freelocale(german);
        EXPECT_EQ(ConventionsFromRegionalSettings().dateSeparator, '.');
    }
    {
        ScopedEnv time("LC_TIME", "C");
        EXPECT_EQ(ConventionsFromRegionalSettings().dateSeparator, '/');
    }
    {
        ScopedEnv time("LC_TIME", "no_SUCH.locale");
        EXPECT_EQ(ConventionsFromRegionalSettings().dateSeparator, '/') << "an unreadable setting";
    }
    // The other fields are never taken from the locale.
    ScopedEnv numeric("LC_NUMERIC", "de_DE.UTF-8");
    const TextConventions conventions = ConventionsFromRegionalSettings();
    EXPECT_EQ(conventions.decimalSeparator, '.');
    EXPECT_EQ(conventions.twoDigitYearWindow, 50);
}
#endif

}  // namespace
}  // namespace celestra
