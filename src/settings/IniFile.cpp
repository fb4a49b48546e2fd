#include "settings/IniFile.h"

#include <cctype>
#include <cstdio>
#include <fstream>
#include <sstream>
#include <system_error>

#include <unistd.h>

#include "base/AsciiCase.h"

namespace tonquill {
namespace {

std::string Trim(const std::string& s) {
    size_t b = 0;
    size_t e = s.size();
    while (b < e && std::isspace(static_cast<unsigned char>(s[b]))) {
        ++b;
    }
    while (e > b && std::isspace(static_cast<unsigned char>(s[e - 1]))) {
        --e;
    }
    return s.substr(b, e - b);
}

bool EqualNoCase(const std::string& a, const std::string& b) {
    return EqualIgnoringAsciiCase(a, b);
}

// "[name]" gives name; anything else gives nothing.
std::optional<std::string> SectionName(const std::string& line) {
    std::string t = Trim(line);
    if (t.size() >= 2 && t.front() == '[') {
        size_t close = t.find(']');
        if (close != std::string::npos) {
            return Trim(t.substr(1, close - 1));
        }
    }
    return std::nullopt;
}

// "key=value" gives key; comments and other lines give nothing.
std::optional<std::string> KeyName(const std::string& line) {
    std::string t = Trim(line);
    if (t.empty() || t.front() == ';' || t.front() == '#') {
        return std::nullopt;
    }
    size_t eq = t.find('=');
    if (eq == std::string::npos) {
        return std::nullopt;
    }
    return Trim(t.substr(0, eq));
}

std::string ValueOf(const std::string& line) {
    std::string v = Trim(line.substr(line.find('=') + 1));
    // A value in matching quotes is given without them, as the profile functions do.
    if (v.size() >= 2 && (v.front() == '"' || v.front() == '\'') && v.back() == v.front()) {
        v = v.substr(1, v.size() - 2);
    }
    return v;
}

}  // namespace

int32_t ParseProfileInt(const std::string& text) {
    size_t i = 0;
    while (i < text.size() && std::isspace(static_cast<unsigned char>(text[i]))) {
        ++i;
    }
    bool negative = false;
    if (i < text.size() && (text[i] == '-' || text[i] == '+')) {
        negative = text[i] == '-';
        ++i;
    }
    uint32_t value = 0;
    for (; i < text.size() && std::isdigit(static_cast<unsigned char>(text[i])); ++i) {
        value = value * 10u + static_cast<uint32_t>(text[i] - '0');
    }
    if (negative) {
        value = 0u - value;
    }
    return static_cast<int32_t>(value);
}

bool IniFile::Load(const std::filesystem::path& path) {
    lines_.clear();
    std::error_code ec;
    if (!std::filesystem::exists(path, ec)) {
        return !ec;
    }
    std::ifstream in(path, std::ios::binary);
    if (!in || std::filesystem::is_directory(path, ec)) {
        return false;
    }
    std::stringstream buffer;
    buffer << in.rdbuf();
    if (in.bad()) {
        return false;
    }
    SetText(buffer.str());
    return true;
}

void IniFile::SetText(const std::string& text) {
    lines_.clear();
    std::string t = text;
    // A UTF-8 byte-order mark written by another editor is not part of the first line.
    if (t.rfind("\xEF\xBB\xBF", 0) == 0) {
        t.erase(0, 3);
    }
    std::string line;
    std::istringstream in(t);
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r') {
            line.pop_back();
        }
        lines_.push_back(line);
    }
}

std::string IniFile::Text() const {
    std::string out;
    for (const auto& line : lines_) {
        out += line;
        out += '\n';
    }
    return out;
}

bool IniFile::Save(const std::filesystem::path& path) const {
    // Respect a file the user made read-only: the rename below would otherwise replace it.
    std::error_code ec;
    if (std::filesystem::exists(path, ec) && ::access(path.c_str(), W_OK) != 0) {
        return false;
    }
    std::filesystem::path temp = path;
    temp += ".tmp";
    {
        std::ofstream out(temp, std::ios::binary | std::ios::trunc);
        if (!out) {
            return false;
        }
        out << Text();
        out.flush();
        if (!out) {
            out.close();
            std::filesystem::remove(temp, ec);
            return false;
        }
    }
    std::filesystem::rename(temp, path, ec);
    if (ec) {
        std::filesystem::remove(temp, ec);
        return false;
    }
    return true;
}

IniFile::Location IniFile::Find(const std::string& section, const std::string& key) const {
    Location loc;
    bool inSection = false;
    for (size_t i = 0; i < lines_.size(); ++i) {
        if (auto name = SectionName(lines_[i])) {
            if (inSection) {
                break;  // the first matching section ends here
            }
            if (EqualNoCase(*name, section)) {
                inSection = true;
                loc.sectionLine = i;
                loc.sectionEnd = i + 1;
            }
            continue;
        }
        if (!inSection) {
            continue;
        }
        if (!Trim(lines_[i]).empty()) {
            loc.sectionEnd = i + 1;
        }
        if (!loc.keyLine) {
            if (auto k = KeyName(lines_[i]); k && EqualNoCase(*k, key)) {
                loc.keyLine = i;
            }
        }
    }
    return loc;
}

std::optional<std::string> IniFile::Value(const std::string& section,
                                          const std::string& key) const {
    Location loc = Find(section, key);
    if (!loc.keyLine) {
        return std::nullopt;
    }
    return ValueOf(lines_[*loc.keyLine]);
}

int32_t IniFile::GetInt(const std::string& section, const std::string& key,
                        int32_t fallback) const {
    auto v = Value(section, key);
    return v ? ParseProfileInt(*v) : fallback;
}

std::string IniFile::GetString(const std::string& section, const std::string& key,
                               const std::string& fallback) const {
    auto v = Value(section, key);
    return v ? *v : fallback;
}

void IniFile::WriteString(const std::string& section, const std::string& key,
                          const std::string& value) {
    std::string line = key + "=" + value;
    Location loc = Find(section, key);
    if (loc.keyLine) {
        lines_[*loc.keyLine] = line;
    } else if (loc.sectionLine) {
        lines_.insert(lines_.begin() + static_cast<std::ptrdiff_t>(loc.sectionEnd), line);
    } else {
        lines_.push_back("[" + section + "]");
        lines_.push_back(line);
    }
}

void IniFile::WriteInt(const std::string& section, const std::string& key, int32_t value) {
    WriteString(section, key, std::to_string(value));
}

}  // namespace tonquill
