#include "metadata/TagReaders.h"

#include <taglib/apetag.h>
#include <taglib/asftag.h>
#include <taglib/id3v1tag.h>
#include <taglib/id3v2tag.h>
#include <taglib/xiphcomment.h>

#include <initializer_list>

#include "base/Format.h"
#include "tags/ConvertTagText.h"

namespace tonquill {

namespace {

enum TagIndex : size_t {
    Artist = 0,
    AlbumArtist,
    Album,
    Track,
    Title,
    Genre,
    Date,
    Comment,
};

void StoreTrack(FileListRow& row, const std::string& text) {
    if (StoreTagText(row, Track, text)) {
        StoreTrackNumbers(row.Entry(), text);
    }
}

std::string FirstId3v2Frame(const TagLib::ID3v2::Tag& tag, const char* id) {
    const auto& frames = tag.frameListMap();
    auto it = frames.find(id);
    if (it == frames.end() || it->second.isEmpty()) {
        return {};
    }
    return ConvertTagText(it->second.front()->toString());
}

// The value of the first of the keys that the APE tag holds.
std::string ApeText(const TagLib::APE::Tag& tag, std::initializer_list<const char*> keys) {
    const auto& items = tag.itemListMap();
    for (const char* key : keys) {
        auto it = items.find(key);
        if (it != items.end()) {
            return ConvertTagText(it->second.toString());
        }
    }
    return {};
}

// All values of the first of the keys that the comment holds, joined by one space.
std::string XiphText(const TagLib::Ogg::XiphComment& tag, std::initializer_list<const char*> keys) {
    const auto& fields = tag.fieldListMap();
    for (const char* key : keys) {
        auto it = fields.find(key);
        if (it != fields.end()) {
            return ConvertTagText(it->second.toString(" "));
        }
    }
    return {};
}

// The first value of an attribute as text. Numbers count as text too: many files keep
// WM/TrackNumber and WM/Year as numbers, which would otherwise be lost.
std::string AsfAttributeText(const TagLib::ASF::Attribute& attribute) {
    switch (attribute.type()) {
        case TagLib::ASF::Attribute::UnicodeType:
            return ConvertTagText(attribute.toString());
        case TagLib::ASF::Attribute::DWordType:
            return Format("%u", attribute.toUInt());
        case TagLib::ASF::Attribute::QWordType:
            return Format("%llu", attribute.toULongLong());
        case TagLib::ASF::Attribute::WordType:
            return Format("%u", static_cast<unsigned>(attribute.toUShort()));
        default:
            return {};
    }
}

std::string AsfText(const TagLib::ASF::Tag& tag, std::initializer_list<const char*> keys) {
    const auto& attributes = tag.attributeListMap();
    for (const char* key : keys) {
        auto it = attributes.find(key);
        if (it != attributes.end()) {
            return it->second.isEmpty() ? std::string() : AsfAttributeText(it->second.front());
        }
    }
    return {};
}

}  // namespace

bool StoreTagText(FileListRow& row, size_t index, const std::string& text) {
    const int column = TagColumn(index);
    if (text.empty() || !row.CellText(column).empty()) {
        return false;
    }
    row.SetCellText(column, text);
    row.Entry().TagField(index) = text;
    return true;
}

uint8_t TrackPartNumber(std::string_view text) {
    size_t i = 0;
    while (i < text.size() && (text[i] == ' ' || (text[i] >= '\t' && text[i] <= '\r'))) {
        ++i;
    }
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
        negative = text[i] == '-';
        ++i;
    }
    // Only the low 8 bits are kept, so the value can wrap freely while the digits run on.
    uint8_t value = 0;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
        value = static_cast<uint8_t>(value * 10 + (text[i] - '0'));
    }
    return negative ? static_cast<uint8_t>(-value) : value;
}

void StoreTrackNumbers(FileListEntry& entry, std::string_view track) {
    size_t slash = track.find('/');
    if (slash == std::string_view::npos) {
        entry.trackNumber = TrackPartNumber(track);
        return;
    }
    entry.trackNumber = TrackPartNumber(track.substr(0, slash));
    entry.trackTotal = TrackPartNumber(track.substr(slash + 1));
}

void ReadId3v2Fields(FileListRow& row, const TagLib::ID3v2::Tag& tag) {
    StoreTagText(row, Artist, FirstId3v2Frame(tag, "TPE1"));
    StoreTagText(row, AlbumArtist, FirstId3v2Frame(tag, "TPE2"));
    StoreTagText(row, Album, FirstId3v2Frame(tag, "TALB"));
    StoreTrack(row, FirstId3v2Frame(tag, "TRCK"));
    StoreTagText(row, Title, FirstId3v2Frame(tag, "TIT2"));
    StoreTagText(row, Genre, ConvertTagText(tag.genre()));
    StoreTagText(row, Date, FirstId3v2Frame(tag, "TDRC"));
    StoreTagText(row, Comment, ConvertTagText(tag.comment()));
}

void ReadApeFields(FileListRow& row, const TagLib::APE::Tag& tag) {
    StoreTagText(row, Artist, ApeText(tag, {"ARTIST"}));
    StoreTagText(row, AlbumArtist, ApeText(tag, {"ALBUM ARTIST", "ALBUMARTIST"}));
    StoreTagText(row, Album, ApeText(tag, {"ALBUM"}));
    StoreTrack(row, ApeText(tag, {"TRACK", "TRACKNUMBER"}));
    StoreTagText(row, Title, ApeText(tag, {"TITLE"}));
    StoreTagText(row, Genre, ApeText(tag, {"GENRE"}));
    StoreTagText(row, Date, ApeText(tag, {"DATE", "YEAR"}));
    StoreTagText(row, Comment, ApeText(tag, {"COMMENT"}));
}

void ReadId3v1Fields(FileListRow& row, const TagLib::ID3v1::Tag& tag) {
    StoreTagText(row, Artist, ConvertEightBitTagText(tag.artist()));
    StoreTagText(row, Album, ConvertEightBitTagText(tag.album()));
    if (tag.track() != 0 && StoreTagText(row, Track, Format("%u", tag.track()))) {
        row.Entry().trackNumber = static_cast<uint8_t>(tag.track());
        row.Entry().trackTotal = 0;
    }
    StoreTagText(row, Title, ConvertEightBitTagText(tag.title()));
    StoreTagText(row, Genre, ConvertEightBitTagText(tag.genre()));
    if (tag.year() != 0) {
        StoreTagText(row, Date, Format("%u", tag.year()));
    }
    StoreTagText(row, Comment, ConvertEightBitTagText(tag.comment()));
}

void ReadXiphFields(FileListRow& row, const TagLib::Ogg::XiphComment& tag) {
    StoreTagText(row, Artist, XiphText(tag, {"ARTIST"}));
    StoreTagText(row, AlbumArtist, XiphText(tag, {"ALBUM ARTIST", "ALBUMARTIST"}));
    StoreTagText(row, Album, XiphText(tag, {"ALBUM"}));
    StoreTrack(row, XiphText(tag, {"TRACKNUMBER", "TRACK"}));
    StoreTagText(row, Title, XiphText(tag, {"TITLE"}));
    StoreTagText(row, Genre, XiphText(tag, {"GENRE"}));
    StoreTagText(row, Date, XiphText(tag, {"DATE", "YEAR"}));
    StoreTagText(row, Comment, XiphText(tag, {"COMMENT"}));
}

void ReadAsfFields(FileListRow& row, const TagLib::ASF::Tag& tag) {
    StoreTagText(row, Artist, ConvertTagText(tag.artist()));
    StoreTagText(row, AlbumArtist, AsfText(tag, {"WM/AlbumArtist"}));
    StoreTagText(row, Album, ConvertTagText(tag.album()));
    std::string track = AsfText(tag, {"WM/TrackNumber", "WM/Track"});
    if (track != "0" && track != "0/0") {
        StoreTrack(row, track);
    }
    StoreTagText(row, Title, ConvertTagText(tag.title()));
    StoreTagText(row, Genre, ConvertTagText(tag.genre()));
    std::string year = AsfText(tag, {"WM/Year"});
    if (year != "0") {
        StoreTagText(row, Date, year);
    }
    StoreTagText(row, Comment, ConvertTagText(tag.comment()));
}

}  // namespace tonquill
