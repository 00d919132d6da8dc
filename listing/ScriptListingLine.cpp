#include "listing/ScriptListingLine.h"

#include "text/Hex.h"
#include "text/Utf8.h"

namespace lorvex {

namespace {

// A C1 control character (U+0080 to U+009F) is two bytes of UTF-8: 0xC2 and
// one of 0x80 to 0x9F. Readers take U+0085 for a line end.
bool startsC1Control(const std::string& text, std::size_t at) {
    if (static_cast<unsigned char>(text[at]) != 0xC2 || at + 1 >= text.size()) return false;
    const auto next = static_cast<unsigned char>(text[at + 1]);
    return next >= 0x80 && next <= 0x9F;
}

void appendTabSeparated(std::string& line, const std::string& text) {
    for (std::size_t at = 0; at < text.size(); ++at) {
        const char c = text[at];
        switch (c) {
            case '\\':
                line += "\\\\";
                break;
            case '\t':
                line += "\\t";
                break;
            case '\n':
                line += "\\n";
                break;
            case '\r':
                line += "\\r";
                break;
            default:
                // Other control characters would act on a terminal that shows the line.
                if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F ||
                    startsC1Control(text, at)) {
                    const std::size_t bytes = static_cast<unsigned char>(c) == 0xC2 ? 2 : 1;
                    for (std::size_t i = 0; i < bytes; ++i) {
                        line += "\\x";
                        appendHexByte(line, static_cast<unsigned char>(text[at + i]));
                    }
                    at += bytes - 1;
                } else {
                    line += c;
                }
        }
    }
}

// The text column, then, after the other columns, the hex one.
void appendText(std::string& line, const ListedText& text) {
    line += '\t';
    if (!text.hex) appendTabSeparated(line, text.bytes);
}

void appendHexColumn(std::string& line, const ListedText& text) {
    line += '\t';
    if (text.hex) appendHex(line, text.bytes);
}

void appendJsonString(std::string& line, const std::string& text) {
    line += '"';
    for (std::size_t at = 0; at < text.size(); ++at) {
        const char c = text[at];
        const auto byte = static_cast<unsigned char>(c);
        if (c == '"' || c == '\\') {
            line += '\\';
            line += c;
        } else if (c == '\n') {
            line += "\\n";
        } else if (c == '\r') {
            line += "\\r";
        } else if (c == '\t') {
            line += "\\t";
        } else if (byte < 0x20 || startsC1Control(text, at)) {
            // U+0000 to U+001F and U+0080 to U+009F: the character's number.
            line += "\\u00";
            appendHexByte(line, byte < 0x20 ? byte : static_cast<unsigned char>(text[++at]));
        } else {
            line += c;
        }
    }
    line += '"';
}

// ,"name":"text" or ,"name_hex":"hex digits"
void appendJsonText(std::string& line, const char* name, const ListedText& text) {
    line += std::string(",\"") + name + (text.hex ? "_hex\":" : "\":");
    if (!text.hex) return appendJsonString(line, text.bytes);
    line += '"';
    appendHex(line, text.bytes);
    line += '"';
}

void writeLine(std::FILE* out, std::string& line) {
    line += '\n';
    std::fwrite(line.data(), 1, line.size(), out);
}

}  // namespace

void writeTabSeparatedHeader(std::FILE* out) {
    std::fputs(
        "library\tentry\tkind\tbytes\tmodified\tcomment\tcompanion\tentry_hex\tcomment_hex\t"
        "companion_hex\n",
        out);
}

void writeTabSeparated(std::FILE* out, const ListedEntry& entry) {
    std::string line;
    appendTabSeparated(line, entry.library);
    appendText(line, entry.name);
    line +=
        std::string("\t") + entry.kind + "\t" + std::to_string(entry.bytes) + "\t" + entry.modified;
    appendText(line, entry.comment);
    appendText(line, entry.companion);
    appendHexColumn(line, entry.name);
    appendHexColumn(line, entry.comment);
    appendHexColumn(line, entry.companion);
    writeLine(out, line);
}

void writeJsonLine(std::FILE* out, const ListedEntry& entry) {
    std::string line = "{";
    appendJsonText(line, "library", ListedText{entry.library, !isUtf8(entry.library)});
    line.erase(1, 1);  // the comma before the first field
    appendJsonText(line, "entry", entry.name);
    line += ",\"kind\":\"" + std::string(entry.kind) +
            "\",\"bytes\":" + std::to_string(entry.bytes) + ",\"modified\":\"" + entry.modified +
            "\"";
    appendJsonText(line, "comment", entry.comment);
    if (entry.paired) appendJsonText(line, "companion", entry.companion);
    line += '}';
    writeLine(out, line);
}

}  // namespace lorvex
