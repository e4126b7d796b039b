// Configuration files are written line by line with the user's values in
// place of their placeholders.
#include "ProjectFiles.h"

#include "FileIo.h"

namespace projectfiles {

namespace {

const size_t kFlushSize = 64 * 1024;

}  // namespace

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

int RewriteConfigFile(const Context& context, const std::string& targetPath,
                      const std::string& sourcePath) {
    win::File source = OpenForRead(sourcePath);
    if (!source) return 0;
    win::File target = CreateForWrite(targetPath);
    if (!target) return 0;

    // The order matters: a value may bring in a placeholder of a later row,
    // which is then replaced as well.
    const std::string fixed[][2] = {
        {"%%LW%%", context.targetFolder.substr(0, 2)},
        {"%%PROJEKT%%", context.projectName},
        {"%%NAME%%", context.userName},
        {"%%FIRMA%%", context.company},
        {"%%SPRACHE%%", context.languageValue},
    };
    const struct {
        const char* placeholder;
        const std::string& folder;
    } folders[] = {{"%%WINDIR%%", context.windowsFolder},
                   {"%%WINSYSDIR%%", context.systemFolder},
                   {"%%WINTEMP%%", context.tempFolder}};

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
            if (!WriteAll(target.get(), out.data(), out.size())) return 0;
            out.clear();
        }
    }
    return WriteAll(target.get(), out.data(), out.size()) ? 1 : 0;
}

}  // namespace projectfiles
