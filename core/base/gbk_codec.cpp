#include "base/gbk_codec.h"

#include <iconv.h>

#include <algorithm>
#include <cerrno>
#include <cstdint>

namespace vardo {

namespace {

constexpr unsigned kEscapeBase = 0xF700;

void AppendEscape(std::string& out, std::uint8_t byte) {
    const unsigned cp = kEscapeBase + byte;
    out += static_cast<char>(0xE0 | (cp >> 12));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
}

// Length of the escape sequence at p, 0 when p does not start one.
int EscapedByteAt(std::string_view s, std::size_t p, std::uint8_t* byte) {
    if (p + 3 > s.size()) return 0;
    const auto b0 = static_cast<std::uint8_t>(s[p]);
    const auto b1 = static_cast<std::uint8_t>(s[p + 1]);
    const auto b2 = static_cast<std::uint8_t>(s[p + 2]);
    if (b0 != 0xEF || b1 < 0x9C || b1 > 0x9F || (b2 & 0xC0) != 0x80) return 0;
    const unsigned cp = 0xF000u | ((b1 & 0x3Fu) << 6) | (b2 & 0x3Fu);
    *byte = static_cast<std::uint8_t>(cp - kEscapeBase);
    return 3;
}

class Converter {
  public:
    Converter(const char* to, const char* from) : cd_(iconv_open(to, from)) {}
    ~Converter() {
        if (ok()) iconv_close(cd_);
    }
    Converter(const Converter&) = delete;
    Converter& operator=(const Converter&) = delete;
    bool ok() const { return cd_ != reinterpret_cast<iconv_t>(-1); }

    // Converts as much of in as it can into out; returns errno of the stop (0 when all done).
    // in is advanced past what was converted.
    int Run(std::string_view& in, std::string& out) {
        char buffer[1024];
        while (!in.empty()) {
            char* src = const_cast<char*>(in.data());
            std::size_t srcLeft = in.size();
            char* dst = buffer;
            std::size_t dstLeft = sizeof buffer;
            const std::size_t r = iconv(cd_, &src, &srcLeft, &dst, &dstLeft);
            const int err = r == static_cast<std::size_t>(-1) ? errno : 0;
            out.append(buffer, static_cast<std::size_t>(dst - buffer));
            in.remove_prefix(in.size() - srcLeft);
            if (err == E2BIG) continue;
            if (err != 0) return err;
        }
        return 0;
    }

  private:
    iconv_t cd_;
};

}  // namespace

bool IsValidUtf8(std::string_view s) {
    std::size_t i = 0;
    const std::size_t n = s.size();
    while (i < n) {
        const auto c = static_cast<std::uint8_t>(s[i]);
        if (c < 0x80) {
            ++i;
            continue;
        }
        int len;
        std::uint32_t cp;
        if (c >= 0xC2 && c <= 0xDF) {
            len = 2;
            cp = c & 0x1F;
        } else if (c >= 0xE0 && c <= 0xEF) {
            len = 3;
            cp = c & 0x0F;
        } else if (c >= 0xF0 && c <= 0xF4) {
            len = 4;
            cp = c & 0x07;
        } else {
            return false;
        }
        if (n - i < static_cast<std::size_t>(len)) return false;
        for (int k = 1; k < len; ++k) {
            const auto cc = static_cast<std::uint8_t>(s[i + static_cast<std::size_t>(k)]);
            if ((cc & 0xC0) != 0x80) return false;
            cp = (cp << 6) | (cc & 0x3F);
        }
        // Overlong forms, surrogates and code points beyond Unicode are not UTF-8.
        if ((len == 3 && cp < 0x800) || (len == 4 && cp < 0x10000) || cp > 0x10FFFF ||
            (cp >= 0xD800 && cp <= 0xDFFF))
            return false;
        i += static_cast<std::size_t>(len);
    }
    return true;
}

std::string GbkToUtf8(std::string_view gbk) {
    std::string out;
    out.reserve(gbk.size() + gbk.size() / 2);
    Converter conv("UTF-8", "GBK");
    while (!gbk.empty()) {
        if (!conv.ok() || conv.Run(gbk, out) != 0) {
            // Not GBK (or an incomplete character at the end): keep the byte, move on.
            if (gbk.empty()) break;
            AppendEscape(out, static_cast<std::uint8_t>(gbk.front()));
            gbk.remove_prefix(1);
        }
    }
    return out;
}

std::optional<std::string> Utf8ToGbk(std::string_view utf8) {
    std::string out;
    out.reserve(utf8.size());
    Converter conv("GBK", "UTF-8");
    if (!conv.ok()) return std::nullopt;
    std::size_t runStart = 0;
    auto flush = [&](std::size_t end) {
        std::string_view run = utf8.substr(runStart, end - runStart);
        return conv.Run(run, out) == 0;
    };
    for (std::size_t i = 0; i < utf8.size();) {
        std::uint8_t raw = 0;
        if (const int len = EscapedByteAt(utf8, i, &raw); len > 0) {
            if (!flush(i)) return std::nullopt;
            out += static_cast<char>(raw);
            i += static_cast<std::size_t>(len);
            runStart = i;
        } else {
            ++i;
        }
    }
    if (!flush(utf8.size())) return std::nullopt;
    return out;
}

std::optional<std::string> ConvertStrict(std::string_view in, const char* to, const char* from) {
    Converter conv(to, from);
    if (!conv.ok()) return std::nullopt;
    std::string out;
    if (conv.Run(in, out) != 0) return std::nullopt;
    return out;
}

std::size_t FirstUtf8CharLength(std::string_view s) {
    if (s.empty()) return 0;
    const auto c = static_cast<std::uint8_t>(s[0]);
    const std::size_t len = c < 0x80 ? 1 : c < 0xE0 ? 2 : c < 0xF0 ? 3 : 4;
    return std::min(len, s.size());
}

std::string_view CutUtf8(std::string_view s, std::size_t maxBytes) {
    if (s.size() <= maxBytes) return s;
    std::size_t end = maxBytes;
    while (end > 0 && (static_cast<std::uint8_t>(s[end]) & 0xC0) == 0x80) --end;
    return s.substr(0, end);
}

std::string_view CutGbk(std::string_view s, std::size_t maxBytes) {
    std::size_t end = 0;
    while (end < s.size()) {
        const auto c = static_cast<std::uint8_t>(s[end]);
        const std::size_t len = (c >= 0x81 && c <= 0xFE && end + 1 < s.size()) ? 2 : 1;
        if (end + len > maxBytes) break;
        end += len;
    }
    return s.substr(0, end);
}

}  // namespace vardo
