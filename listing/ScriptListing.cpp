#include "listing/ScriptListing.h"

#include <algorithm>

#include "extract/ExportPlan.h"
#include "library/LibraryReader.h"
#include "listing/CalendarTime.h"
#include "listing/ScriptListingLine.h"
#include "text/CodePage.h"
#include "text/Report.h"
#include "text/Utf16.h"

namespace lorvex {

namespace {

const char* kindName(EntryKind kind) {
    switch (kind) {
        case EntryKind::Source:
            return "source";
        case EntryKind::Pcode:
            return "compiled";
        case EntryKind::Resource:
            break;
    }
    return "resource";
}

std::string isoTime(std::uint32_t secondsSince1970) {
    const CalendarTime time = toUniversalTime(secondsSince1970);
    char text[32];
    std::snprintf(text, sizeof text, "%04i-%02i-%02iT%02i:%02i:%02iZ", time.year, time.month,
                  time.day, time.hour, time.minute, time.second);
    return text;
}

// Lists one library's entries as the options ask.
class LibraryListing {
public:
    LibraryListing(const ScriptListingOptions& options, CodePage& codePage, std::FILE* out,
                   std::FILE* errors)
        : options_(options), codePage_(codePage), out_(out), errors_(errors) {}

    // Lists the library at path; returns what that came to.
    Outcome run(const std::string& path) {
        std::string reason;
        if (!reader_.open(path, reason)) {
            report(errors_, path, reason);
            return Outcome{/*unopened=*/true};
        }
        wide_ = reader_.generation() == Generation::UnicodeEra;
        ExportPlan plan(reader_, ExportRules::ByName);
        Outcome outcome;
        ListedEntry listed;
        listed.library = path;
        std::string comment;
        reader_.forEachEntry([&](const CurrentEntry& entry, std::uint32_t position) {
            if (!plan.comment(entry, comment, reason)) {
                report(errors_, path,
                       std::string(entry.displayName) + ": its comment cannot be read: " + reason);
                outcome.failed = true;
                return;
            }
            const std::string& stored = reader_.storedName();
            listed.name = name(stored);
            listed.kind = kindName(entry.kind);
            const std::uint32_t commentBytes = (wide_ ? 2U : 1U) * entry.commentLength;
            listed.bytes = entry.dataSize - std::min(entry.dataSize, commentBytes);
            listed.modified = isoTime(entry.modificationTime);
            listed.comment = text(comment);
            // The pairing of a named export requested by the stored name.
            listed.paired = entry.kind == EntryKind::Source &&
                            plan.exportOf(entry, position, stored).companion.firstBlock != 0;
            listed.companion =
                listed.paired ? name(stored.substr(0, stored.size() - 3) + "bin") : ListedText{};
            if (options_.json) {
                writeJsonLine(out_, listed);
            } else {
                writeTabSeparated(out_, listed);
            }
        });
        if (!reader_.damage().empty()) {
            report(errors_, path, "directory: " + reader_.damage() + ": entries may be missing");
            outcome.failed = true;
        }
        return outcome;
    }

private:
    // A name of a Unicode-era library is UTF-8 already.
    ListedText name(const std::string& stored) {
        return wide_ ? ListedText{stored, false} : text(stored);
    }

    // Stored text as UTF-8: UTF-16LE that converts back and forth unchanged,
    // single bytes that are ASCII or valid in the code page given; holding no
    // zero character. Anything else stays as stored, to be shown in hex.
    ListedText text(const std::string& stored) {
        std::string utf8;
        std::size_t invalidAt = 0;
        bool converted = false;
        if (wide_) {
            utf8 =
                utf16LeToUtf8(reinterpret_cast<const unsigned char*>(stored.data()), stored.size());
            converted = utf8ToUtf16Le(utf8.data(), utf8.size()) == stored;
        } else {
            converted = codePage_.toUtf8(stored, utf8, invalidAt);
        }
        if (converted && utf8.find('\0') == std::string::npos) return ListedText{utf8, false};
        return ListedText{stored, true};
    }

    const ScriptListingOptions& options_;
    CodePage& codePage_;
    std::FILE* out_;
    std::FILE* errors_;
    LibraryReader reader_;
    bool wide_ = false;
};

}  // namespace

Outcome listForScripts(const ScriptListingOptions& options, std::FILE* out, std::FILE* errors) {
    if (!options.json) writeTabSeparatedHeader(out);
    CodePage codePage(options.codePage);
    Outcome outcome;
    for (const std::string& path : options.libraries) {
        LibraryListing listing(options, codePage, out, errors);
        outcome.add(listing.run(path));
    }
    return outcome;
}

}  // namespace lorvex
