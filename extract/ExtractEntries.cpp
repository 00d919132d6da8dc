#include "extract/ExtractEntries.h"

#include <unordered_set>

#include "extract/CompanionClaims.h"
#include "extract/EntryLookup.h"
#include "extract/ExportWriter.h"
#include "extract/NamePattern.h"
#include "extract/OutputFile.h"
#include "library/EntryNames.h"
#include "library/Report.h"

namespace lorvex {

namespace {

// The name of the file an entry goes to: no separator in it.
const char* outputName(const CurrentEntry& entry) {
    return entry.displayName + baseNameOffset(entry.displayName);
}

// Writes entry to the file of its output name in folder; an export counts
// only when the whole file reached the disk. With sectionVisited, the binary
// data section is judged by that set (see ExportWriter::write).
bool exportEntry(LibraryReader& reader, const CurrentEntry& entry, VisitedSet& visited,
                 const platform::Folder& folder, OutputFile& file, std::FILE* errors,
                 VisitedSet* sectionVisited = nullptr) {
    // A name no folder takes is the entry's fault, not the folder's: say whose.
    std::string reason = whyNeverCreatable(outputName(entry));
    if (!reason.empty()) {
        report(errors, entry.displayName, "cannot create: " + reason);
        return false;
    }
    bool exported = file.create(folder, outputName(entry), reader.file().identity(), reason);
    if (exported) {
        exported = ExportWriter(reader.file(), reader.generation())
                       .write(entry, visited, file, reason, sectionVisited);
        // A write that failed says more than the damage it cut short.
        std::string closing;
        if (!file.close(entry.modificationTime, closing)) exported = false, reason = closing;
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
    if (names.empty() || names.front() == "*.*") {
        // Entries of one extraction of all may not share data blocks: a chain
        // running into a block an earlier entry exported is damage, so a crafted
        // library cannot multiply its bytes.
        VisitedSet exported(reader.file().size(), DataBlock::kSize);
        bool intact = true;
        reader.forEachEntry([&](const CurrentEntry& entry, std::uint32_t) {
            return intact = exportEntry(reader, entry, exported, output, file, errors);
        });
        return intact;
    }
    const std::vector<NameRequest> requests = expandPatterns(reader, names);
    std::vector<std::string> requested;
    for (const NameRequest& request : requests) requested.push_back(request.name);
    const EntryLookup lookup(reader, requested);
    // Different entries that patterns match, one short argument for many, may
    // not share data blocks, nor their sections show a block more than three
    // times, so that no crafted library multiplies its bytes through them.
    VisitedSet matchedBlocks(reader.file().size(), DataBlock::kSize);
    CompanionClaims companions(reader.file());
    std::unordered_set<std::string> matchedNames;
    CurrentEntry entry;
    for (const NameRequest& request : requests) {
        if (!lookup.find(request.name, entry)) {
            report(errors, request.name, "not found in " + libraryName);
            continue;
        }
        std::fprintf(out, "Extracting \"%s\"\n", entry.displayName);
        // Each named export may read blocks another one read, but not its own twice.
        VisitedSet own(reader.file().size(), DataBlock::kSize);
        const bool guarded = request.matched && matchedNames.insert(request.name).second;
        if (guarded && entry.companionFirstBlock != 0 &&
            !companions.claim(entry.companionFirstBlock, reason)) {
            report(errors, output.pathOf(outputName(entry)), reason);
            return false;
        }
        if (!exportEntry(reader, entry, guarded ? matchedBlocks : own, output, file, errors,
                         guarded ? &own : nullptr))
            return false;
    }
    return true;
}

}  // namespace lorvex
