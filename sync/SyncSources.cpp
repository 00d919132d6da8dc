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

std::string folded(const std::string& name) {
    std::string result;
    for (const char c : name) result += foldAscii(c);
    return result;
}

std::string fileNameOf(const std::string& path) {
    const std::size_t slash = path.find_last_of("/\\");
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

// A name in an object list: backslashes doubled, quotes and tildes escaped.
std::string quoted(const std::string& text) {
    std::string out = "\"";
    for (const char c : text) {
        if (c == '\\')
            out += "\\\\";
        else if (c == '"' || c == '~')
            out += {'~', c};
        else
            out += c;
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

class LibrarySync {
public:
    LibrarySync(LibraryReader& reader, const std::string& path, const SyncOptions& options,
                std::FILE* errors)
        : reader_(reader),
          path_(path),
          options_(options),
          errors_(errors),
          blocks_(reader.file().size(), DataBlock::kSize) {}

    // Exports the library's sources into folder and lists them in objectList.
    bool run(const std::string& folderName, const std::string& objectList, std::FILE* out) {
        const std::string folder = options_.output + kSeparator + folderName;
        if (!platform::makeFolders(folder))
            return failed(folder, "cannot create the folder: " + platform::lastError());
        const EntryLookup lookup(reader_, {}, true);
        std::set<std::string> names;
        bool everyName = true;  // a name that cannot be converted may be one in the folder
        std::string objects;
        for (bool more = reader_.rewind() && reader_.next(); more; more = reader_.next()) {
            if (reader_.current().kind != EntryKind::Source) continue;
            CurrentEntry entry = reader_.current();
            std::string fileName = entry.displayName;
            std::string reason;
            const char* problem = nullptr;
            if (!names.insert(folded(entry.displayName)).second) {
                failed(entry.displayName, "has the name of an earlier source, letter case aside");
            } else if (reader_.generation() == Generation::SingleByte &&
                       options_.encoding != SourceEncoding::Native &&
                       !singleByteToUtf8(entry.displayName, options_.codePage, fileName, reason)) {
                everyName = failed(entry.displayName, "its name " + reason);
            } else if ((problem = unsafeName(fileName)) != nullptr) {
                failed(entry.displayName, problem);
            } else {
                files_.insert(folded(fileName));
                if (lookup.find(entry.displayName, entry) && exportSource(entry, folder, fileName))
                    objects += " " + quoted(folderName + "\\" + fileName) + " " +
                               quoted(fileNameOf(path_)) + ";\r\n";
            }
        }
        if (options_.prune && !everyName)
            failed(folder, "not pruned: the names of some sources are not known");
        tidy(folder, options_.prune && everyName);
        const std::string list = "Save Format v3.0(19990112)\r\n@begin Libraries\r\n " +
                                 quoted(fileNameOf(path_)) +
                                 " \"\";\r\n@end;\r\n@begin Objects\r\n" + objects + "@end;\r\n";
        std::string reason;
        if (syncFile(options_.output + kSeparator + objectList, list, std::nullopt, reason) ==
            SyncResult::Failed)
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
        if (!encodeSourceText(exported.bytes, reader_.generation(), options_.encoding,
                              options_.codePage, encoded, reason))
            return failed(entry.displayName, "its text " + reason);
        switch (syncFile(folder + kSeparator + fileName, encoded, entry.modificationTime, reason)) {
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
        std::vector<std::string> present;
        platform::listFolder(folder, present);
        for (const std::string& name : present) {
            const bool leftover = name.compare(0, 8, ".lorvex-") == 0;
            const bool stale = prune && name.size() > 4 && files_.count(folded(name)) == 0 &&
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
    std::FILE* errors_;
    // Sources of one library may not share data blocks, so the folder holds
    // at most about twice the library's bytes.
    VisitedSet blocks_;
    std::set<std::string> files_;
    unsigned written_ = 0, unchanged_ = 0, removed_ = 0;
    bool intact_ = true;
};

}  // namespace

int syncSources(const SyncOptions& options, std::FILE* out, std::FILE* errors) {
    int code = 0;
    std::vector<std::string> libraries;
    for (const std::string& argument : options.libraries) {
        std::string error;
        if (isTargetFile(argument) && !readTargetLibraries(argument, libraries, error)) {
            report(errors, argument, error);
            code = 2;
        } else if (!isTargetFile(argument)) {
            libraries.push_back(argument);
        }
    }
    std::vector<platform::FileIdentity> done;
    std::set<std::string> doneNames;
    std::set<std::string> folders;
    std::set<std::string> objectLists;
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
        if (!folders.insert(folded(fileName)).second ||
            !objectLists.insert(folded(objectList)).second) {
            report(errors, path, "another library of this run has its file name; not exported");
            code = 4;
            continue;
        }
        if (!LibrarySync(reader, path, options, errors).run(fileName + ".src", objectList, out))
            code = 4;
    }
    return code;
}

}  // namespace lorvex
