// Placing a tool's ready-made files: file groups with their Windows-family
// variants and language overlays, breadth-first tree copy, the renaming
// rules of InstallFile, byte copies and the drive-letter move.
#include "ProjectFiles.h"

#include "FileIo.h"
#include "FolderEntries.h"
#include "PathText.h"
#include "Varnet01.h"

#include <queue>
#if defined(__SSE2__)
#include <emmintrin.h>
#endif
#include <string.h>

namespace projectfiles {

namespace {

// Binary copies go through the caller's buffer, grown to this size; the size
// only changes speed.
const size_t kCopyBufferSize = 256 * 1024;
// The drive-letter scan reads this much at a time. A chunk stays in the
// processor's cache from its read to its scan, and is large enough that the
// reads' own cost under Wine is small.
const size_t kScanChunk = 256 * 1024;
// Letters found are handed on in batches of at least this many (the rest
// at the end), and the reading waits while a writer thread has this many
// still to take.
const size_t kLetterBatch = 32;
const size_t kPendingHits = 4096;
// Letters are written on a thread of their own when at least this much of
// the file is still to be read: less would not repay starting the thread.
const unsigned long long kWriterThreadFrom = 4 * 1024 * 1024;

const char kDriveTemplate[] = "?:\\tarvo\\";
const char kMovePrefix[] = "_~_";

// "inm", "ini", "txt", "reg", "xml", "pri" in any case, taken from the text
// after the last "." of the name (the whole name when it has none).
bool IsConfigName(const std::string& name) {
    size_t dot = name.rfind('.');
    std::string ext = dot == std::string::npos ? name : name.substr(dot + 1);
    static const char* const kConfig[] = {"inm", "ini", "txt", "reg", "xml", "pri"};
    for (const char* c : kConfig)
        if (EqualsNoCase(ext, c)) return true;
    return false;
}

// First `c` in [p, end): the scan of a large marked file should cost about
// as much as reading it. Sixteen bytes at a time where the processor has
// SSE2 (every x86_64 one; the i686 release also runs on processors without
// it), eight at a time elsewhere.
const char* FindByte(const char* p, const char* end, char c) {
#if defined(__SSE2__)
    const __m128i wanted = _mm_set1_epi8(c);
    while (end - p >= 16) {
        const __m128i block = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
        const unsigned mask =
            static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi8(block, wanted)));
        if (mask) return p + __builtin_ctz(mask);
        p += 16;
    }
#else
    const unsigned long long ones = 0x0101010101010101ull;
    const unsigned long long spread = ones * static_cast<unsigned char>(c);
    while (end - p >= 8) {
        unsigned long long v;
        memcpy(&v, p, 8);
        v ^= spread;
        if ((v - ones) & ~v & (ones << 7)) break;  // a zero byte: c is among these eight
        p += 8;
    }
#endif
    for (; p < end; ++p)
        if (*p == c) return p;
    return NULL;
}

// First place in [p, end) where `c` is followed by `next` (which may lie at
// `end`): on most data a far rarer stop than `c` alone.
const char* FindPair(const char* p, const char* end, char c, char next) {
#if defined(__SSE2__)
    const __m128i first = _mm_set1_epi8(c), second = _mm_set1_epi8(next);
    // Sixty-four bytes per test while nothing is found: on a chunk just read
    // into the cache, the tests, not the memory, set the pace.
    const auto pairs = [&](const char* at) {
        return _mm_and_si128(
            _mm_cmpeq_epi8(_mm_loadu_si128(reinterpret_cast<const __m128i*>(at)), first),
            _mm_cmpeq_epi8(_mm_loadu_si128(reinterpret_cast<const __m128i*>(at + 1)), second));
    };
    while (end - p >= 64) {
        const __m128i any = _mm_or_si128(_mm_or_si128(pairs(p), pairs(p + 16)),
                                         _mm_or_si128(pairs(p + 32), pairs(p + 48)));
        if (_mm_movemask_epi8(any)) break;
        p += 64;
    }
    while (end - p >= 16) {
        const __m128i a = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
        const __m128i b = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + 1));
        const unsigned mask = static_cast<unsigned>(_mm_movemask_epi8(
            _mm_and_si128(_mm_cmpeq_epi8(a, first), _mm_cmpeq_epi8(b, second))));
        if (mask) return p + __builtin_ctz(mask);
        p += 16;
    }
#endif
    for (; (p = FindByte(p, end, c)) != NULL; ++p)
        if (p[1] == next) return p;
    return NULL;
}

// Drops the "_~_" prefix from the file-name part of a target path that has
// a folder part; true when it did, and the copy's drive letters move.
bool DropMovePrefix(std::string& target) {
    size_t slash = target.rfind('\\');
    if (slash == std::string::npos || slash == 0 ||
        target.compare(slash + 1, strlen(kMovePrefix), kMovePrefix) != 0)
        return false;
    target.erase(slash + 1, strlen(kMovePrefix));
    return true;
}

bool SetPosition(HANDLE file, unsigned long long pos) {
    LONG high = static_cast<LONG>(pos >> 32);
    DWORD low = SetFilePointer(file, static_cast<LONG>(pos & 0xFFFFFFFFu), &high, FILE_BEGIN);
    return !(low == INVALID_SET_FILE_POINTER && GetLastError() != NO_ERROR);
}

}  // namespace

void CopyFileGroup(const Context& context, const std::string& group, const PlaceFile& place) {
    const std::string name = group + "Files";
    const std::string& target = context.targetFolder;
    const WindowsFamily family = context.family;
    CopyProjectTree(context, target, JoinPath(context.sourceFolder, name), place);
    if (family == FamilyWin95 || family == FamilyWin98)
        CopyProjectTree(context, target, JoinPath(context.sourceFolder, name + "9x"), place);
    const char* variant = family == FamilyWin95   ? "95"
                          : family == FamilyWin98 ? "98"
                          : family == FamilyNT    ? "NT"
                                                  : NULL;
    // An undetectable family has no variant of its own: the common tree is
    // not copied a second time.
    if (variant)
        CopyProjectTree(context, target, JoinPath(context.sourceFolder, name + variant), place);
}

namespace {

// One tree, with a log line for it when the context has a log and the tree
// is on the medium.
void CopyLoggedTree(const Context& context, const std::string& targetRoot,
                    const std::string& sourceRoot, const PlaceFile& place) {
    if (!context.log) {
        CopyTreeOnce(context, targetRoot, sourceRoot, place);
        return;
    }
    if (!IsFolder(sourceRoot)) return;
    TreeTally tally;
    CopyTreeOnce(context, targetRoot, sourceRoot, place, &tally);
    context.log->Line("Copied " + sourceRoot + " to " + targetRoot + ": " +
                      Counted(tally.files, "file") + ", " + GroupedNumber(tally.bytes) + " bytes");
}

}  // namespace

void CopyProjectTree(const Context& context, const std::string& targetRoot,
                     const std::string& sourceRoot, const PlaceFile& place) {
    CopyLoggedTree(context, targetRoot, sourceRoot, place);
    CopyLoggedTree(context, targetRoot,
                   sourceRoot + (context.language == LanguageGerman ? "_d" : "_e"), place);
}

void CopyTreeOnce(const std::string& targetRoot, const std::string& sourceRoot,
                  const PlaceFile& place, const PlaceFailed& failed) {
    Context context;
    context.failed = failed;
    CopyTreeOnce(context, targetRoot, sourceRoot, place);
}

void CopyTreeOnce(const Context& context, const std::string& targetRoot,
                  const std::string& sourceRoot, const PlaceFile& place, TreeTally* tally) {
    if (!IsFolder(sourceRoot)) return;
    if (context.treeFound) context.treeFound(sourceRoot);

    // Folders wait here in the order they were found: every file of a folder
    // is placed before anything below it.
    std::queue<std::string> folders;
    folders.push(sourceRoot);
    while (!folders.empty()) {
        const std::string folder = folders.front();
        folders.pop();

        std::string rel = folder.substr(sourceRoot.size());
        while (!rel.empty() && rel[0] == '\\') rel.erase(0, 1);
        const std::string target = rel.empty() ? targetRoot : JoinPath(targetRoot, rel);
        // A target that cannot be made skips this folder and all below it.
        if (!context.reportOnly && fCreatePath(target.c_str()) != 0) {
            if (context.failed) context.failed(target, GetLastError());
            continue;
        }

        for (FolderEntries entries(folder); entries.Next();) {
            if (entries.isFolder()) {
                folders.push(JoinPath(folder, entries.name()));
            } else if (place(entries.name(), target, folder) && tally) {
                const WIN32_FIND_DATAA& found = entries.entry();
                ++tally->files;
                tally->bytes +=
                    (static_cast<unsigned long long>(found.nFileSizeHigh) << 32) | found.nFileSizeLow;
            }
        }
    }
}

Placement PlanPlacement(const Context& context, const std::string& name,
                        const std::string& destFolder, const std::string& srcFolder) {
    Placement p;
    p.sourcePath = JoinPath(srcFolder, name);
    std::string targetName = name;
    if (context.naming == Naming::SetupFiles && EndsWith(name, "SETUP.EX_")) {
        targetName.back() = 'E';
    } else if (context.naming == Naming::ProjectFiles && !name.empty() && name.back() == '_') {
        targetName.pop_back();
        p.onlyIfAbsent = true;
    }
    p.namedPath = JoinPath(destFolder, targetName);
    p.targetPath = p.namedPath;
    p.rewritten = IsConfigName(targetName);
    if (!p.rewritten) p.movesDrives = DropMovePrefix(p.targetPath);
    return p;
}

int InstallFile(const Context& context, std::vector<char>& buffer, const std::string& name,
                const std::string& destFolder, const std::string& srcFolder) {
    const Placement plan = PlanPlacement(context, name, destFolder, srcFolder);
    if (plan.onlyIfAbsent && PathExists(plan.namedPath)) return 1;
    const int placed = plan.rewritten ? RewriteConfigFile(context, plan.namedPath, plan.sourcePath)
                                      : CopyBinaryFile(buffer, plan.namedPath, plan.sourcePath);
    if (!placed && context.failed) context.failed(plan.namedPath, GetLastError());
    return placed;
}

int CopyBinaryFile(std::vector<char>& buffer, const std::string& targetPath,
                   const std::string& sourcePath) {
    win::File source = OpenForRead(sourcePath);
    if (!source) return 0;

    std::string target = targetPath;
    const bool moveDrive = DropMovePrefix(target);

    win::File dest = CreateForWrite(target);
    if (!dest) return 0;

    // The times as they stand on the medium, before our reading touches
    // the access time.
    FILETIME accessed, written;
    const bool haveTimes = GetFileTime(source.get(), NULL, &accessed, &written) != FALSE;

    if (buffer.size() != kCopyBufferSize) buffer.resize(kCopyBufferSize);
    bool ok = true;
    for (;;) {
        DWORD got = 0;
        if (!ReadFile(source.get(), buffer.data(), static_cast<DWORD>(buffer.size()), &got,
                      NULL)) {
            ok = false;
            break;
        }
        if (got == 0) break;
        if (!WriteAll(dest.get(), buffer.data(), got)) {
            ok = false;
            break;
        }
    }
    if (!ok) {
        // A half-written copy would pass for a good one: take it away.
        const DWORD error = GetLastError();
        dest.reset();
        DeleteFileA(target.c_str());
        return FailWith(error);
    }

    if (!moveDrive) {
        if (haveTimes) SetFileTime(dest.get(), NULL, &accessed, &written);
        return 1;
    }
    dest.reset();
    source.reset();
    // Only a drive-letter path says which drive to move to.
    if (target.size() >= 2 && target[1] == ':') MoveDriveLetters(target, kDriveTemplate, target[0]);
    return 1;
}

namespace {

// What the drive-letter scan looks for: the template without its first
// character, letters matched in any case.
struct DrivePattern {
    explicit DrivePattern(const std::string& driveTemplate)
        : text(UpperAscii(driveTemplate.substr(driveTemplate.empty() ? 0 : 1))),
          m(text.size()),
          firstIsLetter(m > 0 && text[0] >= 'A' && text[0] <= 'Z'),
          // Two bytes compared as they are: the second must not be a letter
          // either, as letters match in any case.
          pairSearch(m >= 2 && !firstIsLetter && !(text[1] >= 'A' && text[1] <= 'Z')) {}

    // Calls found(i) for every occurrence that starts at i in [from, to),
    // where data holds every byte up to to + m - 1.
    template <typename Found>
    void Scan(const char* data, size_t from, size_t to, Found found) const {
        for (size_t i = from; i < to;) {
            if (!firstIsLetter) {
                const char* next = pairSearch ? FindPair(data + i, data + to, text[0], text[1])
                                              : FindByte(data + i, data + to, text[0]);
                if (!next) return;
                i = next - data;
            } else if (UpperAscii(data[i]) != text[0]) {
                ++i;
                continue;
            }
            size_t k = 1;
            while (k < m && UpperAscii(data[i + k]) == text[k]) ++k;
            if (k == m) found(i);
            ++i;
        }
    }

    std::string text;
    size_t m;
    bool firstIsLetter;
    bool pairSearch;
};

// Reads `file`, just opened, in chunks, and calls found(before, at)
// for every occurrence of the pattern with a byte in front of it: `before`
// is that byte and `at` its place in the file. chunkDone(read) follows the
// scan of each chunk, with the number of bytes read so far. False when the
// memory for the chunks cannot be had.
template <typename Found, typename ChunkDone>
bool ScanInChunks(HANDLE file, const DrivePattern& pattern, Found found, ChunkDone chunkDone) {
    const size_t m = pattern.m;
    // The buffer carries the bytes of the last chunk that the next scan
    // needs (at most m) in front of the next chunk, so that occurrences
    // across a chunk border are found, and found with the byte in front.
    std::vector<char> buffer;
    try {
        buffer.resize(m + kScanChunk);
    } catch (...) {
        return false;
    }
    unsigned long long base = 0;  // bytes of the file in front of buffer[0]
    size_t have = 0;              // bytes in the buffer
    size_t next = 0;              // where the first start not yet scanned lies
    for (;;) {
        DWORD got = 0;
        if (!ReadFile(file, buffer.data() + have, static_cast<DWORD>(kScanChunk), &got, NULL) ||
            got == 0)
            break;
        have += got;
        if (have >= next + m) {
            pattern.Scan(buffer.data(), next, have - m + 1, [&](size_t i) {
                // An occurrence at the very start has no byte in front of it;
                // any other has it in the buffer.
                if (base + i >= 1) found(buffer[i - 1], base + i - 1);
            });
            next = have - m + 1;
        }
        chunkDone(base + have);
        const size_t drop = next > 0 ? next - 1 : 0;
        memmove(buffer.data(), buffer.data() + drop, have - drop);
        base += drop;
        have -= drop;
        next -= drop;
    }
    return true;
}

typedef BOOL(WINAPI* QueueUserWorkItemFn)(LPTHREAD_START_ROUTINE, PVOID, ULONG);

// The system's worker threads (Windows 2000 and later) stay a while after
// their work, so a run of large files starts a thread once, not per file:
// under Wine a new thread takes milliseconds to start. Looked up so that the
// program loads on older Windows, where the writer gets a thread of its own.
QueueUserWorkItemFn SystemWorkQueue() {
    static const QueueUserWorkItemFn queue = [] {
        HMODULE kernel = GetModuleHandleA("KERNEL32.DLL");
        return kernel ? reinterpret_cast<QueueUserWorkItemFn>(reinterpret_cast<void*>(
                            GetProcAddress(kernel, "QueueUserWorkItem")))
                      : nullptr;
    }();
    return queue;
}

// Writes the drive letter at the places it is given, through a handle of its
// own. On a large file a thread does it while the scan reads on: a write
// per letter otherwise costs about as much again as reading the file. Every
// place lies in what the scan has read already, and the scan never reads a
// byte twice, so it never sees a letter it moved.
class LetterWriter {
public:
    LetterWriter(HANDLE file, char drive) : file_(file), drive_(drive) {}
    ~LetterWriter() { Finish(); }
    LetterWriter(const LetterWriter&) = delete;
    LetterWriter& operator=(const LetterWriter&) = delete;

    // A thread for the writes from now on, where one can be had; without
    // one, they are the caller's.
    void Start() {
        if (running_) return;
        try {
            queue_.reserve(kPendingHits);
            batch_.reserve(kPendingHits);
        } catch (...) {
            return;
        }
        wake_.reset(CreateEventA(NULL, FALSE, FALSE, NULL));
        taken_.reset(CreateEventA(NULL, FALSE, FALSE, NULL));
        done_.reset(CreateEventA(NULL, TRUE, FALSE, NULL));
        if (!wake_ || !taken_ || !done_) return;
        if (const QueueUserWorkItemFn queue = SystemWorkQueue()) {
            running_ = queue(&Run, this, WT_EXECUTEDEFAULT) != FALSE;
        } else {
            DWORD id = 0;
            win::Handle thread(CreateThread(NULL, 0, &Run, this, 0, &id));
            running_ = thread.valid();
        }
    }

    // Takes over the places in `hits` and empties it: the thread gets them,
    // or they are written now. May throw std::bad_alloc.
    void Add(std::vector<unsigned long long>& hits) {
        if (hits.empty()) return;
        if (!running_) {
            written_ += Write(hits);
            hits.clear();
            return;
        }
        for (;;) {
            bool wake = false;
            {
                win::CriticalSectionLock hold(lock_);
                if (queue_.size() < kPendingHits) {
                    if (queue_.empty())
                        queue_.swap(hits);
                    else
                        queue_.insert(queue_.end(), hits.begin(), hits.end());
                    hits.clear();
                    wake = idle_;
                    idle_ = false;
                } else {
                    readerWaits_ = true;
                }
            }
            if (wake) SetEvent(wake_.get());
            if (hits.empty()) return;
            // The thread has kPendingHits letters still to take: wait until
            // it takes them.
            WaitForSingleObject(taken_.get(), INFINITE);
        }
    }

    // Waits until every letter handed over is written; their number.
    int Finish() {
        if (running_) {
            bool wake;
            {
                win::CriticalSectionLock hold(lock_);
                closing_ = true;
                wake = idle_;
                idle_ = false;
            }
            if (wake) SetEvent(wake_.get());
            WaitForSingleObject(done_.get(), INFINITE);
            running_ = false;
        }
        return written_ + threadWritten_;
    }

private:
    int Write(const std::vector<unsigned long long>& places) const {
        int count = 0;
        for (unsigned long long at : places) {
            DWORD done = 0;
            if (SetPosition(file_, at) && WriteFile(file_, &drive_, 1, &done, NULL) && done == 1)
                ++count;
        }
        return count;
    }

    // The thread wakes only when it ran dry and the reader has more for it,
    // and the reader only when it had to wait: each wake costs a round trip
    // to the kernel (under Wine, to the server).
    static DWORD WINAPI Run(void* param) {
        LetterWriter& self = *static_cast<LetterWriter*>(param);
        for (;;) {
            bool took = false, wakeReader = false;
            {
                win::CriticalSectionLock hold(self.lock_);
                if (!self.queue_.empty()) {
                    self.batch_.swap(self.queue_);
                    took = true;
                    wakeReader = self.readerWaits_;
                    self.readerWaits_ = false;
                } else if (self.closing_) {
                    break;
                } else {
                    self.idle_ = true;
                }
            }
            if (!took) {
                WaitForSingleObject(self.wake_.get(), INFINITE);
                continue;
            }
            if (wakeReader) SetEvent(self.taken_.get());
            self.threadWritten_ += self.Write(self.batch_);
            self.batch_.clear();
        }
        // The owner may go the moment this is set: nothing of it is used after.
        SetEvent(self.done_.get());
        return 0;
    }

    HANDLE file_;
    char drive_;
    win::CriticalSection lock_;
    win::Handle wake_, taken_, done_;
    bool running_ = false;
    std::vector<unsigned long long> queue_;  // handed over, not yet taken
    std::vector<unsigned long long> batch_;  // the thread's
    bool idle_ = false;
    bool readerWaits_ = false;
    bool closing_ = false;
    int written_ = 0;        // by the caller
    int threadWritten_ = 0;  // by the thread, read once it has ended
};

unsigned long long SizeOf(HANDLE file) {
    DWORD high = 0;
    const DWORD low = GetFileSize(file, &high);
    if (low == INVALID_FILE_SIZE && GetLastError() != NO_ERROR) return 0;
    return (static_cast<unsigned long long>(high) << 32) | low;
}

}  // namespace

int MoveDriveLetters(const std::string& path, const std::string& driveTemplate, char drive) {
    // The letters are written through a handle of their own, so that the
    // reading goes on undisturbed. Together the two handles let others do
    // what one read-write handle sharing reading would: read, and no more.
    win::File writer(CreateFileA(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ, NULL, OPEN_EXISTING,
                                 FILE_ATTRIBUTE_NORMAL, NULL));
    if (!writer || IsReadOnly(path)) return -1;
    // Without at least one character after the drive position there is
    // nothing to look for.
    if (driveTemplate.size() < 2) return 0;
    win::File reader = OpenForRead(path);
    if (!reader) return -1;
    const unsigned long long size = SizeOf(reader.get());
    const DrivePattern pattern(driveTemplate);
    try {
        LetterWriter letters(writer.get(), drive);
        std::vector<unsigned long long> hits;
        hits.reserve(kLetterBatch);
        bool threadTried = false;
        const bool scanned = ScanInChunks(
            reader.get(), pattern, [&](char, unsigned long long at) { hits.push_back(at); },
            [&](unsigned long long read) {
                if (hits.size() < kLetterBatch) return;
                if (!threadTried && read < size && size - read >= kWriterThreadFrom) {
                    threadTried = true;
                    letters.Start();
                }
                letters.Add(hits);
            });
        letters.Add(hits);
        const int count = letters.Finish();
        return scanned ? count : -1;
    } catch (...) {
        return -1;
    }
}

int FindDriveLetters(const std::string& path, std::string& letters) {
    letters.clear();
    win::File file = OpenForRead(path);
    if (!file) return -1;
    try {
        if (!ScanInChunks(file.get(), DrivePattern(kDriveTemplate),
                          [&](char before, unsigned long long) { letters += before; },
                          [](unsigned long long) {}))
            return -1;
    } catch (...) {
        letters.clear();
        return -1;
    }
    return static_cast<int>(letters.size());
}

}  // namespace projectfiles
