#include "extract/ExtractEntries.h"

#include <unordered_set>

#include "extract/ExportPlan.h"
#include "extract/NamePattern.h"
#include "extract/OutputFile.h"
#include "library/EntryNames.h"
#include "text/Report.h"

namespace lorvex {

namespace {

// The name of the file an entry goes to: no separator in it.
const char* outputName(const CurrentEntry& entry) {
    return entry.displayName + baseNameOffset(entry.displayName);
}

// Writes an export of the plan to the file of its output name in folder; an
// export counts only when the whole file reached the disk.
bool exportEntry(ExportPlan& plan, EntryExport& planned, const platform::Folder& folder,
                 const platform::FileIdentity& library, OutputFile& file, std::FILE* errors) {
    const CurrentEntry& entry = planned.entry;
    // A name no folder takes is the entry's fault, not the folder's: say whose.
    std::string reason = whyNeverCreatable(outputName(entry));
    if (!reason.empty()) {
        report(errors, entry.displayName, "cannot create: " + reason);
        return false;
    }
    bool exported =
        plan.prepare(planned, reason) && file.create(folder, outputName(entry), library, reason);
    if (exported) {
        exported = plan.write(planned, file, reason);
        // What damage cut short keeps the time it was written: the stored
        // time would pass it off as the whole entry. A write that failed says
        // more than the damage it cut short.
        std::string closing;
        if (!file.close(exported ? std::optional(entry.modificationTime) : std::nullopt, closing)) {
            exported = false;
            reason = closing;
        }
    }
    if (!exported) report(errors, folder.pathOf(outputName(entry)), reason);
    return exported;
}

}  // namespace

std::vector<NameRequest> expandPatterns(LibraryReader& reader,
                                        const std::vector<std::string>& names) {
    std::vector<std::pair<std::size_t, NamePattern>> patterns;
    for (std::size_t i = 0; i < names.size(); ++i) {
        if (NamePattern::isPattern(names[i])) patterns.emplace_back(i, NamePattern(names[i]));
    }
    std::vector<std::vector<std::string>> matches(names.size());
    std::vector<std::unordered_set<std::string>> matched(names.size());
    if (!patterns.empty()) {
        reader.forEachEntry([&](const CurrentEntry& entry, std::uint32_t) {
            for (const auto& [i, pattern] : patterns) {
                if (pattern.matches(entry.displayName) &&
                    matched[i].insert(foldedName(entry.displayName)).second)
                    matches[i].emplace_back(entry.displayName);
            }
        });
    }
    std::vector<NameRequest> expanded;
    for (std::size_t i = 0; i < names.size(); ++i) {
        if (matches[i].empty()) expanded.push_back(NameRequest{names[i], false});
        for (const std::string& match : matches[i]) expanded.push_back(NameRequest{match, true});
    }
    return expanded;
}

bool extractEntries(LibraryReader& reader, const std::string& libraryName,
                    const std::vector<std::string>& names, const std::string& folder,
                    std::FILE* out, std::FILE* errors) {
    std::string reason;
    if (!platform::makeFolders(folder, reason)) {
        report(errors, folder, "cannot create the folder: " + reason);
        return false;
    }
    // Opened once: every file goes into this folder, whatever happens to its path.
    platform::Folder output;
    if (!output.open(folder, reason)) {
        report(errors, folder.empty() ? "." : folder, "cannot open the folder: " + reason);
        return false;
    }
    OutputFile file;
    const platform::FileIdentity& library = reader.file().identity();
    if (names.empty() || names.front() == "*.*") {
        ExportPlan plan(reader, ExportRules::EveryEntry);
        bool intact = true;
        reader.forEachEntry([&](const CurrentEntry& entry, std::uint32_t position) {
            EntryExport planned = plan.exportOf(entry, position, entry.displayName);
            intact = exportEntry(plan, planned, output, library, file, errors);
            return intact;
        });
        return intact;
    }
    const std::vector<NameRequest> requests = expandPatterns(reader, names);
    std::vector<std::string> requested;
    for (const NameRequest& request : requests) requested.push_back(request.name);
    ExportPlan plan(reader, ExportRules::ByName, requested);
    EntryExport planned;
    for (const NameRequest& request : requests) {
        if (!plan.find(request.name, request.matched, planned)) {
            report(errors, request.name, "not found in " + libraryName);
            continue;
        }
        std::fprintf(out, "Extracting \"%s\"\n", planned.entry.displayName);
        if (!exportEntry(plan, planned, output, library, file, errors)) return false;
    }
    return true;
}

}  // namespace lorvex
