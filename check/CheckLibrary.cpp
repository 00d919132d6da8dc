#include "check/CheckLibrary.h"

#include <unordered_set>
#include <vector>

#include "extract/ExportPlan.h"
#include "extract/OutputFile.h"
#include "library/EntryNames.h"
#include "text/Report.h"

namespace lorvex {

namespace {

// The request of a named export of a source with its extension in lower
// case, which pairs a source stored as "W_MAIN.SRW" with its companion.
std::string requestWithLowerExtension(const std::string& displayName) {
    std::string request = displayName;
    for (std::size_t i = request.size() >= 3 ? request.size() - 3 : 0; i < request.size(); ++i)
        request[i] = foldAscii(request[i]);
    return request;
}

}  // namespace

bool checkLibrary(LibraryReader& reader, const std::string& libraryName,
                  const std::string& linePrefix, std::FILE* out, std::FILE* errors) {
    std::vector<std::pair<CurrentEntry, std::uint32_t>> entries;
    reader.forEachEntry([&](const CurrentEntry& entry, std::uint32_t position) {
        entries.emplace_back(entry, position);
    });
    // The exports -e makes, counted instead of written: of every entry, and
    // of each source by name, the first of its name.
    ExportPlan every(reader, ExportRules::EveryEntry);
    ExportPlan named(reader, ExportRules::ByName);
    std::unordered_set<std::string> firstOfName;
    CountingSink counted;
    unsigned damaged = 0;
    for (const auto& [entry, position] : entries) {
        const std::string request = requestWithLowerExtension(entry.displayName);
        std::string reason =
            whyNeverCreatable(entry.displayName + baseNameOffset(entry.displayName));
        EntryExport all = every.exportOf(entry, position, request);
        bool intact =
            reason.empty() && every.prepare(all, reason) && every.write(all, counted, reason);
        // A later source of the same name, letter case aside, is exported by
        // no request: its name exports the first.
        if (intact && entry.kind == EntryKind::Source &&
            firstOfName.insert(foldedName(request)).second) {
            EntryExport byName = named.exportOf(entry, position, request);
            intact = named.prepare(byName, reason) && named.write(byName, counted, reason);
        }
        if (intact) continue;
        ++damaged;
        std::fprintf(out, "%s%s: %s\n", linePrefix.c_str(), printable(entry.displayName).c_str(),
                     printable(reason).c_str());
    }
    if (!reader.damage().empty()) {
        ++damaged;
        std::fprintf(out, "%sdirectory: %s: entries may be missing\n", linePrefix.c_str(),
                     printable(reader.damage()).c_str());
    }
    const auto checked = static_cast<unsigned>(entries.size());
    std::fprintf(out, "%sChecked %u entr%s: %u %s\n", linePrefix.c_str(), checked,
                 checked == 1 ? "y" : "ies", damaged == 0 ? checked : damaged,
                 damaged == 0 ? "intact" : "damaged");
    if (damaged != 0)
        report(errors, libraryName, std::to_string(damaged) + " damaged, as listed above");
    return damaged == 0;
}

}  // namespace lorvex
