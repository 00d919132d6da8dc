#include "sync/SyncSources.h"

#include <algorithm>
#include <set>

#include "extract/ByteSink.h"
#include "extract/EntryLookup.h"
#include "extract/ExportWriter.h"
#include "library/EntryNames.h"
#include "library/LibraryReader.h"
#include "library/Report.h"
#include "platform/Platform.h"
#include "sync/SourceText.h"
#include "sync/SyncedFile.h"
#include "sync/TargetFile.h"

namespace lorvex {

namespace {

// Windows takes forward slashes too, so paths and messages are alike everywhere.
const std::string kSeparator = "/";
const std::string kTemporaryPrefix = ".lorvex-";  // see platform::createTemporaryFor

// A name in an object list: backslashes doubled, quotes and tildes escaped.
std::string quoted(const std::string& text) {
    std::string out = "\"";
    for (const char c : text) {
        if (c == '\\') {
            out += "\\\\";
        } else if (c == '"' || c == '~') {
            out += {'~', c};
        } else {
            out += c;
        }
    }
    return out + "\"";
}

// What is wrong with a source name as a file name in its folder, or null.
const char* unsafeName(const std::string& name) {
    if (name == "." || name == ".." || name.find_first_of("/\\:") != std::string::npos)
        return "its name would leave the folder";
    for (const char c : name)
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F)
            return "its name holds a control character";
    return platform::nameProblem(name);
}

// Names in a folder as the file system tells them apart.
std::string fileKey(const std::string& name) {
    const std::string listed = platform::nameAsListed(name);
    return platform::kNamesIgnoreCase ? foldedName(listed) : listed;
}

class LibrarySync {
public:
    LibrarySync(LibraryReader& reader, const std::string& path, const SyncOptions& options,
                const std::vector<platform::FileIdentity>& libraries, std::FILE* errors)
        : reader_(reader),
          path_(path),
          options_(options),
          libraries_(libraries),
          errors_(errors),
          codePage_(options.codePage),
          blocks_(reader.file().size(), DataBlock::kSize) {}

    // Exports the library's sources into folder and lists them in objectList.
    bool run(const std::string& folderName, const std::string& objectList, std::FILE* out) {
        const std::string folder = options_.output + kSeparator + folderName;
        if (!platform::makeFolders(folder))
            return failed(folder, "cannot create the folder: " + platform::lastError());
        // A folder that links elsewhere would take the exports, and the pruning, out of DIR.
        if (!platform::isPlainFolder(folder)) return failed(folder, "is a link, not a folder");
        // What the folder held before this run: for pruning, for leftovers, and
        // to write new files without first looking for them.
        listed_ = platform::listFolder(folder, present_);
        if (!listed_) failed(folder, "cannot be listed: " + platform::lastError());
        for (const std::string& name : present_) presentKeys_.insert(fileKey(name));
        const EntryLookup lookup(reader_, {}, true);
        std::set<std::string> names;
        bool everyName = true;  // a name that cannot be converted may be one in the folder
        std::string objects;
        std::uint32_t position = 0;
        for (bool more = reader_.rewind() && reader_.next(); more;
             more = reader_.next(), ++position) {
            CurrentEntry entry = reader_.current();
            std::string fileName = entry.displayName;
            std::size_t invalidAt = 0;
            const char* problem = nullptr;
            if (entry.kind != EntryKind::Source) continue;
            if (!names.insert(foldedName(entry.displayName)).second) {
                failed(entry.displayName, "has the name of an earlier source, letter case aside");
            } else if (reader_.generation() == Generation::SingleByte &&
                       options_.encoding != SourceEncoding::Native &&
                       !codePage_.toUtf8(entry.displayName, fileName, invalidAt)) {
                everyName = failed(entry.displayName,
                                   "its name: " + codePage_.whyInvalid(static_cast<unsigned char>(
                                                      entry.displayName[invalidAt])));
            } else if ((problem = unsafeName(fileName)) != nullptr) {
                failed(entry.displayName, problem);
            } else {
                files_.insert(fileKey(fileName));
                lookup.pair(entry, position, entry.displayName);
                // A source that fails keeps its file from an earlier run, and its place in the
                // list.
                if (exportSource(entry, folder, fileName) ||
                    presentKeys_.count(fileKey(fileName)) != 0)
                    objects += " " + quoted(folderName + "\\" + fileName) + " " +
                               quoted(fileNameOf(path_)) + ";\r\n";
            }
        }
        // Entries a damaged directory hides are still the library's: nothing is pruned for
        // them, and the object list keeps naming them.
        const bool whole = reader_.damage().empty();
        if (!whole)
            failed("directory", reader_.damage() + ": sources may be missing; nothing pruned");
        if (options_.prune && !everyName)
            failed(folder, "not pruned: the names of some sources are not known");
        tidy(folder, options_.prune && everyName && whole);
        const std::string list = "Save Format v3.0(19990112)\r\n@begin Libraries\r\n " +
                                 quoted(fileNameOf(path_)) +
                                 " \"\";\r\n@end;\r\n@begin Objects\r\n" + objects + "@end;\r\n";
        std::string reason;
        if (whole && syncFile(options_.output + kSeparator + objectList, list, std::nullopt,
                              libraries_, reason) == SyncResult::Failed)
            failed(objectList, reason);
        std::fprintf(out, "%s -> %s: %u written, %u unchanged, %u removed\n", path_.c_str(),
                     folder.c_str(), written_, unchanged_, removed_);
        return intact_;
    }

private:
    bool failed(const std::string& subject, const std::string& reason) {
        report(errors_, path_ + ": " + subject, reason);
        intact_ = false;
        return false;
    }

    bool exportSource(const CurrentEntry& entry, const std::string& folder,
                      const std::string& fileName) {
        StringSink exported;
        std::string reason;
        std::string encoded;
        if (!ExportWriter(reader_.file(), reader_.generation())
                 .write(entry, blocks_, exported, reason))
            return failed(entry.displayName, reason);
        if (!encodeSourceText(std::move(exported.bytes), reader_.generation(), options_.encoding,
                              codePage_, encoded, reason))
            return failed(entry.displayName, reason);
        switch (syncFile(folder + kSeparator + fileName, encoded, entry.modificationTime,
                         libraries_, reason,
                         !listed_ || presentKeys_.count(fileKey(fileName)) != 0)) {
            case SyncResult::Written:
                ++written_;
                return true;
            case SyncResult::Unchanged:
                ++unchanged_;
                return true;
            case SyncResult::Failed:
                break;
        }
        return failed(fileName, reason);
    }

    // Removes the temporary files an interrupted run left behind and, when
    // pruning, the export files (*.sr?) of sources the library no longer holds.
    void tidy(const std::string& folder, bool prune) {
        for (const std::string& name : present_) {
            const bool leftover = name.compare(0, kTemporaryPrefix.size(), kTemporaryPrefix) == 0;
            const bool stale = prune && name.size() > 4 && files_.count(fileKey(name)) == 0 &&
                               equalsIgnoringCase(name.substr(name.size() - 4, 3).c_str(), ".sr");
            if (!leftover && !stale) continue;
            if (!platform::removeFile(folder + kSeparator + name)) {
                failed(name, "cannot remove: " + platform::lastError());
            } else if (stale) {
                ++removed_;
            }
        }
    }

    LibraryReader& reader_;
    const std::string& path_;
    const SyncOptions& options_;
    const std::vector<platform::FileIdentity>& libraries_;
    std::FILE* errors_;
    CodePage codePage_;
    // Sources of one library may not share data blocks, so the folder holds
    // at most about twice the library's bytes.
    VisitedSet blocks_;
    std::set<std::string> files_;
    std::vector<std::string> present_;
    std::set<std::string> presentKeys_;
    bool listed_ = false;
    unsigned written_ = 0, unchanged_ = 0, removed_ = 0;
    bool intact_ = true;
};

}  // namespace

int syncSources(const SyncOptions& options, std::FILE* out, std::FILE* errors) {
    int code = 0;
    std::vector<std::string> libraries;
    for (const std::string& argument : options.libraries) {
        std::string error;
        if (!isTargetFile(argument)) {
            libraries.push_back(argument);
        } else if (!readTargetLibraries(argument, libraries, error)) {
            report(errors, argument, error);
            code = 2;
        }
    }
    // Every library of the run, so that no file written can replace one.
    std::vector<platform::FileIdentity> identities;
    for (const std::string& path : libraries) identities.push_back(platform::identityOfPath(path));
    std::vector<platform::FileIdentity> done;
    std::set<std::string> doneNames, folders, objectLists;
    for (const std::string& path : libraries) {
        LibraryReader reader;
        if (!reader.open(path)) {
            report(errors, path, reader.error());
            code = std::max(code, 2);
            continue;
        }
        // A library named twice, under any name, is exported once.
        const platform::FileIdentity& identity = reader.file().identity();
        if (std::any_of(
                done.begin(), done.end(),
                [&](const platform::FileIdentity& d) { return platform::sameFile(d, identity); }) ||
            !doneNames.insert(path).second)
            continue;
        done.push_back(identity);
        const std::string fileName = fileNameOf(path);
        const std::string objectList = fileName.substr(0, fileName.rfind('.')) + ".pbg";
        if (!folders.insert(foldedName(fileName)).second ||
            !objectLists.insert(foldedName(objectList)).second) {
            report(errors, path, "another library of this run has its file name; not exported");
            code = 4;
            continue;
        }
        if (!LibrarySync(reader, path, options, identities, errors)
                 .run(fileName + ".src", objectList, out))
            code = 4;
    }
    return code;
}

}  // namespace lorvex
