// File-system paths: text rules on the UTF-8 path, and the file-system operations, which all
// reach the system through the path's UTF-16 form and the platform's file calls.
#include "utils/FilePath.h"

#include "platform/files.h"
#include "platform/utf8.h"
#include "utils/ExitHooks.h"
#include "utils/Logger.h"
#include "utils/TextUtils.h"

#include <cstring>
#include <istream>
#include <ostream>

namespace {

// The source file named in this module's log records.
constexpr const char* kLogFile = "libs/utils/UFileSpecCore";

// Paths longer than this many UTF-16 units go to the system in the "\\?\" form.
constexpr std::size_t kShortPathLimit = 248;

constexpr char kBlobTag[] = "PATH:";
constexpr std::size_t kBlobTagSize = 5;

// Process-wide state, used from one thread.
std::u16string g_temporaryFolder;
std::int32_t g_uniqueCounter = 0;
bool g_exitHookRegistered = false;

bool isSeparator(char c) {
    return c == '/' || c == '\\';
}

bool endsWithSeparator(const ustring& text) {
    return !text.empty() && isSeparator(text[text.size() - 1]);
}

bool isAsciiLetter(char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}

// "C:/..." or "//...", at least 3 characters.
bool isAbsoluteText(const ustring& text) {
    if (text.size() < 3)
        return false;
    if (isAsciiLetter(text[0]) && text[1] == ':' && isSeparator(text[2]))
        return true;
    return isSeparator(text[0]) && isSeparator(text[1]);
}

// A '?' is no part of a name; a NUL would cut the path short at the system call.
bool holdsForbiddenCharacter(const ustring& text) {
    return text.findChar('?') != ustring::npos || text.findChar('\0') != ustring::npos;
}

void dropTrailingSeparators(ustring& text, std::size_t keep) {
    std::size_t n = text.size();
    while (n > keep && isSeparator(text[n - 1]))
        --n;
    text.resize(n);
}

std::size_t lastSeparator(const ustring& text) {
    return text.findLastOf("/\\", ustring::npos, 2);
}

// The text after the last separator; the whole text when it holds none.
ustring leafOf(const ustring& text) {
    std::size_t separator = lastSeparator(text);
    return separator == ustring::npos ? text : text.substr(separator + 1);
}

// The components of a path with either separator, for comparing two paths component by
// component.
std::vector<ustring> componentsOf(ustring text) {
    for (char& c : text)
        if (c == '\\')
            c = '/';
    return splitString(text, '/');
}

ustring decimal(std::int64_t value) {
    return ustring(std::to_string(value));
}

} // namespace

UByteBuffer::UByteBuffer(const UByteBuffer& other) {
    assign(other.m_data, other.m_size);
}

UByteBuffer& UByteBuffer::operator=(const UByteBuffer& other) {
    if (this != &other)
        assign(other.m_data, other.m_size);
    return *this;
}

UByteBuffer::~UByteBuffer() {
    delete[] m_data;
}

void UByteBuffer::assign(const void* bytes, std::uint64_t n) {
    std::uint8_t* block = n ? new std::uint8_t[n] : nullptr;
    if (n)
        std::memcpy(block, bytes, n);
    delete[] m_data;
    m_data = block;
    m_size = n;
}

bool UFileSpecCore::assign(const ustring& text) {
    m_path = text;
    return true;
}

bool UFileSpecCore::clear() {
    m_path.clear();
    return true;
}

bool UFileSpecCore::set(const ustring& text, const UFileSpecCore* base) {
    if (!isAbsoluteText(text)) {
        m_path = base ? base->m_path : ustring();
        return base && descend(text);
    }
    m_path.clear();
    if (holdsForbiddenCharacter(text))
        return false;
    ustring copy = text;
    dropTrailingSeparators(copy, 3);
    if (lastSeparator(copy) == ustring::npos)
        return false;
    m_path = copy;
    return true;
}

bool UFileSpecCore::descend(const ustring& relative) {
    UFileSpecCore result;
    result.m_path.swap(m_path);
    if (isAbsoluteText(relative) || holdsForbiddenCharacter(relative))
        return false;
    ustring components = relative;
    dropTrailingSeparators(components, 0);
    for (const ustring& component : splitString(components, '/')) {
        if (component == ".")
            continue;
        if (component == "..") {
            if (!result.to_parent())
                return false;
            continue;
        }
        // A path longer than a text can grow to names nothing: refused, not thrown.
        const std::size_t separator = endsWithSeparator(result.m_path) ? 0 : 1;
        if (component.size() + separator > ustring::growthRoom(result.m_path.size()))
            return false;
        if (separator != 0)
            result.m_path.push_back('/');
        result.m_path += component;
    }
    m_path.swap(result.m_path);
    return true;
}

bool UFileSpecCore::to_parent() {
    if (m_path.size() <= 3)
        return false;
    std::size_t separator = lastSeparator(m_path);
    m_path.resize(separator == ustring::npos ? 0 : separator + 1);
    dropTrailingSeparators(m_path, 3);
    return true;
}

bool UFileSpecCore::set_special_folder(SpecialFolderId id) {
    m_path.clear();
    std::optional<std::u16string> folder;
    switch (id) {
    case kDocumentsFolder:
    case kDocumentsFolderAlias:
        folder = platform::documentsFolder();
        break;
    case kCurrentFolder:
        folder = platform::currentDirectory();
        break;
    case kProgramFile:
    case kProgramFolder:
        folder = platform::moduleFileName();
        break;
    case kCommonAppDataFolder:
    case kCommonAppDataFolderAlias:
        folder = platform::commonAppDataFolder();
        break;
    case kUserAppDataFolder:
        folder = platform::userAppDataFolder();
        break;
    case kColourProfileFolder:
        folder = platform::colorProfileFolder();
        break;
    case kDesktopFolder:
        folder = platform::desktopFolder();
        break;
    case kTemporaryFolder: {
        UFileSpecCore temporary;
        if (!temporary_folder(temporary))
            return false;
        m_path = temporary.m_path;
        return true;
    }
    default:
        return true;
    }
    if (!folder || !set(ustring::fromWString(*folder), nullptr))
        return false;
    if (id == kProgramFolder && !to_parent()) {
        m_path.clear();
        return false;
    }
    return true;
}

bool UFileSpecCore::is_absolute() const {
    return isAbsoluteText(m_path);
}

ustring UFileSpecCore::name(bool withExtension) const {
    if (m_path.size() <= 3)
        return ustring();
    ustring leaf = leafOf(m_path);
    if (!withExtension) {
        std::size_t dot = leaf.rfindChar('.');
        if (dot != ustring::npos)
            leaf.resize(dot);
    }
    return leaf;
}

ustring UFileSpecCore::extension() const {
    ustring leaf = leafOf(m_path);
    std::size_t dot = leaf.rfindChar('.');
    return dot == ustring::npos ? ustring() : leaf.substr(dot + 1);
}

std::u16string UFileSpecCore::wide_path() const {
    // Whole or not at all: a conversion cut at a bad sequence or a NUL would name another file.
    std::optional<std::u16string> converted = platform::utf8ToUtf16(m_path.toStdString());
    if (!converted || converted->find(u'\0') != std::u16string::npos)
        return {};
    std::u16string& wide = *converted;
    if (wide.size() > kShortPathLimit) {
        for (char16_t& unit : wide)
            if (unit == u'/')
                unit = u'\\';
        wide.insert(0, u"\\\\?\\");
    }
    return wide;
}

bool UFileSpecCore::exists() const {
    return platform::fileAttributes(wide_path()).has_value();
}

bool UFileSpecCore::is_file() const {
    auto attributes = platform::fileAttributes(wide_path());
    return attributes && !(*attributes & platform::kAttributeDirectory);
}

bool UFileSpecCore::is_directory() const {
    auto attributes = platform::fileAttributes(wide_path());
    return attributes && (*attributes & platform::kAttributeDirectory);
}

bool UFileSpecCore::is_empty() const {
    return list().empty();
}

std::uint64_t UFileSpecCore::creation_time() const {
    auto times = platform::fileTimes(wide_path());
    return times && times->creation > 0 ? static_cast<std::uint64_t>(times->creation) : 0;
}

std::uint64_t UFileSpecCore::modification_time() const {
    auto times = platform::fileTimes(wide_path());
    return times && times->modification > 0 ? static_cast<std::uint64_t>(times->modification) : 0;
}

bool UFileSpecCore::set_modification_time(std::uint64_t seconds) const {
    return is_file() &&
           platform::setModificationTime(wide_path(), static_cast<std::int64_t>(seconds));
}

std::uint64_t UFileSpecCore::size() const {
    return platform::fileSize(wide_path()).value_or(0);
}

bool UFileSpecCore::mkdir() const {
    int error = 0;
    return mkdir(error);
}

bool UFileSpecCore::mkdir(int& error) const {
    error = platform::createDirectory(wide_path());
    if (error == 0 || error == platform::kErrorAlreadyExists)
        return true;
    ZEU_LOG(Warn, kLogFile, 1350, "UFileSpecCore::mkdir") << static_cast<unsigned long>(error);
    return false;
}

bool UFileSpecCore::remove() const {
    std::u16string wide = wide_path();
    // Cleared first: here a folder's own write permission guards the entries inside it. Neither
    // this nor an entry's removal is checked: what stays makes the removal below fail.
    static_cast<void>(platform::setFileAttributes(wide, platform::kAttributeNormal));
    for (const UFileSpecCore& entry : list())
        static_cast<void>(entry.remove());
    return platform::deleteFile(wide) || platform::removeDirectory(wide);
}

namespace {

// The folder's entries, as list gives them; `whole` tells whether they are every entry of the
// folder: false when the folder cannot be read or when it holds an entry that no path can name
// (its name is no UTF-8, holds a separator, or `set` refuses it), which is left out.
std::vector<UFileSpecCore> entriesOf(const UFileSpecCore& folder, bool& whole) {
    std::vector<UFileSpecCore> entries;
    whole = false;
    ustring prefix = folder.path();
    if (prefix.empty())
        return entries;
    auto listing = platform::readDirectory(folder.wide_path());
    if (!listing)
        return entries;
    whole = !listing->namesLeftOut;
    if (!endsWithSeparator(prefix))
        prefix.push_back('/');
    for (const std::u16string& wideName : listing->names) {
        // A name that does not convert must not turn into the folder itself, nor one holding a
        // separator into another entry ("..\x" would name the parent's "x", "\" the folder).
        ustring leaf = ustring::fromWString(wideName);
        if (leaf == "." || leaf == "..")
            continue;
        UFileSpecCore entry;
        if (leaf.empty() || lastSeparator(leaf) != ustring::npos ||
            !entry.set(prefix + leaf, nullptr))
            whole = false;
        else
            entries.push_back(std::move(entry));
    }
    return entries;
}

} // namespace

bool UFileSpecCore::copy(const UFileSpecCore& destination) const {
    if (*this == destination)
        return true;
    if (!destination.is_valid()) {
        ZEU_LOG(Warn, kLogFile, 1219, "UFileSpecCore::copy")
            << "attempt to copy a file to an invalid destination";
        return false;
    }
    UFileSpecCore target = destination;
    if (destination.is_directory() && !target.descend(name(true))) {
        ZEU_LOG(Warn, kLogFile, 1224, "UFileSpecCore::copy")
            << "attempt to copy a file to an invalid destination";
        return false;
    }
    if (target.exists()) {
        ZEU_LOG(Warn, kLogFile, 1229, "UFileSpecCore::copy")
            << "attempt to copy a file to an already existing destination";
        return false;
    }
    auto attributes = platform::fileAttributes(wide_path());
    if (!attributes) {
        ZEU_LOG(Warn, kLogFile, 1236, "UFileSpecCore::copy")
            << "attempt to copy a non-existing file";
        return false;
    }
    // A link is copied as a link (below), never followed into the tree it leads to.
    bool isFolder = (*attributes & platform::kAttributeDirectory) &&
                    !(*attributes & platform::kAttributeReparsePoint);
    if (!isFolder)
        return platform::copyFile(wide_path(), target.wide_path());
    if (platform::liesWithin(target.wide_path(), wide_path())) {
        ZEU_LOG(Warn, kLogFile, 1241, "UFileSpecCore::copy")
            << "attempt to copy a folder into itself";
        return false;
    }
    // A folder is copied whole or reported as not copied: an entry that the listing leaves out
    // fails the copy, as an entry that cannot be copied does, before anything is made.
    bool whole = false;
    const std::vector<UFileSpecCore> entries = entriesOf(*this, whole);
    if (!whole)
        return false;
    if (!target.mkdir()) {
        ZEU_LOG(Warn, kLogFile, 1246, "UFileSpecCore::copy")
            << "attempt to copy a folder to a destination that cannot be made";
        return false;
    }
    for (const UFileSpecCore& entry : entries) {
        UFileSpecCore entryTarget = target;
        if (!entryTarget.descend(entry.name(true)) || !entry.copy(entryTarget))
            return false;
    }
    return true;
}

bool UFileSpecCore::move(const UFileSpecCore& destination) const {
    if (*this == destination)
        return true;
    if (!destination.is_valid()) {
        ZEU_LOG(Warn, kLogFile, 1165, "UFileSpecCore::move")
            << "attempt to move a file to an invalid destination";
        return false;
    }
    if (destination.exists()) {
        ZEU_LOG(Warn, kLogFile, 1170, "UFileSpecCore::move")
            << "attempt to move a file to an already existing destination";
        return false;
    }
    if (exists())
        return platform::moveFile(wide_path(), destination.wide_path());
    ZEU_LOG(Warn, kLogFile, 1177, "UFileSpecCore::move") << "attempt to move a non-existing file";
    return false;
}

bool UFileSpecCore::rename(const ustring& newName) const {
    UFileSpecCore target = *this;
    if (!target.to_parent() || !target.descend(newName) || !exists())
        return false;
    std::u16string source = wide_path();
    std::u16string destination = target.wide_path();
    // What stands under the new name goes first, unless it is this very entry (the same name,
    // or another spelling of it) or a folder that holds it.
    if (!platform::isSameFile(source, destination)) {
        if (platform::liesWithin(source, destination))
            return false;
        // What cannot be removed makes the move below fail, which then reports it.
        static_cast<void>(target.remove());
    }
    return platform::moveFile(source, destination);
}

bool UFileSpecCore::set_extension(const ustring& extension) {
    ustring leaf = name(false);
    if (!extension.empty()) {
        leaf.push_back('.');
        leaf += extension;
    }
    return to_parent() && descend(leaf);
}

bool UFileSpecCore::recycle() const {
    auto bin = platform::recycleBinFolder();
    UFileSpecCore target;
    if (!bin || !target.set(ustring::fromWString(*bin), nullptr))
        return false;
    return move(target);
}

std::vector<UFileSpecCore> UFileSpecCore::list() const {
    bool whole = false;
    return entriesOf(*this, whole);
}

namespace {

template <class Stream>
Stream& openStreamOn(Stream& stream, const std::u16string& path, std::ios_base::openmode mode) {
    platform::openStream(stream, path, mode);
    if (stream.is_open())
        stream.clear();
    else
        stream.setstate(std::ios_base::failbit);
    return stream;
}

} // namespace

std::fstream& UFileSpecCore::open_fstream(std::fstream& stream,
                                          std::ios_base::openmode mode) const {
    return openStreamOn(stream, wide_path(), mode);
}

std::ifstream& UFileSpecCore::open_ifstream(std::ifstream& stream,
                                            std::ios_base::openmode mode) const {
    return openStreamOn(stream, wide_path(), mode | std::ios_base::in);
}

std::ofstream& UFileSpecCore::open_ofstream(std::ofstream& stream,
                                            std::ios_base::openmode mode) const {
    return openStreamOn(stream, wide_path(), mode | std::ios_base::out);
}

std::FILE* UFileSpecCore::fopen(const ustring& mode) const {
    return platform::openFile(wide_path(), mode.toWString());
}

int UFileSpecCore::open_temporary() const {
    int error = 0;
    int descriptor = platform::openTemporaryFile(wide_path(), error);
    if (descriptor < 0) {
        ZEU_LOG(Error, kLogFile, 1052, "UFileSpecCore::open_temporary")
            << platform::errorText(error);
    }
    return descriptor;
}

bool UFileSpecCore::unique_name(const ustring& stem, const ustring& extension) {
    if (!is_directory())
        return false;
    const UFileSpecCore folder = *this;
    ustring base = stem.empty() ? ustring("t") : stem;
    // The extension is appended to the whole name, so a '.' in the stem cannot make every
    // candidate the same name.
    ustring suffix = extension.empty() ? ustring() : "." + extension;
    do {
        g_uniqueCounter =
            static_cast<std::int32_t>(static_cast<std::uint32_t>(g_uniqueCounter) + 1);
        *this = folder;
        if (!descend(base + decimal(g_uniqueCounter) + suffix))
            return false;
    } while (exists());
    return true;
}

bool UFileSpecCore::temporary_folder(UFileSpecCore& out) {
    if (g_temporaryFolder.empty()) {
        auto system = platform::temporaryPath();
        if (!system)
            return false;
        ustring folder =
            ustring::fromWString(*system) + "ze" + decimal(platform::currentProcessId());
        UFileSpecCore leftOver;
        // What cannot be removed stays in the folder, which is then used as it is: the unique
        // names made in it skip every name it holds.
        if (leftOver.set(folder, nullptr))
            static_cast<void>(leftOver.remove());
        g_temporaryFolder = folder.toWString();
    }
    if (!out.set(ustring::fromWString(g_temporaryFolder), nullptr))
        return false;
    if (out.is_directory())
        return true;
    if (!out.mkdir())
        return false;
    if (!g_exitHookRegistered) {
        RegisterExitHook(remove_temporary_folder);
        g_exitHookRegistered = true;
    }
    return true;
}

void UFileSpecCore::remove_temporary_folder(bool) {
    UFileSpecCore folder;
    // The process is ending: a folder that cannot be removed has no one left to be told.
    if (!g_temporaryFolder.empty() && folder.set(ustring::fromWString(g_temporaryFolder), nullptr))
        static_cast<void>(folder.remove());
}

void UFileSpecCore::reset_process_state() {
    g_temporaryFolder.clear();
    g_uniqueCounter = 0;
}

bool UFileSpecCore::to_blob(UByteBuffer& block, const UFileSpecCore* base) const {
    block.assign(nullptr, 0);
    if (m_path.empty())
        return false;
    ustring text = m_path;
    if (base && !base->m_path.empty()) {
        std::vector<ustring> pathParts = componentsOf(m_path);
        std::vector<ustring> baseParts = componentsOf(base->m_path);
        std::size_t common = 0;
        while (common < pathParts.size() && common < baseParts.size() &&
               pathParts[common] == baseParts[common])
            ++common;
        // Nothing shared (another drive or server): the absolute text is kept, so it reads back.
        if (common > 0) {
            text.clear();
            for (std::size_t i = common; i < baseParts.size(); ++i)
                text += "../";
            for (std::size_t i = common; i < pathParts.size(); ++i) {
                text += pathParts[i];
                text.push_back('/');
            }
            dropTrailingSeparators(text, 0);
        }
    }
    ustring bytes(kBlobTag);
    bytes += text;
    block.assign(bytes.data(), bytes.size() + 1);
    return true;
}

bool UFileSpecCore::from_blob(const UByteBuffer& block, const UFileSpecCore* base) {
    if (block.size() < kBlobTagSize || std::memcmp(block.data(), kBlobTag, kBlobTagSize) != 0) {
        m_path.clear();
        return false;
    }
    const char* start = reinterpret_cast<const char*>(block.data()) + kBlobTagSize;
    std::size_t available = static_cast<std::size_t>(block.size() - kBlobTagSize);
    const void* nul = std::memchr(start, '\0', available);
    ustring text(start, nul ? static_cast<const char*>(nul) - start : available);
    if (base) {
        m_path = base->m_path;
        if (descend(text))
            return true;
    }
    return set(text, nullptr);
}

std::ostream& operator<<(std::ostream& out, const UFileSpecCore& path) {
    return out << path.path();
}

std::istream& operator>>(std::istream& in, UFileSpecCore& path) {
    ustring text;
    in >> text;
    if (!path.set(text, nullptr))
        in.setstate(std::ios_base::failbit);
    return in;
}
