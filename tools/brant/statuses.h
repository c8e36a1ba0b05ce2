// Library statuses as the command line reports them: the library's own
// message for a code, and the kind of failure (its exit code).
#pragma once

#include <cstdint>
#include <iosfwd>
#include <string>

namespace brant::tool {

// A message-box hook that keeps the box's text in the std::string its user
// data points to, and answers OK.
int32_t KeepMessageText(void* userData, void* owner, const char* text, const char* caption,
                        uint32_t style);

// The library's message for `status`, through its message export.
std::string StatusMessage(int32_t status);

// The exit code of a failure that left `status` behind.
int ExitCodeOfStatus(int32_t status);

// "status 101: Invalid Origin ZIP Code." on one line.
std::string DescribeStatus(int32_t status);

}  // namespace brant::tool
