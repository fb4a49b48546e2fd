// The media probe of one source type (TONQUILL_FUZZ_FORMAT): the input becomes a file with that
// type's extension and is probed as a folder load probes it. Whatever the bytes, the row ends
// either unreadable or with facts a conversion can trust, and every cell is valid UTF-8.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

#include "FuzzCheck.h"
#include "FuzzSupport.h"
#include "convert/wma/WmaComponent.h"
#include "metadata/MediaProbe.h"
#include "metadata/ProbeFixtures.h"
#include "settings/ConversionSettings.h"

namespace {

using namespace tonquill;

struct Prober {
    NullObserver observer;
    std::unique_ptr<WmaComponent> wmaReader = std::make_unique<WmaComponent>();
    MediaProbe probe{observer, wmaReader.get()};
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static Prober prober;
    const int format = TONQUILL_FUZZ_FORMAT;
    const std::string name = "input." + OutputExtension(format);
    const std::string path = fuzz::WriteInput(name, data, size);

    PlainFileListRow row;
    row.entry.type = static_cast<uint8_t>(TypeByExtension(UpperExtension(name)));
    FUZZ_CHECK(row.entry.type == format);
    prober.probe.ProbeMediaInfo(row, path);
    prober.probe.ProbeBitrate(row, path);

    const FileListEntry& e = row.entry;
    FUZZ_CHECK(e.unreadable == 0 || e.unreadable == 1);
    if (e.unreadable) {
        FUZZ_CHECK(row.cells[ColumnType] == "Unknown");
    } else {
        // Facts the conversion relies on: a rate, a channel count and a length that fits the
        // channels; a few kilobytes cannot hold a day of audio.
        FUZZ_CHECK(e.sampleRate > 0);
        FUZZ_CHECK(e.channels > 0);
        FUZZ_CHECK(e.totalSamples > 0);
        FUZZ_CHECK(e.totalSamples % e.channels == 0);
        FUZZ_CHECK(e.durationSeconds >= 0.0 && e.durationSeconds < 24 * 3600.0);
    }
    for (const std::string& cell : row.cells) {
        FUZZ_CHECK(test::IsValidUtf8(cell));
    }
    return 0;
}
