#include "extract/ExportPlan.h"

#include <optional>

namespace lorvex {

namespace {

std::vector<std::string> namesToLookUp(ExportRules rules, const std::vector<std::string>& names) {
    return rules == ExportRules::ByName ? names : std::vector<std::string>{};
}

}  // namespace

ExportPlan::ExportPlan(LibraryReader& reader, ExportRules rules,
                       const std::vector<std::string>& names)
    : reader_(reader),
      rules_(rules),
      writer_(
          reader.file(), reader.generation(),
          rules == ExportRules::SourceControl ? ExportForm::SourceControl : ExportForm::Extraction),
      shared_(reader.file().size(), DataBlock::kSize),
      claims_(reader.file()),
      lookup_(rules == ExportRules::EveryEntry ? EntryLookup()
                                               : EntryLookup(reader, namesToLookUp(rules, names),
                                                             /*everyCompanion=*/names.empty())) {}

EntryExport ExportPlan::exportOf(const CurrentEntry& entry, std::uint32_t position,
                                 const std::string& request) const {
    EntryExport planned{entry, position, {}, false, false};
    if (rules_ != ExportRules::EveryEntry) planned.companion = lookup_.pair(position, request);
    return planned;
}

bool ExportPlan::find(const std::string& name, bool matched, EntryExport& found) const {
    CurrentEntry entry;
    std::uint32_t position = 0;
    if (!lookup_.find(name, entry, position)) return false;
    found = exportOf(entry, position, name);
    found.matched = matched;
    return true;
}

bool ExportPlan::prepare(EntryExport& planned, std::string& reason) {
    switch (rules_) {
        case ExportRules::EveryEntry:
            planned.sharesBlocks = true;
            return true;
        case ExportRules::ByName:
            // Each name a pattern matched is exported once under the shared
            // rules; the same name given again is a named export of its own.
            planned.sharesBlocks =
                planned.matched && matchedNames_.insert(planned.entry.displayName).second;
            break;
        case ExportRules::SourceControl:
            planned.sharesBlocks = true;
            break;
    }
    return !planned.sharesBlocks || planned.companion.firstBlock == 0 ||
           claims_.claim(planned.companion.firstBlock, reason);
}

bool ExportPlan::write(const EntryExport& planned, ByteSink& sink, std::string& reason) {
    // Each export's own blocks: a chain may not read one twice, and a
    // section is judged by them, as a named export judges it.
    std::optional<VisitedSet> own;
    if (!planned.sharesBlocks || planned.companion.firstBlock != 0)
        own.emplace(reader_.file().size(), DataBlock::kSize);
    VisitedSet& read = planned.sharesBlocks ? shared_ : *own;
    VisitedSet* section = planned.sharesBlocks && own ? &*own : nullptr;
    return writer_.write(planned.entry, planned.companion, read, sink, reason, section);
}

bool ExportPlan::comment(const CurrentEntry& entry, std::string& bytes, std::string& reason) {
    return writer_.readComment(entry, bytes, reason);
}

}  // namespace lorvex
