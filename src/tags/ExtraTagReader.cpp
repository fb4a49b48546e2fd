#include <taglib/asffile.h>
#include <taglib/attachedpictureframe.h>
#include <taglib/flacfile.h>
#include <taglib/id3v2tag.h>
#include <taglib/mpegfile.h>
#include <taglib/opusfile.h>
#include <taglib/tpropertymap.h>
#include <taglib/vorbisfile.h>
#include <taglib/wavfile.h>

#include <exception>

#include "base/AudioFormat.h"
#include "base/Format.h"
#include "tags/AiffId3Tag.h"
#include "tags/ChapterSkippingFrameFactory.h"
#include "tags/ExtraTags.h"
#include "tags/TagFormats.h"
#include "tags/WavId3HidingStream.h"

namespace tonquill {
namespace {

std::string Utf8(const TagLib::String& text) {
    return text.to8Bit(true);
}

std::string Bytes(const TagLib::ByteVector& bytes) {
    return std::string(bytes.data(), bytes.size());
}

void ReadProperties(const TagLib::PropertyMap& map, ExtraTags& extras) {
    const auto first = [&](const char* key) {
        const auto it = map.find(key);
        return it == map.end() || it->second.isEmpty() ? std::string() : Utf8(it->second.front());
    };
    extras.discNumber = first("DISCNUMBER");
    extras.composer = first("COMPOSER");
    for (const char* key : MusicBrainzKeys) {
        if (std::string value = first(key); !value.empty()) {
            extras.musicBrainz.emplace_back(key, std::move(value));
        }
    }
}

// The picture of a list whose type is the front cover, else the first one.
template <typename List, typename IsFront>
auto FrontOrFirst(const List& pictures, IsFront isFront) -> decltype(pictures.front()) {
    for (const auto& picture : pictures) {
        if (isFront(picture)) {
            return picture;
        }
    }
    return pictures.front();
}

void SetCover(ExtraTags& extras, const TagLib::String& mime, const TagLib::String& description,
              const TagLib::ByteVector& data) {
    extras.hasCover = true;
    extras.cover = {Utf8(mime), Utf8(description), Bytes(data)};
}

void ReadId3v2Cover(TagLib::ID3v2::Tag* tag, ExtraTags& extras) {
    if (!tag) {
        return;
    }
    const TagLib::ID3v2::FrameList frames = tag->frameList("APIC");
    if (frames.isEmpty()) {
        return;
    }
    const auto* frame = dynamic_cast<const TagLib::ID3v2::AttachedPictureFrame*>(
        FrontOrFirst(frames, [](const TagLib::ID3v2::Frame* f) {
            const auto* p = dynamic_cast<const TagLib::ID3v2::AttachedPictureFrame*>(f);
            return p && p->type() == TagLib::ID3v2::AttachedPictureFrame::FrontCover;
        }));
    if (frame) {
        SetCover(extras, frame->mimeType(), frame->description(), frame->picture());
    } else {
        extras.hasCover = true;  // a picture frame TagLib could not parse: left out below
    }
}

void ReadFlacPictures(const TagLib::List<TagLib::FLAC::Picture*>& pictures, ExtraTags& extras) {
    if (pictures.isEmpty()) {
        return;
    }
    const TagLib::FLAC::Picture* picture =
        FrontOrFirst(pictures, [](const TagLib::FLAC::Picture* p) {
            return p->type() == TagLib::FLAC::Picture::FrontCover;
        });
    SetCover(extras, picture->mimeType(), picture->description(), picture->data());
}

// Reads the format's tags with the reader of the tag formats' table.
void ReadFormat(const std::string& path, int format, ExtraTags& extras) {
    const TagFormat* row = FindTagFormat(format);
    if (row && row->readExtras) {
        row->readExtras(path, extras);
    }
}

}  // namespace

void ReadMp3Extras(const std::string& path, ExtraTags& extras) {
    TagLib::MPEG::File file(path.c_str(), ChapterSkippingFrameFactory::Instance(), false);
    if (file.isValid()) {
        ReadProperties(file.properties(), extras);
        ReadId3v2Cover(file.ID3v2Tag(false), extras);
    }
}

void ReadWavExtras(const std::string& path, ExtraTags& extras) {
    // TagLib would read the ID3 chunk with its own frame factory; the chunk is hidden
    // from it and read here with ours.
    WavId3HidingStream stream(path.c_str());
    if (!stream.isOpen() || stream.Id3TagOffset() < 0) {
        return;
    }
    TagLib::RIFF::WAV::File file(&stream, false);
    if (file.isValid()) {
        TagLib::ID3v2::Tag tag(&file, stream.Id3TagOffset(),
                               ChapterSkippingFrameFactory::Instance());
        ReadProperties(tag.properties(), extras);
        ReadId3v2Cover(&tag, extras);
    }
}

void ReadAiffExtras(const std::string& path, ExtraTags& extras) {
    const AiffId3Tag tag(path);
    if (tag.Tag()) {
        ReadProperties(tag.Tag()->properties(), extras);
        ReadId3v2Cover(tag.Tag(), extras);
    }
}

void ReadOggExtras(const std::string& path, ExtraTags& extras) {
    TagLib::Ogg::Vorbis::File file(path.c_str(), false);
    if (file.isValid() && file.tag()) {
        ReadProperties(file.tag()->properties(), extras);
        ReadFlacPictures(file.tag()->pictureList(), extras);
    }
}

void ReadOpusExtras(const std::string& path, ExtraTags& extras) {
    TagLib::Ogg::Opus::File file(path.c_str(), false);
    if (file.isValid() && file.tag()) {
        ReadProperties(file.tag()->properties(), extras);
        ReadFlacPictures(file.tag()->pictureList(), extras);
    }
}

void ReadFlacExtras(const std::string& path, ExtraTags& extras) {
    // A FLAC stream may start with an ID3v2 tag, which TagLib reads with the factory given.
    TagLib::FLAC::File file(path.c_str(), ChapterSkippingFrameFactory::Instance(), false);
    if (file.isValid()) {
        ReadProperties(file.properties(), extras);
        ReadFlacPictures(file.pictureList(), extras);
        if (!extras.hasCover && file.xiphComment()) {
            ReadFlacPictures(file.xiphComment()->pictureList(), extras);
        }
    }
}

void ReadWmaExtras(const std::string& path, ExtraTags& extras) {
    TagLib::ASF::File file(path.c_str(), false);
    if (file.isValid() && file.tag()) {
        ReadProperties(file.tag()->properties(), extras);
        const TagLib::ASF::AttributeList pictures = file.tag()->attribute("WM/Picture");
        if (!pictures.isEmpty()) {
            const TagLib::ASF::Picture picture = pictures.front().toPicture();
            extras.hasCover = true;
            if (picture.isValid()) {
                SetCover(extras, picture.mimeType(), picture.description(), picture.picture());
            }
        }
    }
}

ExtraTags ReadExtraTags(const std::string& path, int format, std::vector<std::string>& notes) {
    ExtraTags extras;
    try {
        ReadFormat(path, format, extras);
    } catch (const std::exception&) {
        // TagLib gave up on a damaged tag; the list's eight texts still go over.
        extras = ExtraTags{};
    }
    if (extras.hasCover && extras.cover.data.size() > MaxCoverBytes) {
        notes.push_back(
            Format("Warning : the cover picture of %s is larger than 16 MB and was "
                   "left out",
                   path.c_str()));
        extras.hasCover = false;
        extras.cover = {};
    } else if (extras.hasCover && extras.cover.data.empty()) {
        notes.push_back(
            Format("Warning : the cover picture of %s could not be read and was left "
                   "out",
                   path.c_str()));
        extras.hasCover = false;
    }
    return extras;
}

bool HasCoverPicture(const std::string& path, int format) {
    ExtraTags extras;
    try {
        ReadFormat(path, format, extras);
    } catch (const std::exception&) {
        return false;
    }
    return extras.hasCover && !extras.cover.data.empty();
}

}  // namespace tonquill
