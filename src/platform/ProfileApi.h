#pragma once
// The seam to the profile (INI) file functions of kernel32. Member functions
// carry the Win32 names and meanings; the Win32 face forwards each one to the
// call of that name, and tests/fakes holds an in-memory profile.
#include <cstddef>
#include <string>

namespace pennora {

class ProfileApi {
public:
    // A value is read into a buffer of this many bytes, so at most one byte
    // less than this arrives.
    static constexpr std::size_t kReadBufferSize = 2048;

    virtual ~ProfileApi() = default;

    // The value of `key` in `section` of `fileName` (at most 2047 bytes), or
    // `defaultValue` when the file, the section or the key is missing. The
    // platform trims blanks around a value and removes one pair of quotes
    // ('...' or "...") around it.
    virtual std::string GetPrivateProfileStringA(const std::string& section, const std::string& key,
                                                 const std::string& defaultValue, const std::string& fileName) = 0;

    // Sets `key` in `section` to `value`, creating the file, section or key as
    // needed; false when the platform refuses the write.
    virtual bool WritePrivateProfileStringA(const std::string& section, const std::string& key,
                                            const std::string& value, const std::string& fileName) = 0;

    // WritePrivateProfileStringA(NULL, NULL, NULL, fileName): writes out the
    // cached copy of the file. Its result is not meaningful (Wine reports
    // FALSE even when the flush succeeded), so there is none.
    virtual void FlushPrivateProfile(const std::string& fileName) = 0;
};

}  // namespace pennora
