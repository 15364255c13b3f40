// A full check of a store file, independent of the store's own reading code: every block the
// index names in both trees is read and compared with its entry, and the descriptor's counts and
// the free-space page are checked against what the file holds. CheckStore looks only at the
// blocks that happen to be loaded; this finds damage in unloaded records and journal blocks too.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

// 0 when the bytes hold a consistent store at base offset 0, else the StoreError that names the
// first problem found, described in *what.
int FullStoreCheck(const std::vector<std::uint8_t>& file, std::string* what);
// The same for the file at `path` as it is on disk (flush or close the store first).
int FullStoreCheckFile(const std::string& path, std::string* what);
