#pragma once
// The outcome of writing a file.
#include <string>

namespace ml {

struct SaveResult {
    bool ok = false;
    std::string path;     // the file written (or meant to be)
    std::string error;    // why it failed, naming the file; empty when ok
    std::string warning;  // written, but something needs saying (replaced characters)
};

}  // namespace ml
