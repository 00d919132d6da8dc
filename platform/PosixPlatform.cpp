// The build picks this file everywhere but Windows; there it compiles to nothing.
#ifndef _WIN32

#include <fcntl.h>
#include <iconv.h>
#include <locale.h>
#include <pthread.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>
#include <wctype.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstring>

#include "platform/Platform.h"
#include "platform/PosixCalls.h"

namespace lorvex::platform {

using posix::failed;
using posix::identityOf;

bool openForReading(const std::string& path, int& descriptor, std::string& reason) {
    // Non-blocking, so that a pipe without writer cannot hang the open.
    descriptor = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    struct stat status {};
    if (descriptor < 0) return failed(reason);
    if (fstat(descriptor, &status) == 0 && S_ISREG(status.st_mode)) {
        fcntl(descriptor, F_SETFL, fcntl(descriptor, F_GETFL) & ~O_NONBLOCK);
        return true;
    }
    ::close(descriptor);
    descriptor = -1;
    reason = S_ISDIR(status.st_mode) ? std::strerror(EISDIR) : "is not a regular file";
    return false;
}

FileIdentity identityOfPath(const std::string& path) {
    struct stat status {};
    return stat(path.c_str(), &status) == 0 ? identityOf(status) : FileIdentity{};
}

bool fileSizeOf(int descriptor, std::uint64_t& size, std::string& reason) {
    struct stat status {};
    if (fstat(descriptor, &status) != 0) return failed(reason);
    if (status.st_size < 0) {
        reason = "has no size";
        return false;
    }
    size = static_cast<std::uint64_t>(status.st_size);
    return true;
}

FileIdentity identityOf(int descriptor) {
    struct stat status {};
    return fstat(descriptor, &status) == 0 ? identityOf(status) : FileIdentity{};
}

std::size_t readAt(int descriptor, std::uint64_t offset, void* destination, std::size_t n) {
    std::size_t done = 0;
    while (done < n) {
        const ssize_t got = pread(descriptor, static_cast<char*>(destination) + done, n - done,
                                  static_cast<off_t>(offset + done));
        if (got < 0 && errno == EINTR) continue;
        if (got <= 0) break;
        done += static_cast<std::size_t>(got);
    }
    return done;
}

bool writeAll(int descriptor, const void* bytes, std::size_t count, std::string& reason) {
    const auto* cursor = static_cast<const unsigned char*>(bytes);
    while (count > 0) {
        const ssize_t written = ::write(descriptor, cursor, count);
        if (written < 0 && errno == EINTR) continue;
        if (written <= 0) {
            if (written == 0) errno = ENOSPC;
            return failed(reason);
        }
        cursor += written;
        count -= static_cast<std::size_t>(written);
    }
    return true;
}

bool setModificationTime(int descriptor, std::uint32_t secondsSince1970, std::string& reason) {
    const struct timespec times[2] = {{static_cast<time_t>(secondsSince1970), 0},
                                      {static_cast<time_t>(secondsSince1970), 0}};
    return futimens(descriptor, times) == 0 || failed(reason);
}

bool closeFile(int descriptor, std::string& reason) {
    return ::close(descriptor) == 0 || failed(reason);
}

void abandonFile(int descriptor) {
    ::close(descriptor);
}

bool isFolder(const std::string& path) {
    struct stat status {};
    return stat(path.c_str(), &status) == 0 && S_ISDIR(status.st_mode);
}

std::string nameAsListed(const std::string& name) {
    return name;
}

bool makeFolder(const std::string& path, std::string& reason) {
    if (::mkdir(path.c_str(), 0777) == 0) return true;
    if (errno != EEXIST) return failed(reason);
    if (isFolder(path)) return true;
    reason = path + " is not a folder";
    return false;
}

bool exists(const std::string& path) {
    struct stat status {};
    return lstat(path.c_str(), &status) == 0;
}

std::string currentFolder() {
    std::vector<char> buffer(4096);
    while (getcwd(buffer.data(), buffer.size()) == nullptr) {
        if (errno != ERANGE || buffer.size() > (1U << 20)) return "";
        buffer.resize(buffer.size() * 2);
    }
    return buffer.data();
}

bool isAbsolutePath(const std::string& path) {
    return !path.empty() && path[0] == '/';
}

bool isPathSeparator(char c) {
    return c == '/';
}

void letFailedWritesReturn() {
    signal(SIGPIPE, SIG_IGN);
    signal(SIGXFSZ, SIG_IGN);
}

namespace {

void* runBody(void* body) {
    const auto& run = *static_cast<const ThreadBody*>(body);
    run.function(run.argument);
    return nullptr;
}

}  // namespace

void setBinaryMode(std::FILE*) {}  // every stream writes bytes as they are here

bool Thread::start(void (*function)(void*), void* argument) {
    static_assert(sizeof(pthread_t) <= sizeof handle_, "a thread's id fits its handle");
    join();
    body_ = ThreadBody{function, argument};
    pthread_t thread;
    started_ = pthread_create(&thread, nullptr, runBody, &body_) == 0;
    if (started_) std::memcpy(&handle_, &thread, sizeof thread);
    return started_;
}

void Thread::join() {
    pthread_t thread;
    std::memcpy(&thread, &handle_, sizeof thread);
    if (started_) pthread_join(thread, nullptr);
    started_ = false;
}

std::size_t processorCount() {
    const long processors = sysconf(_SC_NPROCESSORS_ONLN);
    return processors > 1 ? static_cast<std::size_t>(processors) : 1;
}

LetterCase::LetterCase() : locale_(newlocale(LC_CTYPE_MASK, "C.UTF-8", nullptr)) {}

LetterCase::~LetterCase() {
    if (locale_ != nullptr) freelocale(static_cast<locale_t>(locale_));
}

char32_t LetterCase::capitalOf(char32_t c) const {
    // Without a UTF-8 locale the C library knows the capitals of ASCII alone.
    if (locale_ == nullptr) return c >= 'a' && c <= 'z' ? c - 32 : c;
    return static_cast<char32_t>(
        towupper_l(static_cast<wint_t>(c), static_cast<locale_t>(locale_)));
}

std::size_t longestName(const std::string&) {
    return 255;  // NAME_MAX of the file systems in use
}

std::size_t nameLength(const std::string& name) {
    return name.size();
}

bool isStorableName(const std::string&, std::string&) {
    return true;  // every name without a slash is a plain file name here
}

bool toLocalTime(std::int64_t secondsSince1970, std::tm& parts) {
    const auto seconds = static_cast<std::time_t>(secondsSince1970);
    return localtime_r(&seconds, &parts) != nullptr;
}

namespace {
const auto kNoConverter = reinterpret_cast<iconv_t>(-1);
}  // namespace

CodePageConverter::CodePageConverter(unsigned codePage) : codePage_(codePage) {
    const iconv_t converter = iconv_open("UTF-16LE", ("CP" + std::to_string(codePage)).c_str());
    handle_ = converter == kNoConverter ? nullptr : converter;
}

CodePageConverter::~CodePageConverter() {
    if (handle_ != nullptr) iconv_close(static_cast<iconv_t>(handle_));
}

bool CodePageConverter::available() const {
    return handle_ != nullptr;
}

bool CodePageConverter::decode(const std::string& bytes, std::u16string& units,
                               std::size_t& invalidAt) {
    invalidAt = 0;
    if (handle_ == nullptr) return false;
    const auto converter = static_cast<iconv_t>(handle_);
    iconv(converter, nullptr, nullptr, nullptr, nullptr);  // back to the initial state
    // A byte never yields more than one code unit, four bytes never more than two.
    std::string wide(bytes.size() * 2 + 4, '\0');
    char* in = const_cast<char*>(bytes.data());
    char* out = wide.data();
    std::size_t inLeft = bytes.size();
    std::size_t outLeft = wide.size();
    const bool converted =
        iconv(converter, &in, &inLeft, &out, &outLeft) != static_cast<std::size_t>(-1) &&
        iconv(converter, nullptr, nullptr, &out, &outLeft) != static_cast<std::size_t>(-1);
    // iconv stops at the first sequence it cannot convert.
    invalidAt = bytes.size() - inLeft;
    if (!converted) return false;
    const std::size_t produced = (wide.size() - outLeft) / 2;
    units.resize(produced);
    for (std::size_t i = 0; i < produced; ++i) {
        units[i] = static_cast<char16_t>(static_cast<unsigned char>(wide[2 * i]) |
                                         static_cast<unsigned char>(wide[2 * i + 1]) << 8);
    }
    return true;
}

}  // namespace lorvex::platform

#endif  // ifndef _WIN32
