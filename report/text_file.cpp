#include "report/text_file.hpp"

#include <cerrno>
#include <cstdio>
#include <cstring>

namespace slug {

bool write_text_file(const std::string& path, const std::string& text, std::string& error) {
    std::FILE* f = std::fopen(path.c_str(), "wb");
    if (!f) {
        error = std::strerror(errno);
        return false;
    }
    bool ok = std::fwrite(text.data(), 1, text.size(), f) == text.size();
    int werr = ok ? 0 : errno;
    if (std::fclose(f) != 0 && ok) {
        ok = false;
        werr = errno;
    }
    if (!ok) error = werr ? std::strerror(werr) : "write failed";
    return ok;
}

}  // namespace slug
