#include "report/text_file.hpp"

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "fio/replace_file.hpp"

namespace slug {

bool write_text_file(const std::string& path, const std::string& text, std::string& error) {
    FileReplacement file;
    int err = 0;
    if (!file.open(path, err)) {
        error = std::strerror(err);
        return false;
    }
    if (std::fwrite(text.data(), 1, text.size(), file.stream()) != text.size()) {
        error = errno != 0 ? std::strerror(errno) : "write failed";
        return false;  // the destructor removes the temporary file
    }
    if (!file.commit(err)) {
        error = err != 0 ? std::strerror(err) : "write failed";
        return false;
    }
    return true;
}

}  // namespace slug
