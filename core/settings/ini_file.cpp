#include "settings/ini_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "base/gbk_codec.h"
#include "base/unique_fd.h"

namespace vardo {

namespace ini {

namespace {

constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";

// The profile functions treat Ctrl-Z as blank too: old editors ended files with it.
bool IsBlank(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\v' || c == '\f' || c == '\x1A';
}

std::string_view Trim(std::string_view s) {
    while (!s.empty() && IsBlank(s.front())) s.remove_prefix(1);
    while (!s.empty() && IsBlank(s.back())) s.remove_suffix(1);
    return s;
}

char LowerAscii(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

bool EqualsNoCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (LowerAscii(a[i]) != LowerAscii(b[i])) return false;
    }
    return true;
}

// One physical line: [start, end) without its '\n'; next is where the following line starts.
struct Line {
    std::size_t start = 0;
    std::size_t end = 0;
    std::size_t next = 0;
};

class LineReader {
  public:
    explicit LineReader(std::string_view text) : text_(text) {}
    bool Next(Line* line) {
        if (pos_ >= text_.size()) return false;
        const std::size_t nl = text_.find('\n', pos_);
        line->start = pos_;
        line->end = nl == std::string_view::npos ? text_.size() : nl;
        line->next = nl == std::string_view::npos ? text_.size() : nl + 1;
        pos_ = line->next;
        return true;
    }

  private:
    std::string_view text_;
    std::size_t pos_ = 0;
};

// A section header "[name]": the name between the bracket and the last closing bracket.
bool SectionName(std::string_view trimmed, std::string_view* name) {
    if (trimmed.empty() || trimmed.front() != '[') return false;
    const std::size_t close = trimmed.rfind(']');
    if (close == std::string_view::npos || close == 0) return false;
    *name = Trim(trimmed.substr(1, close - 1));
    return true;
}

// A key line "name = value"; lines without '=' (comments, stray text) are no keys.
bool KeyLine(std::string_view trimmed, std::string_view* name, std::string_view* value) {
    const std::size_t eq = trimmed.find('=');
    if (eq == std::string_view::npos) return false;
    *name = Trim(trimmed.substr(0, eq));
    *value = Trim(trimmed.substr(eq + 1));
    return true;
}

}  // namespace

DecodedText Decode(std::string_view bytes) {
    DecodedText d;
    if (bytes.substr(0, kByteOrderMark.size()) == kByteOrderMark) {
        d.byteOrderMark = true;
        bytes.remove_prefix(kByteOrderMark.size());
    }
    if (IsValidUtf8(bytes)) {
        d.text.assign(bytes);
        d.encoding = Encoding::Utf8;
    } else {
        d.text = GbkToUtf8(bytes);
        d.encoding = Encoding::Gbk;
    }
    return d;
}

std::optional<std::string> Encode(const DecodedText& d) {
    std::string out = d.byteOrderMark ? std::string(kByteOrderMark) : std::string();
    if (d.encoding == Encoding::Utf8) {
        if (!IsValidUtf8(d.text)) return std::nullopt;
        out += d.text;
        return out;
    }
    auto gbk = Utf8ToGbk(d.text);
    if (!gbk) return std::nullopt;
    out += *gbk;
    return out;
}

bool Lookup(std::string_view text, std::string_view section, std::string_view key,
            std::string* value) {
    if (section.empty() || key.empty()) return false;
    LineReader lines(text);
    Line line;
    bool inSection = false;
    bool seen = false;
    while (lines.Next(&line)) {
        const std::string_view t = Trim(text.substr(line.start, line.end - line.start));
        std::string_view name, v;
        if (SectionName(t, &name)) {
            if (inSection) return false;  // only the first section of that name counts
            inSection = !seen && EqualsNoCase(name, section);
            seen = seen || inSection;
            continue;
        }
        if (inSection && KeyLine(t, &name, &v) && EqualsNoCase(name, key)) {
            value->assign(v);
            return true;
        }
    }
    return false;
}

std::string Replace(std::string_view text, std::string_view section, std::string_view key,
                    std::string_view value) {
    const std::string_view eol = text.find("\r\n") != std::string_view::npos ? "\r\n" : "\n";
    LineReader lines(text);
    Line line;
    bool inSection = false;
    bool found = false;
    // Where a new key goes: after the section's last line that is not blank.
    std::size_t insertAt = 0;
    bool insertNeedsEol = false;
    auto insertKey = [&]() {
        std::string out(text.substr(0, insertAt));
        if (insertNeedsEol) out += eol;
        out.append(key).append("=").append(value).append(eol);
        out.append(text.substr(insertAt));
        return out;
    };
    while (lines.Next(&line)) {
        const std::string_view raw = text.substr(line.start, line.end - line.start);
        const std::string_view t = Trim(raw);
        std::string_view name, v;
        if (SectionName(t, &name)) {
            if (inSection) return insertKey();
            if (!found && EqualsNoCase(name, section)) {
                inSection = found = true;
                insertAt = line.next;
                insertNeedsEol = line.next == line.end;
            }
            continue;
        }
        if (!inSection) continue;
        if (KeyLine(t, &name, &v) && EqualsNoCase(name, key)) {
            std::string out(text.substr(0, line.start));
            out.append(name).append("=").append(value);
            if (!raw.empty() && raw.back() == '\r') out += '\r';
            out.append(text.substr(line.end));
            return out;
        }
        if (!t.empty()) {
            insertAt = line.next;
            insertNeedsEol = line.next == line.end;
        }
    }
    if (inSection) return insertKey();

    std::string out(text);
    if (!out.empty() && out.back() != '\n') out += eol;
    // Sections are kept apart by an empty line, as the profile functions write them.
    if (!out.empty()) {
        const std::string_view body = std::string_view(out).substr(0, out.size() - 1);
        const std::size_t previous = body.rfind('\n');
        const std::string_view last =
            previous == std::string_view::npos ? body : body.substr(previous + 1);
        if (!Trim(last).empty()) out += eol;
    }
    out.append("[").append(section).append("]").append(eol);
    out.append(key).append("=").append(value).append(eol);
    return out;
}

bool IsOversized(const std::string& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode) &&
           static_cast<std::uint64_t>(st.st_size) > kMaxFileSize;
}

std::vector<std::string> SectionNames(std::string_view text) {
    std::vector<std::string> names;
    LineReader lines(text);
    Line line;
    while (lines.Next(&line)) {
        std::string_view name;
        if (SectionName(Trim(text.substr(line.start, line.end - line.start)), &name)) {
            names.emplace_back(name);
        }
    }
    return names;
}

std::string RemoveSection(std::string_view text, std::string_view section) {
    std::string out;
    LineReader lines(text);
    Line line;
    bool removing = false;
    // Blank lines are held back until the next line shows whether they end a removed section.
    std::string pendingBlanks;
    while (lines.Next(&line)) {
        const std::string_view whole = text.substr(line.start, line.next - line.start);
        const std::string_view t = Trim(text.substr(line.start, line.end - line.start));
        std::string_view name;
        if (SectionName(t, &name)) {
            removing = EqualsNoCase(name, section);
            // The blanks before a removed section stay for the section that follows it.
            if (!removing) {
                out += pendingBlanks;
                pendingBlanks.clear();
                out += whole;
            }
            continue;
        }
        if (removing) continue;
        if (t.empty()) {
            pendingBlanks += whole;
            continue;
        }
        out += pendingBlanks;
        pendingBlanks.clear();
        out += whole;
    }
    if (!removing) out += pendingBlanks;
    return out;
}

int ParseInt(std::string_view value) {
    // The profile functions read integers through a 30-character buffer.
    value = value.substr(0, 29);
    std::size_t i = 0;
    while (i < value.size() && static_cast<unsigned char>(value[i]) <= ' ') ++i;
    bool negative = false;
    if (i < value.size() && (value[i] == '+' || value[i] == '-')) negative = value[i++] == '-';
    std::uint32_t total = 0;
    for (; i < value.size() && value[i] >= '0' && value[i] <= '9'; ++i)
        total = total * 10u + static_cast<std::uint32_t>(value[i] - '0');
    if (negative) total = 0u - total;
    return static_cast<int>(total);
}

}  // namespace ini

namespace {

// The whole file, if it is a regular file of plausible size; Missing and Ok leave the text
// as read (nothing for a missing file), every other state leaves it empty.
ReadStatus ReadSettingsFile(const std::string& path, std::string* text) {
    std::vector<std::uint8_t> bytes;
    ReadStatus status = ReadRegularFile(path, ini::kMaxFileSize, bytes);
    if (status == ReadStatus::Longer) status = ReadStatus::Unusable;
    if (status == ReadStatus::Ok)
        text->assign(bytes.begin(), bytes.end());
    else
        text->clear();
    return status;
}

ini::DecodedText LoadText(const std::string& path) {
    std::string bytes;
    ReadSettingsFile(path, &bytes);
    return ini::Decode(bytes);
}

// Replaces the file as a whole: the new text goes to a temporary file beside it, which then
// takes its name, so a full disk or a crash leaves the old settings rather than half a file.
int ReplaceFile(const std::string& path, std::string_view bytes) {
    std::string target = path;
    struct stat st {};
    if (::lstat(path.c_str(), &st) == 0 && S_ISLNK(st.st_mode)) {
        // Keep a linked settings file linked: write where the link points.
        char* real = ::realpath(path.c_str(), nullptr);
        if (real == nullptr) return 0;
        target = real;
        std::free(real);
    }
    const bool exists = ::stat(target.c_str(), &st) == 0;
    std::string temp = target + ".XXXXXX";
    UniqueFd fd(::mkostemp(temp.data(), O_CLOEXEC));
    if (!fd.Valid()) return 0;
    bool ok = ::fchmod(fd.Get(), exists ? (st.st_mode & 07777) : 0644) == 0;
    ok = ok && WriteAll(fd.Get(), ByteSpan(reinterpret_cast<const std::uint8_t*>(bytes.data()),
                                           bytes.size()));
    ok = fd.Close() && ok;
    ok = ok && ::rename(temp.c_str(), target.c_str()) == 0;
    if (!ok) {
        ::unlink(temp.c_str());
        return 0;
    }
    return 1;
}

std::string_view StripQuotes(std::string_view v) {
    if (v.size() >= 2 && (v.front() == '"' || v.front() == '\'') && v.back() == v.front())
        return v.substr(1, v.size() - 2);
    return v;
}

bool HasLineBreak(std::string_view s) {
    return s.find_first_of("\r\n") != std::string_view::npos;
}

}  // namespace

std::string IniFile::GetString(std::string_view section, std::string_view key,
                               std::string_view defaultValue, int bufferSize) const {
    if (bufferSize <= 1) return {};
    const auto max = static_cast<std::size_t>(bufferSize - 1);
    const ini::DecodedText d = LoadText(path_);
    std::string found;
    const std::string_view value =
        ini::Lookup(d.text, section, key, &found) ? StripQuotes(found) : defaultValue;
    if (d.encoding == ini::Encoding::Gbk) {
        if (auto gbk = Utf8ToGbk(value)) return GbkToUtf8(CutGbk(*gbk, max));
    }
    if (!IsValidUtf8(value)) return std::string(value.substr(0, max));
    return std::string(CutUtf8(value, max));
}

int IniFile::GetInt(std::string_view section, std::string_view key, int defaultValue) const {
    const ini::DecodedText d = LoadText(path_);
    std::string found;
    if (!ini::Lookup(d.text, section, key, &found)) return defaultValue;
    const std::string_view value = StripQuotes(found);
    if (value.empty()) return defaultValue;
    return ini::ParseInt(value);
}

int IniFile::WriteString(std::string_view section, std::string_view key, std::string_view value) {
    return WriteKeys(section, {{std::string(key), std::string(value)}});
}

int IniFile::WriteKeys(std::string_view section,
                       const std::vector<std::pair<std::string, std::string>>& keys) {
    // A line break would let a value (a path, a model name) forge sections and keys.
    if (section.empty() || HasLineBreak(section) || section.find(']') != std::string_view::npos)
        return 0;
    for (const auto& [key, value] : keys) {
        if (key.empty() || HasLineBreak(key) || HasLineBreak(value) ||
            key.find('=') != std::string_view::npos)
            return 0;
    }
    std::string bytes;
    if (ReadSettingsFile(path_, &bytes) == ReadStatus::Unusable) return 0;
    ini::DecodedText d = ini::Decode(bytes);
    for (const auto& [key, value] : keys) d.text = ini::Replace(d.text, section, key, value);
    const auto out = ini::Encode(d);
    if (!out) return 0;
    if (*out == bytes && !bytes.empty()) return 1;
    return ReplaceFile(path_, *out);
}

std::string IniFile::Text() const {
    return LoadText(path_).text;
}

int IniFile::RemoveSection(std::string_view section) {
    std::string bytes;
    if (ReadSettingsFile(path_, &bytes) == ReadStatus::Unusable) return 0;
    ini::DecodedText d = ini::Decode(bytes);
    d.text = ini::RemoveSection(d.text, section);
    const auto out = ini::Encode(d);
    if (!out) return 0;
    if (*out == bytes) return 1;
    return ReplaceFile(path_, *out);
}

int IniFile::WriteInt(std::string_view section, std::string_view key, int value) {
    return WriteString(section, key, std::to_string(value));
}

}  // namespace vardo
