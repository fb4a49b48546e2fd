#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace tonquill {

// A small INI file with the results of the classic profile functions: section and key names
// match without regard to case, the first of two equal sections or keys wins, a missing key
// yields the caller's default, an empty value stays empty, a write replaces the value in place
// or appends the key at the end of its section, and a missing section is appended to the file.
// Lines the reader does not understand are kept as they are.
class IniFile {
public:
    IniFile() = default;

    // Reads the file. A missing file is an empty one; an unreadable one is an error (false).
    bool Load(const std::filesystem::path& path);
    // Writes the whole text to a temporary file beside the target and moves it over the target,
    // so a failed write never leaves half a file. False when the file cannot be written.
    bool Save(const std::filesystem::path& path) const;

    // The value of a key, or nothing when the section or key is absent.
    std::optional<std::string> Value(const std::string& section, const std::string& key) const;
    // The decimal integer that starts the value (sign allowed, wrapping at 32 bits), or the
    // default when the key is absent. A value without digits reads as 0.
    int32_t GetInt(const std::string& section, const std::string& key, int32_t fallback) const;
    std::string GetString(const std::string& section, const std::string& key,
                          const std::string& fallback) const;

    void WriteString(const std::string& section, const std::string& key, const std::string& value);
    void WriteInt(const std::string& section, const std::string& key, int32_t value);

    std::string Text() const;
    void SetText(const std::string& text);

private:
    struct Location {
        std::optional<size_t> sectionLine;  // index of the "[section]" line
        std::optional<size_t> keyLine;      // index of the key's line within that section
        size_t sectionEnd = 0;              // one past the section's last non-blank line
    };
    Location Find(const std::string& section, const std::string& key) const;

    std::vector<std::string> lines_;
};

// Parses the leading decimal integer of a profile value the way the profile functions do.
int32_t ParseProfileInt(const std::string& text);

}  // namespace tonquill
