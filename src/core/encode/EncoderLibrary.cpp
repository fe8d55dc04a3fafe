#include "core/encode/EncoderLibrary.h"

#include <dlfcn.h>

#include "core/platform/ProgramFolder.h"
#include "core/platform/UserNotifier.h"
#include "core/text/Translate.h"

// The module folder relative to the executable's folder; the build sets it from the install
// layout (cmake/InstallLayout.cmake).
#ifndef KORVIDA_ENCODER_MODULE_DIR
#define KORVIDA_ENCODER_MODULE_DIR "../lib/korvida"
#endif

namespace korvida {
namespace {

// dlsym hands back data pointers; POSIX guarantees that function pointers survive the
// round trip.
template <class Fn>
Fn As(void* symbol) {
    return reinterpret_cast<Fn>(symbol);
}

}  // namespace

EncoderEntryPoints BindEncoderEntryPoints(const std::function<void*(const char* name)>& lookup) {
    EncoderEntryPoints e;
    e.beInitStream = As<BEINITSTREAM>(lookup(lame_enc::kInitStream));
    e.beEncodeChunk = As<BEENCODECHUNK>(lookup(lame_enc::kEncodeChunk));
    e.beDeinitStream = As<BEDEINITSTREAM>(lookup(lame_enc::kDeinitStream));
    e.beCloseStream = As<BECLOSESTREAM>(lookup(lame_enc::kCloseStream));
    e.beVersion = As<BEVERSION>(lookup(lame_enc::kVersion));
    e.beWriteVBRHeader = As<BEWRITEVBRHEADER>(lookup(lame_enc::kWriteVBRHeader));
    e.beWriteStreamVBRHeader = As<BEWRITESTREAMVBRHEADER>(lookup(lame_enc::kWriteStreamVBRHeader));
    if (!e.IsBound())
        return {};
    return e;
}

std::vector<std::string> EncoderModuleCandidates() {
    std::vector<std::string> candidates;
    // Only a path relative to the executable is compiled in: an absolute one (say, of a
    // build folder under /tmp) would let whoever can write there plant code in the program.
    if (const std::string folder = ProgramFolder(); !folder.empty())
        candidates.push_back(folder + "/" KORVIDA_ENCODER_MODULE_DIR "/" +
                             lame_enc::kModuleFileName);
    candidates.push_back(lame_enc::kModuleFileName);
    return candidates;
}

void EncoderLibrary::Closer::operator()(void* handle) const {
    ::dlclose(handle);
}

bool EncoderLibrary::Load(int engine, const std::vector<std::string>& candidates) {
    Unload();
    errorText_.clear();
    if (engine != 0) {
        errorText_ = "unknown encoder engine " + std::to_string(engine);
        return false;
    }
    for (const std::string& candidate : candidates) {
        // dlopen takes a name with a '/' as a path and searches only for the bare name, so
        // our own folders are tried exactly and the system's search comes last.
        std::unique_ptr<void, Closer> handle(::dlopen(candidate.c_str(), RTLD_NOW | RTLD_LOCAL));
        if (!handle) {
            if (const char* text = ::dlerror())
                errorText_ = text;
            continue;
        }
        EncoderEntryPoints entryPoints =
            BindEncoderEntryPoints([&](const char* name) { return ::dlsym(handle.get(), name); });
        if (!entryPoints.IsBound()) {
            errorText_ = candidate + ": an encoder entry point is missing";
            continue;  // `handle` unloads it
        }
        handle_ = std::move(handle);
        entryPoints_ = entryPoints;
        path_ = candidate;
        return true;
    }
    return false;
}

void EncoderLibrary::Unload() {
    entryPoints_ = {};
    path_.clear();
    handle_.reset();
}

EncoderLibrary& TheEncoderLibrary() {
    static EncoderLibrary library;
    return library;
}

bool LoadEncoderLibrary(int engine) {
    return TheEncoderLibrary().Load(engine);
}

bool BindEncoderAtStartUp(int engine, UserNotifier& notifier) {
    if (LoadEncoderLibrary(engine))
        return true;
    notifier.ShowMessage(Tr("没有找到编码所需的 DLL！"), UserNotifier::Icon::kWarning);
    return false;
}

}  // namespace korvida
