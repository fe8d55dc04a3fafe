#pragma once

#include <string>
#include <vector>

namespace korvida::test {

// A fresh folder under the system's temporary folder, removed with everything in it
// when the object goes away.
class TempDir {
  public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    // Ends without '/'.
    const std::string& path() const { return path_; }
    std::string operator/(const std::string& name) const { return path_ + "/" + name; }

  private:
    std::string path_;
};

// A TempDir that is the app home ($KORVIDA_HOME) while the object lives; the previous
// value comes back afterwards.
class TempHome : public TempDir {
  public:
    TempHome();
    ~TempHome();

    // Makes the home's "tmp" the temporary folder in a fresh Settings.ini, so that a test
    // sees every temporary file a job leaves behind.
    void KeepTemporaryFilesInside() const;

  private:
    std::string previous_;
    bool hadPrevious_ = false;
};

// The temporary files ("PW…") anywhere below `folder`.
std::vector<std::string> TemporaryFilesUnder(const std::string& folder);

// Whole-file helpers for tests.
std::string ReadFile(const std::string& path);
void WriteFile(const std::string& path, const std::string& bytes);

}  // namespace korvida::test
