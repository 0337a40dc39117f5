#include "app/message_text.h"

#include <gtest/gtest.h>

#include <string>

namespace {

std::u16string Lines(std::size_t count, std::u16string_view line) {
    std::u16string text;
    for (std::size_t i = 0; i < count; ++i) {
        text += (i ? u"\r\n" : u"") + std::u16string(line);
    }
    return text;
}

// A message box gets no more than a screen shows, cut visibly; a NUL no longer ends the text.
TEST(MessageBoxText, KeepsEveryMessageWithinTheScreensBounds) {
    const std::u16string surrogatePair = u"\U0001F600";
    const struct {
        const char* what;
        std::u16string text;
        std::u16string given;
    } cases[] = {
        {"a message as it is", Lines(3, u"linha"), Lines(3, u"linha")},
        {"the lines past the 30th", Lines(2000, u"linha"), Lines(30, u"linha") + u"…"},
        {"a run without a blank broken, then cut", Lines(3, std::u16string(1000, u'x')),
         Lines(30, std::u16string(50, u'x')) + u"…"},
        {"not between the halves of a pair", std::u16string(1499, u'x') + surrogatePair + u"y",
         Lines(29, std::u16string(50, u'x')) + u"\r\n" + std::u16string(49, u'x') + u"…"},
        {"a NUL shown", std::u16string(u"a\0b - n. 3", 10), u"a\u2400b - n. 3"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(kestrel::MessageBoxText(c.text), c.given);
    }
}

}  // namespace
