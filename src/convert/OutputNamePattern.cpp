#include "convert/OutputNamePattern.h"

#include <cctype>
#include <cstdlib>
#include <optional>
#include <vector>

namespace tonquill {
namespace {

struct Piece {
    bool field = false;
    std::string text;  // a literal, or the field's value once looked up
};

// "3/12" -> "03"; a track that is not a number is kept as it is.
std::string TrackNumber(const std::string& track) {
    const std::string number = track.substr(0, track.find('/'));
    size_t digits = 0;
    while (digits < number.size() && std::isdigit(static_cast<unsigned char>(number[digits]))) {
        ++digits;
    }
    if (digits == 0 || digits != number.size()) {
        return track;
    }
    const std::string trimmed = number.substr(std::min(number.find_first_not_of('0'), digits - 1));
    return trimmed.size() < 2 ? std::string(2 - trimmed.size(), '0') + trimmed : trimmed;
}

std::optional<std::string> FieldValue(const std::string& name, const TagSet& tags,
                                      const std::string& sourceStem, const std::string& disc) {
    if (name == "artist")
        return tags.artist;
    if (name == "albumartist")
        return tags.albumArtist;
    if (name == "album")
        return tags.album;
    if (name == "track")
        return tags.track.empty() ? std::string() : TrackNumber(tags.track);
    if (name == "title")
        return tags.title;
    if (name == "genre")
        return tags.genre;
    if (name == "date")
        return tags.date;
    if (name == "comment")
        return tags.comment;
    if (name == "disc")
        return disc.substr(0, disc.find('/'));
    if (name == "name")
        return sourceStem;
    return std::nullopt;
}

// Cuts a UTF-8 text to at most max bytes without splitting a character.
std::string CutUtf8(const std::string& text, size_t max) {
    if (text.size() <= max) {
        return text;
    }
    size_t end = max;
    while (end > 0 && (static_cast<unsigned char>(text[end]) & 0xC0) == 0x80) {
        --end;
    }
    return text.substr(0, end);
}

}  // namespace

std::string OutputNamePattern::SafeNameText(const std::string& text) {
    std::string safe = text;
    for (char& c : safe) {
        const auto u = static_cast<unsigned char>(c);
        if (c == '/' || u < 0x20 || u == 0x7F) {
            c = '_';
        }
    }
    return safe;
}

std::string OutputNamePattern::Expand(const TagSet& tags, const std::string& sourceStem,
                                      const std::string& disc) const {
    std::vector<Piece> pieces;
    for (size_t at = 0; at < pattern_.size();) {
        const size_t open = pattern_.find('{', at);
        const size_t close = open == std::string::npos ? open : pattern_.find('}', open);
        if (open == std::string::npos || close == std::string::npos) {
            pieces.push_back({false, pattern_.substr(at)});
            break;
        }
        if (open > at) {
            pieces.push_back({false, pattern_.substr(at, open - at)});
        }
        const std::string inside = pattern_.substr(open + 1, close - open - 1);
        std::optional<std::string> value;
        bool known = false;
        for (size_t start = 0; start <= inside.size();) {
            const size_t bar = std::min(inside.find('|', start), inside.size());
            const std::optional<std::string> alternative =
                FieldValue(inside.substr(start, bar - start), tags, sourceStem, disc);
            known = known || alternative.has_value();
            if (alternative && !alternative->empty()) {
                value = alternative;
                break;
            }
            start = bar + 1;
        }
        if (known) {
            pieces.push_back({true, value ? SafeNameText(*value) : std::string()});
        } else {
            pieces.push_back({false, pattern_.substr(open, close - open + 1)});
        }
        at = close + 1;
    }

    // An empty field goes with the text that joins it to the next field (or to the one before,
    // at the end), so no stray separators are left.
    for (size_t i = 0; i < pieces.size(); ++i) {
        if (!pieces[i].field || !pieces[i].text.empty()) {
            continue;
        }
        if (i + 1 < pieces.size() && !pieces[i + 1].field) {
            pieces[i + 1].text.clear();
        } else if (i + 1 == pieces.size() && i > 0 && !pieces[i - 1].field) {
            pieces[i - 1].text.clear();
        }
    }
    std::string joined;
    for (const Piece& piece : pieces) {
        joined += piece.text;
    }

    // Folder by folder: no empty names, no leading dots ("..", hidden files), no overlong names.
    std::string path;
    for (size_t start = 0; start <= joined.size();) {
        const size_t slash = std::min(joined.find('/', start), joined.size());
        std::string part = joined.substr(start, slash - start);
        start = slash + 1;
        for (char& c : part) {
            const auto u = static_cast<unsigned char>(c);
            if (u < 0x20 || u == 0x7F) {
                c = '_';
            }
        }
        const size_t first = part.find_first_not_of(' ');
        if (first == std::string::npos) {
            continue;
        }
        part = part.substr(first);
        part = part.substr(0, part.find_last_not_of(' ') + 1);
        if (part.front() == '.') {
            part.front() = '_';
        }
        if (!path.empty()) {
            path += '/';
        }
        path += CutUtf8(part, MaxComponentBytes);
    }
    return path.empty() ? sourceStem : path;
}

}  // namespace tonquill
