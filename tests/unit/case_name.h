// Readable names for table-driven cases: "bad reserved field" -> bad_reserved_field.
#pragma once

#include <gtest/gtest.h>

#include <string>

struct CaseName {
    template <typename Case>
    std::string operator()(const testing::TestParamInfo<Case>& info) const {
        std::string name;
        for (const char c : std::string(info.param.name)) {
            const bool keep = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9');
            name += keep ? c : '_';
        }
        return name + "_" + std::to_string(info.index);
    }
};
