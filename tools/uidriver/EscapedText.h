// Texts on a command line and on a terminal: "\r", "\n", "\t" and "\\" stand for the
// control characters, so that a status text such as "Update OK.\r\n" can be typed as is.
#pragma once

#include <string>

namespace uidriver {

std::string Unescape(const std::string& typed);
std::string Escape(const std::string& text);

} // namespace uidriver
