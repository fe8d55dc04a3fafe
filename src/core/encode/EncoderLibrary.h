#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "lame_enc/BladeEncInterface.h"

namespace korvida {

class UserNotifier;

// The encoder's entry points. Bound only as a whole: either the five required ones are
// all there, or every pointer is null.
struct EncoderEntryPoints {
    BEINITSTREAM beInitStream = nullptr;
    BEENCODECHUNK beEncodeChunk = nullptr;
    BEDEINITSTREAM beDeinitStream = nullptr;
    BECLOSESTREAM beCloseStream = nullptr;
    BEVERSION beVersion = nullptr;                // required to be exported; never called
    BEWRITEVBRHEADER beWriteVBRHeader = nullptr;  // optional
    // Optional; preferred where present, since it names the stream whose header it writes.
    BEWRITESTREAMVBRHEADER beWriteStreamVBRHeader = nullptr;

    bool IsBound() const {
        return beInitStream && beEncodeChunk && beDeinitStream && beCloseStream && beVersion;
    }
};

// Resolves the entry point names through `lookup` (dlsym on a loaded module, or a table in
// tests). When a required one is missing the result is empty.
EncoderEntryPoints BindEncoderEntryPoints(const std::function<void*(const char* name)>& lookup);

// Where the module is looked for, in order: the program's module folder, found relative to
// its executable (<program folder>/../lib/korvida, or the multiarch library folder where the
// install uses one; a build tree has the same layout), and last the bare file name, which
// the dynamic linker's normal search resolves.
std::vector<std::string> EncoderModuleCandidates();

// One loaded encoder module and its entry points; unloads on destruction.
class EncoderLibrary {
  public:
    // Engine 0 is the only one, liblame_enc.so; any other engine fails at once. Tries
    // each candidate in turn; a candidate that loads but lacks a required entry point is
    // unloaded and does not count. On failure nothing stays bound.
    bool Load(int engine, const std::vector<std::string>& candidates = EncoderModuleCandidates());
    void Unload();

    bool IsBound() const { return entryPoints_.IsBound(); }
    const EncoderEntryPoints& entryPoints() const { return entryPoints_; }
    // The candidate that was loaded; empty when nothing is bound.
    const std::string& path() const { return path_; }
    // Why the last Load failed (the dynamic linker's text), for diagnostics.
    const std::string& errorText() const { return errorText_; }

  private:
    struct Closer {
        void operator()(void* handle) const;
    };
    std::unique_ptr<void, Closer> handle_;
    EncoderEntryPoints entryPoints_;
    std::string path_;
    std::string errorText_;
};

// The process-wide binding: loaded once while the program starts, read-only while jobs
// run, kept until exit.
EncoderLibrary& TheEncoderLibrary();

// Binds the process-wide encoder for the MP3Encoder setting.
bool LoadEncoderLibrary(int engine);

// The start-up step: binds the encoder and, when that fails, tells the user
// "没有找到编码所需的 DLL！" and carries on; only MP3 encoding is then unavailable.
bool BindEncoderAtStartUp(int engine, UserNotifier& notifier);

}  // namespace korvida
