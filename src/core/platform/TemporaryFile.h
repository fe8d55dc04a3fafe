#pragma once

#include <string>
#include <string_view>

namespace korvida {

// A file this program made and must not leave behind half-made: it is deleted when its
// owner goes, whichever way the work ends, unless the owner kept it or moved it into
// place. Worker threads own their files alone; the owner is not shared.
class TemporaryFile {
  public:
    enum class Access {
        kPrivate,  // 0600: samples on their way to an encoder
        kShared,   // what a finished file would get: 0666 less the umask
    };

    TemporaryFile() = default;
    // Takes charge of an existing file.
    explicit TemporaryFile(std::string path) : path_(std::move(path)) {}
    ~TemporaryFile() { Discard(); }
    TemporaryFile(TemporaryFile&& other) noexcept;
    TemporaryFile& operator=(TemporaryFile&& other) noexcept;
    TemporaryFile(const TemporaryFile&) = delete;
    TemporaryFile& operator=(const TemporaryFile&) = delete;

    // Creates a new, empty file <folder>/<prefix>XXXXXX<suffix> that no other file had
    // the name of. Owns nothing, with *errorText set, when it cannot be made.
    static TemporaryFile Create(std::string_view folder, std::string_view prefix,
                                std::string_view suffix, Access access,
                                std::string* errorText = nullptr);

    // A file in the folder of `target`, for writing what becomes `target` once it is
    // complete (MoveTo): readers, and a crash, never see a half-written file under that
    // name, and a file already there survives a failure.
    static TemporaryFile CreateBeside(const std::string& target, std::string* errorText = nullptr);

    const std::string& path() const { return path_; }
    bool owned() const { return !path_.empty(); }

    // The file stays where it is and is no longer owned; returns its path.
    std::string Keep();
    // Renames the file to `target`, replacing a file there, and keeps it. False, with
    // *errorText set, when the rename fails; the file is then still owned here.
    bool MoveTo(const std::string& target, std::string* errorText = nullptr);
    // Deletes the file now (a file already gone is no error).
    void Discard();

  private:
    std::string path_;
};

}  // namespace korvida
