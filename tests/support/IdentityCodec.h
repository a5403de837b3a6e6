#pragma once
// A text codec that passes bytes unchanged, so that tests of the stored
// formats can speak CP949 directly; texts are cut on CP949 characters.
#include <string>
#include <string_view>

#include "store/Cp949Bytes.h"
#include "store/TextCodec.h"

namespace ml::test {

class IdentityCodec : public TextCodec {
public:
    std::string ToDisk(std::string_view utf8, size_t*) const override { return std::string(utf8); }
    std::string FromDisk(std::string_view disk, size_t*) const override { return std::string(disk); }
    size_t FitLength(std::string_view disk, size_t maxBytes) const override { return Cp949FitLength(disk, maxBytes); }
};

}  // namespace ml::test
