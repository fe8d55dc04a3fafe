#pragma once

#include <string>
#include <string_view>

#include "core/encode/EncoderFormats.h"

namespace korvida {

struct EncodeTask;
struct RipJob;
struct RipJobItem;

// The task of one file: the item's own path in, <folder>/<name><extension> out (see
// BatchOutputPath), the folder made when missing.
EncodeTask PlanFileEncode(RipJobItem& item, const std::string& folder, std::string_view extension);

// The encode-files thread of a file job: each item names a WAV file, encoded to
// job.encodeFormat by that format of `encoders`, into
// <output folder>/<name><extension> (the folder made when missing). The source is never
// touched. Ends as RunFileJobItems says.
void EncodeFilesThread(RipJob& job, const EncoderFormats& encoders = BuiltInEncoders());

}  // namespace korvida
