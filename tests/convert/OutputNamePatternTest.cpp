#include <gtest/gtest.h>

#include "convert/OutputNamePattern.h"

namespace tonquill {
namespace {

TagSet FullTags() {
    TagSet tags;
    tags.artist = "Artist";
    tags.albumArtist = "Band";
    tags.album = "Album";
    tags.track = "3/12";
    tags.title = "Title";
    tags.genre = "Folk";
    tags.date = "2024";
    tags.comment = "note";
    return tags;
}

TEST(OutputNamePattern, FieldsAlternativesAndWhatEmptyFieldsLeaveOut) {
    struct Case {
        const char* name;
        const char* pattern;
        void (*change)(TagSet&);
        const char* expected;
    };
    const Case cases[] = {
        {"AllFields", "{albumartist|artist}/{album}/{track} {title}", [](TagSet&) {},
         "Band/Album/03 Title"},
        {"AlternativeWhenTheFirstIsEmpty", "{albumartist|artist}/{title}",
         [](TagSet& t) { t.albumArtist.clear(); }, "Artist/Title"},
        {"EmptyFolderGoesWithItsSlash", "{artist}/{album}/{track} {title}",
         [](TagSet& t) { t.album.clear(); }, "Artist/03 Title"},
        {"EmptyTrackGoesWithItsSpace", "{track} {title}", [](TagSet& t) { t.track.clear(); },
         "Title"},
        {"EmptyLastFieldTakesTheTextBefore", "{track} - {title}",
         [](TagSet& t) { t.title.clear(); }, "03"},
        {"OtherFieldsAndTheSourceName", "{genre}/{date} {comment} {name}", [](TagSet&) {},
         "Folk/2024 note song"},
        {"TrackTwoDigitsAtLeast", "{track}", [](TagSet& t) { t.track = "007"; }, "07"},
        {"TrackThatIsNoNumberStays", "{track}", [](TagSet& t) { t.track = "A1"; }, "A1"},
        {"UnknownPlaceholderIsText", "{mood} {title}", [](TagSet&) {}, "{mood} Title"},
        {"SlashInAFieldIsNoFolder", "{artist}/{title}", [](TagSet& t) { t.artist = "AC/DC"; },
         "AC_DC/Title"},
        {"ControlCharacters", "{title}", [](TagSet& t) { t.title = "a\tb\nc"; }, "a_b_c"},
        {"LeadingDotOfAField", "{artist}/{title}", [](TagSet& t) { t.artist = ".hidden"; },
         "_hidden/Title"},
        {"NoClimbingOutOfTheOutputFolder", "/../{artist}/./{title}", [](TagSet&) {},
         "_./Artist/_/Title"},
        {"NonLatinText", "{artist}/{title}",
         [](TagSet& t) {
             t.artist = "東京事変";
             t.title = "Сон";
         },
         "東京事変/Сон"},
        {"NothingLeftGivesTheSourceName", "{artist}/{title}", [](TagSet& t) { t = TagSet(); },
         "song"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TagSet tags = FullTags();
        c.change(tags);
        EXPECT_EQ(OutputNamePattern(c.pattern).Expand(tags, "song"), c.expected);
    }
}

TEST(OutputNamePattern, DiscNumberWhenTheTagsCarryOne) {
    EXPECT_EQ(OutputNamePattern("{disc}-{track}").Expand(FullTags(), "song", "2/3"), "2-03");
    EXPECT_EQ(OutputNamePattern("{disc}-{track}").Expand(FullTags(), "song"), "03");
}

TEST(OutputNamePattern, OverlongNamesAreCutWithoutSplittingACharacter) {
    TagSet tags;
    tags.title.clear();
    for (int i = 0; i < 200; ++i) {
        tags.title += "é";  // two bytes each
    }
    const std::string name = OutputNamePattern("{title}").Expand(tags, "song");
    EXPECT_LE(name.size(), OutputNamePattern::MaxComponentBytes);
    EXPECT_EQ(name.size() % 2, 0u);
    EXPECT_EQ(name.substr(0, 4), "éé");
}

}  // namespace
}  // namespace tonquill
