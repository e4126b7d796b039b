// Configuration files are written line by line with the user's values in
// place of their placeholders.
#include "ProjectFiles.h"

#include "FileIo.h"

#include <iterator>

namespace projectfiles {

namespace {

const size_t kFlushSize = 64 * 1024;

// In the order they are replaced: a value may bring in a placeholder of a
// later row, which is then replaced as well. The last three are folders.
const char* const kPlaceholders[] = {"%%LW%%",     "%%PROJEKT%%",   "%%NAME%%",
                                     "%%FIRMA%%",  "%%SPRACHE%%",   "%%WINDIR%%",
                                     "%%WINSYSDIR%%", "%%WINTEMP%%"};

bool IsWordChar(char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '_';
}

}  // namespace

const std::vector<std::string>& Placeholders() {
    static const std::vector<std::string> names(std::begin(kPlaceholders), std::end(kPlaceholders));
    return names;
}

int FindUnknownPlaceholders(const std::string& sourcePath, const PlaceholderReport& report) {
    win::File source = OpenForRead(sourcePath);
    if (!source) return 0;
    const std::vector<std::string>& known = Placeholders();
    LineReader reader(source.get());
    std::string line;
    for (int number = 1; reader.Next(line); ++number) {
        for (size_t at = line.find("%%"); at != std::string::npos; at = line.find("%%", at)) {
            size_t end = at + 2;
            while (end < line.size() && IsWordChar(line[end])) ++end;
            if (end == at + 2 || line.compare(end, 2, "%%") != 0) {
                at = end > at + 2 ? end : at + 1;
                continue;
            }
            const std::string word = line.substr(at, end + 2 - at);
            bool isKnown = false;
            for (const std::string& k : known) isKnown = isKnown || k == word;
            if (!isKnown) report(number, word);
            at = end + 2;
        }
    }
    return 1;
}

std::string ReplacePlaceholder(const std::string& line, const std::string& placeholder,
                               const std::string& value) {
    if (placeholder.empty() || line.find(placeholder) == std::string::npos) return line;

    // Each pass replaces the occurrences that take at least one byte of the
    // line's own text. Such an occurrence uses up own text, so the passes
    // end; one lying wholly inside an inserted value is left as it is.
    std::string text = line;
    std::vector<char> inserted(text.size(), 0);
    const size_t m = placeholder.size();
    for (;;) {
        std::string out;
        std::vector<char> outInserted;
        bool replaced = false;
        size_t from = 0;
        for (size_t at = text.find(placeholder); at != std::string::npos;
             at = text.find(placeholder, from)) {
            bool own = false;
            for (size_t k = at; k < at + m && !own; ++k) own = !inserted[k];
            size_t upTo = own ? at : at + 1;
            out.append(text, from, upTo - from);
            outInserted.insert(outInserted.end(), inserted.begin() + from, inserted.begin() + upTo);
            if (own) {
                out += value;
                outInserted.insert(outInserted.end(), value.size(), 1);
                from = at + m;
                replaced = true;
            } else {
                from = upTo;
            }
        }
        if (!replaced) return text;
        out.append(text, from, std::string::npos);
        outInserted.insert(outInserted.end(), inserted.begin() + from, inserted.end());
        text.swap(out);
        inserted.swap(outInserted);
    }
}

namespace {

// Where the text is written until it is complete. Beside the target, so that
// the replacement is a rename on the same drive; when no file can be made
// there (a folder path that leaves no room for the name), the target itself,
// removed again on failure.
class RewriteOutput {
public:
    explicit RewriteOutput(const std::string& targetPath)
        : target_(targetPath), beside_(CreateBesideFile(targetPath)) {
        file_ = CreateForWrite(beside_.empty() ? target_ : beside_);
        if (!file_ && !beside_.empty()) {
            const DWORD error = GetLastError();
            DeleteFileA(beside_.c_str());
            SetLastError(error);
        }
    }
    ~RewriteOutput() {
        if (file_) Discard();
    }
    RewriteOutput(const RewriteOutput&) = delete;
    RewriteOutput& operator=(const RewriteOutput&) = delete;

    explicit operator bool() const { return static_cast<bool>(file_); }
    HANDLE get() const { return file_.get(); }

    // Puts the written text in place of the target, which keeps its
    // attributes; 0 (and no trace of the text) when that fails.
    int Commit(DWORD targetAttributes) {
        file_.reset();
        if (beside_.empty()) return 1;
        if (targetAttributes) SetFileAttributesA(beside_.c_str(), targetAttributes);
        if (MoveFileExA(beside_.c_str(), target_.c_str(), MOVEFILE_REPLACE_EXISTING)) return 1;
        const DWORD error = GetLastError();
        SetFileAttributesA(beside_.c_str(), FILE_ATTRIBUTE_NORMAL);
        DeleteFileA(beside_.c_str());
        return FailWith(error);
    }

    // Takes away what was written, keeping the reason of the failure.
    int Fail() {
        Discard();
        return 0;
    }

private:
    void Discard() {
        const DWORD error = GetLastError();
        file_.reset();
        DeleteFileA((beside_.empty() ? target_ : beside_).c_str());
        SetLastError(error);
    }

    const std::string target_;
    const std::string beside_;
    win::File file_;
};

}  // namespace

int RewriteConfigFile(const Context& context, const std::string& targetPath,
                      const std::string& sourcePath) {
    win::File source = OpenForRead(sourcePath);
    if (!source) return 0;
    DWORD attributes = 0;
    if (!MayReplace(targetPath, &attributes)) return 0;
    RewriteOutput target(targetPath);
    if (!target) return 0;

    // The order matters: a value may bring in a placeholder of a later row,
    // which is then replaced as well.
    const std::string fixed[][2] = {
        {kPlaceholders[0], context.targetFolder.substr(0, 2)},
        {kPlaceholders[1], context.projectName},
        {kPlaceholders[2], context.userName},
        {kPlaceholders[3], context.company},
        {kPlaceholders[4], context.languageValue},
    };
    const struct {
        const char* placeholder;
        const std::string& folder;
    } folders[] = {{kPlaceholders[5], context.windowsFolder},
                   {kPlaceholders[6], context.systemFolder},
                   {kPlaceholders[7], context.tempFolder}};

    LineReader reader(source.get());
    std::string line, out;
    while (reader.Next(line)) {
        for (const auto& f : fixed) line = ReplacePlaceholder(line, f[0], f[1]);
        for (const auto& f : folders)
            if (line.find(f.placeholder) != std::string::npos)
                line = ReplacePlaceholder(line, f.placeholder, f.folder);
        out += line;
        out += "\r\n";
        if (out.size() >= kFlushSize) {
            if (!WriteAll(target.get(), out.data(), out.size())) return target.Fail();
            out.clear();
        }
    }
    if (!WriteAll(target.get(), out.data(), out.size())) return target.Fail();
    return target.Commit(attributes);
}

}  // namespace projectfiles
