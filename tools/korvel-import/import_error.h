// A conversion that cannot go on: the reason, in words for the user.
#pragma once

#include <stdexcept>
#include <string>

namespace korvel_import {

struct ImportError : std::runtime_error {
    explicit ImportError(const std::string& reason) : std::runtime_error(reason) {}
};

}  // namespace korvel_import
