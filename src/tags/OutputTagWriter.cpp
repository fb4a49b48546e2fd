#include "tags/OutputTagWriter.h"

#include <array>
#include <climits>
#include <cstdlib>
#include <filesystem>
#include <system_error>

#include <taglib/aifffile.h>
#include <taglib/apetag.h>
#include <taglib/asffile.h>
#include <taglib/asfpicture.h>
#include <taglib/asftag.h>
#include <taglib/attachedpictureframe.h>
#include <taglib/flacfile.h>
#include <taglib/flacpicture.h>
#include <taglib/id3v1tag.h>
#include <taglib/id3v2framefactory.h>
#include <taglib/id3v2tag.h>
#include <taglib/mpegfile.h>
#include <taglib/opusfile.h>
#include <taglib/textidentificationframe.h>
#include <taglib/uniquefileidentifierframe.h>
#include <taglib/vorbisfile.h>
#include <taglib/xiphcomment.h>

#include "base/AudioFormat.h"
#include "tags/AsfFileSize.h"
#include "tags/ChapterSkippingFrameFactory.h"
#include "tags/Latin1Text.h"
#include "tags/TagFormats.h"

namespace tonquill {
namespace {

// Where each text goes in every tag format, in the order the fields are written. The last row
// is the encoder note. A null ID3v2 frame means the tag's comment setter; a null WMA attribute
// means the content description (artist, title).
struct TagField {
    std::string TagSet::*field;  // null for the encoder note
    const char* id3v2Frame;
    const char* apeKey;
    const char* vorbisField;
    const char* wmaAttribute;
};

constexpr std::array<TagField, 9> TagFieldTable{{
    {&TagSet::artist, "TPE1", "ARTIST", "ARTIST", nullptr},
    {&TagSet::albumArtist, "TPE2", "ALBUM ARTIST", "ALBUM ARTIST", "WM/AlbumArtist"},
    {&TagSet::album, "TALB", "ALBUM", "ALBUM", "WM/AlbumTitle"},
    {&TagSet::track, "TRCK", "TRACK", "TRACKNUMBER", "WM/TrackNumber"},
    {&TagSet::title, "TIT2", "TITLE", "TITLE", nullptr},
    {&TagSet::genre, "TCON", "GENRE", "GENRE", "WM/Genre"},
    {&TagSet::date, "TDRC", "DATE", "DATE", "WM/Year"},
    {&TagSet::comment, nullptr, "COMMENT", "COMMENT", "Description"},
    {nullptr, "TENC", "Encoded By", "Encoded By", "WM/EncodedBy"},
}};

TagLib::String Unicode(const std::string& utf8) {
    return TagLib::String(utf8, TagLib::String::UTF8);
}

TagLib::String TextOf(const TagField& row, const TagSet& tags) {
    return Unicode(row.field ? tags.*row.field : std::string(EncoderNote));
}

// ID3v1 holds only what the source has: empty texts leave their fields alone.
void FillId3v1(TagLib::ID3v1::Tag& tag, const TagSet& tags) {
    if (!tags.artist.empty()) {
        tag.setArtist(Latin1TagText(tags.artist));
    }
    if (!tags.album.empty()) {
        tag.setAlbum(Latin1TagText(tags.album));
    }
    if (!tags.title.empty()) {
        tag.setTitle(Latin1TagText(tags.title));
    }
    if (!tags.genre.empty()) {
        tag.setGenre(Latin1TagText(tags.genre));
    }
    if (!tags.comment.empty()) {
        tag.setComment(Latin1TagText(tags.comment));
    }
    if (!tags.track.empty()) {
        tag.setTrack(
            static_cast<unsigned>(LeadingTagNumber(tags.track.substr(0, tags.track.find('/')))));
    }
    if (!tags.date.empty()) {
        tag.setYear(static_cast<unsigned>(LeadingTagNumber(tags.date)));
    }
}

// Sets one text frame the way TagLib's tag does for its own fields: an empty text removes the
// frame, a new frame gets the frame factory's default encoding. That default is left at Latin-1;
// TagLib itself writes a frame whose text does not fit in Latin-1 as UTF-8.
void SetTextFrame(TagLib::ID3v2::Tag& tag, const char* id, const TagLib::String& text) {
    const TagLib::ByteVector frameId(id);
    if (text.isEmpty()) {
        tag.removeFrames(frameId);
        return;
    }
    const TagLib::ID3v2::FrameList frames = tag.frameList(frameId);
    if (!frames.isEmpty()) {
        frames.front()->setText(text);
        return;
    }
    auto* frame = new TagLib::ID3v2::TextIdentificationFrame(
        frameId, TagLib::ID3v2::FrameFactory::instance()->defaultTextEncoding());
    tag.addFrame(frame);  // the tag owns it from here
    frame->setText(text);
}

void FillId3v2(TagLib::ID3v2::Tag& tag, const TagSet& tags) {
    for (const TagField& row : TagFieldTable) {
        if (row.id3v2Frame) {
            SetTextFrame(tag, row.id3v2Frame, TextOf(row, tags));
        } else {
            tag.setComment(TextOf(row, tags));
        }
    }
}

// The MusicBrainz identifiers in each tag format: ID3v2 keeps the track's in a UFID frame and the
// others in TXXX frames, WMA in attributes of its own names.
struct MusicBrainzName {
    const char* key;
    const char* id3v2Description;  // null: the UFID frame
    const char* wmaAttribute;
};
constexpr MusicBrainzName MusicBrainzNames[] = {
    {"MUSICBRAINZ_TRACKID", nullptr, "MusicBrainz/Track Id"},
    {"MUSICBRAINZ_ALBUMID", "MusicBrainz Album Id", "MusicBrainz/Album Id"},
    {"MUSICBRAINZ_ARTISTID", "MusicBrainz Artist Id", "MusicBrainz/Artist Id"},
    {"MUSICBRAINZ_ALBUMARTISTID", "MusicBrainz Album Artist Id", "MusicBrainz/Album Artist Id"},
    {"MUSICBRAINZ_RELEASEGROUPID", "MusicBrainz Release Group Id", "MusicBrainz/Release Group Id"},
    {"MUSICBRAINZ_RELEASETRACKID", "MusicBrainz Release Track Id", "MusicBrainz/Release Track Id"},
    {"MUSICBRAINZ_WORKID", "MusicBrainz Work Id", "MusicBrainz/Work Id"},
};

const MusicBrainzName* FindMusicBrainzName(const std::string& key) {
    for (const auto& name : MusicBrainzNames) {
        if (key == name.key) {
            return &name;
        }
    }
    return nullptr;
}

TagLib::ByteVector Bytes(const std::string& bytes) {
    return TagLib::ByteVector(bytes.data(), static_cast<unsigned>(bytes.size()));
}

void AddId3v2Extras(TagLib::ID3v2::Tag& tag, const ExtraTags& extras) {
    if (!extras.discNumber.empty()) {
        SetTextFrame(tag, "TPOS", Unicode(extras.discNumber));
    }
    if (!extras.composer.empty()) {
        SetTextFrame(tag, "TCOM", Unicode(extras.composer));
    }
    for (const auto& [key, value] : extras.musicBrainz) {
        const MusicBrainzName* name = FindMusicBrainzName(key);
        if (!name) {
            continue;
        }
        if (!name->id3v2Description) {
            tag.addFrame(new TagLib::ID3v2::UniqueFileIdentifierFrame("http://musicbrainz.org",
                                                                      Bytes(value)));
            continue;
        }
        auto* frame = new TagLib::ID3v2::UserTextIdentificationFrame(TagLib::String::UTF8);
        frame->setDescription(name->id3v2Description);
        frame->setText(Unicode(value));
        tag.addFrame(frame);
    }
    if (extras.hasCover) {
        auto* frame = new TagLib::ID3v2::AttachedPictureFrame;
        frame->setTextEncoding(TagLib::String::UTF8);
        frame->setType(TagLib::ID3v2::AttachedPictureFrame::FrontCover);
        frame->setMimeType(Unicode(extras.cover.mimeType));
        frame->setDescription(Unicode(extras.cover.description));
        frame->setPicture(Bytes(extras.cover.data));
        tag.addFrame(frame);
    }
}

void AddApeExtras(TagLib::APE::Tag& tag, const ExtraTags& extras) {
    if (!extras.discNumber.empty()) {
        tag.addValue("DISC", Unicode(extras.discNumber), true);
    }
    if (!extras.composer.empty()) {
        tag.addValue("COMPOSER", Unicode(extras.composer), true);
    }
    for (const auto& [key, value] : extras.musicBrainz) {
        tag.addValue(key, Unicode(value), true);
    }
}

TagLib::FLAC::Picture* NewFlacPicture(const CoverPicture& cover) {
    auto* picture = new TagLib::FLAC::Picture;
    picture->setType(TagLib::FLAC::Picture::FrontCover);
    picture->setMimeType(Unicode(cover.mimeType));
    picture->setDescription(Unicode(cover.description));
    picture->setData(Bytes(cover.data));
    return picture;
}

// The texts of the extras; the cover goes where the format keeps pictures.
void AddXiphExtras(TagLib::Ogg::XiphComment& comment, const ExtraTags& extras) {
    if (!extras.discNumber.empty()) {
        comment.addField("DISCNUMBER", Unicode(extras.discNumber), true);
    }
    if (!extras.composer.empty()) {
        comment.addField("COMPOSER", Unicode(extras.composer), true);
    }
    for (const auto& [key, value] : extras.musicBrainz) {
        comment.addField(key, Unicode(value), true);
    }
}

void AddWmaExtras(TagLib::ASF::Tag& tag, const ExtraTags& extras) {
    if (!extras.discNumber.empty()) {
        tag.setAttribute("WM/PartOfSet", TagLib::ASF::Attribute(Unicode(extras.discNumber)));
    }
    if (!extras.composer.empty()) {
        tag.setAttribute("WM/Composer", TagLib::ASF::Attribute(Unicode(extras.composer)));
    }
    for (const auto& [key, value] : extras.musicBrainz) {
        if (const MusicBrainzName* name = FindMusicBrainzName(key)) {
            tag.setAttribute(name->wmaAttribute, TagLib::ASF::Attribute(Unicode(value)));
        }
    }
    if (extras.hasCover) {
        TagLib::ASF::Picture picture;
        picture.setType(TagLib::ASF::Picture::FrontCover);
        picture.setMimeType(Unicode(extras.cover.mimeType));
        picture.setDescription(Unicode(extras.cover.description));
        picture.setPicture(Bytes(extras.cover.data));
        tag.setAttribute("WM/Picture", TagLib::ASF::Attribute(picture));
    }
}

void FillApe(TagLib::APE::Tag& tag, const TagSet& tags) {
    for (const TagField& row : TagFieldTable) {
        tag.addValue(row.apeKey, TextOf(row, tags), true);
    }
}

// The kinds an MP3 output gets: the source's own ID3v1, ID3v2 and APE tags; a source with
// another kind of tag gets ID3v1 and ID3v2; a source without tags gets none.
uint8_t ChooseMp3TagKinds(uint8_t sourceKinds) {
    uint8_t chosen = sourceKinds & Mp3TagKinds;
    if (sourceKinds & OtherTagKindsMask) {
        chosen |= TagKindID3v1 | TagKindID3v2;
    }
    return chosen;
}

// Vorbis and Opus streams in Ogg keep the same Vorbis comment, picture included.
template <typename OggFile>
bool SaveXiphTags(const std::string& path, const TagSet& tags, const ExtraTags& extras) {
    OggFile file(path.c_str(), false);
    if (!file.isValid()) {
        return false;
    }
    FillXiphComment(*file.tag(), tags);
    AddXiphExtras(*file.tag(), extras);
    if (extras.hasCover) {
        file.tag()->addPicture(NewFlacPicture(extras.cover));
    }
    return file.save();
}

}  // namespace

bool SaveMp3Tags(const std::string& path, uint8_t sourceTagKinds, const TagSet& tags,
                 const ExtraTags& extras, OutputTagResult& result) {
    result.kindsWritten = 0;
    const uint8_t chosen = ChooseMp3TagKinds(sourceTagKinds);
    TagLib::MPEG::File file(path.c_str(), ChapterSkippingFrameFactory::Instance(), false);
    if (!file.isValid()) {
        return false;
    }
    if (chosen & TagKindID3v1) {
        FillId3v1(*file.ID3v1Tag(true), tags);
    }
    if (chosen & TagKindID3v2) {
        FillId3v2(*file.ID3v2Tag(true), tags);
        AddId3v2Extras(*file.ID3v2Tag(true), extras);
    }
    if (chosen & TagKindAPE) {
        FillApe(*file.APETag(true), tags);
        AddApeExtras(*file.APETag(true), extras);
    }
    result.kindsWritten = chosen;
    // Every kind not written is stripped, so the output holds exactly the chosen ones. TagLib's
    // copying between ID3v1 and ID3v2 stays off: it would replace a track or date text that
    // does not start with a number (ID3v1 has 0 there) by nothing, erasing it from ID3v2.
    return file.save(chosen, TagLib::File::StripOthers, TagLib::ID3v2::v4,
                     TagLib::File::DoNotDuplicate);
}

// An AIFF output holds one ID3v2 tag, in its ID3 chunk. The file is our encoder's, so TagLib's
// own reading of that chunk meets no tag but the one written here.
bool SaveAiffTags(const std::string& path, uint8_t, const TagSet& tags, const ExtraTags& extras,
                  OutputTagResult&) {
    TagLib::RIFF::AIFF::File file(path.c_str(), false);
    if (!file.isValid()) {
        return false;
    }
    FillId3v2(*file.tag(), tags);
    AddId3v2Extras(*file.tag(), extras);
    return file.save();
}

// The content description stores title and artist with 16-bit byte counts, terminator
// included, and TagLib writes a longer text with a count that wraps, which garbles every field
// after it. Such a text keeps its first 32 766 UTF-16 units (TagLib's own unit), without
// splitting a surrogate pair.
TagLib::String FitContentDescription(const TagLib::String& text) {
    constexpr unsigned MaxUnits = 32766;
    if (text.size() <= MaxUnits) {
        return text;
    }
    const wchar_t last = text[MaxUnits - 1];
    const bool highSurrogate = last >= 0xD800 && last <= 0xDBFF;
    return text.substr(0, highSurrogate ? MaxUnits - 1 : MaxUnits);
}

bool WriteWmaTags(const std::string& path, const TagSet& tags, const ExtraTags& extras) {
    TagLib::ASF::File file(path.c_str(), false);
    if (!file.isValid()) {
        return false;
    }
    TagLib::ASF::Tag& tag = *file.tag();
    for (const TagField& row : TagFieldTable) {
        if (row.wmaAttribute) {
            tag.addAttribute(row.wmaAttribute, TagLib::ASF::Attribute(TextOf(row, tags)));
        } else if (row.field == &TagSet::artist) {
            tag.setArtist(FitContentDescription(TextOf(row, tags)));
        } else {
            tag.setTitle(FitContentDescription(TextOf(row, tags)));
        }
    }
    AddWmaExtras(tag, extras);
    return file.save();
}

bool SaveWmaTags(const std::string& path, uint8_t, const TagSet& tags, const ExtraTags& extras,
                 OutputTagResult&) {
    // The size is stored once TagLib has closed the file, so none of its writes come after.
    return WriteWmaTags(path, tags, extras) && StoreAsfFileSize(path);
}

void FillXiphComment(TagLib::Ogg::XiphComment& comment, const TagSet& tags) {
    for (const TagField& row : TagFieldTable) {
        comment.addField(row.vorbisField, TextOf(row, tags), true);
    }
}

bool SaveOggTags(const std::string& path, uint8_t, const TagSet& tags, const ExtraTags& extras,
                 OutputTagResult&) {
    return SaveXiphTags<TagLib::Ogg::Vorbis::File>(path, tags, extras);
}

bool SaveOpusTags(const std::string& path, uint8_t, const TagSet& tags, const ExtraTags& extras,
                  OutputTagResult&) {
    return SaveXiphTags<TagLib::Ogg::Opus::File>(path, tags, extras);
}

bool SaveFlacTags(const std::string& path, uint8_t, const TagSet& tags, const ExtraTags& extras,
                  OutputTagResult&) {
    TagLib::FLAC::File file(path.c_str(), false);
    if (!file.isValid()) {
        return false;
    }
    FillXiphComment(*file.xiphComment(true), tags);
    AddXiphExtras(*file.xiphComment(true), extras);
    if (extras.hasCover) {
        file.addPicture(NewFlacPicture(extras.cover));  // a PICTURE block of its own
    }
    return file.save();
}

int LeadingTagNumber(const std::string& text) {
    const long value = std::strtol(text.c_str(), nullptr, 10);
    if (value > INT_MAX) {
        return INT_MAX;
    }
    if (value < INT_MIN) {
        return INT_MIN;
    }
    return static_cast<int>(value);
}

OutputTagResult WriteOutputTags(const std::string& path, int outputType, uint8_t sourceTagKinds,
                                const TagSet& tags, const ExtraTags& extras) {
    OutputTagResult result;
    if (!FormatHoldsTags(outputType)) {
        return result;
    }
    // An encoder that wrote nothing (stopped at once, or failed with its own line) leaves an
    // empty file: there is nothing to tag, and a file of tags alone would pass for an output.
    std::error_code ec;
    const auto size = std::filesystem::file_size(path, ec);
    if (ec ? ec == std::errc::no_such_file_or_directory : size == 0) {
        result.saved = false;
        result.emptyOutput = true;
        result.kindsWritten = 0;
        return result;
    }
    const TagFormat* row = FindTagFormat(outputType);
    result.saved = row && row->save && row->save(path, sourceTagKinds, tags, extras, result);
    return result;
}

}  // namespace tonquill
