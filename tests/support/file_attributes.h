// Extended attributes and access control lists of test files (Linux).
#pragma once

#include <string>

namespace celestra::testing {

// An access control list in the bytes the system keeps it in
// ("system.posix_acl_access"): the owner read-write, user `uid` read-write,
// the group and others read only.
std::string AccessControlList(unsigned uid);

// The value of a file's extended attribute, or "(none)".
std::string Attribute(const std::string& path, const char* name);

}  // namespace celestra::testing
