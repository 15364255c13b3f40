// A fresh folder in the system's temporary folder, removed with everything in it when the
// object goes, on every way out of a test (a failed SetUp included).
#pragma once

#include <string>

class TempFolder {
public:
    TempFolder();
    ~TempFolder();
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    const std::string& path() const { return path_; }   // empty when it could not be made
    // A path inside the folder.
    std::string File(const char* name) const;

private:
    std::string path_;
};
