#pragma once

#include <string>
#include <unordered_map>
#include <unordered_set>
#include <utility>
#include <vector>

#include "extract/ByteSink.h"
#include "extract/SourceExports.h"
#include "library/CodePage.h"
#include "library/LibraryReader.h"
#include "platform/Platform.h"
#include "sync/CodePageAdvice.h"
#include "sync/ProjectFiles.h"
#include "sync/SyncSources.h"
#include "sync/SyncedFile.h"

namespace lorvex {

// What the libraries of one run share; none of it changes while they run.
struct SyncRun {
    const SyncOptions& options;
    SyncRules rules;
    platform::CaseFolder caseFolder;
};

// What one library's export says, kept until the run prints it in order.
struct SyncReport {
    std::string out;                                          // standard output
    std::vector<std::pair<std::string, std::string>> errors;  // subject and message
    bool failed = false;        // something could not be exported, written or removed
    bool changed = false;       // files were written or removed (or would be, in a dry run)
    bool unread = false;        // the library could not be read
    unsigned lineEndsOnly = 0;  // files that differ from their exports only in line ends
    CodePageAdvice advice;
};

// Exports every source of one library into its folder under the output
// folder, with the library's object list beside them where asked, touching only files
// whose bytes change; with pruning, also removes the exports of sources the
// library no longer holds. Nothing is removed or replaced that the run reads.
class LibrarySync {
public:
    // folder: where the sources go, relative to the output folder;
    // objectList: whether the library's object list goes there too.
    LibrarySync(LibraryReader& reader, const NamedLibrary& library, std::string folder,
                bool objectList, const SyncRun& run);

    // Walks the library for its sources, then exports them, saying how it
    // went in report.
    void run(SyncReport& report);

private:
    struct Source {
        CurrentEntry entry;
        std::uint32_t position;  // in iteration order
        std::string fileName;    // empty when the name cannot be converted
        bool exported = false;   // or unchanged
    };

    void failed(const std::string& subject, const std::string& reason);
    void findSources();
    [[nodiscard]] bool prepareFolder();
    void checkNames();
    void exportSources();
    void exportSource(Source& source, SourceExports& exports);
    void writeObjectList();
    void tidy(bool prune);
    void summarize();
    // Counts a file written or removed, and in a dry run says which.
    void changed(const char* what, const std::string& file);
    std::string key(const std::string& fileName) const;
    std::string shown(const Source& source) const;

    LibraryReader& reader_;
    const NamedLibrary& library_;
    const std::string folder_;  // relative to the output folder
    std::string path_;          // the folder's path, as messages show it
    const bool objectList_;
    const SyncRun& run_;
    platform::FolderLock folderLock_;  // on the library's folder while it is written
    CodePage codePage_;
    FileSyncer files_;
    SyncReport* report_ = nullptr;
    std::vector<Source> sources_;
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
    unsigned written_ = 0, unchanged_ = 0, removed_ = 0, failures_ = 0;
};

// The output folder joined with a path under it, with one separator.
std::string underOutput(const std::string& output, const std::string& relative);

}  // namespace lorvex
