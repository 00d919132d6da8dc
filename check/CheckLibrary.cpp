#include "check/CheckLibrary.h"

#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "extract/EntryLookup.h"
#include "extract/ExportWriter.h"
#include "extract/OutputFile.h"
#include "library/BlockTags.h"
#include "library/DataChain.h"
#include "library/EntryNames.h"
#include "library/Report.h"
#include "platform/Platform.h"

namespace lorvex {

namespace {

// The entries' chains as an extraction of all entries reads them: a block an
// earlier entry read is a revisit. Each block keeps its reader's position + 1.
struct ReadOnce {
    BlockTags& readers;
    std::uint32_t reader;
    bool firstVisit(std::uint64_t offset) {
        std::uint32_t* tag = readers.at(offset);
        if (tag == nullptr || *tag != 0) return false;
        *tag = reader;
        return true;
    }
};

// A companion's chain read alone, once for all the sources it pairs with.
struct CompanionChain {
    ChainEnd end;
    std::uint64_t held = 0;
    bool meetsAnother = false;          // it ran into the chain of another companion
    std::vector<std::uint32_t> blocks;  // in chain order
};

// Marks a companion's blocks with its walk; a walk stops at a block another
// walk marked, so no block is walked twice.
struct WalkAlone {
    BlockTags& walks;
    std::uint32_t walk;
    CompanionChain& chain;
    bool firstVisit(std::uint64_t offset) {
        std::uint32_t* tag = walks.at(offset);
        chain.meetsAnother = tag != nullptr && *tag != 0 && *tag != walk;
        if (tag == nullptr || *tag != 0) return false;
        *tag = walk;
        chain.blocks.push_back(static_cast<std::uint32_t>(offset));
        return true;
    }
};

class Checker {
public:
    explicit Checker(LibraryReader& reader)
        : lookup_(reader, {}, true),
          file_(reader.file()),
          readers_(file_.size()),
          walks_(file_.size()) {}

    // What is wrong with the entry at position, or empty: its chain as an
    // extraction of all entries reads it, then, for the source a request of its
    // name with the extension in lower case exports, that export's section.
    std::string damage(const CurrentEntry& entry, std::uint32_t position) {
        ReadOnce once{readers_, position + 1};
        const ChainEnd end = walkChain(file_, entry.firstBlock, once,
                                       [](const unsigned char*, std::size_t) { return true; });
        std::string request = entry.displayName;
        for (std::size_t i = request.size() >= 3 ? request.size() - 3 : 0; i < request.size(); ++i)
            request[i] = foldAscii(request[i]);
        // A later source of the same name, letter case aside, is exported by no
        // request: its name exports the first.
        const bool paired = entry.kind == EntryKind::Source && isPairedRequest(request) &&
                            firstOfName_.insert(foldedName(request)).second;
        const std::string name =
            whyNeverCreatable(entry.displayName + baseNameOffset(entry.displayName));
        if (!name.empty()) return name;
        if (!end.complete()) return end.describe(file_.size());
        if (!paired) return {};
        CurrentEntry source = entry;
        const std::uint32_t companion = lookup_.pair(source, position, request);
        if (source.companionFirstBlock == 0) return {};
        return section(source, companion, position + 1);
    }

private:
    // The section of source, whose own blocks are those read by reader: a
    // named export reads the companion after them with the same visited set.
    std::string section(const CurrentEntry& source, std::uint32_t companion, std::uint32_t reader) {
        const std::uint32_t size = source.companionSize;
        std::string damage =
            ExportWriter::sectionDamage(source.displayName, size, file_.size(), ChainEnd{}, size);
        if (!damage.empty()) return damage;
        const auto [found, fresh] = companions_.try_emplace(companion);
        CompanionChain& chain = found->second;
        if (fresh) {
            WalkAlone alone{walks_, companion + 1, chain};
            chain.end = walkChain(file_, source.companionFirstBlock, alone,
                                  [&chain](const unsigned char*, std::size_t used) {
                                      chain.held += used;
                                      return true;
                                  });
        }
        for (const std::uint32_t block : chain.blocks) {
            const std::uint32_t* tag = readers_.at(block);
            if (tag != nullptr && *tag == reader)
                return ExportWriter::sectionDamage(source.displayName, size, file_.size(),
                                                   ChainEnd{ChainEnd::Revisited, block}, 0);
        }
        // Beyond a block another companion shares, the export may well succeed;
        // the sharing itself is the damage of one of the two entries.
        if (chain.meetsAnother) return {};
        return ExportWriter::sectionDamage(source.displayName, size, file_.size(), chain.end,
                                           chain.held);
    }

    const EntryLookup lookup_;
    LibraryFile& file_;
    BlockTags readers_;  // for each block, the entry whose chain read it
    BlockTags walks_;    // for each block, the companion whose walk read it
    std::unordered_map<std::uint32_t, CompanionChain> companions_;  // by position
    std::unordered_set<std::string> firstOfName_;  // folded names of paired sources
};

}  // namespace

bool checkLibrary(LibraryReader& reader, const std::string& libraryName,
                  const std::string& linePrefix, std::FILE* out, std::FILE* errors) {
    Checker checker(reader);
    std::uint32_t checked = 0;
    unsigned damaged = 0;
    reader.forEachEntry([&](const CurrentEntry& entry, std::uint32_t position) {
        ++checked;
        const std::string reason = checker.damage(entry, position);
        if (reason.empty()) return;
        ++damaged;
        std::fprintf(out, "%s%s: %s\n", linePrefix.c_str(), printable(entry.displayName).c_str(),
                     printable(reason).c_str());
    });
    if (!reader.damage().empty()) {
        ++damaged;
        std::fprintf(out, "%sdirectory: %s: entries may be missing\n", linePrefix.c_str(),
                     printable(reader.damage()).c_str());
    }
    std::fprintf(out, "%sChecked %u entr%s: %u %s\n", linePrefix.c_str(), checked,
                 checked == 1 ? "y" : "ies", damaged == 0 ? checked : damaged,
                 damaged == 0 ? "intact" : "damaged");
    if (damaged != 0)
        report(errors, libraryName, std::to_string(damaged) + " damaged, as listed above");
    return damaged == 0;
}

}  // namespace lorvex
