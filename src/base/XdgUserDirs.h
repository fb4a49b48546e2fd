#pragma once

#include <string>

namespace tonquill {

// The person's home folder ($HOME, or "/" without one).
std::string HomeFolder();

// One of the desktop's user folders ("MUSIC", "DESKTOP", ...) as the freedesktop user-dirs file
// ($XDG_CONFIG_HOME/user-dirs.dirs, by default ~/.config/user-dirs.dirs) names it, or the home
// folder + defaultName when the file has no such entry. No trailing '/'. Read directly, so the
// command-line program needs no toolkit for it.
std::string XdgUserDir(const std::string& name, const std::string& defaultName);

}  // namespace tonquill
