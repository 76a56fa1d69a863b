#include "tools/uidriver/EscapedText.h"

namespace uidriver {

std::string Unescape(const std::string& typed) {
    std::string text;
    for (size_t i = 0; i < typed.size(); ++i) {
        char c = typed[i];
        if (c != '\\' || i + 1 == typed.size()) {
            text += c;
            continue;
        }
        switch (typed[++i]) {
        case 'r':
            text += '\r';
            break;
        case 'n':
            text += '\n';
            break;
        case 't':
            text += '\t';
            break;
        case '\\':
            text += '\\';
            break;
        default: // an unknown escape stays as it was typed
            text += '\\';
            text += typed[i];
        }
    }
    return text;
}

std::string Escape(const std::string& text) {
    std::string typed;
    for (char c : text) {
        switch (c) {
        case '\r':
            typed += "\\r";
            break;
        case '\n':
            typed += "\\n";
            break;
        case '\t':
            typed += "\\t";
            break;
        case '\\':
            typed += "\\\\";
            break;
        default:
            typed += c;
        }
    }
    return typed;
}

} // namespace uidriver
