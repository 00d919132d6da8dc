#include "extract/ExtractEntries.h"

#include "extract/EntryLookup.h"
#include "extract/ExportWriter.h"
#include "extract/OutputFile.h"
#include "library/EntryNames.h"
#include "library/Report.h"

namespace lorvex {

namespace {

// Writes entry to the file of its output name in folder; an export counts
// only when the whole file reached the disk. Output names hold no separator.
bool exportEntry(LibraryReader& reader, const CurrentEntry& entry, VisitedSet& visited,
                 const std::string& folder, OutputFile& file, std::FILE* errors) {
    const std::string outputName = folder + (entry.displayName + baseNameOffset(entry.displayName));
    std::string reason;
    bool exported = file.create(outputName, reader.file().identity());
    if (exported) {
        exported =
            ExportWriter(reader.file(), reader.generation()).write(entry, visited, file, reason);
        exported = file.close(entry.modificationTime) && exported;
    }
    if (file.failure() != nullptr) reason = file.failure();
    if (!exported) report(errors, outputName, reason);
    return exported;
}

}  // namespace

bool extractEntries(LibraryReader& reader, const std::string& libraryName,
                    const std::vector<std::string>& names, const std::string& folder,
                    std::FILE* out, std::FILE* errors) {
    if (!platform::makeFolders(folder)) {
        report(errors, folder, "cannot create the folder: " + platform::lastError());
        return false;
    }
    // Names are joined to the folder as they are: they hold no separator.
    const char last = folder.empty() ? '/' : folder.back();
    const std::string prefix = last == '/' || last == '\\' ? folder : folder + '/';
    OutputFile file;
    if (names.empty() || names.front() == "*.*") {
        // Entries of one extraction of all may not share data blocks: a chain
        // running into a block an earlier entry exported is damage, so a crafted
        // library cannot multiply its bytes.
        VisitedSet exported(reader.file().size(), DataBlock::kSize);
        if (!reader.rewind()) return false;
        while (reader.next()) {
            if (!exportEntry(reader, reader.current(), exported, prefix, file, errors))
                return false;
        }
        return true;
    }
    const EntryLookup lookup(reader, names);
    CurrentEntry entry;
    for (const std::string& name : names) {
        if (!lookup.find(name, entry)) {
            report(errors, name, "not found in " + libraryName);
            continue;
        }
        std::fprintf(out, "Extracting \"%s\"\n", entry.displayName);
        // Each named export may read blocks another one read, but not its own twice.
        VisitedSet visited(reader.file().size(), DataBlock::kSize);
        if (!exportEntry(reader, entry, visited, prefix, file, errors)) return false;
    }
    return true;
}

}  // namespace lorvex
