#include "tests/support/FakePictures.h"

#include <memory>

#include "platform/Failure.h"
#include "platform/Strings.h"

namespace fake {

namespace {

class NamedPicture : public platform::PictureData {
public:
    explicit NamedPicture(std::string name) : name(std::move(name)) {}
    std::string name;
};

} // namespace

void FakePictures::add(const std::u16string& path, double widthCm, double heightCm) {
    files_[path] = {true, widthCm, heightCm};
}

void FakePictures::addInvalid(const std::u16string& path) {
    files_[path] = {false, 0, 0};
}

platform::Picture FakePictures::load(const std::u16string& path) {
    loaded.push_back(path);
    if (journal != nullptr) {
        journal->push_back("LoadPicture " + platform::toUtf8(path));
    }
    if (whileLoading) {
        whileLoading(path);
    }
    const auto it = files_.find(path);
    if (it == files_.end()) {
        platform::raise(platform::ErrorNumber::FileNotFound);
    }
    if (!it->second.valid) {
        platform::raise(platform::ErrorNumber::InvalidPicture);
    }
    return platform::Picture(std::make_shared<NamedPicture>(platform::toUtf8(path)),
                             it->second.widthCm * 1000.0, it->second.heightCm * 1000.0);
}

std::string FakePictures::nameOf(const platform::Picture& picture) {
    const auto* named = dynamic_cast<const NamedPicture*>(picture.data());
    return named != nullptr ? named->name : "(none)";
}

} // namespace fake
