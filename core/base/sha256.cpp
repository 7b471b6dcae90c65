#include "base/sha256.h"

#include <fcntl.h>
#include <openssl/evp.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <memory>

#include "base/unique_fd.h"

namespace vardo {

namespace {

std::string Hex(const unsigned char* digest, unsigned int size) {
    static constexpr char kDigits[] = "0123456789abcdef";
    std::string hex;
    hex.reserve(size * 2);
    for (unsigned int i = 0; i < size; ++i) {
        hex += kDigits[digest[i] >> 4];
        hex += kDigits[digest[i] & 15];
    }
    return hex;
}

using Context = std::unique_ptr<EVP_MD_CTX, decltype(&EVP_MD_CTX_free)>;

}  // namespace

std::string Sha256Hex(std::span<const std::uint8_t> bytes) {
    unsigned char digest[EVP_MAX_MD_SIZE];
    unsigned int size = 0;
    if (EVP_Digest(bytes.data(), bytes.size(), digest, &size, EVP_sha256(), nullptr) != 1)
        return {};
    return Hex(digest, size);
}

FileHash Sha256OfFile(const std::string& path, std::string& hex, std::int64_t& size) {
    // Non-blocking, so that a FIFO put in the file's place cannot stall the check.
    UniqueFd fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK));
    if (!fd.Valid())
        return errno == ENOENT || errno == ENOTDIR ? FileHash::Missing : FileHash::Unreadable;
    struct stat st {};
    if (::fstat(fd.Get(), &st) != 0 || !S_ISREG(st.st_mode)) return FileHash::Unreadable;
    Context ctx(EVP_MD_CTX_new(), &EVP_MD_CTX_free);
    if (!ctx || EVP_DigestInit_ex(ctx.get(), EVP_sha256(), nullptr) != 1)
        return FileHash::Unreadable;
    std::int64_t total = 0;
    unsigned char buffer[1 << 16];
    for (;;) {
        const ssize_t n = ::read(fd.Get(), buffer, sizeof buffer);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) return FileHash::Unreadable;
        if (n == 0) break;
        if (EVP_DigestUpdate(ctx.get(), buffer, static_cast<std::size_t>(n)) != 1)
            return FileHash::Unreadable;
        total += n;
    }
    unsigned char digest[EVP_MAX_MD_SIZE];
    unsigned int length = 0;
    if (EVP_DigestFinal_ex(ctx.get(), digest, &length) != 1) return FileHash::Unreadable;
    hex = Hex(digest, length);
    size = total;
    return FileHash::Ok;
}

}  // namespace vardo
