#pragma once

#include <array>
#include <functional>
#include <optional>
#include <string>

namespace tonquill {

// The two ends of an Ogg file that tell about its first stream: the header of its first page
// and the file's last bytes, where the stream's last pages lie.
struct OggFileEnds {
    static constexpr size_t PageHeaderSize = 27;
    std::array<unsigned char, PageHeaderSize> firstPage{};
    std::string tail;
};

// Reads them; nothing when the file cannot be read or does not start with an Ogg page.
std::optional<OggFileEnds> ReadOggFileEnds(const std::string& path);

// Calls visit for the page headers in the tail, the last first: with a page of the first stream
// (serial number as the first page's), or with nullptr for a header the file's end cut off.
// Stops when visit returns true.
void VisitLastPagesOfFirstStream(const OggFileEnds& ends,
                                 const std::function<bool(const unsigned char* page)>& visit);

}  // namespace tonquill
