#pragma once

#include <functional>
#include <map>
#include <string>
#include <vector>

#include "platform/Picture.h"

namespace fake {

// Pictures by file name: the test says which paths hold a picture of which natural size; every
// other path fails as a missing file.
class FakePictures {
public:
    // A picture at path of the given natural size in centimetres.
    void add(const std::u16string& path, double widthCm, double heightCm);
    // A file at path that is not a picture.
    void addInvalid(const std::u16string& path);

    platform::Picture load(const std::u16string& path);
    // Every path asked for, in order.
    std::vector<std::u16string> loaded;
    // When set, each load is also written there as "LoadPicture path", so that a test sees it
    // among the printer's operations.
    std::vector<std::string>* journal = nullptr;
    // Runs at each load, before the answer.
    std::function<void(const std::u16string& path)> whileLoading;

    // The file name a picture was loaded from, for recordings.
    static std::string nameOf(const platform::Picture& picture);

private:
    struct Entry {
        bool valid;
        double widthCm;
        double heightCm;
    };
    std::map<std::u16string, Entry> files_;
};

} // namespace fake
