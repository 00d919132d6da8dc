#include "print/PrintSources.h"

#include <algorithm>
#include <cstring>
#include <unordered_map>

#include "extract/ExportPlan.h"
#include "extract/ExtractEntries.h"
#include "extract/SourceOrder.h"
#include "library/EntryNames.h"
#include "library/LibraryReader.h"
#include "platform/Platform.h"
#include "print/Crc32.h"
#include "text/CodePage.h"
#include "text/Report.h"
#include "text/SourceText.h"

namespace lorvex {

namespace {

// One entry as the pass over the library met it, and what is printed for it.
struct Item {
    CurrentEntry entry;
    std::uint32_t position = 0;  // in library order
    std::string name;            // its display name as UTF-8 when it converts whole, else as stored
    bool selected = false;
    std::string printed;     // a source's text, or the line in its place
    std::size_t skip = 0;    // bytes of printed that are not printed: a byte order mark
    std::uint32_t crc = 0;   // of a resource's bytes
    bool readWhole = true;   // a resource, as an extraction reads it
    std::string whyNotRead;  // and when it is not, why
};

class LibraryPrint {
public:
    LibraryPrint(LibraryReader& reader, const PrintOptions& options, std::FILE* out,
                 std::FILE* errors)
        : reader_(reader),
          options_(options),
          out_(out),
          errors_(errors),
          codePage_(options.codePage) {}

    Outcome run() {
        reader_.forEachEntry([&](const CurrentEntry& entry, std::uint32_t position) {
            items_.emplace_back();
            items_.back().entry = entry;
            items_.back().position = position;
            items_.back().name = nameOf(entry);
        });
        select();
        writeSources();
        writeObjects();
        if (!reader_.damage().empty()) {
            const std::string line = "directory: " + reader_.damage() + ": entries may be missing";
            report(errors_, options_.library, line);
            write(printable(line) + "\n");
            damaged_ = true;
        }
        return Outcome{/*unopened=*/false, /*failed=*/damaged_};
    }

private:
    std::string nameOf(const CurrentEntry& entry) {
        std::string utf8;
        std::size_t invalidAt = 0;
        if (reader_.generation() == Generation::SingleByte &&
            codePage_.toUtf8(entry.displayName, utf8, invalidAt))
            return utf8;
        return entry.displayName;
    }

    // Every entry, or those the names select as -e selects them: each name
    // the first entry of that display name, ignoring letter case.
    void select() {
        const std::vector<std::string>& names = options_.names;
        const bool all = names.empty() || names.front() == "*.*";
        std::unordered_map<std::string, std::size_t> firsts;
        for (std::size_t i = 0; i < items_.size(); ++i) {
            items_[i].selected = all;
            if (!all) firsts.try_emplace(foldedName(items_[i].entry.displayName), i);
        }
        if (all) return;
        for (const NameRequest& request : expandPatterns(reader_, names)) {
            const auto found = firsts.find(foldedName(request.name));
            if (found != firsts.end()) {
                items_[found->second].selected = true;
            } else {
                report(errors_, request.name, "not found in " + options_.library);
            }
        }
    }

    // Exports the sources as -s does, in library order up to the last one
    // selected, and writes those selected in the object list's order.
    void writeSources() {
        std::vector<std::pair<std::string, Item*>> sources;
        for (Item& item : items_) {
            if (item.selected && item.entry.kind == EntryKind::Source)
                sources.emplace_back(objectListKey(item.name), &item);
        }
        if (sources.empty()) return;
        ExportPlan plan(reader_, ExportRules::SourceControl);
        StringSink exported;
        std::string reason;
        for (Item& item : items_) {
            if (item.entry.kind != EntryKind::Source) continue;
            EntryExport planned = plan.exportOf(item.entry, item.position, item.entry.displayName);
            exported.bytes.clear();
            const bool intact =
                plan.prepare(planned, reason) && plan.write(planned, exported, reason);
            if (!item.selected) continue;
            if (intact) {
                convert(exported.bytes, item);
            } else {
                damaged(item, reason);
            }
            if (&item == sources.back().second) break;
        }
        std::stable_sort(sources.begin(), sources.end(),
                         [](const auto& a, const auto& b) { return a.first < b.first; });
        for (const auto& source : sources)
            write(source.second->printed.data() + source.second->skip,
                  source.second->printed.size() - source.second->skip);
    }

    // As -s writes it in utf8, or as stored when it does not convert whole,
    // with a line end of its own.
    void convert(const std::string& exported, Item& item) {
        std::string reason;
        item.skip = 3;  // the byte order mark
        if (!encodeSourceText(exported, exportedText(reader_.generation()), SourceEncoding::Utf8,
                              codePage_, item.printed, reason)) {
            item.printed = exported;
            item.skip = 0;
        }
        if (item.printed.size() == item.skip || item.printed.back() != '\n') item.printed += "\r\n";
    }

    void damaged(Item& item, const std::string& reason) {
        report(errors_, options_.library, item.name + ": " + reason);
        item.printed = printable(item.name) + ": " + printable(reason) + "\n";
        item.skip = 0;
        damaged_ = true;
    }

    // Resources are read as an extraction of all entries reads them: with
    // every entry before them in library order, in one set of blocks, so that
    // a resource running into an earlier entry's blocks is damaged here too.
    void readResources() {
        const auto isSelectedResource = [](const Item& item) {
            return item.selected && item.entry.kind == EntryKind::Resource;
        };
        const auto last = std::find_if(items_.rbegin(), items_.rend(), isSelectedResource).base();
        if (last == items_.begin()) return;
        ExportPlan plan(reader_, ExportRules::EveryEntry);
        for (auto item = items_.begin(); item != last; ++item) {
            Crc32Sink crc;
            CountingSink counted;
            ByteSink& sink = isSelectedResource(*item) ? static_cast<ByteSink&>(crc) : counted;
            EntryExport planned =
                plan.exportOf(item->entry, item->position, item->entry.displayName);
            std::string reason;
            item->readWhole = plan.prepare(planned, reason) && plan.write(planned, sink, reason);
            item->whyNotRead = reason;
            item->crc = crc.value();
        }
    }

    // A line for each compiled object and resource selected, by display name:
    // its bytes as -l gives them, and for a resource the CRC-32 of the bytes
    // an extraction writes.
    void writeObjects() {
        readResources();
        std::vector<Item*> objects;
        for (Item& item : items_) {
            if (item.selected && item.entry.kind != EntryKind::Source) objects.push_back(&item);
        }
        std::stable_sort(objects.begin(), objects.end(), [](const Item* a, const Item* b) {
            return std::strcmp(a->entry.displayName, b->entry.displayName) < 0;
        });
        const bool wide = reader_.generation() == Generation::UnicodeEra;
        for (Item* item : objects) {
            const CurrentEntry& entry = item->entry;
            const std::uint32_t comment = (wide ? 2U : 1U) * entry.commentLength;
            std::string line = printable(item->name) + "\t" +
                               std::to_string(entry.dataSize - std::min(entry.dataSize, comment));
            if (entry.kind == EntryKind::Resource && !item->readWhole) {
                damaged(*item, item->whyNotRead);
                line = item->printed;
            } else if (entry.kind == EntryKind::Resource) {
                char digits[9];
                std::snprintf(digits, sizeof digits, "%08x", static_cast<unsigned>(item->crc));
                line += std::string("\t") + digits + "\n";
            } else {
                line += "\n";
            }
            write(line);
        }
    }

    void write(const char* bytes, std::size_t count) { std::fwrite(bytes, 1, count, out_); }
    void write(const std::string& text) { write(text.data(), text.size()); }

    LibraryReader& reader_;
    const PrintOptions& options_;
    std::FILE* out_;
    std::FILE* errors_;
    CodePage codePage_;
    std::vector<Item> items_;
    bool damaged_ = false;
};

}  // namespace

Outcome printSources(const PrintOptions& options, std::FILE* out, std::FILE* errors) {
    LibraryReader reader;
    std::string reason;
    if (!reader.open(options.library, reason)) {
        report(errors, options.library, reason);
        return Outcome{/*unopened=*/true};
    }
    // Sources keep their CR LF line ends, and the bytes of single-byte text
    // that does not convert, on every platform.
    platform::setBinaryMode(out);
    return LibraryPrint(reader, options, out, errors).run();
}

}  // namespace lorvex
