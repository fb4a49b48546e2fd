#include "metadata/MediaProbe.h"

#define OV_EXCLUDE_STATIC_CALLBACKS
#include <fcntl.h>
#include <mpg123.h>
#include <opus/opusfile.h>
#include <sndfile.h>
#include <sys/stat.h>
#include <taglib/apefooter.h>
#include <taglib/apetag.h>
#include <taglib/asffile.h>
#include <taglib/fileref.h>
#include <taglib/flacfile.h>
#include <taglib/id3v1tag.h>
#include <taglib/id3v2header.h>
#include <taglib/id3v2tag.h>
#include <taglib/mpegfile.h>
#include <taglib/oggflacfile.h>
#include <taglib/opusfile.h>
#include <taglib/vorbisfile.h>
#include <taglib/wavfile.h>
#include <unistd.h>
#include <vorbis/vorbisfile.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <exception>
#include <limits>
#include <memory>

#include "base/Format.h"
#include "base/LittleEndian.h"
#include "convert/wma/WmaComponent.h"
#include "metadata/AsfHeaderCheck.h"
#include "metadata/OggContent.h"
#include "metadata/TagReaders.h"
#include "settings/ConversionSettings.h"
#include "tags/AiffId3Tag.h"
#include "tags/ChapterSkippingFrameFactory.h"
#include "tags/WavId3HidingStream.h"

namespace tonquill {

namespace {

// Only a regular file that can be opened for reading counts. Opening without blocking keeps a
// named pipe or a device from stalling the load.
bool IsReadableFile(const std::string& path) {
    int fd = open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        return false;
    }
    struct stat info {};
    bool regular = fstat(fd, &info) == 0 && S_ISREG(info.st_mode);
    close(fd);
    return regular;
}

size_t OggRead(void* buffer, size_t size, size_t count, void* file) {
    return std::fread(buffer, size, count, static_cast<FILE*>(file));
}

int OggSeek(void* file, ogg_int64_t offset, int whence) {
    return fseeko(static_cast<FILE*>(file), static_cast<off_t>(offset), whence);
}

int OggClose(void* file) {
    return std::fclose(static_cast<FILE*>(file));
}

long OggTell(void* file) {
    return static_cast<long>(ftello(static_cast<FILE*>(file)));
}

const ov_callbacks OggFileCallbacks{OggRead, OggSeek, OggClose, OggTell};

// "ID3v2.3"; a header whose version byte names no version shows the kind alone.
std::string Id3v2KindText(unsigned majorVersion) {
    if (majorVersion < 2 || majorVersion > 4) {
        return "ID3v2";
    }
    return Format("ID3v2.%u", majorVersion);
}

// The bitrate TagLib measures, 0 when it cannot. MP3 and WAV files are opened so that TagLib
// never builds chapter frames from their ID3 tags.
int MeasuredBitrate(const TagLib::File& file) {
    const TagLib::AudioProperties* properties = file.audioProperties();
    return file.isValid() && properties ? properties->bitrate() : 0;
}

int Mp3TagLibBitrate(const std::string& path) {
    return MeasuredBitrate(TagLib::MPEG::File(path.c_str(), ChapterSkippingFrameFactory::Instance(),
                                              true, TagLib::AudioProperties::Fast));
}

int WavTagLibBitrate(const std::string& path) {
    WavId3HidingStream stream(path.c_str());
    return stream.isOpen() ? MeasuredBitrate(TagLib::RIFF::WAV::File(&stream, true)) : 0;
}

// From libsndfile's header facts: TagLib's AIFF reader would parse the ID3 chunk with its own
// frame factory.
int SoundFileBitrate(const std::string& path) {
    SF_INFO info{};
    SNDFILE* file = sf_open(path.c_str(), SFM_READ, &info);
    if (!file) {
        return 0;
    }
    sf_close(file);
    int bits = 0;
    switch (info.format & SF_FORMAT_SUBMASK) {
        case SF_FORMAT_PCM_S8:
        case SF_FORMAT_PCM_U8:
            bits = 8;
            break;
        case SF_FORMAT_PCM_16:
            bits = 16;
            break;
        case SF_FORMAT_PCM_24:
            bits = 24;
            break;
        case SF_FORMAT_PCM_32:
        case SF_FORMAT_FLOAT:
            bits = 32;
            break;
        case SF_FORMAT_DOUBLE:
            bits = 64;
            break;
        default:
            return 0;  // a compressed AIFF-C: the header does not tell
    }
    return static_cast<int>(static_cast<int64_t>(info.samplerate) * info.channels * bits / 1000);
}

// A FLAC stream may start with an ID3v2 tag; FileRef would read it with TagLib's own factory.
int FlacTagLibBitrate(const std::string& path) {
    if (OggContentFormat(path) == FormatFlac) {
        return MeasuredBitrate(
            TagLib::Ogg::FLAC::File(path.c_str(), true, TagLib::AudioProperties::Fast));
    }
    return MeasuredBitrate(TagLib::FLAC::File(path.c_str(), ChapterSkippingFrameFactory::Instance(),
                                              true, TagLib::AudioProperties::Fast));
}

int TagLibBitrate(const std::string& path) {
    TagLib::FileRef ref(path.c_str(), true, TagLib::AudioProperties::Fast);
    return ref.isNull() || !ref.audioProperties() ? 0 : ref.audioProperties()->bitrate();
}

// Bytes of the tags after the audio of an MP3 file: an ID3v1 tag and an APE tag before it.
off_t TrailingTagBytes(int fd, off_t fileSize) {
    unsigned char tail[160] = {};
    const off_t want = std::min<off_t>(fileSize, sizeof tail);
    if (pread(fd, tail + sizeof tail - want, want, fileSize - want) != want) {
        return 0;
    }
    off_t bytes = 0;
    if (want >= 128 && std::memcmp(tail + 32, "TAG", 3) == 0) {
        bytes = 128;
    }
    const unsigned char* footer = tail + (bytes ? 0 : 128);
    if (std::memcmp(footer, "APETAGEX", 8) == 0) {
        const off_t size = Le32(footer + 12);  // items and footer
        const bool hasHeader = (Le32(footer + 20) & 0x80000000u) != 0;
        bytes += size + (hasHeader ? 32 : 0);
    }
    return bytes;
}

// Without an Info header libmpg123 estimates the length from the file size, leading and
// trailing tags included, so a large cover picture would add minutes to a short track. Telling
// it the size of the audio alone keeps the estimate to the frames; a length read from an Info
// header does not depend on the size.
// Returns the bytes of audio (the file less its tags), 0 when unknown.
off_t LimitLengthEstimateToAudio(mpg123_handle* handle, const std::string& path) {
    int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        return 0;
    }
    off_t audioBytes = 0;
    struct stat info {};
    if (fstat(fd, &info) == 0) {
        const off_t audioStart = mpg123_framepos(handle);
        audioBytes = info.st_size - TrailingTagBytes(fd, info.st_size) - audioStart;
        if (audioStart >= 0 && audioBytes > 0) {
            mpg123_set_filesize(handle, audioBytes);
        } else {
            audioBytes = 0;
        }
    }
    close(fd);
    return audioBytes;
}

// No MPEG audio frame carries more than 24 samples per channel for each of its bytes (576
// samples in 24 bytes at 8 kbit/s and 24 kHz); twice that leaves room for free-format streams.
// An info frame claiming more than the audio bytes can hold is damaged or hostile.
constexpr int64_t MaxSamplesPerAudioByte = 48;

bool LengthFitsAudio(int64_t frames, off_t audioBytes) {
    return audioBytes <= 0 || frames <= static_cast<int64_t>(audioBytes) * MaxSamplesPerAudioByte;
}

// Interleaved samples of frames x channels; an unknown or negative length counts as none.
uint64_t InterleavedSamples(int64_t frames, int64_t channels) {
    return frames > 0 && channels > 0 ? static_cast<uint64_t>(frames) * channels : 0;
}

// Neither FLAC, Vorbis nor Opus stores more than a few thousand frames in a byte (a FLAC block
// of silence, a Vorbis or Opus packet of the shortest kind); a header or last page that claims more
// than twice that for the whole file is damaged or hostile, and its length cannot be trusted. Nor
// does a byte hold more than a second of sound (8192 frames at 8 kHz, the lowest rate music
// comes at): a header claiming a rate of a few hertz would otherwise make a file of a hundred
// bytes last for days, and the rate stage would fill a disk from it.
constexpr uint64_t MaxFramesPerFileByte = 8192;
constexpr double MaxSecondsPerFileByte = 1.0;

bool LengthFitsTheFile(uint64_t frames, int rate, const std::string& path) {
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0 || info.st_size <= 0 || rate <= 0) {
        return false;
    }
    const auto bytes = static_cast<uint64_t>(info.st_size);
    return frames <= bytes * MaxFramesPerFileByte &&
           static_cast<double>(frames) / rate <= static_cast<double>(bytes) * MaxSecondsPerFileByte;
}

}  // namespace

// TagLib counts a WAV file's kilobits in thousands; the list shows them in 1024s.
const std::array<ProbeEntry, 7> ProbeTable{{
    {FormatWav, &MediaProbe::ProbeWav, WavTagLibBitrate, nullptr, true, 1.024},
    {FormatMp3, &MediaProbe::ProbeMp3, Mp3TagLibBitrate, nullptr, true, 1.0},
    {FormatWma, &MediaProbe::ProbeWma, TagLibBitrate, AsfFileHeaderIsSound, false, 1.0},
    {FormatOgg, &MediaProbe::ProbeOgg, TagLibBitrate, nullptr, true, 1.0},
    {FormatFlac, &MediaProbe::ProbeFlac, FlacTagLibBitrate, nullptr, true, 1.0},
    {FormatOpus, &MediaProbe::ProbeOpus, TagLibBitrate, nullptr, true, 1.0},
    {FormatAiff, &MediaProbe::ProbeAiff, SoundFileBitrate, nullptr, true, 1.0},
}};

const ProbeEntry* FindProbe(int format) {
    for (const auto& entry : ProbeTable) {
        if (entry.format == format) {
            return &entry;
        }
    }
    return nullptr;
}

// The probe tells what it finds through the row (an unreadable row carries its reason), never
// by a message during a load; the observer is taken only as its callers give it.
MediaProbe::MediaProbe(ConversionObserver& /*observer*/, WmaComponent* wmaReader)
    : wmaReader_(wmaReader) {
    int error = MPG123_OK;
    mp3Handle_ = mpg123_new(nullptr, &error);
    if (mp3Handle_) {
        // The probe reports through its own message; the library's notes to stderr would
        // only clutter a terminal.
        mpg123_param(mp3Handle_, MPG123_ADD_FLAGS, MPG123_QUIET, 0.0);
    }
}

MediaProbe::~MediaProbe() {
    if (mp3Handle_) {
        mpg123_delete(mp3Handle_);
    }
}

void MediaProbe::ProbeMediaInfo(FileListRow& row, const std::string& path) {
    FileListEntry& entry = row.Entry();
    for (int column = ColumnTag; column <= ColumnComment; ++column) {
        row.SetCellText(column, std::string());
    }

    struct stat info {};
    if (!IsReadableFile(path)) {
        entry.unreadable = 1;
        entry.unreadableReason = "the file cannot be opened";
    } else if (::stat(path.c_str(), &info) == 0 && info.st_size == 0) {
        entry.unreadable = 1;
        entry.unreadableReason = "the file is empty";
    } else {
        try {
            if (const ProbeEntry* probe = FindProbe(entry.type)) {
                (this->*probe->probe)(row, path);
            }
        } catch (const std::exception& error) {
            // A library that gives up on a hostile file (memory, a bad length) leaves the row
            // unreadable rather than ending the load.
            entry.unreadable = 1;
            entry.unreadableReason = std::string("the file is damaged: ") + error.what();
        }
        if (entry.channels == 0 || entry.sampleRate == 0 || entry.totalSamples == 0) {
            entry.unreadable = 1;
        }
        if (entry.unreadable && entry.unreadableReason.empty()) {
            const ProbeEntry* probe = FindProbe(entry.type);
            entry.unreadableReason =
                probe ? "no sound found: the file is damaged or not the type its name says"
                      : "not an audio type this program reads";
        }
    }

    if (entry.unreadable) {
        row.SetCellText(ColumnType, "Unknown");
        row.SetCellTextColour(ColumnType, UnreadableTextColour);
        return;
    }
    row.SetCellText(ColumnDuration, DurationText(entry.durationSeconds));
    row.SetCellText(ColumnChannel, ChannelText(entry.channels));
    if (const ProbeEntry* probe = FindProbe(entry.type); probe && probe->showsFrequency) {
        row.SetCellText(ColumnFrequency, FrequencyText(entry.sampleRate));
    }
}

void MediaProbe::ProbeBitrate(FileListRow& row, const std::string& path) {
    FileListEntry& entry = row.Entry();
    if (!IsReadableFile(path)) {
        return;  // TagLib would block on a named pipe
    }
    // TagLib would build whatever a damaged header's counts declare.
    const ProbeEntry* probe = FindProbe(entry.type);
    if (probe && probe->headerIsSound && !probe->headerIsSound(path)) {
        return;
    }
    try {
        const int bitrate = probe ? probe->bitrate(path) : TagLibBitrate(path);
        if (bitrate <= 0) {
            return;
        }
        const double shown = probe && probe->bitrateScale != 1.0
                                 ? bitrate * probe->bitrateScale + 0.5
                                 : static_cast<double>(bitrate);
        if (shown > std::numeric_limits<int32_t>::max()) {
            return;  // a damaged header's rate times its channels, no bitrate a file can have
        }
        entry.bitrateKbps = static_cast<int32_t>(shown);
        row.SetCellText(ColumnBitrate, BitrateText(entry.bitrateKbps));
    } catch (const std::exception&) {
        // The bitrate is only shown; a file TagLib cannot measure keeps its column empty.
    }
}

namespace {

// The facts libsndfile reads from a PCM file's header; false (with the reason in the row) when it
// cannot open the file as one.
bool ReadSoundFileFacts(FileListRow& row, const std::string& path, const char* typeName) {
    FileListEntry& entry = row.Entry();
    SF_INFO info{};
    SNDFILE* file = sf_open(path.c_str(), SFM_READ, &info);
    if (!file) {
        entry.unreadable = 1;
        entry.unreadableReason = Format("not %s audio: %s", typeName, sf_strerror(nullptr));
        return false;
    }
    entry.channels = info.channels > 0 ? static_cast<uint32_t>(info.channels) : 0;
    entry.sampleRate = info.samplerate;
    entry.totalSamples = InterleavedSamples(info.frames, info.channels);
    entry.durationSeconds = info.samplerate > 0 && info.frames > 0
                                ? static_cast<double>(info.frames) / info.samplerate
                                : 0.0;
    row.AddPlayTime(entry.durationSeconds);
    sf_close(file);
    return true;
}

}  // namespace

void MediaProbe::ProbeWav(FileListRow& row, const std::string& path) {
    ReadSoundFileFacts(row, path, "WAV");
}

// An AIFF file keeps its tags in an ID3v2 chunk.
void MediaProbe::ProbeAiff(FileListRow& row, const std::string& path) {
    if (!ReadSoundFileFacts(row, path, "AIFF")) {
        return;
    }
    const AiffId3Tag tag(path);
    TagLib::ID3v2::Tag* id3v2 = tag.Tag();
    if (id3v2 && !id3v2->isEmpty()) {
        row.Entry().tagKinds |= TagKindID3v2;
        row.SetCellText(ColumnTag, Id3v2KindText(id3v2->header()->majorVersion()));
        ReadId3v2Fields(row, *id3v2);
    }
}

void MediaProbe::ProbeMp3(FileListRow& row, const std::string& path) {
    FileListEntry& entry = row.Entry();
    long rate = 0;
    int channels = 0;
    int encoding = 0;
    bool opened = mp3Handle_ && mpg123_open(mp3Handle_, path.c_str()) == MPG123_OK &&
                  mpg123_getformat(mp3Handle_, &rate, &channels, &encoding) == MPG123_OK;
    off_t audioBytes = 0;
    if (opened) {
        audioBytes = LimitLengthEstimateToAudio(mp3Handle_, path);
    }
    if (opened && !LengthFitsAudio(mpg123_length(mp3Handle_), audioBytes)) {
        // Read the stream again past its info frame and count its frames: a guess from the
        // first frame's bitrate is far off for a VBR stream, and a scan only parses headers.
        mpg123_close(mp3Handle_);
        mpg123_param(mp3Handle_, MPG123_ADD_FLAGS, MPG123_IGNORE_INFOFRAME, 0.0);
        opened = mpg123_open(mp3Handle_, path.c_str()) == MPG123_OK &&
                 mpg123_getformat(mp3Handle_, &rate, &channels, &encoding) == MPG123_OK &&
                 mpg123_scan(mp3Handle_) == MPG123_OK;
        mpg123_param(mp3Handle_, MPG123_REMOVE_FLAGS, MPG123_IGNORE_INFOFRAME, 0.0);
    }
    if (opened) {
        entry.totalSamples = InterleavedSamples(mpg123_length(mp3Handle_), channels);
        entry.channels = channels > 0 ? static_cast<uint32_t>(channels) : 0;
        entry.sampleRate = static_cast<int32_t>(rate);
        entry.durationSeconds =
            rate > 0 && channels > 0
                ? static_cast<double>(entry.totalSamples) / (static_cast<double>(rate) * channels)
                : 0.0;
        row.AddPlayTime(entry.durationSeconds);
    } else {
        const char* reason =
            mp3Handle_ ? mpg123_strerror(mp3Handle_) : mpg123_plain_strerror(MPG123_OK);
        entry.unreadable = 1;
        entry.unreadableReason = Format("not MP3 audio: %s", reason);
    }
    if (mp3Handle_) {
        mpg123_close(mp3Handle_);
    }
    ReadMp3Tags(row, path);
}

void MediaProbe::ReadMp3Tags(FileListRow& row, const std::string& path) {
    FileListEntry& entry = row.Entry();
    TagLib::MPEG::File file(path.c_str(), ChapterSkippingFrameFactory::Instance(), false);
    TagLib::ID3v2::Tag* id3v2 = file.ID3v2Tag(false);
    TagLib::APE::Tag* ape = file.APETag(false);
    TagLib::ID3v1::Tag* id3v1 = file.ID3v1Tag(false);
    const bool hasId3v2 = id3v2 && !id3v2->isEmpty();
    const bool hasId3v1 = id3v1 && !id3v1->isEmpty();

    // "ID3v2.3  APEv2  ID3v1": every kind found, in reading order.
    std::string kinds;
    if (hasId3v2) {
        kinds += Id3v2KindText(id3v2->header()->majorVersion()) + "  ";
        entry.tagKinds |= TagKindID3v2;
    }
    if (ape) {
        kinds += Format("APEv%u  ", ape->footer()->version() / 1000);
        entry.tagKinds |= TagKindAPE;
    }
    if (hasId3v1) {
        kinds += "ID3v1";
        entry.tagKinds |= TagKindID3v1;
    }
    row.SetCellText(ColumnTag, kinds);

    if (hasId3v2) {
        ReadId3v2Fields(row, *id3v2);
    }
    if (ape) {
        ReadApeFields(row, *ape);
    }
    if (hasId3v1) {
        ReadId3v1Fields(row, *id3v1);
    }
}

void MediaProbe::ProbeWma(FileListRow& row, const std::string& path) {
    FileListEntry& entry = row.Entry();
    if (!wmaReader_) {
        return;
    }
    WmaComponent& reader = *wmaReader_;
    try {
        reader.OpenForReading(path);
        const int32_t channels = reader.ChannelCount();
        entry.channels = channels > 0 ? static_cast<uint32_t>(channels) : 0;
        entry.sampleRate = reader.SampleRate();
        entry.totalSamples = InterleavedSamples(reader.SampleCount(), channels);
        const int32_t milliseconds = reader.Duration();
        entry.durationSeconds = milliseconds > 0 ? milliseconds / 1000 : 0;
        row.AddPlayTime(entry.durationSeconds);
        reader.Close();
    } catch (const std::exception&) {
        // The component could not read the file; the zero values mark the row.
        try {
            if (reader.IsOpen()) {
                reader.Close();
            }
        } catch (const std::exception&) {
        }
        return;
    }

    if (!AsfFileHeaderIsSound(path)) {
        // TagLib would take its declared counts at their word; the component's facts stand.
        row.SetCellText(ColumnFrequency, FrequencyText(entry.sampleRate));
        return;
    }
    TagLib::ASF::File file(path.c_str(), true, TagLib::AudioProperties::Fast);
    // TagLib may fail to parse what the component could decode; the component's rate stands in.
    const TagLib::AudioProperties* properties = file.audioProperties();
    row.SetCellText(ColumnFrequency,
                    FrequencyText(properties ? properties->sampleRate() : entry.sampleRate));
    TagLib::ASF::Tag* tag = file.tag();
    if (tag && !tag->isEmpty()) {
        row.SetCellText(ColumnTag, "WMA");
        ReadAsfFields(row, *tag);
        entry.tagKinds |= TagKindASF;
    }
}

void MediaProbe::ProbeOgg(FileListRow& row, const std::string& path) {
    FileListEntry& entry = row.Entry();
    FILE* file = std::fopen(path.c_str(), "rb");
    if (!file) {
        entry.unreadable = 1;
        return;
    }
    OggVorbis_File vorbis;
    if (ov_open_callbacks(file, &vorbis, nullptr, 0, OggFileCallbacks) != 0) {
        // A failed open leaves the file with us.
        std::fclose(file);
        entry.unreadable = 1;
        return;
    }
    if (const vorbis_info* info = ov_info(&vorbis, -1)) {
        entry.channels = info->channels > 0 ? static_cast<uint32_t>(info->channels) : 0;
        entry.sampleRate = static_cast<int32_t>(info->rate);
    }
    const long bitrate = ov_bitrate(&vorbis, -1);
    entry.bitrateKbps = bitrate > 0 ? static_cast<int32_t>(bitrate / 1000) : 0;
    // The length is the last page's position, which a damaged or hostile file may set to
    // anything.
    const ogg_int64_t frames = ov_pcm_total(&vorbis, -1);
    entry.totalSamples =
        frames > 0 && LengthFitsTheFile(static_cast<uint64_t>(frames), entry.sampleRate, path)
            ? InterleavedSamples(frames, entry.channels)
            : 0;
    entry.durationSeconds =
        entry.sampleRate > 0 && entry.channels > 0
            ? static_cast<double>(entry.totalSamples) / entry.sampleRate / entry.channels
            : 0.0;
    row.AddPlayTime(entry.durationSeconds);
    ov_clear(&vorbis);

    ReadOggTags(row, path);
}

void MediaProbe::ReadOggTags(FileListRow& row, const std::string& path) {
    TagLib::Ogg::Vorbis::File file(path.c_str(), false);
    TagLib::Ogg::XiphComment* tag = file.tag();
    if (tag && !tag->isEmpty()) {
        row.SetCellText(ColumnTag, "Vorbis Comment");
        ReadXiphFields(row, *tag);
        row.Entry().tagKinds |= TagKindXiph;
    }
}

void MediaProbe::ProbeFlac(FileListRow& row, const std::string& path) {
    FileListEntry& entry = row.Entry();
    // TagLib reads the stream information block of a native FLAC file exactly: rate, channels
    // and the length in frames.
    // FLAC in Ogg (an .oga file) keeps the same stream information in another container.
    std::unique_ptr<TagLib::File> file;
    const TagLib::FLAC::Properties* properties = nullptr;
    TagLib::Ogg::XiphComment* tag = nullptr;
    if (OggContentFormat(path) == FormatFlac) {
        auto ogg = std::make_unique<TagLib::Ogg::FLAC::File>(path.c_str(), true,
                                                             TagLib::AudioProperties::Accurate);
        properties = ogg->audioProperties();
        tag = ogg->tag();
        file = std::move(ogg);
    } else {
        auto native = std::make_unique<TagLib::FLAC::File>(path.c_str(),
                                                           ChapterSkippingFrameFactory::Instance(),
                                                           true, TagLib::AudioProperties::Accurate);
        properties = native->audioProperties();
        tag = native->xiphComment(false);
        file = std::move(native);
    }
    if (!file->isValid() || !properties) {
        entry.unreadable = 1;
        return;
    }
    const int channels = properties->channels();
    entry.channels = channels > 0 ? static_cast<uint32_t>(channels) : 0;
    entry.sampleRate = properties->sampleRate();
    uint64_t frames = properties->sampleFrames();
    if (frames == 0 && dynamic_cast<TagLib::Ogg::FLAC::File*>(file.get())) {
        frames = OggLastGranule(path);  // a writer that could not seek back left it unset
    }
    entry.totalSamples = LengthFitsTheFile(frames, entry.sampleRate, path)
                             ? InterleavedSamples(frames, channels)
                             : 0;
    entry.durationSeconds =
        entry.sampleRate > 0 && entry.channels > 0
            ? static_cast<double>(entry.totalSamples) / entry.sampleRate / entry.channels
            : 0.0;
    row.AddPlayTime(entry.durationSeconds);

    if (tag && !tag->isEmpty()) {
        row.SetCellText(ColumnTag, "Vorbis Comment");
        ReadXiphFields(row, *tag);
        entry.tagKinds |= TagKindXiph;
    }
}

void MediaProbe::ProbeOpus(FileListRow& row, const std::string& path) {
    FileListEntry& entry = row.Entry();
    int error = 0;
    OggOpusFile* file = op_open_file(path.c_str(), &error);
    if (!file) {
        entry.unreadable = 1;
        return;
    }
    // Opus always decodes at 48 kHz, whatever rate the header says the input had. The length
    // is the decoded one: pre-skip removed.
    const int channels = op_channel_count(file, -1);
    entry.channels = channels > 0 ? static_cast<uint32_t>(channels) : 0;
    entry.sampleRate = 48000;
    const ogg_int64_t frames = op_pcm_total(file, -1);
    entry.totalSamples =
        frames > 0 && LengthFitsTheFile(static_cast<uint64_t>(frames), entry.sampleRate, path)
            ? InterleavedSamples(frames, channels)
            : 0;
    entry.durationSeconds =
        entry.channels > 0 ? static_cast<double>(entry.totalSamples) / 48000 / entry.channels : 0;
    row.AddPlayTime(entry.durationSeconds);
    op_free(file);

    TagLib::Ogg::Opus::File tagged(path.c_str(), false);
    TagLib::Ogg::XiphComment* tag = tagged.isValid() ? tagged.tag() : nullptr;
    if (tag && !tag->isEmpty()) {
        row.SetCellText(ColumnTag, "Vorbis Comment");
        ReadXiphFields(row, *tag);
        entry.tagKinds |= TagKindXiph;
    }
}

}  // namespace tonquill
