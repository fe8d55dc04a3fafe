#pragma once

#include <functional>
#include <optional>
#include <string>

namespace korvida::test {

// Runs `body` in a child process that sees a file system of `bytes` (a tmpfs) mounted on
// `folder`, so that writes there fail with ENOSPC as on a disk that filled up. The mount
// lives in a user and mount namespace of the child's own: no privilege is needed and
// nothing outside the child notices. Returns what `body` returned (the child's view of
// the files, for the test to check), or nothing when this system allows no such
// namespace. The child ends with _exit, so `body` must not leave work for destructors
// that the test relies on.
std::optional<std::string> RunOnSmallDisk(const std::string& folder, std::size_t bytes,
                                          const std::function<std::string()>& body);

// The names in `folder`, sorted and joined by ' '.
std::string FolderListing(const std::string& folder);

}  // namespace korvida::test
