#include "sync/LibrarySync.h"

#include <algorithm>

#include "extract/ByteSink.h"
#include "extract/SourceExports.h"
#include "extract/SourceText.h"
#include "library/EntryNames.h"
#include "library/Report.h"
#include "sync/LineEnds.h"
#include "sync/ObjectList.h"
#include "sync/SourceFolder.h"

namespace lorvex {

namespace {

// Whether a source's file name is safe in its folder; reason says why not.
// Names that would leave the folder, control characters, and characters that
// turn the direction of text are refused; utf8 says the name is UTF-8.
bool isSafeName(const std::string& name, bool utf8, std::string& reason) {
    if (name == "." || name == ".." || name.find_first_of("/\\:") != std::string::npos)
        return (reason = "its name would leave the folder", false);
    for (std::size_t i = 0; i < name.size(); ++i) {
        const auto c = static_cast<unsigned char>(name[i]);
        const auto next = i + 1 < name.size() ? static_cast<unsigned char>(name[i + 1]) : 0;
        if (c < 0x20 || c == 0x7F || (utf8 && c == 0xC2 && next >= 0x80 && next <= 0x9F))
            return (reason = "its name holds a control character", false);
        if (utf8 && turnsDirection(name, i))
            return (reason = "its name holds a character that changes the direction of text",
                    false);
    }
    return platform::isStorableName(name, reason);
}

// Whether a file name is that of an export: "*.sr?", any letter case.
bool isExportName(const std::string& name) {
    return name.size() > 4 && equalsIgnoringCase(name.substr(name.size() - 4, 3).c_str(), ".sr");
}

}  // namespace

std::string underOutput(const std::string& output, const std::string& relative) {
    if (output.empty()) return relative;
    return output + (platform::isPathSeparator(output.back()) ? "" : "/") + relative;
}

LibrarySync::LibrarySync(LibraryReader& reader, const NamedLibrary& library, std::string folder,
                         bool objectList, const SyncRun& run)
    : reader_(reader),
      library_(library),
      folder_(std::move(folder)),
      path_(underOutput(run.options.output, folder_)),
      objectList_(objectList),
      run_(run),
      codePage_(run.options.codePage),
      files_(run.rules) {}

void LibrarySync::failed(const std::string& subject, const std::string& reason) {
    report_->errors.emplace_back(library_.path + ": " + subject, reason);
    report_->failed = true;
}

std::string LibrarySync::shown(const Source& source) const {
    return source.fileName.empty() ? source.entry.displayName : source.fileName;
}

std::string LibrarySync::key(const std::string& fileName) const {
    const std::string listed = platform::nameAsListed(fileName);
    return ignoresCase_ ? run_.caseFolder.fold(listed) : listed;
}

void LibrarySync::findSources() {
    const bool convert = reader_.generation() == Generation::SingleByte &&
                         run_.options.encoding != SourceEncoding::Native;
    reader_.forEachEntry([&](const CurrentEntry& entry, std::uint32_t position) {
        if (entry.kind != EntryKind::Source) return;
        Source source{entry, position, entry.displayName};
        std::size_t invalidAt = 0;
        if (convert && !codePage_.toUtf8(entry.displayName, source.fileName, invalidAt))
            source.fileName.clear();
        sources_.push_back(std::move(source));
    });
}

bool LibrarySync::prepareFolder() {
    std::string reason;
    const bool create = !run_.rules.dryRun;
    if (!makePlainFolders(run_.options.output, folder_, create, folderExists_, reason)) {
        report_->errors.emplace_back(library_.path, reason);
        report_->failed = true;
        return false;
    }
    // Runs into output folders that hold one another take turns here too.
    if (!run_.rules.dryRun &&
        !folderLock_.acquire(
            path_,
            [&] { report_->errors.emplace_back(path_, "waiting for another run into it to end"); },
            reason))
        report_->errors.emplace_back(
            path_, "cannot be locked, so a run beside this one could disturb it: " + reason);
    ignoresCase_ = platform::folderIgnoresCase(folderExists_ ? path_ : run_.options.output);
    // What the folder held before this run: for pruning, for leftovers, and
    // to write new files without first looking for them.
    if (folderExists_ && !platform::listFolder(path_, present_, reason)) {
        failed(path_, "cannot be listed: " + reason);
        return false;
    }
    // In name order, so that messages and dry runs come out the same every time.
    std::sort(present_.begin(), present_.end(),
              [](const platform::FolderItem& a, const platform::FolderItem& b) {
                  return a.name < b.name;
              });
    for (const platform::FolderItem& item : present_) presentKeys_.insert(key(item.name));
    return true;
}

void LibrarySync::checkNames() {
    const bool utf8 = reader_.generation() == Generation::UnicodeEra ||
                      run_.options.encoding != SourceEncoding::Native;
    for (std::size_t i = 0; i < sources_.size(); ++i) {
        Source& source = sources_[i];
        if (source.fileName.empty()) {
            const std::string& name = source.entry.displayName;
            std::size_t invalidAt = 0;
            std::string ignored;
            static_cast<void>(codePage_.toUtf8(name, ignored, invalidAt));
            failed(name, "its name: " +
                             codePage_.whyInvalid(static_cast<unsigned char>(name[invalidAt])));
            report_->advice.failed(name);
            everyName_ = false;
            continue;
        }
        std::string problem;
        // A name cut to its 99 bytes may have lost its extension, and could then
        // be taken for a temporary file or the object list.
        if (!isExportName(source.fileName))
            problem = "its name, cut to 99 bytes, no longer ends in .sr?";
        if (!problem.empty() || !isSafeName(source.fileName, utf8, problem)) {
            failed(shown(source), problem);
            source.fileName.clear();
            continue;
        }
        // Two sources whose names are one file to the file system: the first keeps it.
        const auto [taken, added] = keys_.emplace(key(source.fileName), i);
        if (!added) {
            // Named as stored: both may show as one name.
            failed(source.entry.displayName, "its file name " + source.fileName +
                                                 " is that of the earlier source " +
                                                 sources_[taken->second].entry.displayName);
            source.fileName.clear();
        }
    }
}

void LibrarySync::run(SyncReport& report) {
    report_ = &report;
    findSources();
    if (prepareFolder()) {
        checkNames();
        exportSources();
        // Entries a damaged directory hides, and sources whose names are not
        // known, are still the library's: nothing is pruned for them, and the
        // object list keeps naming them as it did.
        const bool whole = reader_.damage().empty();
        if (!whole)
            failed("directory", reader_.damage() + ": sources may be missing; nothing pruned");
        if (run_.options.prune && !everyName_)
            failed(path_, "not pruned: the names of some sources are not known");
        if (whole && everyName_ && objectList_) writeObjectList();
        tidy(run_.options.prune && everyName_ && whole);
    }
    summarize();
}

void LibrarySync::exportSources() {
    SourceExports exports(reader_);
    for (Source& source : sources_) {
        if (!source.fileName.empty()) exportSource(source, exports);
    }
}

void LibrarySync::summarize() {
    for (const Source& source : sources_) failures_ += source.exported ? 0 : 1;
    report_->lineEndsOnly = files_.lineEndsOnly();
    if (run_.rules.dryRun) return;
    report_->out += printable(library_.path) + " -> " + printable(path_) + ": " +
                    std::to_string(written_) + " written, " + std::to_string(unchanged_) +
                    " unchanged, " + std::to_string(removed_) + " removed" +
                    (failures_ != 0 ? ", " + std::to_string(failures_) + " failed" : "") + "\n";
}

void LibrarySync::exportSource(Source& source, SourceExports& exports) {
    const CurrentEntry& entry = source.entry;
    std::string reason;
    if (!exports.write(entry, source.position, exported_, reason))
        return failed(shown(source), reason);
    if (!encodeSourceText(exported_.bytes, reader_.generation(), run_.options.encoding, codePage_,
                          encoded_, reason)) {
        report_->advice.failed(exported_.bytes);
        return failed(shown(source), reason);
    }
    if (run_.options.lineEnds == LineEnds::Lf && !gitTakesForBinary(encoded_))
        toLfLineEnds(encoded_);
    const std::string file = underOutput(path_, source.fileName);
    const bool mayExist = !folderExists_ || presentKeys_.count(key(source.fileName)) != 0;
    switch (
        files_.sync(file, encoded_, entry.modificationTime, reason, folderExists_ && mayExist)) {
        case SyncResult::Written:
            ++written_;
            changed("write", file);
            source.exported = true;
            return;
        case SyncResult::Unchanged:
            ++unchanged_;
            source.exported = true;
            return;
        case SyncResult::Failed:
            return failed(source.fileName, reason);
    }
}

void LibrarySync::changed(const char* what, const std::string& file) {
    report_->changed = true;
    if (run_.rules.dryRun) report_->out += std::string(what) + " " + printable(file) + "\n";
}

void LibrarySync::writeObjectList() {
    // A source that fails keeps its place while its earlier file stays.
    std::vector<std::string> listed;
    for (const Source& source : sources_) {
        if (source.exported ||
            (!source.fileName.empty() && presentKeys_.count(key(source.fileName)) != 0))
            listed.push_back(source.fileName);
    }
    const std::string name = objectListName(library_.path);
    const std::string file = underOutput(path_, name);
    std::string reason;
    switch (files_.sync(file, objectListText(fileNameOf(library_.path), listed), std::nullopt,
                        reason, folderExists_)) {
        case SyncResult::Written:
            changed("write", file);
            break;
        case SyncResult::Unchanged:
            break;
        case SyncResult::Failed:
            ++failures_;
            failed(name, reason);
    }
}

// Removes the temporary files an interrupted run left behind and, when
// pruning, the exports (*.sr?) of sources the library no longer holds: plain
// files only, and never one the run reads.
void LibrarySync::tidy(bool prune) {
    for (const platform::FolderItem& item : present_) {
        const bool leftover = platform::isTemporaryName(item.name);
        const bool stale = prune && isExportName(item.name) && keys_.count(key(item.name)) == 0;
        if (!item.plainFile || (!leftover && !stale)) continue;
        const std::string file = underOutput(path_, item.name);
        if (run_.rules.isRead(platform::identityOfPath(file))) {
            ++failures_;
            failed(item.name, "not removed: it is a file this run reads");
            continue;
        }
        std::string reason;
        if (!run_.rules.dryRun && !platform::removeFile(file, reason)) {
            ++failures_;
            failed(item.name, "cannot remove: " + reason);
            continue;
        }
        changed("remove", file);
        removed_ += stale ? 1 : 0;
    }
}

}  // namespace lorvex
