// Encodes one WAV file the way a file job does (MP3 through the encoder module, or Ogg
// Vorbis) with the default settings, for whole-process timing against the encoders'
// own command-line tools. Log lines go to standard error.
//   EncodeFileBench mp3|ogg FILE.wav OUTPUT_FOLDER [Key=Value ...]
// Keys: BitRate, EnableVBR, MPEGQuality, StereoMode, EnableID3, EnableID3V2, Quality.

#include <cstdio>
#include <cstdlib>
#include <iostream>
#include <string>

#include "core/batch/EncodeFilesThread.h"
#include "core/encode/EncodeTask.h"
#include "core/encode/EncoderLibrary.h"
#include "core/encode/Mp3Encoder.h"
#include "core/encode/OggEncoder.h"
#include "core/jobs/JobContext.h"
#include "core/jobs/MessageTarget.h"
#include "core/jobs/Messages.h"
#include "core/rip/RipJobItem.h"
#include "core/settings/Settings.h"

namespace {

using namespace korvida;

class StderrLog : public MessageTarget {
  public:
    void post(Message) override {}
    void send(Message message) override {
        if (message.id == WM_JOB_LOG)
            std::cerr << message.text << '\n';
    }
    using MessageTarget::post;
    using MessageTarget::send;
};

bool Apply(Settings& s, const std::string& assignment) {
    const auto eq = assignment.find('=');
    if (eq == std::string::npos)
        return false;
    const std::string key = assignment.substr(0, eq);
    const int value = std::atoi(assignment.c_str() + eq + 1);
    if (key == "BitRate")
        s.BitRate = value;
    else if (key == "EnableVBR")
        s.EnableVBR = value;
    else if (key == "MPEGQuality")
        s.MPEGQuality = value;
    else if (key == "StereoMode")
        s.StereoMode = value;
    else if (key == "EnableID3")
        s.EnableID3 = value;
    else if (key == "EnableID3V2")
        s.EnableID3V2 = value;
    else if (key == "Quality")
        s.ogg.Quality = value;
    else
        return false;
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 4) {
        std::cerr << "usage: EncodeFileBench mp3|ogg FILE.wav OUTPUT_FOLDER [Key=Value ...]\n";
        return 2;
    }
    const std::string format = argv[1];
    Settings settings;
    for (int i = 4; i < argc; ++i) {
        if (!Apply(settings, argv[i])) {
            std::cerr << "unknown setting " << argv[i] << '\n';
            return 2;
        }
    }
    if (format == "mp3" && !LoadEncoderLibrary(settings.MP3Encoder)) {
        std::cerr << "没有找到编码所需的 DLL！ " << TheEncoderLibrary().errorText() << '\n';
        return 1;
    }
    StderrLog log;
    JobContext context;
    context.mainWindow = &log;
    context.settings = &settings;
    RipJobItem item;
    item.name = argv[2];
    // Planned as the encode-files job plans its files.
    EncodeTask task = PlanFileEncode(item, argv[3], format == "ogg" ? ".ogg" : ".MP3");
    const int result =
        format == "ogg" ? EncodeWavToOgg(context, task) : EncodeWavToMp3(context, task);
    if (result)
        std::cout << item.outputPath << '\n';
    return result ? 0 : 1;
}
