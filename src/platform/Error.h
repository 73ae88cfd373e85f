#pragma once
#include <stdexcept>
namespace pennora { struct Error : std::runtime_error { using std::runtime_error::runtime_error; }; }
