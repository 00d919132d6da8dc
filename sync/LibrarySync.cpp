#include "sync/LibrarySync.h"

#include <algorithm>

#include "extract/ByteSink.h"
#include "extract/ExportPlan.h"
#include "library/EntryNames.h"
#include "sync/LineEnds.h"
#include "sync/ObjectList.h"
#include "sync/SourceFolder.h"
#include "sync/SourceNames.h"
#include "text/Report.h"
#include "text/SourceText.h"

namespace lorvex {

LibrarySync::LibrarySync(LibraryReader& reader, SyncJob& job, const SyncRun& run)
    : reader_(reader),
      job_(job),
      path_(underOutput(run.options.output, job.folder)),
      run_(run),
      codePage_(run.options.codePage),
      files_(run.rules),
      report_(job.report),
      sources_(job.sources) {}

void LibrarySync::failed(const std::string& subject, const std::string& reason) {
    report_.errors.emplace_back(job_.library.path + ": " + subject, reason);
    report_.failed = true;
}

std::string LibrarySync::shown(const PlannedSource& source) const {
    return source.fileName.empty() ? source.entry.displayName : source.fileName;
}

std::string LibrarySync::key(const std::string& fileName) const {
    const std::string listed = platform::nameAsListed(fileName);
    return ignoresCase_ ? run_.caseFolder.fold(listed) : listed;
}

const platform::Folder& LibrarySync::folder() const {
    return folderExists_ ? folders_.back() : none_;
}

bool LibrarySync::prepareFolder() {
    std::string reason;
    if (run_.output.isOpen() && !openFolders(run_.output, job_.folder, !run_.rules.dryRun, folders_,
                                             folderExists_, reason)) {
        report_.errors.emplace_back(job_.library.path, reason);
        report_.failed = true;
        return false;
    }
    // Whether names in other letter case are one file here: asked of the
    // folder, or in a dry run of the nearest one above it that is there.
    const platform::Folder& probed = !folders_.empty()      ? folders_.back()
                                     : run_.output.isOpen() ? run_.output
                                                            : run_.nearest;
    ignoresCase_ = run_.caseProbe.ignoresCase(probed, !run_.rules.dryRun);
    if (!folderExists_) return true;
    if (!lockFolder()) return false;
    // What the folder held before this run: for pruning, for leftovers, and
    // to write new files without first looking for them.
    if (!folder().list(present_, reason)) {
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

// Runs into output folders that hold one another take turns here too; two
// libraries of this run never lock one folder.
bool LibrarySync::lockFolder() {
    if (run_.rules.dryRun) return true;
    std::string holder, reason;
    if (!run_.ownLocks.claim(folder().identity(), job_.library.path, holder)) {
        failed(path_, "is the folder of " + holder + " too; not exported");
        return false;
    }
    const bool locked = folderLock_.acquire(
        folder(),
        [&] { report_.errors.emplace_back(path_, "waiting for another run into it to end"); },
        reason);
    if (!locked) {
        report_.errors.emplace_back(
            path_, "cannot be locked, so a run beside this one could disturb it: " + reason);
        report_.failed = true;
    }
    return true;
}

void LibrarySync::checkNames() {
    const bool utf8 = job_.generation == Generation::UnicodeEra ||
                      run_.options.encoding != SourceEncoding::Native;
    const std::size_t longestName = platform::longestName(path_);
    for (std::size_t i = 0; i < sources_.size(); ++i) {
        PlannedSource& source = sources_[i];
        if (source.fileName.empty()) {
            const std::string& name = source.entry.displayName;
            std::size_t invalidAt = 0;
            std::string ignored;
            static_cast<void>(codePage_.toUtf8(name, ignored, invalidAt));
            failed(name, "its name: " +
                             codePage_.whyInvalid(static_cast<unsigned char>(name[invalidAt])));
            report_.advice.failed(name);
            everyName_ = false;
            continue;
        }
        std::string problem;
        // A name cut to its 99 bytes may have lost its extension, and could then
        // be taken for a temporary file or the object list.
        if (!isExportName(source.fileName))
            problem = "its name, cut to 99 bytes, no longer ends in .sr?";
        if (!problem.empty() || !isSafeName(source.fileName, utf8, problem) ||
            !fitsNameLimits(longestName, source.fileName, problem)) {
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

void LibrarySync::run() {
    if (prepareFolder()) {
        checkNames();
        exportSources();
        // Entries a damaged directory hides, and sources whose names are not
        // known, are still the library's: nothing is pruned for them, and the
        // object list keeps naming them as it did.
        const std::string& damage = job_.damage.empty() ? reader_.damage() : job_.damage;
        if (!damage.empty())
            failed("directory", damage + ": sources may be missing; nothing pruned");
        if (run_.options.prune && !everyName_)
            failed(path_, "not pruned: the names of some sources are not known");
        if (damage.empty() && everyName_ && job_.objectList) writeObjectList();
        tidy(run_.options.prune && everyName_ && damage.empty());
    }
    summarize();
}

void LibrarySync::exportSources() {
    ExportPlan plan(reader_, ExportRules::SourceControl);
    for (PlannedSource& source : sources_) {
        if (!source.fileName.empty()) exportSource(source, plan);
    }
}

// The summary counts sources; what else fails is on standard error.
void LibrarySync::summarize() {
    const auto failures =
        std::count_if(sources_.begin(), sources_.end(),
                      [](const PlannedSource& source) { return !source.exported; });
    report_.lineEndsOnly = files_.lineEndsOnly();
    if (run_.rules.dryRun) return;
    report_.out += printable(job_.library.path) + " -> " + printable(path_) + ": " +
                   std::to_string(written_) + " written, " + std::to_string(unchanged_) +
                   " unchanged, " + std::to_string(removed_) + " removed" +
                   (failures != 0 ? ", " + std::to_string(failures) + " failed" : "") + "\n";
}

void LibrarySync::exportSource(PlannedSource& source, ExportPlan& plan) {
    const CurrentEntry& entry = source.entry;
    std::string reason;
    EntryExport planned = plan.exportOf(entry, source.position, entry.displayName);
    exported_.bytes.clear();
    if (!plan.prepare(planned, reason) || !plan.write(planned, exported_, reason))
        return failed(shown(source), reason);
    if (!encodeSourceText(exported_.bytes, exportedText(reader_.generation()),
                          run_.options.encoding, codePage_, encoded_, reason)) {
        report_.advice.failed(exported_.bytes);
        return failed(shown(source), reason);
    }
    if (run_.options.lineEnds == LineEnds::Lf && !gitTakesForBinary(encoded_))
        toLfLineEnds(encoded_);
    const bool mayExist = presentKeys_.count(key(source.fileName)) != 0;
    switch (files_.sync(folder(), source.fileName, encoded_, entry.modificationTime, reason,
                        mayExist)) {
        case SyncResult::Written:
            ++written_;
            changed("write", source.fileName);
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

void LibrarySync::changed(const char* what, const std::string& name) {
    report_.changed = true;
    if (run_.rules.dryRun)
        report_.out += std::string(what) + " " + printable(underOutput(path_, name)) + "\n";
}

void LibrarySync::writeObjectList() {
    // A source that fails keeps its place while its earlier file stays.
    std::vector<std::string> listed;
    for (const PlannedSource& source : sources_) {
        if (source.exported ||
            (!source.fileName.empty() && presentKeys_.count(key(source.fileName)) != 0))
            listed.push_back(source.fileName);
    }
    const std::string name = objectListName(job_.library.path);
    std::string reason;
    switch (files_.sync(folder(), name, objectListText(fileNameOf(job_.library.path), listed),
                        std::nullopt, reason, presentKeys_.count(key(name)) != 0)) {
        case SyncResult::Written:
            changed("write", name);
            break;
        case SyncResult::Unchanged:
            break;
        case SyncResult::Failed:
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
        const platform::FileIdentity identity = folder().look(item.name).identity;
        if (run_.rules.isRead(identity)) {
            failed(item.name, "not removed: it is a file this run reads");
            continue;
        }
        // A file system that folds names further than the tool makes the
        // file of a source out of an older name: it stays.
        if (stale && isExported(identity)) continue;
        std::string reason;
        if (!run_.rules.dryRun && !folder().remove(item.name, reason)) {
            failed(item.name, "cannot remove: " + reason);
            continue;
        }
        changed("remove", item.name);
        removed_ += stale ? 1 : 0;
    }
}

bool LibrarySync::isExported(const platform::FileIdentity& identity) {
    if (!exportedFiles_) {
        exportedFiles_.emplace();
        for (const PlannedSource& source : sources_)
            if (source.exported) exportedFiles_->push_back(folder().look(source.fileName).identity);
    }
    return std::any_of(
        exportedFiles_->begin(), exportedFiles_->end(),
        [&](const platform::FileIdentity& file) { return sameFile(file, identity); });
}

}  // namespace lorvex
