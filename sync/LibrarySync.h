#pragma once

#include <optional>
#include <string>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "extract/ByteSink.h"
#include "extract/ExportPlan.h"
#include "library/LibraryReader.h"
#include "platform/Folder.h"
#include "platform/Platform.h"
#include "sync/SyncJobs.h"
#include "sync/SyncRun.h"
#include "sync/SyncedFile.h"
#include "text/CodePage.h"

namespace lorvex {

// Exports every source of one library into its folder under the output
// folder, with the library's object list beside them where asked, touching
// only files whose bytes change; with pruning, also removes the exports of
// sources the library no longer holds. Every folder from the output folder
// down is held open while it works, and every file is written, renamed and
// removed through its folder. Nothing is removed or replaced that the run reads.
class LibrarySync {
public:
    // The job planned for the library (its sources, folder and object list),
    // whose report it fills.
    LibrarySync(LibraryReader& reader, SyncJob& job, const SyncRun& run);

    void run();

private:
    void failed(const std::string& subject, const std::string& reason);
    [[nodiscard]] bool prepareFolder();
    [[nodiscard]] bool lockFolder();
    void checkNames();
    void exportSources();
    void exportSource(PlannedSource& source, ExportPlan& plan);
    void writeObjectList();
    void tidy(bool prune);
    [[nodiscard]] bool isExported(const platform::FileIdentity& identity);
    void summarize();
    // Counts a file written or removed, and in a dry run says which.
    void changed(const char* what, const std::string& name);
    std::string key(const std::string& fileName) const;
    std::string shown(const PlannedSource& source) const;
    // The folder the files go in: open, but in a dry run into a folder not there.
    const platform::Folder& folder() const;

    LibraryReader& reader_;
    SyncJob& job_;
    const std::string path_;  // the folder's path, as messages show it
    const SyncRun& run_;
    std::vector<platform::Folder> folders_;  // from the output folder down to the library's
    platform::Folder none_;                  // where the library's folder is not there
    platform::FolderLock folderLock_;        // on the library's folder while it is written
    CodePage codePage_;
    FileSyncer files_;
    SyncReport& report_;
    std::vector<PlannedSource>& sources_;
    // One source's export and its encoded text, kept for the next source.
    StringSink exported_;
    std::string encoded_;
    // The file names the sources take, as the folder compares them, with the
    // source that takes each.
    std::unordered_map<std::string, std::size_t> keys_;
    std::vector<platform::FolderItem> present_;  // what the folder held before the run
    std::unordered_set<std::string> presentKeys_;
    bool folderExists_ = false;
    bool ignoresCase_ = false;
    bool everyName_ = true;  // whether every source's file name is known
    // The files of the sources exported, looked up when pruning first needs them.
    std::optional<std::vector<platform::FileIdentity>> exportedFiles_;
    unsigned written_ = 0, unchanged_ = 0, removed_ = 0;
};

}  // namespace lorvex
